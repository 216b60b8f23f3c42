#pragma once

#include "ui/actions/NControl.h"
#include "ui/lists/NList.h"

#include <QString>

class TNERow;
class TNERowset;
template <typename Item> class TNEAbstractIterator;

// The walk a row list refills itself from: the rows of a rowset, of a selection or of a link set.
using TNERowSource = TNEAbstractIterator<TNERow>;

// A list of the rows of one rowset: one list column per rowset column, one item per row carrying its TNERow, the
// items ordered by CompareListRows. It gives its owners the ready commands of a row list, which go through the row
// editor: insert a new row, edit the focused row, delete the focused row, refresh.
//
// Derived lists say where the rows come from (RowSource, set around the base ReloadRows) and how an item is added
// (AddRowItem); a list that marks rows as picked overrides SetRowSelected and IsRowSelected.
class TNEAbstractRowList : public TNEListView
{
    Q_OBJECT

public:
    explicit TNEAbstractRowList(QWidget* Parent = nullptr);
    ~TNEAbstractRowList() override;

    // The rowset whose columns the list shows; borrowed, nullptr before SetRowset.
    TNERowset* Rowset() const { return Rowset_; }
    TNERowSource* RowSource() const { return RowSource_; }
    // The list's own 16 by 17 small images; the owner adds the glyphs its items show.
    TNEImageList& Images() { return Images_; }
    // The row an item stands for, nullptr for -1.
    TNERow* RowOf(int Item) const;
    // The item of a row, -1 when it is not listed.
    int ItemOf(const TNERow* Row) const;

    // Refills the list from RowSource (all items go first), fitting the columns to the texts.
    virtual void ReloadRows();
    // The order of two rows: negative, zero or positive; the row store's order in the base.
    virtual int CompareListRows(const TNERow* Left, const TNERow* Right) const;
    // Adds an item for Row and returns it, -1 when none was added.
    virtual int AddRowItem(TNERow* Row) = 0;
    virtual void SetRowSelected(TNERow* Row, bool Value);
    virtual bool IsRowSelected(TNERow* Row) const;
    // Attaches a rowset (nullptr for none) and makes one column per rowset column; the items go.
    virtual void SetRowset(TNERowset* Rowset);
    virtual void ClearRows();

    // Gives an item the row and its texts: the caption is the text of column 0, one sub-item per further column.
    void FillItem(int Item, TNERow& Row);
    // Widens each column that is narrower than the item's text in it.
    void FitColumnsToItem(int Item);

    // The commands. Insert and edit run the row editor modally with the list as its owner; edit and delete act on
    // the focused item and do nothing without one. A referenced row is not deleted: a warning says so.
    void InsertNewRow();
    void EditCurrentRow();
    void DeleteCurrentRow();
    // Reloads and makes the first item current.
    void RefreshRows();

protected:
    void SetRowSource(TNERowSource* Source) { RowSource_ = Source; }
    // What AddRowItem does in every list: appends an item for the row with the image and returns it; a row whose
    // texts cannot be read leaves no item behind and passes its error on.
    int AppendRowItem(TNERow& Row, int ImageIndex);

private:
    // Makes the row's item again, in its sorted place.
    void RefreshRowItem(TNERow& Row);

    TNERowset* Rowset_ = nullptr;
    TNERowSource* RowSource_ = nullptr;
    TNEImageList Images_{16, 17};
};
