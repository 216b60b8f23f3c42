#pragma once

#include "foundation/NMethod.h"
#include "foundation/NObserve.h"
#include "ui/lists/NListModel.h"
#include "ui/platform/NKeys.h"

#include <QPointer>
#include <QTreeView>

#include <memory>
#include <vector>

// Every list of the program is a TNEListView driven by a TNEListController (derived by its owner to give the list
// its commands) and shown in a TNEListPanel (NListPanel.h), which adds the find bar. The items and columns live in
// the view's TNEListModel (NListModel.h); TNEColumnSizer fits the columns to the items after a refill.
//
// A typical refill, as the row lists do it:
//     TNEListUpdate update(List.Model());
//     List.Model().ClearItems();
//     TNEColumnSizer sizer(List);
//     for (TNERow* row : rows)
//         sizer.MeasureItem(List.Model().AddItem({texts...}, TNEItemData(row), 0));
//     sizer.ApplyWidths();
// and the items are sorted by the model's compare callback when the update ends, in one model reset.

class TNEImageList;
class TNEListController;

// The key that searches again for the next match, in the list and in the open find bar.
constexpr TNEShortCut FindNextShortCut = ShortCut(vkF1 + 2);

// A report-style list: one line per item, whole-row single selection kept visible without the focus, no tree
// decoration, uniform row heights. Its header shows the owner's sort arrow (Qt's own sort indicator is off).
// Items are addressed by position in display order, -1 for none.
//
// Events reach the controller after the view's own handling: focus in → ListEnter, key press → ListKeyDown (the
// shortcut by reference; zeroed, the event is consumed) and then, for a typed character, ListKeyPress; mouse press →
// ListMouseDown with X and Y in the item area's coordinates (those of ItemAt). A double click is no second press.
class TNEListView : public QTreeView
{
    Q_OBJECT

public:
    explicit TNEListView(QWidget* Parent = nullptr);
    ~TNEListView() override;

    TNEListModel& Model() const { return *Model_; }
    // The controller driving the list; set by the controller itself, nullptr without one.
    TNEListController* Controller() const { return Controller_; }

    // The focused item (Qt's current index), -1 for none. Focus and selection stay with their items through sorting
    // and resets; a selection kept across a reset is not announced again. Inside an update whose reset is pending
    // these hold the items that get the state once the update ends.
    int FocusedItem() const;
    void SetFocusedItem(int Item);
    // The selected item, -1 for none; selecting -1 clears the selection.
    int SelectedItem() const;
    void SetSelectedItem(int Item);
    // Scrolls the item fully into view, vertically only.
    void MakeItemVisible(int Item);
    // The item at a point of the item area (the viewport), -1 for none.
    int ItemAt(int X, int Y) const;

    // Small images shown at the left of each item's caption, as its image index says (16 by 17 in the program's
    // lists). Not owned; the owner fills and keeps them.
    TNEImageList* SmallImages() const { return SmallImages_; }
    void SetSmallImages(TNEImageList* Images);

    // Hot tracking: the item under the mouse shows its texts underlined and the hand cursor. The row picker turns it
    // off over its glyph column from its own mouse-move handling, before the view's.
    bool HotTrack() const { return HotTrack_; }
    void SetHotTrack(bool Value);
    int HotItem() const { return HotItem_; }

    // Whether a click on a column header is reported through OnColumnClick.
    bool ColumnClick() const;
    void SetColumnClick(bool Value);
    bool ShowColumnHeaders() const;
    void SetShowColumnHeaders(bool Value);

    // The column whose header shows the sort arrow, -1 for none, and the arrow: 0 points down, 1 up. What the
    // direction means, and what a header click does, is the owner's.
    int SortColumn() const { return SortColumn_; }
    void SetSortColumn(int Column);
    int SortDirection() const { return SortDirection_; }
    void SetSortDirection(int Direction);
    // Widens the sort column, when narrower, to its caption's width + twice the window-frame width + 20.
    void AutoSizeSortColumn();

    // A header was clicked (while ColumnClick is on).
    TNEMethod<void(int Column)> OnColumnClick;
    // An item was selected or lost the selection; the find bar saves, replaces and restores this handler.
    TNEMethod<void(int Item, bool Selected)> OnSelectItem;

protected:
    bool event(QEvent* Event) override;
    void focusInEvent(QFocusEvent* Event) override;
    void keyPressEvent(QKeyEvent* Event) override;
    void mousePressEvent(QMouseEvent* Event) override;
    void mouseMoveEvent(QMouseEvent* Event) override;
    void leaveEvent(QEvent* Event) override;
    // The controller searches as the user types; Qt's own type-ahead is off.
    void keyboardSearch(const QString& Search) override;

private:
    friend class TNEListController;

    // The focused and selected items, by key, while a reset of the model is under way.
    struct TPendingState
    {
        bool Active = false;
        quint32 FocusKey = 0;
        quint32 SelectedKey = 0;
        quint32 SelectedBefore = 0;
        quint32 ScrollKey = 0;
    };

    QModelIndex IndexOf(int Item) const;
    void SaveItemState();
    void RestoreItemState();
    void ApplyColumnWidths();
    void ApplyColumnWidth(int Column);
    void HeaderResized(int Column, int OldWidth, int NewWidth);
    void ForwardSelection(const QItemSelection& Selected, const QItemSelection& Deselected);
    void ForwardColumnClick(int Column);
    void SetHotItem(int Item);
    void RepaintHeaderSection(int Column);

    TNEListModel* Model_;
    TNEListController* Controller_ = nullptr;
    TNEImageList* SmallImages_ = nullptr;
    TPendingState Pending_;
    bool RestoringState_ = false;
    bool HotTrack_ = false;
    int HotItem_ = -1;
    int SortColumn_ = -1;
    int SortDirection_ = 0;
};

// What a controller is telling its observers while it notifies (TNEListController::NotifyKind).
enum TNEListNotifyKind : quint8
{
    lnNone = 0,
    // The controller is being destroyed.
    lnDestroying = 1,
    // Open the find bar, or give it the focus, and search SearchText.
    lnFind = 2,
    // Close the find bar.
    lnCloseSearch = 3,
};

// The owner's agent on a list: it sets the list's look, keeps the incremental search text and finds matching items,
// and tells its observers (the list panel) when a search starts, moves on or ends. Owners derive from it to give the
// list its commands; an override of ListKeyDown or ListMouseDown calls the base first. Created on a list, it sets
// the list's Controller to itself; neither owns the other, and whichever goes first unhooks itself.
class TNEListController
{
public:
    // Sets on the list: column headers shown, column click off, hot tracking on.
    explicit TNEListController(TNEListView& List);
    // Sends lnDestroying first.
    virtual ~TNEListController();
    TNEListController(const TNEListController&) = delete;
    TNEListController& operator=(const TNEListController&) = delete;

    // The list received the focus: its focused item, or the first one, becomes focused, selected and visible.
    virtual void ListEnter();
    // F3 without modifiers is consumed and opens the find bar with the current search text (lnFind).
    virtual void ListKeyDown(TNEShortCut& Key);
    // A character above the space that is no control character starts a search of it: it replaces SearchText as
    // typed, is consumed (set to 0) and lnFind is sent; the panel then puts it into the find edit, which searches.
    virtual void ListKeyPress(QChar& Key);
    // Nothing in the base.
    virtual void ListMouseDown(Qt::MouseButton Button, Qt::KeyboardModifiers Modifiers, int X, int Y);

    // The list it drives; nullptr once that list is gone.
    TNEListView* ListView() const { return ListView_; }

    const QString& SearchText() const { return SearchText_; }
    // Stores the text's full Unicode upper case, the same in every locale (a Turkish "i" still finds "I").
    void SetSearchText(const QString& Text);
    // Empties SearchText and sends lnCloseSearch.
    void ClearSearch();
    // Searches in display order from StartItem (from the first item when -1; StartItem itself only with
    // IncludeStart) to the last item, without wrapping. The first match becomes focused, selected and visible
    // (SelectListItem) and the result is true; without a match, or with an empty SearchText, nothing changes.
    bool FindNext(int StartItem, bool IncludeStart);
    // True when SearchText occurs in the item's upper-cased caption or any sub-item; false for -1 and for an empty
    // SearchText.
    bool ItemMatches(int Item) const;

    // While observers are called: what the notification says; lnNone otherwise.
    TNEListNotifyKind NotifyKind() const { return NotifyKind_; }
    TNEObservationPoint<TNEListController>& ObservationPoint() { return ObservationPoint_; }

private:
    void SetSearchValue(const QString& Text);
    void Notify(TNEListNotifyKind Kind);

    QPointer<TNEListView> ListView_;
    QString SearchText_;
    TNESearchPattern SearchPattern_;
    TNEListNotifyKind NotifyKind_ = lnNone;
    TNEObservationPoint<TNEListController> ObservationPoint_{this};
};

// Makes Item (the first item for -1 or a position outside the list) the focused and selected item and scrolls it
// fully into view, within one update of the items. Nothing happens for a missing or empty list. Every command that
// moves the current item uses it.
void SelectListItem(TNEListView* List, int Item);

class TNETextGauge;

// Fits the column widths of a list to its texts: create it once the columns exist, measure every item added, apply
// the widths. Each column starts at its caption's width + 15; an item widens a column to its text's width + 14, or
// + 10 and the small images' width in column 0. Texts that cannot be wider than the column already is are not
// measured, so a refill of 100,000 items measures few of them, with exactly the widths measuring all would give.
class TNEColumnSizer
{
public:
    explicit TNEColumnSizer(TNEListView& List);
    ~TNEColumnSizer();
    TNEColumnSizer(const TNEColumnSizer&) = delete;
    TNEColumnSizer& operator=(const TNEColumnSizer&) = delete;

    // -1 is ignored.
    void MeasureItem(int Item);
    void ApplyWidths();
    const std::vector<int>& Widths() const { return Widths_; }

private:
    TNEListView& List_;
    std::unique_ptr<TNETextGauge> Gauge_;
    std::vector<int> Widths_;
};
