#include "ui/platform/NForm.h"

#include "ui/platform/NApplication.h"
#include "ui/platform/NDesktop.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

namespace {

// Runs the accelerator of a control when its caption carries Key; false when it does not.
bool ExecuteAcceleratorOf(QWidget& Control, TNEShortCut Key)
{
    if (auto* own = dynamic_cast<TNEAcceleratorControl*>(&Control)) {
        if (AcceleratorShortCut(own->AcceleratorCaption()) != Key)
            return false;
        own->ExecuteAccelerator();
        return true;
    }
    if (auto* button = qobject_cast<QAbstractButton*>(&Control)) {
        if (AcceleratorShortCut(button->text()) != Key)
            return false;
        button->setFocus(Qt::ShortcutFocusReason);
        button->click();
        return true;
    }
    if (auto* label = qobject_cast<QLabel*>(&Control)) {
        QWidget* buddy = label->buddy();
        if (!buddy || !buddy->isEnabled() || AcceleratorShortCut(label->text()) != Key)
            return false;
        buddy->setFocus(Qt::ShortcutFocusReason);
        return true;
    }
    return false;
}

bool IsAccelerator(TNEShortCut Key)
{
    return ShortCutModifiers(Key) == scAlt;
}

} // namespace

TNEForm::TNEForm(QWidget* Owner, TNEFormKind Kind) : QDialog(Owner), Kind_(Kind)
{
    if (Kind_ == fkMainWindow)
        setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                       Qt::WindowCloseButtonHint);
}

int TNEForm::ShowModal()
{
    return exec();
}

void TNEForm::SetActiveControl(QWidget* Control)
{
    if (Control)
        Control->setFocus(Qt::OtherFocusReason);
}

bool TNEForm::DeliverAccelerator(TNEShortCut Key)
{
    if (!IsAccelerator(Key))
        return false;
    const QList<QWidget*> controls = findChildren<QWidget*>();
    for (QWidget* control : controls) {
        if (control->isEnabled() && control->isVisibleTo(this) && ExecuteAcceleratorOf(*control, Key))
            return true;
    }
    return false;
}

bool TNEForm::PreviewKeyEvent(QKeyEvent& Event)
{
    TNEShortCut key = ShortCutFromKeyEvent(Event);
    if (key == 0)
        return false;
    if (Event.type() == QEvent::ShortcutOverride) {
        // Taking the override turns the key into a plain key press, which the form then previews; otherwise
        // Qt's own shortcuts and mnemonics would act on it first. Accelerators are always routed here.
        if (!KeyPreview_ && !IsAccelerator(key))
            return false;
        Event.accept();
        return true;
    }
    if (KeyPreview_ && OnKeyDown) {
        OnKeyDown(key);
        if (key == 0) {
            Event.accept();
            return true;
        }
    }
    if (DeliverAccelerator(key)) {
        Event.accept();
        return true;
    }
    return false;
}

TNEForm* TNEForm::FormOf(QObject* Receiver)
{
    auto* widget = qobject_cast<QWidget*>(Receiver);
    return widget ? qobject_cast<TNEForm*>(widget->window()) : nullptr;
}

void TNEForm::showEvent(QShowEvent* Event)
{
    // Inside a dialog every push button is auto-default, and when the form shows, QDialog makes the first of them
    // the default button, which Enter in any edit then presses. Only the button made default on purpose stays so.
    const QList<QPushButton*> buttons = findChildren<QPushButton*>();
    for (QPushButton* button : buttons) {
        if (button->window() == this && !button->isDefault())
            button->setAutoDefault(false);
    }
    if (Position_ == fpOwnerCentered)
        CenterOnOwner();
    QDialog::showEvent(Event);
}

void TNEForm::closeEvent(QCloseEvent* Event)
{
    if (Kind_ == fkDialog)
        QDialog::closeEvent(Event); // the close box cancels a dialog
    else
        Event->setAccepted(CanClose());
}

bool TNEForm::CanClose()
{
    bool canClose = false; // a close query that fails keeps the window, and what it holds, open
    RunEventHandler([this, &canClose] {
        bool answer = true;
        if (OnCloseQuery)
            OnCloseQuery(answer);
        canClose = answer;
    });
    return canClose;
}

void TNEForm::keyPressEvent(QKeyEvent* Event)
{
    // A push button that is not auto-default leaves Enter to its window.
    auto* focusedButton = qobject_cast<QPushButton*>(focusWidget());
    if (focusedButton && focusedButton->isEnabled() && ShortCutFromKeyEvent(*Event) == ShortCut(vkEnter)) {
        Event->accept();
        focusedButton->click();
        return;
    }
    if (Kind_ == fkMainWindow || (!isModal() && Event->matches(QKeySequence::Cancel))) {
        Event->ignore();
        return;
    }
    QDialog::keyPressEvent(Event);
}

void TNEForm::CenterOnOwner()
{
    const QRect area = parentWidget() ? parentWidget()->window()->frameGeometry() : ScreenMetrics().WorkArea();
    if (area.isEmpty())
        return;
    QRect frame = frameGeometry();
    frame.moveCenter(area.center());
    move(frame.topLeft());
}
