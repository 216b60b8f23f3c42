#include "ui/lists/NLinkPage.h"

#include "store/NRowset.h"
#include "ui/actions/NActionButton.h"
#include "ui/actions/NControl.h"
#include "ui/lists/NListPanel.h"
#include "ui/lists/NRowEditor.h"
#include "ui/lists/NRowPicker.h"

#include <QResizeEvent>

namespace {

constexpr int Gap = 8;
constexpr TNEKeyCode vkF5 = vkF1 + 4;

} // namespace

TNERowEditorList::TNERowEditorList(QWidget* Parent) : TNEAbstractRowList(Parent)
{
    const QColor listColor = palette().color(QPalette::Base);
    AddShadedGlyph(Images(), 25, listColor, true); // not selected
    AddShadedGlyph(Images(), 24, listColor, true); // selected
}

void TNERowEditorList::ReloadRows()
{
    if (!Links_) {
        TNEAbstractRowList::ReloadRows();
        return;
    }
    TNERowIterator rows(*Links_);
    SetRowSource(&rows);
    TNEAbstractRowList::ReloadRows();
    SetRowSource(nullptr);
}

int TNERowEditorList::RankOf(const TNERow* Row) const
{
    TNERow* row = const_cast<TNERow*>(Row);
    return Links_ && Links_->Ranked() && Links_->Contains(row) ? Links_->RankOf(row) : 0;
}

int TNERowEditorList::CompareListRows(const TNERow* Left, const TNERow* Right) const
{
    const int left = RankOf(Left);
    const int right = RankOf(Right);
    if (left >= 1 && right >= 1 && left != right)
        return left < right ? -1 : 1;
    if ((left >= 1) != (right >= 1))
        return left >= 1 ? -1 : 1;
    return TNEAbstractRowList::CompareListRows(Left, Right);
}

int TNERowEditorList::AddRowItem(TNERow* Row)
{
    if (Links_ && !Links_->Contains(Row))
        Links_->Add(Row);
    return AppendRowItem(*Row, 0);
}

TNERowEditorController::TNERowEditorController(TNEListView& List, TNERowEditor& Editor)
    : TNEListController(List), Editor_(Editor)
{}

void TNERowEditorController::ListKeyDown(TNEShortCut& Key)
{
    TNEListController::ListKeyDown(Key);
    TNELinkPage* page = Editor_.CurrentPage();
    if (Key == 0 || !page)
        return;
    if (page->Controller().ExecuteShortCut(Key)) {
        Key = 0;
    } else if (Key == ShortCut(vkF5)) {
        Key = 0;
        page->List().RefreshRows();
    }
}

void TNERowEditorController::ListMouseDown(Qt::MouseButton Button, Qt::KeyboardModifiers Modifiers, int X, int Y)
{
    TNEListController::ListMouseDown(Button, Modifiers, X, Y);
    TNELinkPage* page = Editor_.CurrentPage();
    if (page && Button == Qt::LeftButton && ListView() && ListView()->ItemAt(X, Y) >= 0)
        page->Controller().ExecuteAction(ListView(), {page, &TNELinkPage::Edit});
}

TNELinkPage::TNELinkPage(TNERowEditor& Editor, TNELinkKind Kind, QWidget* Parent)
    : QWidget(Parent), Editor_(Editor), Kind_(Kind), Controller_(new TNEActionController(this))
{
    Controller_->SetActionLock(Editor.Controller().ActionLock());
    // The page's captions take the letters the editor's own commands leave free.
    Controller_->ExcludeAccelerators(InitAcceleratorKeys() & ~Editor.FreeAccelerators());
    AddCommands();
    ActionOutline_ = new TNEOutlinePanel(this);
    ActionView_ = new TNEActionView(ActionOutline_);
    Controller_->BuildView(*ActionView_);
    ActionOutline_->SetInnerWidth(ActionView_->width());
    ActionOutline_->SetClient(ActionView_);

    ListPanel_ = new TNEListPanel(this);
    ListPanel_->move(ActionOutline_->width() + Gap, 0);
    List_ = new TNERowEditorList(ListPanel_);
    ListController_ = std::make_unique<TNERowEditorController>(*List_, Editor);
    List_->OnSelectItem = {this, &TNELinkPage::SelectItem};
    ListPanel_->AttachList(List_);
    hide();
}

TNELinkPage::~TNELinkPage()
{
    ListController_.reset();
}

void TNELinkPage::AddCommands()
{
    const bool shared = Kind_ == lkShared;
    if (shared)
        Controller_->AddAction(26, QStringLiteral("Pick..."), {this, &TNELinkPage::Pick}, ShortCut(vkInsert),
                               QStringLiteral("Pick from the list of available rows"));
    else
        Controller_->AddAction(27, QStringLiteral("I&nsert..."), {this, &TNELinkPage::Insert}, ShortCut(vkInsert),
                               QStringLiteral("Insert a new row"));
    const TNECommand<TNELinkPage> commands[] = {
        {28, "&Edit...", &TNELinkPage::Edit, ShortCut(vkF1 + 1), "Edit the current row"},
        {29, "&Delete", &TNELinkPage::Delete, ShortCut(vkDelete),
         shared ? "Remove the current row from the list of rows" : "Delete the current row"},
        {10, "&Clear All", &TNELinkPage::ClearAll, ShortCut(vkDelete, scCtrl), "Clear the list of rows"},
        {30, "Move Up", &TNELinkPage::MoveUp, ShortCut(vkUp, scShift), "Move the current row up"},
        {31, "Move Down", &TNELinkPage::MoveDown, ShortCut(vkDown, scShift), "Move the current row down"},
    };
    AddCommandTable(*Controller_, this, commands);
}

void TNELinkPage::ShowLinks(TNEVirtualRowsetLinks& Links)
{
    // Links that could not be written at OK are shown, not changed.
    const bool writable = Links.LinkRowset() && Links.LinkRowset()->Mode() == rmActive;
    Writable_ = writable;
    for (const auto command : {&TNELinkPage::Pick, &TNELinkPage::Insert, &TNELinkPage::Delete, &TNELinkPage::ClearAll})
        Controller_->SetActionEnabled(writable, {this, command});
    Controller_->SetActionEnabled(writable && Links.Ranked(), {this, &TNELinkPage::MoveUp});
    Controller_->SetActionEnabled(writable && Links.Ranked(), {this, &TNELinkPage::MoveDown});
    {
        const TNEListUpdate update(List_->Model());
        List_->SetLinks(&Links);
        List_->SetRowset(Links.Rowset());
        List_->ReloadRows();
    }
    SelectListItem(List_, -1);
}

void TNELinkPage::FocusPage()
{
    if (List_->Model().ItemCount() == 0 && ActionView_->FocusNextEnabled())
        return;
    List_->setFocus(Qt::OtherFocusReason);
}

void TNELinkPage::resizeEvent(QResizeEvent* Event)
{
    QWidget::resizeEvent(Event);
    ActionOutline_->resize(ActionOutline_->width(), height());
    ListPanel_->resize(width() - ActionOutline_->width() - Gap, height());
}

void TNELinkPage::SelectItem(int Item, bool Selected)
{
    List_->Model().SetItemImage(Item, Selected ? 1 : 0);
}

void TNELinkPage::Pick(QObject*)
{
    TNEVirtualRowsetLinks* links = List_->Links();
    if (!links)
        return;
    TNERowPicker picker(&Editor_);
    picker.SetMultiPick(true);
    picker.Execute(*links);
    List_->RefreshRows();
    Editor_.RefreshReferences();
}

void TNELinkPage::Insert(QObject*)
{
    List_->InsertNewRow();
}

void TNELinkPage::Edit(QObject*)
{
    List_->EditCurrentRow();
}

void TNELinkPage::Delete(QObject*)
{
    // Rows of a unique link belong to the edited row: once unlinked they go when the editor closes.
    if (Kind_ == lkUnique && List_->Rowset())
        Editor_.AddToPurgeSet(*List_->Rowset());
    TNERow* row = List_->RowOf(List_->FocusedItem());
    if (!row || !List_->Links())
        return;
    List_->Links()->Remove(row);
    List_->Model().RemoveItem(List_->FocusedItem());
    SelectListItem(List_, List_->FocusedItem());
}

void TNELinkPage::ClearAll(QObject*)
{
    if (!List_->Links())
        return;
    if (Kind_ == lkUnique && List_->Rowset())
        Editor_.AddToPurgeSet(*List_->Rowset());
    List_->Links()->Clear();
    List_->ReloadRows();
}

void TNELinkPage::MoveUp(QObject*)
{
    Move(true);
}

void TNELinkPage::MoveDown(QObject*)
{
    Move(false);
}

void TNELinkPage::Move(bool Up)
{
    TNERow* row = List_->RowOf(List_->FocusedItem());
    TNEVirtualRowsetLinks* links = List_->Links();
    if (!row || !links)
        return;
    Up ? links->MoveUp(row) : links->MoveDown(row);
    // The new order shows at once, the same row current.
    List_->Model().Sort();
    SelectListItem(List_, List_->ItemOf(row));
}
