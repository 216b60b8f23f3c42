#pragma once

#include "app/FenkDocument.h"
#include "ui/actions/NAction.h"
#include "ui/platform/NForm.h"

#include <QString>
#include <QStringList>

#include <memory>

class QSessionManager;
class TFenkCtrl;
class TFenkList;
class TNEActionView;
class TNEActionToolBar;
class TNEFenkToolStrip;
class TNEListPanel;
class TNEOutlinePanel;

// The program's main window: the tool strip along the top, the file commands in an action view on the left, and
// the login list with the row commands beside it and its find bar on the right; it owns the vault document. The
// window sees every key first: the strip's F1, then the file and row commands' keys, then F6 for the list; a key
// that runs a command never reaches the focused control. Closing the window in any way asks "Exit without
// saving?" while there are unsaved changes.
class TFenkForm : public TNEForm
{
    Q_OBJECT

public:
    // Arguments are the program's command-line arguments without the program; the first one is opened on the
    // first show (OpenCommandLineFile).
    explicit TFenkForm(const QStringList& Arguments = {});
    ~TFenkForm() override;

    TFenkDocument& Document() { return Document_; }
    TNEActionLock& ActionLock() { return ActionLock_; }
    TNEActionController& FileActions() { return FileActions_; }
    TNEActionController& RowActions() { return RowActions_; }
    TNEFenkToolStrip& ToolStrip() const { return *ToolStrip_; }
    TNEOutlinePanel& FilePanel() const { return *FilePanel_; }
    TNEActionView& ActionView() const { return *ActionView_; }
    TNEActionToolBar& RowToolBar() const { return *RowToolBar_; }
    TNEListPanel& ListPanel() const { return *ListPanel_; }
    TFenkList& List() const { return *List_; }
    TFenkCtrl& ListCtrl() const { return *ListCtrl_; }

    // The commands, as their actions run them (the sender is the button, the item or the controller).
    void OpenFile(QObject* Sender);
    void NewFile(QObject* Sender);
    void ChangeMasterPassword(QObject* Sender);
    void CloseFile(QObject* Sender);
    void SaveFile(QObject* Sender);
    void ExitProgram(QObject* Sender);
    void CopyPassword(QObject* Sender);
    void InsertRow(QObject* Sender);
    void EditRow(QObject* Sender);
    void DeleteRow(QObject* Sender);
    // Opens the user guide in the desktop's viewer, or tells where it is when that fails.
    void VisitMakerSite(QObject* Sender);

    // Reads a vault into the document (see TFenkDocument::LoadFromFile), with progress, then shows it. A failed
    // or cancelled load leaves the window as it was.
    TFenkLoadResult LoadFromFile(const QString& FileName, bool IsNew);
    // Opens the first command-line argument: a folder in the Open dialog, an existing file at once; anything else
    // is ignored.
    void OpenCommandLineFile();

    // Enables the commands by the document's state.
    void UpdateActions();
    // "Fenk", and " - " with the open file's name.
    void UpdateTitle();
    // Binds the list to the login rowset again and refills it, then UpdateActions.
    void ReloadList();
    // The focus goes to the list with its current row (the first when none), or to the first enabled file command
    // when the list is empty. Runs on the first show and after every command.
    void FormActivate();

protected:
    void showEvent(QShowEvent* Event) override;
    void resizeEvent(QResizeEvent* Event) override;

private:
    QString AskPassword(const QString& Caption, bool IsNew, const QString& FileName);
    void AddCommands();
    void LayOut();
    void FormKeyDown(TNEShortCut& Key);
    void FormCloseQuery(bool& CanClose);
    void CommitSessionData(QSessionManager& Manager);
    // Runs the part of a command that may change the document, then shows the state it left, also when it failed.
    template <typename Work> void RunCommand(Work&& CommandWork);
    // Runs a load or the creation of a vault with progress, then shows the document it left.
    template <typename Load> TFenkLoadResult RunLoad(const QString& FileName, Load&& LoadWork);
    // Runs a row command inside the document's change tracking.
    template <typename Work> void RunRowCommand(Work&& RowWork);

    QStringList Arguments_;
    TFenkDocument Document_;
    bool FirstShow_ = true;
    TNEActionLock ActionLock_;
    TNEActionController FileActions_;
    TNEActionController RowActions_;
    // Widgets of the window; the controllers' clients among them go before the controllers.
    TNEFenkToolStrip* ToolStrip_;
    TNEOutlinePanel* FilePanel_;
    TNEActionView* ActionView_;
    TNEActionToolBar* RowToolBar_;
    TNEListPanel* ListPanel_;
    TFenkList* List_;
    std::unique_ptr<TFenkCtrl> ListCtrl_;
};
