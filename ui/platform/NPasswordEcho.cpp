#include "ui/platform/NPasswordEcho.h"

#include <QApplication>
#include <QLineEdit>
#include <QPointer>
#include <QProxyStyle>

namespace {

// The application's style, except that password edits echo U+2022.
class TBulletStyle final : public QProxyStyle
{
public:
    TBulletStyle() : QProxyStyle(QApplication::style()->name()) {}

    int styleHint(StyleHint Hint, const QStyleOption* Option, const QWidget* Widget,
                  QStyleHintReturn* ReturnData) const override
    {
        if (Hint == SH_LineEdit_PasswordCharacter)
            return 0x2022;
        return QProxyStyle::styleHint(Hint, Option, Widget, ReturnData);
    }
};

QStyle& BulletStyle()
{
    static QPointer<TBulletStyle> style;
    if (!style) {
        style = new TBulletStyle;
        style->setParent(QCoreApplication::instance()); // the application frees it; edits keep guarded pointers
    }
    return *style;
}

} // namespace

void SetBulletEcho(QLineEdit& Edit)
{
    Edit.setStyle(&BulletStyle());
    Edit.setEchoMode(QLineEdit::Password);
}
