#pragma once

#include "foundation/NMethod.h"
#include "ui/platform/NKeys.h"

#include <QDialog>

class QKeyEvent;

// How a form is placed when it is shown: where its code put it, or centred on the window that owns it (on the
// screen's work area when it has none).
enum TNEFormPosition
{
    fpDesigned,
    fpOwnerCentered,
};

// What kind of window a form is: a dialog (a frame: dialog window type, close box only) or the program's main
// window (a normal application window with minimise, maximise and close, on the task bar).
enum TNEFormKind
{
    fkDialog,
    fkMainWindow,
};

// A control that answers an Alt+letter accelerator itself (the form finds buttons and labels on its own).
class TNEAcceleratorControl
{
public:
    virtual ~TNEAcceleratorControl() = default;
    // The caption whose "&" marks the accelerator letter.
    virtual QString AcceleratorCaption() const = 0;
    virtual void ExecuteAccelerator() = 0;
};

// The base of every window built in code: the main window (shown modeless) and the modal frames. Key events reach
// the form through TNEApplication before the focused control sees them.
//
// Keys: a form has exactly one key-down hook, OnKeyDown. While key preview is on it sees every key before the
// focused control and consumes a key by zeroing it; Alt+letter then goes to the control whose caption carries that
// letter. Code that needs the keys first (a find bar, a frame, the main window) saves the installed handler,
// installs its own, calls the saved one from it, and puts it back when done.
//
// Enter presses the focused push button, or else the form's default button (setDefault); no other button, since
// the form turns auto-default off on every other push button it shows.
class TNEForm : public QDialog
{
    Q_OBJECT

public:
    explicit TNEForm(QWidget* Owner = nullptr, TNEFormKind Kind = fkDialog);

    TNEFormKind Kind() const { return Kind_; }

    bool KeyPreview() const { return KeyPreview_; }
    void SetKeyPreview(bool Value) { KeyPreview_ = Value; }

    // Runs the form modally until it is closed and returns its result (accept() 1, reject() or close box 0, or
    // the value given to done()). The one modal run of the program, so tests answer it with the modal driver.
    int ShowModal();

    QWidget* ActiveControl() const { return focusWidget(); }
    // The control that has the focus now, or receives it when the form is shown.
    void SetActiveControl(QWidget* Control);

    TNEFormPosition Position() const { return Position_; }
    void SetPosition(TNEFormPosition Value) { Position_ = Value; }

    // The form's one key-down hook, called with every previewed key (see the class comment).
    TNEMethod<void(TNEShortCut&)> OnKeyDown;
    // Asked when a main window is about to close (its close box, the window menu, close()); clearing CanClose keeps
    // it open. An exception it raises is reported and keeps the window open too. A main window closes without ever
    // being rejected; a dialog's close box cancels it as Escape does.
    TNEMethod<void(bool& CanClose)> OnCloseQuery;

    // Hands Alt+letter to the first enabled, visible control whose caption carries that letter; true when one
    // took it.
    bool DeliverAccelerator(TNEShortCut Key);

    // Offered every key press and shortcut override aimed at a widget of this form before Qt delivers it; true
    // when the form consumed it.
    bool PreviewKeyEvent(QKeyEvent& Event);

    // The form that holds a widget (the widget's own window), or nullptr.
    static TNEForm* FormOf(QObject* Receiver);

protected:
    void showEvent(QShowEvent* Event) override;
    void closeEvent(QCloseEvent* Event) override;
    // Enter presses the focused push button. Escape cancels a form only while it runs modally: a window shown
    // modeless, such as the main window, is closed by its own commands, which may ask first.
    void keyPressEvent(QKeyEvent* Event) override;

private:
    void CenterOnOwner();
    bool CanClose();

    TNEFormKind Kind_;
    bool KeyPreview_ = false;
    TNEFormPosition Position_ = fpDesigned;
};
