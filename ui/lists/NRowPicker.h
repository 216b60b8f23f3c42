#pragma once

#include "store/NRow.h"
#include "ui/actions/NAction.h"
#include "ui/lists/NFrame.h"
#include "ui/lists/NRowList.h"

#include <QPointer>

#include <memory>

class TNEActionView;
class TNEContainerBase;
class TNEListPanel;
class TNEOutlinePanel;
class TNERowPicker;
class TNEVirtualRowset;

// The rows of a rowset with a selection glyph each: picked rows show image 1, the others image 0. A click on the
// glyph, Enter or Space flips the focused row's pick; a click on the text edits the row. A header click sorts by
// that column, a second one turns the order round. Rows deleted from the rowset leave the pick and the list.
class TNERowPickerList : public TNEAbstractRowList
{
    Q_OBJECT

public:
    explicit TNERowPickerList(QWidget* Parent = nullptr);
    ~TNERowPickerList() override;

    // Picked rows are added to the pick (true) or replace it (false).
    bool MultiPick() const { return MultiPick_; }
    void SetMultiPick(bool Value);
    // Whether the pick may be emptied by "Reset All".
    bool AllowNone() const { return AllowNone_; }
    void SetAllowNone(bool Value) { AllowNone_ = Value; }
    // The picked rows, by row ID; not owned.
    TNERowContainer& Selection() { return Selection_; }

    void ReloadRows() override;
    // By the sort column, ascending with SortDirection 1, descending with 0.
    int CompareListRows(const TNERow* Left, const TNERow* Right) const override;
    int AddRowItem(TNERow* Row) override;
    void SetRowSelected(TNERow* Row, bool Value) override;
    bool IsRowSelected(TNERow* Row) const override;
    void SetRowset(TNERowset* Rowset) override;
    void ClearRows() override;

    // Flips the pick of the focused row.
    void ToggleFocusedRow();

protected:
    void mousePressEvent(QMouseEvent* Event) override;
    void mouseMoveEvent(QMouseEvent* Event) override;

private:
    void SelectionChanged(TNEContainerBase* Sender);
    void RowsetChanged(TNERowset* Sender);
    void HeaderClicked(int Column);
    void Observe(TNERowset* Rowset, bool Value);

    TNERowContainer Selection_{false};
    bool MultiPick_ = false;
    bool AllowNone_ = true;
};

// The picker's agent on its list: the picker's shortcuts, F5 to reload, Enter or Space to flip the focused row's
// pick, a left click on an item edits its row.
class TNERowPickerController : public TNEListController
{
public:
    TNERowPickerController(TNEListView& List, TNERowPicker* Picker);

    void ListKeyDown(TNEShortCut& Key) override;
    void ListMouseDown(Qt::MouseButton Button, Qt::KeyboardModifiers Modifiers, int X, int Y) override;

private:
    TNERowPicker* Picker_;
};

// The modal dialog in which the user picks one or several rows of a rowset, inserting, editing and deleting rows
// of it on the way. Only the pick waits for OK; rows changed through its commands are changed at once.
class TNERowPicker : public TNEBaseFrame
{
    Q_OBJECT

public:
    explicit TNERowPicker(QObject* Owner = nullptr);
    ~TNERowPicker() override;

    void SetMultiPick(bool Value);
    void SetAllowNone(bool Value);

    // Shows every row of Rows' rowset with the rows of Rows picked. On OK Rows holds exactly the picked rows, in
    // ascending ID, and the result is true; on cancel Rows is as it was.
    bool Execute(TNEVirtualRowset& Rows);
    bool Accepted() const { return Accepted_; }

    TNERowPickerList& List() const { return *List_; }
    TNEListPanel& ListPanel() const { return *ListPanel_; }
    TNEActionController& Controller() const { return *Controller_; }
    TNEOutlinePanel& ActionOutline() const { return *ActionOutline_; }

    // The commands, for their enabled state.
    void Insert(QObject* Sender);
    void Edit(QObject* Sender);
    void Delete(QObject* Sender);
    void ResetAll(QObject* Sender);
    void Ok(QObject* Sender);
    void Cancel(QObject* Sender);

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    void AddCommands();
    void LayOut();
    void FormKeyDown(TNEShortCut& Key);

    QPointer<QWidget> Window_;
    TNEActionController* Controller_;
    TNEOutlinePanel* ActionOutline_;
    TNEActionView* ActionView_;
    TNEListPanel* ListPanel_;
    TNERowPickerList* List_;
    std::unique_ptr<TNERowPickerController> ListController_;
    bool Accepted_ = false;
};
