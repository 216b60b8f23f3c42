#include "app/FenkPasswordDlg.h"

#include "foundation/NLog.h"
#include "ui/actions/NControl.h"
#include "ui/platform/NDesktop.h"
#include "ui/platform/NPasswordEcho.h"
#include "ui/platform/NSecureEdit.h"

#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>

namespace {

constexpr int ClientWidth = 400;
constexpr int EditHeight = 21;

int Bottom(const QWidget& Control)
{
    return Control.y() + Control.height();
}

// Text as it fits the label: whole when it fits, otherwise "..." and as much of its end as fits. A character
// outside the basic plane goes as a whole, so the end is never a broken surrogate pair.
QString FittedPath(const QLabel& Label, QString Text)
{
    const auto fits = [&Label](const QString& Candidate) { return TextWidth(Label, Candidate) <= Label.width(); };
    if (fits(Text))
        return Text;
    constexpr int Ellipsis = 3;
    Text.prepend(QStringLiteral("..."));
    while (Text.size() > Ellipsis && !fits(Text)) {
        const bool isPair =
            Text.size() > Ellipsis + 1 && Text.at(Ellipsis).isHighSurrogate() && Text.at(Ellipsis + 1).isLowSurrogate();
        Text.remove(Ellipsis, isPair ? 2 : 1);
    }
    return Text;
}

} // namespace

TPasswordDlg::TPasswordDlg(QObject* Owner) : TNEBaseFrame(Owner)
{
    SetSmallDialogStyle(QSize(ClientWidth, Form().height()));
    Form().installEventFilter(this);

    FileCaptionLabel_ = AddLabel(QStringLiteral("Fenk file:"), 8);
    const int captionWidth = FileCaptionLabel_->width();
    FileNameLabel_ = new QLabel(&Form());
    FileNameLabel_->setTextFormat(Qt::PlainText);
    FileNameLabel_->setGeometry(captionWidth + 16, 8, ClientWidth - captionWidth - 24, FileCaptionLabel_->height());

    PasswordLabel_ = AddLabel(QStringLiteral("Master Password:"), Bottom(*FileCaptionLabel_) + 8);
    PasswordEdit_ = AddPasswordEdit(Bottom(*PasswordLabel_) + 8);
    VerifyLabel_ = AddLabel(QStringLiteral("Verify New Master Password:"), Bottom(*PasswordEdit_) + 8);
    VerifyEdit_ = AddPasswordEdit(Bottom(*VerifyLabel_) + 8);

    AddOkCancelButtons([this] { AcceptEntries(); });
}

TPasswordDlg::~TPasswordDlg() = default;

QLabel* TPasswordDlg::AddLabel(const QString& Text, int Top)
{
    auto* label = new QLabel(Text, &Form());
    label->setTextFormat(Qt::PlainText);
    label->move(8, Top);
    label->adjustSize();
    return label;
}

QLineEdit* TPasswordDlg::AddPasswordEdit(int Top)
{
    auto* edit = new TNEOpaqueEdit(&Form());
    SetBulletEcho(*edit);
    Keepers_.push_back(new TNEEditTextKeeper(*edit));
    edit->setGeometry(8, Top, ClientWidth - 16, EditHeight);
    return edit;
}

void TPasswordDlg::SetFileName(const QString& FileName)
{
    FileNameLabel_->setText(FittedPath(*FileNameLabel_, FileName));
}

void TPasswordDlg::Execute()
{
    ApplyMode();
    Accepted_ = false;
    const auto emptyEdits = [this] {
        for (TNEEditTextKeeper* keeper : Keepers_)
            keeper->Burn();
    };
    emptyEdits();
    Password_.Burn();
    const auto emptyEditsAfterwards = qScopeGuard(emptyEdits);
    Form().SetActiveControl(PasswordEdit_);
    ShowModal();
    if (Accepted_) {
        const QString typed = PasswordEdit_->text();
        Password_ = TNESecureText(QString(typed.constData(), typed.size())); // a copy of its own; the edit's is burnt
    }
}

QString TPasswordDlg::TakePassword()
{
    return Password_.Take();
}

void TPasswordDlg::ApplyMode()
{
    PasswordLabel_->setText(IsNew ? QStringLiteral("New Master Password:") : QStringLiteral("Master Password:"));
    PasswordLabel_->adjustSize();
    VerifyLabel_->setVisible(IsNew);
    VerifyEdit_->setVisible(IsNew);
    const QLineEdit& lastControl = IsNew ? *VerifyEdit_ : *PasswordEdit_;
    Form().setFixedHeight(Bottom(lastControl) + 42);
    PlaceOkCancelButtons();
}

void TPasswordDlg::AcceptEntries()
{
    // Exact code-unit equality: no collation may call two different passwords equal.
    if (IsNew && PasswordEdit_->text() != VerifyEdit_->text()) {
        ShowWarning(QStringLiteral("Passwords are not identical"));
        return;
    }
    Accepted_ = true;
    Form().accept();
}

bool TPasswordDlg::eventFilter(QObject* Watched, QEvent* Event)
{
    if (Watched == &Form() && Event->type() == QEvent::WindowActivate)
        PasswordEdit_->setFocus(Qt::ActiveWindowFocusReason);
    return TNEBaseFrame::eventFilter(Watched, Event);
}

QString AskMasterPassword(QObject* Owner, const QString& Caption, bool IsNew, const QString& FileName)
{
    TPasswordDlg dialog(Owner);
    dialog.Form().setWindowTitle(Caption);
    dialog.IsNew = IsNew;
    dialog.SetFileName(FileName);
    dialog.Execute();
    return dialog.TakePassword();
}
