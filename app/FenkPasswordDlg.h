#pragma once

#include "foundation/NSecureBuffer.h"
#include "ui/lists/NFrame.h"

#include <QString>

#include <vector>

class QEvent;
class QLabel;
class QLineEdit;
class TNEEditTextKeeper;

// Asks for the master password of a vault file: once to unlock it, or, for a new password, twice, refusing OK
// until both entries agree. The typed text lives only in the edits while the dialog runs and in Password until the
// caller takes it; both edits are emptied after every run and Password is zeroed when the dialog goes away.
class TPasswordDlg : public TNEBaseFrame
{
    Q_OBJECT

public:
    explicit TPasswordDlg(QObject* Owner = nullptr);
    ~TPasswordDlg() override;

    // The mode of the next Execute: a new password typed twice instead of the password of an existing file.
    bool IsNew = false;

    // Shows the file's name, its end only ("..." first) when it is wider than the label.
    void SetFileName(const QString& FileName);

    // Lays the form out for the mode and runs it; the outcome is in Accepted and Password.
    void Execute();

    bool Accepted() const { return Accepted_; }
    // The accepted password, empty otherwise.
    const QString& Password() const { return Password_.Text(); }
    // Hands the password over without leaving a copy behind; the caller zeroes it when done.
    QString TakePassword();

    QLabel* FileCaptionLabel() const { return FileCaptionLabel_; }
    QLabel* FileNameLabel() const { return FileNameLabel_; }
    QLabel* PasswordLabel() const { return PasswordLabel_; }
    QLineEdit* PasswordEdit() const { return PasswordEdit_; }
    QLabel* VerifyLabel() const { return VerifyLabel_; }
    QLineEdit* VerifyEdit() const { return VerifyEdit_; }

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    QLabel* AddLabel(const QString& Text, int Top);
    QLineEdit* AddPasswordEdit(int Top);
    void ApplyMode();
    void AcceptEntries();

    QLabel* FileCaptionLabel_;
    QLabel* FileNameLabel_;
    QLabel* PasswordLabel_;
    QLineEdit* PasswordEdit_;
    QLabel* VerifyLabel_;
    QLineEdit* VerifyEdit_;
    // One for each edit, owned by it.
    std::vector<TNEEditTextKeeper*> Keepers_;
    bool Accepted_ = false;
    TNESecureText Password_;
};

// Runs the password dialog as the vault's commands do (caption, mode, file name) and hands back the typed
// password; empty when the user cancelled or typed none.
QString AskMasterPassword(QObject* Owner, const QString& Caption, bool IsNew, const QString& FileName);
