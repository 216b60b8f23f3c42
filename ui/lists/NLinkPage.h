#pragma once

#include "store/NLinkRowset.h"
#include "ui/actions/NAction.h"
#include "ui/lists/NList.h"
#include "ui/lists/NRowList.h"

#include <QWidget>

#include <memory>

class TNEActionView;
class TNEListPanel;
class TNEOutlinePanel;
class TNERowEditor;
class TNEVirtualRowsetLinks;

// The source rows linked to the edited row through one link rowset: ranked rows first in rank order, then the
// others in the row order. A row added to the list is linked.
class TNERowEditorList : public TNEAbstractRowList
{
    Q_OBJECT

public:
    explicit TNERowEditorList(QWidget* Parent = nullptr);

    // Borrowed; the row editor owns it.
    TNEVirtualRowsetLinks* Links() const { return Links_; }
    void SetLinks(TNEVirtualRowsetLinks* Links) { Links_ = Links; }

    void ReloadRows() override;
    int CompareListRows(const TNERow* Left, const TNERow* Right) const override;
    int AddRowItem(TNERow* Row) override;

private:
    // The rank of a listed row, 0 for none.
    int RankOf(const TNERow* Row) const;

    TNEVirtualRowsetLinks* Links_ = nullptr;
};

// The link page's agent on its list: the page's shortcuts, F5 to reload, a left click on an item edits its row.
class TNERowEditorController : public TNEListController
{
public:
    TNERowEditorController(TNEListView& List, TNERowEditor& Editor);

    void ListKeyDown(TNEShortCut& Key) override;
    void ListMouseDown(Qt::MouseButton Button, Qt::KeyboardModifiers Modifiers, int X, int Y) override;

private:
    TNERowEditor& Editor_;
};

// A page of the row editor listing the rows linked to the edited row through a link rowset, with its commands in
// a column at the left: for a "SHARED" link rowset the rows are picked among the existing ones, for a "UNIQUE"
// one they are created through the link. Link changes wait in the page's links until the editor's OK.
class TNELinkPage : public QWidget
{
    Q_OBJECT

public:
    TNELinkPage(TNERowEditor& Editor, TNELinkKind Kind, QWidget* Parent);
    ~TNELinkPage() override;

    TNELinkKind Kind() const { return Kind_; }
    TNEActionController& Controller() const { return *Controller_; }
    TNEActionView& ActionView() const { return *ActionView_; }
    TNEListPanel& ListPanel() const { return *ListPanel_; }
    TNERowEditorList& List() const { return *List_; }

    // Shows the links: Move Up and Move Down only for ranked ones; the first row becomes current.
    void ShowLinks(TNEVirtualRowsetLinks& Links);
    // Whether the links shown may be changed: their link rowset is not static.
    bool IsWritable() const { return Writable_; }
    // Gives the focus to the list, or to the commands while the list is empty.
    void FocusPage();

    // The commands, for their enabled state.
    void Pick(QObject* Sender);
    void Insert(QObject* Sender);
    void Edit(QObject* Sender);
    void Delete(QObject* Sender);
    void ClearAll(QObject* Sender);
    void MoveUp(QObject* Sender);
    void MoveDown(QObject* Sender);

protected:
    void resizeEvent(QResizeEvent* Event) override;

private:
    void AddCommands();
    void Move(bool Up);
    void SelectItem(int Item, bool Selected);

    TNERowEditor& Editor_;
    TNELinkKind Kind_;
    TNEActionController* Controller_;
    TNEOutlinePanel* ActionOutline_;
    TNEActionView* ActionView_;
    TNEListPanel* ListPanel_;
    TNERowEditorList* List_;
    std::unique_ptr<TNERowEditorController> ListController_;
    bool Writable_ = true;
};
