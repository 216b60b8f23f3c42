#include "app/FenkMain.h"

#include "app/FenkList.h"
#include "app/FenkPasswordDlg.h"
#include "foundation/NFileUtilities.h"
#include "resources/FenkIcon.h"
#include "ui/actions/NActionButton.h"
#include "ui/lists/NFrame.h"
#include "ui/lists/NListPanel.h"
#include "ui/platform/NApplication.h"
#include "ui/platform/NDesktop.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScopeGuard>
#include <QSessionManager>

namespace {

constexpr int MinimumSide = 400;
constexpr TNEShortCut FocusListShortCut = ShortCut(vkF1 + 5);

} // namespace

TFenkForm::TFenkForm(const QStringList& Arguments)
    : TNEForm(nullptr, fkMainWindow), Arguments_(Arguments), Document_({this, &TFenkForm::AskPassword})
{
    setWindowTitle(ApplicationTitle());
    setWindowIcon(FenkIcon());
    SetKeyPreview(true);
    OnKeyDown = {this, &TFenkForm::FormKeyDown};
    OnCloseQuery = {this, &TFenkForm::FormCloseQuery};
    setMinimumSize(MinimumSide, MinimumSide);
    resize(DefaultFormWidth(), DefaultFormHeight());
    PositionForm(*this, nullptr);

    ToolStrip_ = new TNEFenkToolStrip(*this, this);
    ToolStrip_->SetActionLock(&ActionLock_);
    ToolStrip_->move(8, 8);

    FileActions_.SetActionLock(&ActionLock_);
    RowActions_.SetActionLock(&ActionLock_);
    AddCommands();

    const int panelTop = ToolStrip_->height() + 16;
    FilePanel_ = new TNEOutlinePanel(this);
    FilePanel_->move(8, panelTop);
    ActionView_ = new TNEActionView(FilePanel_);
    FileActions_.BuildView(*ActionView_);
    FilePanel_->SetInnerWidth(ActionView_->width());
    FilePanel_->SetClient(ActionView_);

    RowToolBar_ = new TNEActionToolBar;
    RowActions_.BuildToolBar(*RowToolBar_);

    ListPanel_ = new TNEListPanel(this);
    ListPanel_->move(FilePanel_->width() + 16, panelTop);
    List_ = new TFenkList(ListPanel_);
    ListCtrl_ = std::make_unique<TFenkCtrl>(*List_, *this);
    ListPanel_->AttachList(List_, RowToolBar_);

    List_->SetRowset(Document_.LoginRowset());
    List_->ReloadRows();
    UpdateActions();
    LayOut();

    connect(qApp, &QGuiApplication::commitDataRequest, this,
            [this](QSessionManager& Manager) { CommitSessionData(Manager); });
}

TFenkForm::~TFenkForm()
{
    // A password copied from the vault does not outlive the window on the clipboard.
    ClearSecretFromClipboard();
    // The clients of the controllers go first, then the controllers with the form's members.
    ListCtrl_.reset();
    const QList<QWidget*> children = findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    qDeleteAll(children);
}

void TFenkForm::AddCommands()
{
    FileActions_.AddAction(32, QStringLiteral("Open..."), {this, &TFenkForm::OpenFile}, ShortCut('O', scCtrl),
                           QStringLiteral("Open file"));
    FileActions_.AddAction(7, QStringLiteral("New..."), {this, &TFenkForm::NewFile}, ShortCut('N', scCtrl),
                           QStringLiteral("New file"));
    FileActions_.AddAction(14, QStringLiteral("Change..."), {this, &TFenkForm::ChangeMasterPassword},
                           ShortCut(vkF1 + 1, scCtrl), QStringLiteral("Change master password"));
    FileActions_.AddAction(10, QStringLiteral("C&lose"), {this, &TFenkForm::CloseFile}, ShortCut(vkDelete, scCtrl),
                           QStringLiteral("Close file"));
    FileActions_.AddAction(33, QStringLiteral("Save"), {this, &TFenkForm::SaveFile}, ShortCut('S', scCtrl),
                           QStringLiteral("Save file"));
    FileActions_.AddAction(4, QStringLiteral("E&xit"), {this, &TFenkForm::ExitProgram}, ShortCut(vkEscape),
                           QStringLiteral("Exit %1").arg(ApplicationTitle()));
    RowActions_.ExcludeAccelerators(FileActions_.CollectAccelerators());
    RowActions_.AddAction(64, QStringLiteral("Copy"), {this, &TFenkForm::CopyPassword}, ShortCut('C', scCtrl),
                          QStringLiteral("Copy password in the current row to clipboard"));
    RowActions_.AddAction(27, QStringLiteral("Insert..."), {this, &TFenkForm::InsertRow}, ShortCut(vkInsert),
                          QStringLiteral("Insert row"));
    RowActions_.AddAction(28, QStringLiteral("Edit..."), {this, &TFenkForm::EditRow}, ShortCut(vkF1 + 1),
                          QStringLiteral("Edit row"));
    RowActions_.AddAction(29, QStringLiteral("Delete"), {this, &TFenkForm::DeleteRow}, ShortCut(vkDelete),
                          QStringLiteral("Delete row"));
}

void TFenkForm::resizeEvent(QResizeEvent* Event)
{
    TNEForm::resizeEvent(Event);
    LayOut();
}

void TFenkForm::LayOut()
{
    const QRect client = contentsRect();
    ToolStrip_->resize(client.width() - 16, ToolStrip_->height());
    FilePanel_->resize(FilePanel_->width(), client.height() - ToolStrip_->height() - 24);
    ListPanel_->resize(client.width() - FilePanel_->width() - 24, FilePanel_->height());
}

void TFenkForm::showEvent(QShowEvent* Event)
{
    TNEForm::showEvent(Event);
    if (!FirstShow_)
        return;
    FirstShow_ = false;
    FormActivate();
    OpenCommandLineFile();
}

void TFenkForm::FormKeyDown(TNEShortCut& Key)
{
    if (ToolStrip_->HandleShortCut(Key) || FileActions_.ExecuteShortCut(Key) || RowActions_.ExecuteShortCut(Key)) {
        Key = 0;
        return;
    }
    if (Key == FocusListShortCut) {
        Key = 0;
        List_->setFocus(Qt::ShortcutFocusReason);
    }
}

void TFenkForm::FormCloseQuery(bool& CanClose)
{
    CanClose = Document_.ConfirmExit();
}

void TFenkForm::CommitSessionData(QSessionManager& Manager)
{
    // The desktop session is ending: unsaved changes are kept only when the user may be asked and says No.
    if (!Document_.DocumentModified() || !Manager.allowsInteraction())
        return;
    if (!Document_.ConfirmExit())
        Manager.cancel();
    Manager.release();
}

QString TFenkForm::AskPassword(const QString& Caption, bool IsNew, const QString& FileName)
{
    return AskMasterPassword(this, Caption, IsNew, FileName);
}

void TFenkForm::OpenCommandLineFile()
{
    if (Arguments_.isEmpty())
        return;
    const QString argument = Arguments_.first().trimmed();
    if (argument.isEmpty())
        return;
    const QString path = QDir::cleanPath(QFileInfo(argument).absoluteFilePath());
    if (FolderExists(path)) {
        Document_.SetStartFolder(path);
        FileActions_.ExecuteAction(this, {this, &TFenkForm::OpenFile});
    } else if (FileExists(path)) {
        // Under the commands' lock, as the command that opens a file would be.
        ActionLock_.SetLocked(true);
        const auto release = qScopeGuard([this] { ActionLock_.SetLocked(false); });
        LoadFromFile(path, false);
        FormActivate();
    }
}

void TFenkForm::UpdateActions()
{
    const TFenkCommandStates states = Document_.EnabledCommands();
    FileActions_.SetActionEnabled(states.OpenFile, {this, &TFenkForm::OpenFile});
    FileActions_.SetActionEnabled(states.NewFile, {this, &TFenkForm::NewFile});
    FileActions_.SetActionEnabled(states.ChangeMasterPassword, {this, &TFenkForm::ChangeMasterPassword});
    FileActions_.SetActionEnabled(states.CloseFile, {this, &TFenkForm::CloseFile});
    FileActions_.SetActionEnabled(states.SaveFile, {this, &TFenkForm::SaveFile});
    FileActions_.SetActionEnabled(states.ExitProgram, {this, &TFenkForm::ExitProgram});
    RowActions_.SetActionEnabled(states.CopyPassword, {this, &TFenkForm::CopyPassword});
    RowActions_.SetActionEnabled(states.InsertRow, {this, &TFenkForm::InsertRow});
    RowActions_.SetActionEnabled(states.EditRow, {this, &TFenkForm::EditRow});
    RowActions_.SetActionEnabled(states.DeleteRow, {this, &TFenkForm::DeleteRow});
}

void TFenkForm::UpdateTitle()
{
    const QString title = ApplicationTitle();
    setWindowTitle(Document_.Crypt().HasKey()
                       ? title + QStringLiteral(" - ") + QFileInfo(Document_.FileName()).fileName()
                       : title);
}

void TFenkForm::ReloadList()
{
    List_->SetRowset(Document_.LoginRowset());
    List_->ReloadRows();
    UpdateActions();
}

void TFenkForm::FormActivate()
{
    if (List_->Model().ItemCount() == 0) {
        ActionView_->FocusNextEnabled();
        return;
    }
    List_->setFocus(Qt::OtherFocusReason);
    SelectListItem(List_, List_->FocusedItem());
}
