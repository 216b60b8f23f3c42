#include "ui/lists/NRowPicker.h"

#include "store/NRowset.h"
#include "ui/actions/NActionButton.h"
#include "ui/lists/NListPanel.h"

#include <QEvent>
#include <QMouseEvent>

namespace {

constexpr int Margin = 8;
constexpr int MinimumPickerSize = 400;
// Presses left of this go to the selection glyph.
constexpr int GlyphColumnWidth = 17;
constexpr TNEKeyCode vkF5 = vkF1 + 4;
constexpr TNEKeyCode vkF6 = vkF1 + 5;

} // namespace

TNERowPickerList::TNERowPickerList(QWidget* Parent) : TNEAbstractRowList(Parent)
{
    SetMultiPick(true);
    Selection_.Rows().ObservationPoint().AddObserver({this, &TNERowPickerList::SelectionChanged});
    OnColumnClick = {this, &TNERowPickerList::HeaderClicked};
    setMouseTracking(true);
}

TNERowPickerList::~TNERowPickerList()
{
    Observe(Rowset(), false);
    Selection_.Rows().ObservationPoint().RemoveObserver({this, &TNERowPickerList::SelectionChanged});
}

void TNERowPickerList::SetMultiPick(bool Value)
{
    MultiPick_ = Value;
    Images().Clear();
    const QColor listColor = palette().color(QPalette::Base);
    // Not picked, then picked: check boxes for several rows, radio buttons for one.
    AddShadedGlyph(Images(), Value ? 21 : 25, listColor, true);
    AddShadedGlyph(Images(), Value ? 20 : 24, listColor, true);
    viewport()->update();
}

void TNERowPickerList::ReloadRows()
{
    if (Rowset()) {
        TNERowIterator rows(*Rowset());
        SetRowSource(&rows);
        TNEAbstractRowList::ReloadRows();
        SetRowSource(nullptr);
    } else {
        TNEAbstractRowList::ReloadRows();
    }
    AutoSizeSortColumn();
}

int TNERowPickerList::CompareListRows(const TNERow* Left, const TNERow* Right) const
{
    const int column = SortColumn();
    int order = column >= 0 && column < Model().ColumnCount() ? CompareField(Left, Right, column) : 0;
    if (order == 0)
        order = TNEAbstractRowList::CompareListRows(Left, Right);
    return SortDirection() == 1 ? order : -order;
}

int TNERowPickerList::AddRowItem(TNERow* Row)
{
    return AppendRowItem(*Row, IsRowSelected(Row) ? 1 : 0);
}

void TNERowPickerList::SetRowSelected(TNERow* Row, bool Value)
{
    if (!Row)
        return;
    const bool selected = Selection_.Rows().Contains(Row);
    if (Value && !selected) {
        if (!MultiPick_)
            Selection_.Rows().Clear();
        Selection_.Rows().Add(Row);
    } else if (!Value && selected) {
        Selection_.Rows().Remove(Row);
    }
}

bool TNERowPickerList::IsRowSelected(TNERow* Row) const
{
    return Row && const_cast<TNERowContainer&>(Selection_).Rows().Contains(Row);
}

void TNERowPickerList::SetRowset(TNERowset* Rowset)
{
    Selection_.Rows().Clear();
    Observe(this->Rowset(), false);
    TNEAbstractRowList::SetRowset(Rowset);
    Observe(Rowset, true);
}

void TNERowPickerList::ClearRows()
{
    Selection_.Rows().Clear();
    TNEAbstractRowList::ClearRows();
}

void TNERowPickerList::ToggleFocusedRow()
{
    if (TNERow* row = RowOf(FocusedItem()))
        SetRowSelected(row, !IsRowSelected(row));
}

void TNERowPickerList::Observe(TNERowset* Rowset, bool Value)
{
    if (!Rowset)
        return;
    if (Value)
        Rowset->ObservationPoint().AddObserver({this, &TNERowPickerList::RowsetChanged});
    else
        Rowset->ObservationPoint().RemoveObserver({this, &TNERowPickerList::RowsetChanged});
}

void TNERowPickerList::SelectionChanged(TNEContainerBase* Sender)
{
    const TNEContainerEvent event = Sender->LastEvent();
    if ((event != TNEContainerEvent::ItemAdded && event != TNEContainerEvent::ItemRemoved) || !Rowset())
        return;
    // A row leaving the pick while it is deleted is still in its rowset.
    if (const int item = ItemOf(Rowset()->FindRow(Sender->EventKey())); item >= 0)
        Model().SetItemImage(item, event == TNEContainerEvent::ItemAdded ? 1 : 0);
}

void TNERowPickerList::RowsetChanged(TNERowset* Sender)
{
    if (Sender->LastEvent() == TNERowsetEvent::Destroying) {
        Observe(Sender, false);
        ClearRows();
        TNEAbstractRowList::SetRowset(nullptr);
    } else if (Sender->LastEvent() == TNERowsetEvent::RowDeleting) {
        TNERow* row = Sender->EventRow();
        SetRowSelected(row, false);
        if (const int item = ItemOf(row); item >= 0)
            Model().RemoveItem(item);
    }
}

void TNERowPickerList::HeaderClicked(int Column)
{
    if (Controller())
        Controller()->ClearSearch();
    if (Column == SortColumn())
        SetSortDirection(1 - SortDirection());
    else
        SetSortColumn(Column);
    ReloadRows();
    SelectListItem(this, -1);
}

void TNERowPickerList::mousePressEvent(QMouseEvent* Event)
{
    const QPoint point = Event->position().toPoint();
    const int item = ItemAt(point.x(), point.y());
    if (Event->button() != Qt::LeftButton || point.x() >= GlyphColumnWidth || item < 0) {
        TNEAbstractRowList::mousePressEvent(Event);
        return;
    }
    // The glyph flips the pick and does nothing else.
    setFocus(Qt::MouseFocusReason);
    SelectListItem(this, item);
    ToggleFocusedRow();
    Event->accept();
}

void TNERowPickerList::mouseMoveEvent(QMouseEvent* Event)
{
    SetHotTrack(Event->position().x() >= GlyphColumnWidth);
    TNEAbstractRowList::mouseMoveEvent(Event);
}

TNERowPickerController::TNERowPickerController(TNEListView& List, TNERowPicker* Picker)
    : TNEListController(List), Picker_(Picker)
{
    List.SetColumnClick(true);
    List.SetSortDirection(1);
    List.SetSortColumn(0);
}

void TNERowPickerController::ListKeyDown(TNEShortCut& Key)
{
    TNEListController::ListKeyDown(Key);
    if (Key == 0 || !Picker_)
        return;
    if (Picker_->Controller().ExecuteShortCut(Key)) {
        Key = 0;
    } else if (Key == ShortCut(vkF5)) {
        Key = 0;
        Picker_->List().RefreshRows();
    } else if (Key == ShortCut(vkEnter) || Key == ShortCut(vkSpace)) {
        Key = 0;
        Picker_->List().ToggleFocusedRow();
    }
}

void TNERowPickerController::ListMouseDown(Qt::MouseButton Button, Qt::KeyboardModifiers Modifiers, int X, int Y)
{
    TNEListController::ListMouseDown(Button, Modifiers, X, Y);
    if (Picker_ && Button == Qt::LeftButton && ListView() && ListView()->ItemAt(X, Y) >= 0)
        Picker_->List().EditCurrentRow();
}

TNERowPicker::TNERowPicker(QObject* Owner) : TNEBaseFrame(Owner), Controller_(new TNEActionController(this))
{
    TNEForm& form = Form();
    Window_ = &form;
    form.SetKeyPreview(true);
    form.setMinimumSize(MinimumPickerSize, MinimumPickerSize);
    form.OnKeyDown = {this, &TNERowPicker::FormKeyDown};

    Controller_->SetActionLock(new TNEActionLock(Controller_));
    AddCommands();
    ActionOutline_ = CreateCommandOutline(*Controller_, Margin, ActionView_);

    ListPanel_ = new TNEListPanel(&form);
    ListPanel_->move(ActionOutline_->width() + 2 * Margin, Margin);
    List_ = new TNERowPickerList(ListPanel_);
    ListController_ = std::make_unique<TNERowPickerController>(*List_, this);
    ListPanel_->AttachList(List_);

    form.installEventFilter(this);
    LayOut();
}

TNERowPicker::~TNERowPicker()
{
    if (Window_)
        Window_->removeEventFilter(this);
    ListController_.reset();
}

void TNERowPicker::AddCommands()
{
    const TNECommand<TNERowPicker> commands[] = {
        {27, "I&nsert...", &TNERowPicker::Insert, ShortCut(vkInsert), "Insert a new row", true},
        {28, "&Edit...", &TNERowPicker::Edit, ShortCut(vkF1 + 1), "Edit the current row", true},
        {29, "&Delete", &TNERowPicker::Delete, ShortCut(vkDelete), "Delete the current row", true},
        {10, "&Reset All", &TNERowPicker::ResetAll, ShortCut(vkDelete, scCtrl), "Unselect all rows", true},
        {5, "OK", &TNERowPicker::Ok, ShortCut(vkEnter, scCtrl), "Accept and close the window", false},
        {6, "Cancel", &TNERowPicker::Cancel, ShortCut(vkEscape), "Discard changes and close the window", false},
    };
    AddCommandTable(*Controller_, this, commands);
}

void TNERowPicker::SetMultiPick(bool Value)
{
    List_->SetMultiPick(Value);
}

void TNERowPicker::SetAllowNone(bool Value)
{
    List_->SetAllowNone(Value);
}

bool TNERowPicker::Execute(TNEVirtualRowset& Rows)
{
    TNERowset* rowset = Rows.Rowset();
    if (!rowset)
        throw ENEInvalidRowsetErr();
    const bool active = rowset->Mode() == rmActive;
    Form().setWindowTitle(QStringLiteral("Pick ") + rowset->Caption() +
                          (active ? QString() : QStringLiteral(" (Read-Only)")));
    Controller_->SetActionEnabled(active, {this, &TNERowPicker::Delete});
    Controller_->SetActionEnabled(active, {this, &TNERowPicker::Insert});
    Controller_->SetActionEnabled(List_->AllowNone(), {this, &TNERowPicker::ResetAll});

    List_->SetRowset(rowset);
    List_->ReloadRows();
    TNERowIterator picked(Rows);
    for (picked.First(); !picked.IsDone(); picked.Next())
        List_->SetRowSelected(picked.Current(), true);
    int current = -1;
    for (int item = 0; item < List_->Model().ItemCount() && current < 0; ++item) {
        if (List_->IsRowSelected(List_->RowOf(item)))
            current = item;
    }
    SelectListItem(List_, current);
    Form().SetActiveControl(List_);
    Accepted_ = false;
    ShowModal();
    if (Accepted_) {
        Rows.Clear();
        TNERowIterator rows(List_->Selection());
        for (rows.First(); !rows.IsDone(); rows.Next())
            Rows.Add(rows.Current());
    }
    List_->ClearRows();
    return Accepted_;
}

void TNERowPicker::LayOut()
{
    const int height = Form().height() - 2 * Margin;
    ActionOutline_->resize(ActionOutline_->width(), height);
    ListPanel_->resize(Form().width() - ActionOutline_->width() - 3 * Margin, height);
}

bool TNERowPicker::eventFilter(QObject* Watched, QEvent* Event)
{
    if (Watched == Window_ && Event->type() == QEvent::Resize)
        LayOut();
    return TNEBaseFrame::eventFilter(Watched, Event);
}

void TNERowPicker::FormKeyDown(TNEShortCut& Key)
{
    if (Key != ShortCut(vkF6))
        return;
    Key = 0;
    Form().SetActiveControl(List_);
}

void TNERowPicker::Insert(QObject*)
{
    List_->InsertNewRow();
}

void TNERowPicker::Edit(QObject*)
{
    List_->EditCurrentRow();
}

void TNERowPicker::Delete(QObject*)
{
    List_->DeleteCurrentRow();
}

void TNERowPicker::ResetAll(QObject*)
{
    List_->Selection().Rows().Clear();
    List_->RefreshRows();
}

void TNERowPicker::Ok(QObject*)
{
    Accepted_ = true;
    Form().accept();
}

void TNERowPicker::Cancel(QObject*)
{
    Form().reject();
}
