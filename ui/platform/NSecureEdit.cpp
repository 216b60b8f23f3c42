#include "ui/platform/NSecureEdit.h"

#include <QLineEdit>

TNEEditTextKeeper::TNEEditTextKeeper(QLineEdit& Edit) : QObject(&Edit), Edit_(Edit)
{
    Edit.installEventFilter(this);
}

void TNEEditTextKeeper::Burn()
{
    Hold();
    TNESecureText text(Edit_.text());
    Edit_.setText(QString());
    Held_.clear(); // each zeroes its storage when it is the last holder
    text.Burn();
    text.Reserve(Edit_.maxLength());
    Edit_.setText(text.Take());
}

bool TNEEditTextKeeper::eventFilter(QObject* Watched, QEvent* Event)
{
    // An edit being destroyed is a line edit no more, and its text is gone with it.
    if (Watched == &Edit_ && qobject_cast<QLineEdit*>(Watched) && MayCopyText())
        Hold();
    return QObject::eventFilter(Watched, Event);
}

bool TNEEditTextKeeper::MayCopyText() const
{
    const QString text = Edit_.text();
    const qsizetype room = text.capacity() - text.data_ptr().freeSpaceAtBegin();
    return Edit_.echoMode() == QLineEdit::Normal || Edit_.hasSelectedText() || room < Edit_.maxLength();
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
