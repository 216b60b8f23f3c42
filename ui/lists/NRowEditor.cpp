#include "ui/lists/NRowEditor.h"

#include "foundation/NFieldList.h"
#include "foundation/NInteger.h"
#include "foundation/NLog.h"
#include "store/NRowset.h"
#include "ui/actions/NActionButton.h"
#include "ui/lists/NFieldEdit.h"
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
constexpr int SelectedGlyph = 20;
constexpr int UnselectedGlyph = 21;
constexpr TNEKeyCode vkF6 = vkF1 + 5;

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
    ActionOutline_ = new TNEOutlinePanel(&form);
    ActionOutline_->move(Margin, Margin);
    ActionView_ = new TNEActionView(ActionOutline_);
    Controller_->BuildView(*ActionView_);
    ActionOutline_->SetInnerWidth(ActionView_->width());
    ActionOutline_->SetClient(ActionView_);
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

    form.installEventFilter(this);
    LayOut();
}

TNERowEditor::~TNERowEditor()
{
    if (Window_)
        Window_->removeEventFilter(this);
    Editors_.clear();
}

void TNERowEditor::AddCommands()
{
    const struct
    {
        int Glyph;
        const char* Caption;
        void (TNERowEditor::*Command)(QObject*);
        TNEShortCut Key;
        const char* Hint;
        bool AutoAccelerator;
    } commands[] = {
        {UnselectedGlyph, "Select", &TNERowEditor::Select, ShortCut(vkSpace, scCtrl),
         "Select the main row in the previous list of rows", true},
        {2, "Page &Up", &TNERowEditor::PageUp, ShortCut(vkPageUp, scCtrl), "Go to the previous page", true},
        {3, "Page D&own", &TNERowEditor::PageDown, ShortCut(vkPageDown, scCtrl), "Go to the next page", true},
        {5, "OK", &TNERowEditor::Ok, ShortCut(vkEnter, scCtrl), "Accept and close the window", false},
        {6, "Cancel", &TNERowEditor::Cancel, ShortCut(vkEscape), "Discard changes and close the window", false},
    };
    for (const auto& command : commands) {
        if (command.Command == &TNERowEditor::Select && !HasSelectCommand_)
            continue;
        Controller_->AddAction(command.Glyph, QString::fromLatin1(command.Caption), {this, command.Command},
                               command.Key, QString::fromLatin1(command.Hint), command.AutoAccelerator);
    }
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
    if (!Accepted_) {
        SetSelected(selectedBefore);
        return nullptr;
    }
    return Commit();
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
    return row;
}

void TNERowEditor::EndRun()
{
    for (const std::unique_ptr<TNEFieldEdit>& editor : Editors_)
        editor->DetachControls();
    Editors_.clear();
    {
        const QSignalBlocker blocker(PageTree_);
        PageTree_->clear();
    }
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
    fieldNode->setExpanded(true);
    PageTree_->setCurrentItem(fieldNode);
    PageTree_->scrollToItem(fieldNode);
    const bool hasPages = fieldNode->childCount() > 0;
    Controller_->SetActionEnabled(hasPages, {this, &TNERowEditor::PageUp});
    Controller_->SetActionEnabled(hasPages, {this, &TNERowEditor::PageDown});
    ShowFieldPage();
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
        if (definition.Kind() == ckString && definition.Flag())
            Editors_.push_back(std::make_unique<TNEFieldEdit_StringMemo>(*this, box, column, caption));
        else
            Editors_.push_back(std::make_unique<TNEFieldEdit_String>(*this, box, column, caption));
    }
    labelWidth += metrics.horizontalAdvance(QStringLiteral(":"));
    int top = Margin;
    for (const std::unique_ptr<TNEFieldEdit>& editor : Editors_) {
        top += editor->Arrange(labelWidth, top) + FieldGap;
        editor->LoadValue();
    }
    FieldBox_->FitContent();
}

void TNERowEditor::RefreshReferences() {}

void TNERowEditor::ShowPage(QTreeWidgetItem* Node)
{
    if (!Node || !Node->parent())
        ShowFieldPage();
}

void TNERowEditor::ShowFieldPage()
{
    FieldBox_->show();
    if (!PageTree_->hasFocus() && !Editors_.empty())
        Form().SetActiveControl(Editors_.front()->FocusControl());
}

void TNERowEditor::FocusPage()
{
    if (FieldBox_->isVisible() && !Editors_.empty())
        Form().SetActiveControl(Editors_.front()->FocusControl());
}

void TNERowEditor::LayOut()
{
    const int height = Form().height() - 2 * Margin;
    ActionOutline_->resize(ActionOutline_->width(), height);
    TreeOutline_->resize(TreeOutline_->width(), height);
    FieldBox_->resize(Form().width() - ActionOutline_->width() - TreeOutline_->width() - 4 * Margin, height);
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
    if (Key == ShortCut(vkEnter) && focused == PageTree_) {
        Key = 0;
    } else if (Key == ShortCut(vkF6)) {
        Key = 0;
        if (focused != PageTree_ && !ActionView_->isAncestorOf(focused))
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
