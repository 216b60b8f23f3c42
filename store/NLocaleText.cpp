#include "store/NLocaleText.h"

#include <QCollator>
#include <QLocale>

namespace {

// Building a collator is costly, so the first comparison builds the one every later comparison uses.
const QCollator& UserCollator()
{
    static const QCollator collator = [] {
        QCollator made{QLocale()};
        made.setCaseSensitivity(Qt::CaseSensitive);
        return made;
    }();
    return collator;
}

} // namespace

int CompareLocaleText(QStringView Left, QStringView Right)
{
    const int result = UserCollator().compare(Left, Right);
    return (result > 0) - (result < 0);
}

QChar ListSeparator()
{
    return QLocale().decimalPoint() == QStringLiteral(",") ? u';' : u',';
}
