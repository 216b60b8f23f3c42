#include "ui/lists/NRowEditor.h"

#include "foundation/NFieldList.h"
#include "foundation/NInteger.h"
#include "foundation/NLog.h"
#include "foundation/NSecureBuffer.h"
#include "store/NRowset.h"
#include "ui/actions/NActionButton.h"
#include "ui/lists/NFieldEdit.h"
#include "ui/lists/NLinkPage.h"
#include "ui/lists/NListPanel.h"
#include "ui/platform/NApplication.h"
#include "ui/platform/NDesktop.h"

#include <QApplication>
#include <QEvent>
#include <QHeaderView>
#include <QScrollArea>
#include <QTreeWidget>

#include <algorithm>

namespace {

constexpr int Margin = 8;
constexpr int MinimumEditorSize = 400;
constexpr int FieldGap = 8;
constexpr QRgb FieldBoxColor = 0xF6F3F1;
constexpr int FieldPageImage = 0;
constexpr int LinkPageImage = 1;
// What a link node carries: the index of its links.
constexpr int LinksRole = Qt::UserRole;
constexpr int SelectedGlyph = 20;
constexpr int UnselectedGlyph = 21;
constexpr TNEKeyCode vkF6 = vkF1 + 5;

// Candidate as a link page of the editor of Edited's rows: a link rowset made after Edited, whose links point at
// Edited's rows from its source rowset; nullptr for any other rowset.
TNERowset_Link* LinkPageRowset(TNERowset& Candidate, const TNERowset& Edited)
{
    auto* link = Candidate.Kind() == rkLink ? static_cast<TNERowset_Link*>(&Candidate) : nullptr;
    if (!link || link->ID() <= Edited.ID() || link->TargetRowsetID() != Edited.ID() || !link->SourceRowset())
        return nullptr;
    return link;
}

// Runs its work when the scope is left, however it is left.
template <typename Work> class TScopeExit
{
public:
    explicit TScopeExit(Work Action) : Action_(std::move(Action)) {}
    ~TScopeExit() { Action_(); }
    TScopeExit(const TScopeExit&) = delete;
    TScopeExit& operator=(const TScopeExit&) = delete;

private:
    Work Action_;
};

} // namespace

TNERowEditorScrollBox::TNERowEditorScrollBox(QWidget* Parent)
    : TNEOutlinePanel(Parent), ScrollBox_(new QScrollArea(this)), Content_(new QWidget)
{
    ScrollBox_->setFrameShape(QFrame::NoFrame);
    ScrollBox_->setWidgetResizable(true);
    QPalette palette = Content_->palette();
    palette.setColor(QPalette::Window, QColor(FieldBoxColor));
    Content_->setPalette(palette);
    Content_->setAutoFillBackground(true);
    ScrollBox_->setWidget(Content_);
    SetClient(ScrollBox_);
}

void TNERowEditorScrollBox::FitContent()
{
    const QRect used = Content_->childrenRect();
    Content_->setMinimumSize(used.right() + 1 + Margin, used.bottom() + 1 + Margin);
}

TNERowEditor::TNERowEditor(QObject* Owner)
    : TNEBaseFrame(Owner), Controller_(new TNEActionController(this)),
      HasSelectCommand_(Owner && Owner->inherits("TNERowPickerList"))
{
    TNEForm& form = Form();
    Window_ = &form;
    form.SetKeyPreview(true);
    form.setMinimumSize(MinimumEditorSize, MinimumEditorSize);
    form.OnKeyDown = {this, &TNERowEditor::FormKeyDown};

    Controller_->SetActionLock(new TNEActionLock(Controller_));
    AddCommands();
    ActionOutline_ = CreateCommandOutline(*Controller_, Margin, ActionView_);
    CommandAccelerators_ = InitAcceleratorKeys() & ~Controller_->CollectAccelerators();
    FreeAccelerators_ = CommandAccelerators_;

    TreeOutline_ = new TNEOutlinePanel(&form);
    TreeOutline_->setGeometry(ActionOutline_->width() + 2 * Margin, Margin, DefaultFormWidth() / 5, 0);
    PageTree_ = new QTreeWidget(TreeOutline_);
    PageTree_->setHeaderHidden(true);
    PageTree_->setFrameShape(QFrame::NoFrame);
    PageTree_->setSelectionMode(QAbstractItemView::SingleSelection);
    PageTree_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    PageTree_->setIconSize(QSize(TreeImages_.Width(), TreeImages_.Height()));
    const QColor treeColor = PageTree_->palette().color(QPalette::Base);
    for (const int glyph : {16, 26}) // the field page, a link page
        AddShadedGlyph(TreeImages_, glyph, treeColor, true);
    TreeOutline_->SetClient(PageTree_);
    connect(PageTree_, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* Current) { RunEventHandler([this, Current] { ShowPage(Current); }); });

    FieldBox_ = new TNERowEditorScrollBox(&form);
    FieldBox_->move(ActionOutline_->width() + TreeOutline_->width() + 3 * Margin, Margin);
    PickPage_ = new TNELinkPage(*this, lkShared, &form);
    InsertPage_ = new TNELinkPage(*this, lkUnique, &form);

    form.installEventFilter(this);
    LayOut();
}

TNERowEditor::~TNERowEditor()
{
    if (Window_)
        Window_->removeEventFilter(this);
    Editors_.clear();
}

void TNERowEditor::AddToPurgeSet(TNERowset& Rowset)
{
    if (std::find(PurgeSet_.begin(), PurgeSet_.end(), &Rowset) == PurgeSet_.end())
        PurgeSet_.push_back(&Rowset);
}

void TNERowEditor::AddCommands()
{
    // Only an editor opened from a row picker list selects its row there.
    if (HasSelectCommand_)
        Controller_->AddAction(UnselectedGlyph, QStringLiteral("Select"), {this, &TNERowEditor::Select},
                               ShortCut(vkSpace, scCtrl),
                               QStringLiteral("Select the main row in the previous list of rows"));
    const TNECommand<TNERowEditor> commands[] = {
        {2, "Page &Up", &TNERowEditor::PageUp, ShortCut(vkPageUp, scCtrl), "Go to the previous page", true},
        {3, "Page D&own", &TNERowEditor::PageDown, ShortCut(vkPageDown, scCtrl), "Go to the next page", true},
        {5, "OK", &TNERowEditor::Ok, ShortCut(vkEnter, scCtrl), "Accept and close the window", false},
        {6, "Cancel", &TNERowEditor::Cancel, ShortCut(vkEscape), "Discard changes and close the window", false},
    };
    AddCommandTable(*Controller_, this, commands);
}

void TNERowEditor::SetSelected(bool Value)
{
    Selected_ = Value;
    if (HasSelectCommand_ && Controller_->Active())
        Controller_->SetActionGlyph(Value ? SelectedGlyph : UnselectedGlyph, {this, &TNERowEditor::Select});
}

TNEFieldValue& TNERowEditor::Value(int Column)
{
    return Values_.at(std::size_t(Column));
}

bool TNERowEditor::EditsOnlyItsRow(TNERowset& Rowset)
{
    for (int column = 0; column < Rowset.ColumnCount(); ++column) {
        if (Rowset.Columns(column).Kind() == ckReference)
            return false;
    }
    TNERowsetIterator rowsets(Rowset.Store());
    for (rowsets.First(); !rowsets.IsDone(); rowsets.Next()) {
        if (LinkPageRowset(*rowsets.Current(), Rowset))
            return false;
    }
    return true;
}

TNERow* TNERowEditor::Execute(TNERowset& Rowset, std::int32_t ID)
{
    const bool inserting = ID < 0;
    const bool readOnly = Rowset.Mode() == rmStatic;
    QString caption = (inserting ? QStringLiteral("Insert ") : QStringLiteral("Edit ")) + Rowset.Caption();
    if (readOnly)
        caption += QStringLiteral(" (Read-Only)");
    Form().setWindowTitle(caption);
    Controller_->SetActionEnabled(!readOnly, {this, &TNERowEditor::Ok});
    const bool selectedBefore = Selected_;
    SetSelected(selectedBefore);

    const TScopeExit endRun([this] { EndRun(); });
    LoadValues(Rowset, ID);
    {
        const TNEHourglass hourglass;
        BuildTree();
        CreateEditors();
    }
    if (!Editors_.empty())
        Form().SetActiveControl(Editors_.front()->FocusControl());
    Accepted_ = false;
    ShowModal();
    const TNEHourglass hourglass;
    TNERow* result = nullptr;
    if (Accepted_)
        result = Commit();
    else
        SetSelected(selectedBefore);
    Purge();
    return result;
}

void TNERowEditor::Purge()
{
    const std::vector<TNERowset*> rowsets = std::move(PurgeSet_);
    PurgeSet_.clear();
    for (TNERowset* rowset : rowsets)
        rowset->DeleteUnengagedRows();
}

void TNERowEditor::LoadValues(TNERowset& Rowset, std::int32_t ID)
{
    const int columns = Rowset.ColumnCount();
    Values_.assign(std::size_t(columns), {});
    if (ID >= 0) {
        Row_ = Rowset.FindRow(ID);
        if (!Row_)
            throw ENEInvalidIndexErr();
        for (int column = 0; column < columns; ++column) {
            TNEFieldValue& value = Values_[std::size_t(column)];
            if (Rowset.Columns(column).Kind() == ckReference) {
                const TNERow* target = Row_->GetReference(column);
                value.Reference = target ? target->ID() : -1;
            } else {
                value.Text = Row_->GetString(column);
            }
        }
    } else {
        // A new row starts with the rowset's defaults, as InsertRow would give them.
        const QString defaults = Rowset.GetDefaults();
        qsizetype position = 0;
        for (int column = 0; column < columns; ++column) {
            const QString item = NextItem(position, defaults);
            TNEFieldValue& value = Values_[std::size_t(column)];
            if (Rowset.Columns(column).Kind() == ckReference) {
                const std::int32_t target = ParseInteger(item, -1);
                value.Reference = Rowset.Store().FindRow(Rowset.Columns(column).Size(), target) ? target : -1;
            } else {
                value.Text = item;
            }
        }
        Row_ = nullptr;
    }
    Rowset_ = &Rowset;
    RowID_ = Row_ ? ID : Rowset.NextID();
}

TNERow* TNERowEditor::Commit()
{
    for (const std::unique_ptr<TNEFieldEdit>& editor : Editors_)
        editor->StoreValue();
    TNERowset& rowset = *Rowset_;
    TNERow* row = Row_;
    if (!row) {
        QString values;
        for (int column = 0; column < rowset.ColumnCount(); ++column) {
            const TNEFieldValue& value = Values_[std::size_t(column)];
            const bool isReference = rowset.Columns(column).Kind() == ckReference;
            AppendItem(values, isReference ? (value.Reference >= 0 ? QString::number(value.Reference) : QString())
                                           : value.Text);
        }
        // The ID taken when the editor opened, unless a nested editor has given it to a row of its own.
        row = rowset.FindRow(rowset.InsertRow(values, rowset.FindRow(RowID_) ? -1 : RowID_));
        Row_ = row;
    }
    // An empty value reads as the column's default on insertion; the row gets exactly what the fields show.
    for (int column = 0; column < rowset.ColumnCount(); ++column) {
        const TNEColumn& definition = rowset.Columns(column);
        const TNEFieldValue& value = Values_[std::size_t(column)];
        if (definition.Kind() == ckReference)
            row->SetReference(column, rowset.Store().FindRow(definition.Size(), value.Reference));
        else
            row->SetString(column, value.Text);
    }
    row->Post();
    RetargetLinks(row->ID());
    for (const std::unique_ptr<TNEVirtualRowsetLinks>& links : NodeLinks_)
        links->Apply();
    return row;
}

void TNERowEditor::RetargetLinks(std::int32_t ID)
{
    for (std::unique_ptr<TNEVirtualRowsetLinks>& links : NodeLinks_) {
        if (links->TargetID() == ID || !links->LinkRowset())
            continue;
        auto moved = std::make_unique<TNEVirtualRowsetLinks>(*links->LinkRowset(), ID);
        moved->Clear();
        std::vector<TNERow*> rows;
        TNERowIterator walk(*links);
        for (walk.First(); !walk.IsDone(); walk.Next())
            rows.push_back(walk.Current());
        // Ranked rows keep their order: each row added takes the next rank.
        std::ranges::stable_sort(
            rows, [&links](TNERow* Left, TNERow* Right) { return links->RankOf(Left) < links->RankOf(Right); });
        for (TNERow* row : rows)
            moved->Add(row);
        links = std::move(moved);
    }
}

void TNERowEditor::EndRun()
{
    CurrentPage_ = nullptr;
    for (TNELinkPage* page : {PickPage_, InsertPage_}) {
        page->List().ClearRows();
        page->List().SetLinks(nullptr);
        page->hide();
    }
    // The fields and their values may hold secrets of the row; copies the row itself keeps stay untouched.
    for (const std::unique_ptr<TNEFieldEdit>& editor : Editors_) {
        editor->BurnControls();
        editor->DetachControls();
    }
    Editors_.clear();
    for (TNEFieldValue& value : Values_)
        TNESecureText(std::move(value.Text)).Burn();
    {
        const QSignalBlocker blocker(PageTree_);
        PageTree_->clear();
    }
    NodeLinks_.clear();
    PurgeSet_.clear();
    Values_.clear();
    FreeAccelerators_ = CommandAccelerators_;
    Rowset_ = nullptr;
    Row_ = nullptr;
}

void TNERowEditor::BuildTree()
{
    const QSignalBlocker blocker(PageTree_);
    PageTree_->clear();
    auto* fieldNode = new QTreeWidgetItem(PageTree_, {Rowset_->Caption()});
    fieldNode->setIcon(0, QIcon(QPixmap::fromImage(TreeImages_.Image(FieldPageImage))));
    TNEStore& store = Rowset_->Store();
    TNERowsetIterator rowsets(store);
    for (rowsets.First(); !rowsets.IsDone(); rowsets.Next()) {
        TNERowset_Link* link = LinkPageRowset(*rowsets.Current(), *Rowset_);
        if (!link)
            continue;
        NodeLinks_.push_back(std::make_unique<TNEVirtualRowsetLinks>(*link, RowID_));
        auto* node = new QTreeWidgetItem(fieldNode, {link->Caption()});
        node->setIcon(0, QIcon(QPixmap::fromImage(TreeImages_.Image(LinkPageImage))));
        node->setData(0, LinksRole, int(NodeLinks_.size() - 1));
    }
    try {
        SortChildren(*fieldNode);
    } catch (const std::exception&) {
        ShowNotice(QStringLiteral("Unable to sort the tree correctly"), mkInformation, true);
    }
    fieldNode->setExpanded(true);
    PageTree_->setCurrentItem(fieldNode);
    PageTree_->scrollToItem(fieldNode);
    const bool hasPages = fieldNode->childCount() > 0;
    Controller_->SetActionEnabled(hasPages, {this, &TNERowEditor::PageUp});
    Controller_->SetActionEnabled(hasPages, {this, &TNERowEditor::PageDown});
    ShowFieldPage();
}

void TNERowEditor::SortChildren(QTreeWidgetItem& Node)
{
    QList<QTreeWidgetItem*> children = Node.takeChildren();
    std::stable_sort(children.begin(), children.end(), [](const QTreeWidgetItem* Left, const QTreeWidgetItem* Right) {
        return QString::localeAwareCompare(Left->text(0), Right->text(0)) < 0;
    });
    Node.addChildren(children);
    for (QTreeWidgetItem* child : children)
        SortChildren(*child);
}

void TNERowEditor::CreateEditors()
{
    QWidget& box = FieldBox_->Content();
    const QFontMetrics metrics(Form().font());
    int labelWidth = 0;
    for (int column = 0; column < Rowset_->ColumnCount(); ++column) {
        const TNEColumn& definition = Rowset_->Columns(column);
        labelWidth = std::max(labelWidth, metrics.horizontalAdvance(definition.Caption()));
        const QString caption = AssignAccelerator(definition.Caption(), FreeAccelerators_) + u':';
        Editors_.push_back(CreateFieldEdit(definition, box, column, caption));
    }
    labelWidth += metrics.horizontalAdvance(QStringLiteral(":"));
    int top = Margin;
    for (const std::unique_ptr<TNEFieldEdit>& editor : Editors_) {
        top += editor->Arrange(labelWidth, top) + FieldGap;
        editor->LoadValue();
    }
    FieldBox_->FitContent();
}

std::unique_ptr<TNEFieldEdit> TNERowEditor::CreateFieldEdit(const TNEColumn& Column, QWidget& Box, int Index,
                                                            const QString& Caption)
{
    if (Column.Kind() == ckString) {
        if (Column.Flag())
            return std::make_unique<TNEFieldEdit_StringMemo>(*this, Box, Index, Caption);
        return std::make_unique<TNEFieldEdit_String>(*this, Box, Index, Caption);
    }
    // A list to choose from only where the rows cannot change and one must be chosen.
    const TNERowset* target = Rowset_->Store().FindRowset(Column.Size());
    if (target && target->Mode() == rmStatic && !Column.Flag())
        return std::make_unique<TNEFieldEdit_ReferenceCombo>(*this, Box, Index, Caption);
    return std::make_unique<TNEFieldEdit_Reference>(*this, Box, Index, Caption);
}

void TNERowEditor::RefreshReferences()
{
    for (const std::unique_ptr<TNEFieldEdit>& editor : Editors_) {
        if (auto* reference = dynamic_cast<TNEFieldEdit_Reference*>(editor.get()))
            reference->ShowReference();
    }
}

void TNERowEditor::ShowPage(QTreeWidgetItem* Node)
{
    if (!Node || !Node->parent()) {
        ShowFieldPage();
        return;
    }
    TNEVirtualRowsetLinks& links = *NodeLinks_.at(std::size_t(Node->data(0, LinksRole).toInt()));
    const bool shared = links.LinkRowset() && links.LinkRowset()->LinkKind() == lkShared;
    TNELinkPage* shown = shared ? PickPage_ : InsertPage_;
    FieldBox_->hide();
    (shared ? InsertPage_ : PickPage_)->hide();
    shown->show();
    CurrentPage_ = shown;
    shown->ShowLinks(links);
    if (!PageTree_->hasFocus())
        shown->FocusPage();
}

void TNERowEditor::ShowFieldPage()
{
    PickPage_->hide();
    InsertPage_->hide();
    CurrentPage_ = nullptr;
    FieldBox_->show();
    if (!PageTree_->hasFocus() && !Editors_.empty())
        Form().SetActiveControl(Editors_.front()->FocusControl());
}

void TNERowEditor::FocusPage()
{
    if (CurrentPage_)
        CurrentPage_->List().setFocus(Qt::OtherFocusReason);
    else if (!Editors_.empty())
        Form().SetActiveControl(Editors_.front()->FocusControl());
}

void TNERowEditor::LayOut()
{
    const int height = Form().height() - 2 * Margin;
    ActionOutline_->resize(ActionOutline_->width(), height);
    TreeOutline_->resize(TreeOutline_->width(), height);
    FieldBox_->resize(Form().width() - ActionOutline_->width() - TreeOutline_->width() - 4 * Margin, height);
    for (TNELinkPage* page : {PickPage_, InsertPage_})
        page->setGeometry(FieldBox_->geometry());
}

bool TNERowEditor::eventFilter(QObject* Watched, QEvent* Event)
{
    if (Watched == Window_ && Event->type() == QEvent::Resize)
        LayOut();
    return TNEBaseFrame::eventFilter(Watched, Event);
}

bool TNERowEditor::IsInFieldBox(const QWidget* Widget) const
{
    return Widget && FieldBox_->Content().isAncestorOf(Widget);
}

void TNERowEditor::MoveFocusInFieldBox(bool Backward)
{
    QWidget* current = Form().ActiveControl();
    QWidget* candidate = current;
    do {
        candidate = Backward ? candidate->previousInFocusChain() : candidate->nextInFocusChain();
        if (!candidate || candidate == current)
            return;
    } while (!IsInFieldBox(candidate) || !(candidate->focusPolicy() & Qt::TabFocus) || !candidate->isVisible() ||
             !candidate->isEnabled());
    candidate->setFocus(Backward ? Qt::BacktabFocusReason : Qt::TabFocusReason);
}

void TNERowEditor::FormKeyDown(TNEShortCut& Key)
{
    if (Key == 0)
        return;
    if (FieldBox_->isVisible()) {
        for (const std::unique_ptr<TNEFieldEdit>& editor : Editors_) {
            if (!editor->HasFocus())
                continue;
            editor->SetKeyHandled(false);
            editor->KeyHook(Key);
            if (editor->KeyHandled())
                return;
            break;
        }
    }
    if (Controller_->ExecuteShortCut(Key)) {
        Key = 0;
        return;
    }
    QWidget* focused = Form().ActiveControl();
    TNERowEditorList* linkList = CurrentPage_ ? &CurrentPage_->List() : nullptr;
    const bool movesLink = Key == ShortCut(vkUp, scShift) || Key == ShortCut(vkDown, scShift);
    if (Key == ShortCut(vkEnter) && focused == PageTree_) {
        Key = 0;
    } else if (movesLink && linkList && focused == linkList) {
        // The list would move its current item before its controller hears of the key.
        if (CurrentPage_->Controller().ExecuteShortCut(Key))
            Key = 0;
    } else if ((Key == ShortCut(vkEnter) || Key == ShortCut(vkSpace)) && linkList && focused == linkList) {
        Key = 0;
        if (linkList->FocusedItem() >= 0)
            CurrentPage_->Controller().ExecuteAction(linkList, {CurrentPage_, &TNELinkPage::Edit});
        else if (CurrentPage_->IsWritable())
            CurrentPage_->Controller().ExecuteAction(linkList, {CurrentPage_, &TNELinkPage::Insert});
    } else if (Key == ShortCut(vkF6)) {
        Key = 0;
        const TNEActionView& pageView = CurrentPage_ ? CurrentPage_->ActionView() : *ActionView_;
        if (focused != PageTree_ && !pageView.isAncestorOf(focused))
            PageTree_->setFocus(Qt::OtherFocusReason);
        else
            FocusPage();
    } else if ((Key == ShortCut(vkHome, scCtrl) || Key == ShortCut(vkEnd, scCtrl)) && PageTree_->topLevelItemCount()) {
        SelectEdgeNode(Key == ShortCut(vkEnd, scCtrl));
        Key = 0;
    } else if ((Key == ShortCut(vkEnter) || Key == ShortCut(vkEnter, scShift)) && IsInFieldBox(focused)) {
        const bool backward = Key == ShortCut(vkEnter, scShift);
        Key = 0;
        MoveFocusInFieldBox(backward);
    }
}

void TNERowEditor::SelectEdgeNode(bool Last)
{
    QTreeWidgetItem* node = PageTree_->topLevelItem(Last ? PageTree_->topLevelItemCount() - 1 : 0);
    while (Last && node->isExpanded() && node->childCount() > 0)
        node = node->child(node->childCount() - 1);
    PageTree_->setCurrentItem(node);
}

void TNERowEditor::Select(QObject*)
{
    SetSelected(!Selected_);
}

void TNERowEditor::PageUp(QObject*)
{
    if (QTreeWidgetItem* above = PageTree_->itemAbove(PageTree_->currentItem()))
        PageTree_->setCurrentItem(above);
}

void TNERowEditor::PageDown(QObject*)
{
    if (QTreeWidgetItem* below = PageTree_->itemBelow(PageTree_->currentItem()))
        PageTree_->setCurrentItem(below);
}

void TNERowEditor::Ok(QObject*)
{
    Accepted_ = true;
    Form().accept();
}

void TNERowEditor::Cancel(QObject*)
{
    Form().reject();
}
