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
    // Sorting compares many equal texts (a login name many sites share); the same units collate alike anyway.
    if (Left == Right)
        return 0;
    const int result = UserCollator().compare(Left, Right);
    return (result > 0) - (result < 0);
}

namespace {

bool CollatesCodeUnits()
{
    static const bool codeUnits = UserCollator().locale().language() == QLocale::C;
    return codeUnits;
}

} // namespace

TNELocaleSortKey::TNELocaleSortKey(const QString& Text)
    : Key_(CollatesCodeUnits() ? decltype(Key_)(Text) : decltype(Key_)(UserCollator().sortKey(Text)))
{}

int TNELocaleSortKey::Compare(const TNELocaleSortKey& Other) const
{
    const int result = Key_.index() == 0 ? QStringView(std::get<0>(Key_)).compare(std::get<0>(Other.Key_))
                                         : std::get<1>(Key_).compare(std::get<1>(Other.Key_));
    return (result > 0) - (result < 0);
}

QChar ListSeparator()
{
    return QLocale().decimalPoint() == QStringLiteral(",") ? u';' : u',';
}
