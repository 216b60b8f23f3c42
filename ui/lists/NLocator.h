#pragma once

#include "foundation/NMethod.h"
#include "ui/actions/NAction.h"
#include "ui/actions/NControl.h"
#include "ui/lists/NFolderListing.h"
#include "ui/lists/NFrame.h"
#include "ui/lists/NList.h"

#include <QPointer>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

class QEvent;
class TNEActionView;
class TNEListPanel;
class TNELocator;

// The locator's agent on its file list. After the list's own handling: Enter and Space open the focused item, Left
// runs "Up", Right opens the focused item unless "OK" is enabled, and a left press on an item opens it. Column
// clicks are reported to the locator, which sorts by them.
class TNELocatorController : public TNEListController
{
public:
    TNELocatorController(TNEListView& List, TNELocator& Locator);

    void ListKeyDown(TNEShortCut& Key) override;
    void ListMouseDown(Qt::MouseButton Button, Qt::KeyboardModifiers Modifiers, int X, int Y) override;

private:
    TNELocator& Locator_;
};

// The program's own file dialog: a column of commands on the left; on the right the path box (the folder and the
// file mask), the list of the folder's subfolders and of its files that match the mask, sortable by name, time, size
// or attributes, and the file name box. It chooses an existing file whose extension is one of the masks, or (in
// SaveMode) names a new one and may create folders for it.
//
// Paths are Linux paths: Root is "/", Folder the path below it, empty or ending with "/". A typed path that starts
// with "~" is taken from the home folder, any other one that does not start with "/" from the current folder.
//
// Keys (the form sees them first): the commands' shortcuts (Backspace "Up" except in the file name box, F4 drives,
// Shift+Alt+Home desktop, Alt+Home home, Shift+Insert new folder, F5 refresh, Ctrl+Enter OK, Escape Cancel); F6 and
// Shift+F6 move the focus around path box, list and (in SaveMode) file name box, applying a path typed into the path
// box on the way out; Enter in the path box applies it and Down goes to the list; Enter in the file name box is OK.
//
// Typical use, as the main window opens a vault:
//     TNELocator locator(this);
//     locator.SaveMode = false;
//     locator.Form().setWindowTitle("Open Fenk File");
//     locator.SetSortMode(1);
//     locator.OnFilter = {this, &TMyWindow::ShowVaultCaption};
//     locator.SetPath(folder + "*.fkx");
//     locator.SetMasks("fkx");
//     const QString fileName = locator.Execute();
class TNELocator : public TNEBaseFrame
{
    Q_OBJECT

public:
    // Offered every folder and file before it is listed, Caption starting as the entry's name and Accept as true:
    // the handler may change the caption shown or leave the entry out.
    using TFilterHandler =
        TNEMethod<void(TNELocator& Sender, const TNESearchRec& Entry, QString& Caption, bool& Accept)>;

    // The list's images: a folder, a file of the masks, the chosen file, any other file.
    enum TImage
    {
        liFolder = 0,
        liAcceptedFile = 1,
        liChosenFile = 2,
        liOtherFile = 3,
    };

    // Builds the window, captioned "Locating" until the caller gives its own.
    explicit TNELocator(QObject* Owner = nullptr);
    ~TNELocator() override;

    // Naming a file to create (a new name may be typed, folders created) rather than choosing an existing file of
    // the masks. Set before Execute.
    bool SaveMode = false;
    TFilterHandler OnFilter;

    // Column * 2 + direction (1 ascending, 0 descending) over the columns Name, Time, Size and Attributes; folders
    // always come first. 1 at creation. The list header shows it, and the list is sorted by it at once, keeping its
    // focused item.
    int SortMode() const { return SortMode_; }
    void SetSortMode(int Mode);

    // Root, Folder and FileMask from a path text: only the part before a ";" counts; a text naming an existing
    // folder opens it with the mask "*.*"; otherwise the part after the last "/" is the mask. A folder that does
    // not exist lists nothing.
    void SetPath(const QString& Text);
    const QString& Root() const { return Root_; }
    const QString& Folder() const { return Folder_; }
    const QString& FileMask() const { return FileMask_; }

    // The accepted extensions from a ";"-separated list: each trimmed, upper-cased, stripped of control characters
    // and of characters no file name may hold, kept when not empty. Empty accepts every file, and OK any valid name.
    void SetMasks(const QString& Text);
    // As a field list, each extension followed by ";".
    QString Masks() const;
    // A file whose extension (after the last ".", upper-cased) is one of the masks; never a folder.
    bool IsFileAccepted(const TNESearchRec& Entry) const;

    // Runs the dialog and returns the chosen path (Root + Folder + file name), empty when cancelled.
    QString Execute();
    const QString& ResultPath() const { return ResultPath_; }

    // Lists the folder in one read: its subfolders but those whose names start with ".", then its files that match
    // the mask, each offered to OnFilter. FocusName (a name or caption, not case-sensitive; an exact name first)
    // becomes the focused and selected item, else the first item.
    void Fill(const QString& FocusName = {});
    // The record of a list item; nullptr for -1 or a position outside the list.
    const TNESearchRec* ItemRecord(int Item) const;
    // A folder opens in the list; an accepted file is chosen (and the dialog closes unless SaveMode); any other
    // file does nothing.
    void OpenItem();

    // The commands, as their actions run them; each handler also names its action in the Controller.
    void Up(QObject* Sender);
    void Drives(QObject* Sender);
    void Desktop(QObject* Sender);
    void Home(QObject* Sender);
    void NewFolder(QObject* Sender);
    void Refresh(QObject* Sender);
    void Ok(QObject* Sender);
    void Cancel(QObject* Sender);
    bool IsCommandEnabled(void (TNELocator::*Command)(QObject*)) const;

    TNEActionController& Controller() const { return *Controller_; }
    TNEOutlinePanel& CommandPanel() const { return *CommandPanel_; }
    TNEActionView& ActionView() const { return *ActionView_; }
    TNEOpaqueEdit& PathEdit() const { return *PathEdit_; }
    TNEOpaqueEdit& FileNameEdit() const { return *FileNameEdit_; }
    TNEListPanel& ListPanel() const { return *ListPanel_; }
    TNEListView& ListView() const { return *ListView_; }
    TNELocatorController& ListController() const { return *ListController_; }
    const TNEImageList& Images() const { return Images_; }

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    friend class TNELocatorController;
    struct TEntry;

    TNEActionHandler Handler(void (TNELocator::*Command)(QObject*)) const;
    void AddCommands();
    void LayOut();
    void ClearItems();
    int FindFocusItem(const QString& FocusName) const;
    int CompareEntries(const TEntry& Left, const TEntry& Right) const;
    void ColumnClicked(int Column);
    void SelectItem(int Item, bool Selected);
    void UpdateUp();
    void UpdateOk();
    bool IsNameAcceptable(const QString& Name) const;
    // The path as typed: "~" from the home folder, a relative one from the current folder.
    QString AbsolutePath(const QString& Path) const;
    void ApplyPathText();
    void PathEntered();
    void PathLeft();
    void MoveFocus(bool Backward);
    // The path box gets Folder + "/" + FileMask, which is applied and listed; the focus goes to the file name box
    // in SaveMode, else to the list.
    void ChangeFolder(const QString& Folder);
    void FocusForEntry();
    void FormKeyDown(TNEShortCut& Key);

    // The form, while it exists: an owner's window that goes first takes it along.
    QPointer<QWidget> Window_;
    TNEActionController* Controller_;
    TNEOutlinePanel* CommandPanel_;
    TNEActionView* ActionView_;
    TNEOpaqueEdit* PathEdit_;
    TNEListPanel* ListPanel_;
    TNEListView* ListView_;
    TNEOpaqueEdit* FileNameEdit_;
    std::unique_ptr<TNELocatorController> ListController_;
    TNEImageList Images_{16, 17};

    QString Root_;
    QString Folder_;
    QString FileMask_;
    QString ResultPath_;
    QStringList Masks_;
    int SortMode_ = 1;
    bool PathChanged_ = false;
    bool Updating_ = false;
    // The listed entries, which the list items point to; they live until the list is cleared.
    std::vector<TEntry> Entries_;
};
