#include "ui/lists/NRowList.h"

#include "foundation/NLog.h"
#include "store/NRowset.h"
#include "store/NStore.h"
#include "ui/lists/NRowEditor.h"
#include "ui/platform/NDesktop.h"

#include <QStringList>

#include <algorithm>

namespace {

constexpr int NewColumnWidth = 27;

} // namespace

TNEAbstractRowList::TNEAbstractRowList(QWidget* Parent) : TNEListView(Parent)
{
    SetSmallImages(&Images_);
    Model().SetCompare([this](const TNEListItem& Left, const TNEListItem& Right) {
        return CompareListRows(Left.Data().Pointer<const TNERow>(), Right.Data().Pointer<const TNERow>());
    });
}

TNEAbstractRowList::~TNEAbstractRowList()
{
    // The compare callback calls into the derived list, which is gone by now.
    Model().SetCompare({});
}

TNERow* TNEAbstractRowList::RowOf(int Item) const
{
    return Item >= 0 && Item < Model().ItemCount() ? Model().Item(Item).Data().Pointer<TNERow>() : nullptr;
}

int TNEAbstractRowList::ItemOf(const TNERow* Row) const
{
    return Row ? Model().FindItemByData(TNEItemData(Row)) : -1;
}

void TNEAbstractRowList::ReloadRows()
{
    const TNEHourglass hourglass;
    const TNEListUpdate update(Model());
    Model().ClearItems();
    TNEColumnSizer sizer(*this);
    if (RowSource_) {
        for (RowSource_->First(); !RowSource_->IsDone(); RowSource_->Next()) {
            if (TNERow* row = RowSource_->Current())
                sizer.MeasureItem(AddRowItem(row));
        }
    }
    sizer.ApplyWidths();
}

int TNEAbstractRowList::CompareListRows(const TNERow* Left, const TNERow* Right) const
{
    return CompareRows(Left, Right);
}

void TNEAbstractRowList::SetRowSelected(TNERow*, bool) {}

bool TNEAbstractRowList::IsRowSelected(TNERow*) const
{
    return false;
}

void TNEAbstractRowList::SetRowset(TNERowset* Rowset)
{
    const TNEListUpdate update(Model());
    Model().ClearItems();
    Rowset_ = Rowset;
    Model().ClearColumns();
    for (int column = 0; Rowset && column < Rowset->ColumnCount(); ++column)
        Model().AddColumn(Rowset->Columns(column).Caption(), NewColumnWidth);
}

void TNEAbstractRowList::ClearRows()
{
    Model().ClearItems();
}

namespace {

// The texts of a row's item: the caption from column 0, one sub-item per further column.
QStringList ItemTexts(const TNERow& Row)
{
    QStringList texts;
    const int columns = Row.Rowset().ColumnCount();
    texts.reserve(std::max(columns, 1));
    for (int column = 0; column < columns; ++column)
        texts.append(Row.GetText(column));
    if (texts.isEmpty())
        texts.append(QString());
    return texts;
}

} // namespace

void TNEAbstractRowList::FillItem(int Item, TNERow& Row)
{
    Model().SetItemTexts(Item, ItemTexts(Row));
    Model().SetItemData(Item, TNEItemData(&Row));
}

void TNEAbstractRowList::FitColumnsToItem(int Item)
{
    if (Item < 0 || Item >= Model().ItemCount())
        return;
    const QFontMetrics metrics(font());
    const TNEListItem& item = Model().Item(Item);
    for (int column = 0; column < Model().ColumnCount(); ++column) {
        const int extra = column == 0 ? Images_.Width() + 10 : 14;
        const int needed = metrics.horizontalAdvance(item.Text(column)) + extra;
        if (Model().Column(column).Width < needed)
            Model().SetColumnWidth(column, needed);
    }
}

int TNEAbstractRowList::AppendRowItem(TNERow& Row, int ImageIndex)
{
    // The texts are read before the item exists, so a failing read leaves nothing behind.
    return Model().AddItem(ItemTexts(Row), TNEItemData(&Row), ImageIndex);
}

void TNEAbstractRowList::InsertNewRow()
{
    if (!Rowset_)
        return;
    TNERowEditor editor(this);
    editor.SetSelected(false);
    if (TNERow* row = editor.Execute(*Rowset_, -1)) {
        int focused = -1;
        {
            const TNEListUpdate update(Model());
            SetFocusedItem(AddRowItem(row));
            focused = FocusedItem();
            if (focused >= 0)
                FitColumnsToItem(focused);
        }
        if (focused < 0)
            return;
        SetRowSelected(row, editor.Selected());
    }
    SelectListItem(this, FocusedItem());
}

void TNEAbstractRowList::EditCurrentRow()
{
    TNERow* row = RowOf(FocusedItem());
    if (!row)
        return;
    TNERowEditor editor(this);
    editor.SetSelected(IsRowSelected(row));
    const TNEStore& store = row->Rowset().Store();
    const std::uint64_t changesBefore = store.ChangeCount();
    editor.Execute(row->Rowset(), row->ID());
    // A cancelled run changed nothing. An editor that reaches no other row changed this one alone, so only its
    // item is made again, which keeps an edit instant in a long list; otherwise any row may have changed.
    if (editor.Accepted() || store.ChangeCount() != changesBefore) {
        if (TNERowEditor::EditsOnlyItsRow(row->Rowset()))
            RefreshRowItem(*row);
        else
            ReloadRows();
    }
    SelectListItem(this, ItemOf(row));
    SetRowSelected(row, editor.Selected());
}

void TNEAbstractRowList::RefreshRowItem(TNERow& Row)
{
    if (const int item = ItemOf(&Row); item >= 0)
        Model().RemoveItem(item);
    FitColumnsToItem(AddRowItem(&Row));
}

void TNEAbstractRowList::DeleteCurrentRow()
{
    const int focused = FocusedItem();
    TNERow* row = RowOf(focused);
    if (!row)
        return;
    if (row->EngagedCount() > 0) {
        ShowWarning(QStringLiteral("A referenced row cannot be deleted"));
        return;
    }
    row->Rowset().DeleteRow(row->ID());
    // A list that follows its rowset may have dropped the item already.
    if (const int item = Model().FindItemByData(TNEItemData(row)); item >= 0)
        Model().RemoveItem(item);
    SelectListItem(this, FocusedItem());
}

void TNEAbstractRowList::RefreshRows()
{
    ReloadRows();
    SelectListItem(this, -1);
}
