#include "ui/platform/NSecureEdit.h"

#include <QLineEdit>

void BurnEditText(QLineEdit& Edit)
{
    TNESecureText text(Edit.text());
    Edit.setText(QString());
    text.Burn();
    text.Reserve(Edit.maxLength());
    Edit.setText(text.Take());
}

TNEEditTextKeeper::TNEEditTextKeeper(QLineEdit& Edit) : QObject(&Edit), Edit_(Edit)
{
    Edit.installEventFilter(this);
}

void TNEEditTextKeeper::Burn()
{
    Hold();
    Edit_.setText(QString());
    Held_.clear(); // each zeroes its storage when it is the last holder
}

bool TNEEditTextKeeper::eventFilter(QObject* Watched, QEvent* Event)
{
    if (Watched == &Edit_)
        Hold();
    return QObject::eventFilter(Watched, Event);
}

void TNEEditTextKeeper::Hold()
{
    HoldOnce(Edit_.text());
    HoldOnce(Edit_.displayText());
}

void TNEEditTextKeeper::HoldOnce(const QString& Text)
{
    if (Text.isEmpty())
        return;
    for (const TNESecureText& held : Held_) {
        if (held.Text().constData() == Text.constData())
            return;
    }
    Held_.emplace_back(Text);
}
