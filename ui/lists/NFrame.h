#pragma once

#include "ui/platform/NForm.h"

#include <QObject>
#include <QPointer>
#include <QSize>
#include <QString>

#include <functional>
#include <memory>

class QLineEdit;
class QPushButton;
class TNEActionController;
class TNEActionView;
class TNEOutlinePanel;

// The base of every dialog built in code. A frame owns one blank form, created at the default form geometry as a
// window of the form that stands for its owner, and runs it modally placed against that window. A frame is created
// for one question by the code that needs it, which owns it, reads the outcome from its fields and frees it.
class TNEBaseFrame : public QObject
{
    Q_OBJECT

public:
    // Owner is borrowed: the form it stands for (if any) becomes the window the form belongs to and opens against.
    explicit TNEBaseFrame(QObject* Owner = nullptr);
    ~TNEBaseFrame() override;
    TNEBaseFrame(const TNEBaseFrame&) = delete;
    TNEBaseFrame& operator=(const TNEBaseFrame&) = delete;

    TNEForm& Form() const { return *Form_; }
    QObject* Owner() const { return Owner_; }

    // Places the form against the owner's window (PositionForm), runs it modally and returns the modal result.
    int ShowModal();

    // The buttons of AddOkCancelButtons; nullptr without them.
    QPushButton* OkButton() const { return OkButton_; }
    QPushButton* CancelButton() const { return CancelButton_; }

protected:
    // Makes the form a small dialog: a fixed client size, above other windows, centred on its owner's window.
    void SetSmallDialogStyle(QSize ClientSize);
    // Gives the form the OK and Cancel glyph buttons of a dialog. OK is the default button (Enter, unless another
    // button has the focus, and Ctrl+Enter press it) and runs Accept, which stores the outcome and closes the form;
    // Cancel, Escape and the close box only close the form.
    void AddOkCancelButtons(std::function<void()> Accept);
    // Moves the two buttons to the bottom right corner of the client area.
    void PlaceOkCancelButtons();

    // The command column of a frame run by actions: an outline at (Margin, Margin) holding the action view of
    // Controller's commands (added before), as wide as the view. Returns the outline and stores the view in View.
    TNEOutlinePanel* CreateCommandOutline(TNEActionController& Controller, int Margin, TNEActionView*& View);

private:
    void FormKeyDown(TNEShortCut& Key);

    QPointer<QObject> Owner_;
    // Null once the owner's window has gone, which takes the form with it.
    std::unique_ptr<TNEForm> Form_;
    QPushButton* OkButton_ = nullptr;
    QPushButton* CancelButton_ = nullptr;
};

// The form that stands for Component: a frame gives its form, a form itself, any other widget continues with its
// parent widget and any other object with its parent; nullptr when the chain ends.
TNEForm* FindHostForm(QObject* Component);

// Places a form whose position is the designed one with its top-left corner on the top-left corner of the client
// area of Reference's window, pulled back inside the work area; at the default place when Reference has no window.
// A form with any other position setting is left alone.
void PositionForm(QWidget& Form, QObject* Reference);

// Asks for one line of text in a small window centred on its owner.
class TNEPromptText : public TNEBaseFrame
{
    Q_OBJECT

public:
    explicit TNEPromptText(QObject* Owner = nullptr);

    // The title of the prompt window.
    QString Caption;

    // Shows Text for editing; on OK stores the edited text in Text and returns true, otherwise leaves Text alone
    // and returns false.
    bool Execute(QString& Text);

    bool Accepted() const { return Accepted_; }
    QLineEdit& Edit() const { return *Edit_; }

private:
    QLineEdit* Edit_;
    bool Accepted_ = false;
};
