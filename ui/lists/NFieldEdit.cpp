#include "ui/lists/NFieldEdit.h"

#include "foundation/NTextUtilities.h"
#include "store/NRowset.h"
#include "ui/actions/NControl.h"
#include "ui/lists/NRowEditor.h"
#include "ui/lists/NRowPicker.h"
#include "ui/platform/NApplication.h"
#include "ui/platform/NDesktop.h"
#include "ui/platform/NSecureEdit.h"

#include <QAbstractItemView>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QPushButton>
#include <QTextCursor>

namespace {

constexpr int RowHeight = 21;
constexpr int ControlWidth = 350;
constexpr int MemoHeight = 126;
constexpr int LabelLeft = 8;
constexpr int ControlGap = 16;
constexpr int ComboWidth = 248;
constexpr int MinimumDropDownWidth = 171;
constexpr int PickGlyph = 26;
constexpr TNEKeyCode vkF2 = vkF1 + 1;
const char* const PickHint = "Pick from the list of available rows";

// Where a control of the given height stands in a row of the usual height.
int CenterOffset(int Height)
{
    return (RowHeight - Height) / 2;
}

bool IsLineBreak(QChar Character)
{
    return Character == u'\n' || Character == u'\r' || Character == QChar::ParagraphSeparator ||
           Character == QChar::LineSeparator;
}

// The memo's own form of a text: each line break as one LF.
QString AsMemoText(const QString& Text)
{
    QString text = Text;
    text.replace(QChar::ParagraphSeparator, u'\n').replace(QChar::LineSeparator, u'\n');
    return ToDisplayLineBreaks(text);
}

} // namespace

int StoredLength(QStringView Text)
{
    int length = 0;
    for (qsizetype index = 0; index < Text.size(); ++index) {
        if (!IsLineBreak(Text[index])) {
            ++length;
            continue;
        }
        length += 2;
        if (Text[index] == u'\r' && index + 1 < Text.size() && Text[index + 1] == u'\n')
            ++index;
    }
    return length;
}

int TextLimitOf(const TNEColumn& Column)
{
    return Column.Size() < 1 || Column.Size() > TNEColumn::MaxTextLength ? TNEColumn::MaxTextLength : Column.Size();
}

TNEFieldLabel::TNEFieldLabel(const QString& Caption, QWidget* Parent) : QLabel(Caption, Parent)
{
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
}

void TNEFieldLabel::mousePressEvent(QMouseEvent* Event)
{
    QLabel::mousePressEvent(Event);
    if (QWidget* field = buddy(); field && field->isEnabled())
        field->setFocus(Qt::MouseFocusReason);
}

TNELimitedMemo::TNELimitedMemo(QWidget* Parent) : QPlainTextEdit(Parent)
{
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    setTabChangesFocus(true);
}

QString TNELimitedMemo::StoredText() const
{
    return ToStoredLineBreaks(toPlainText());
}

void TNELimitedMemo::SetStoredText(const QString& Text)
{
    setPlainText(AsMemoText(Text));
}

int TNELimitedMemo::Room() const
{
    const int used = StoredLength(toPlainText()) - StoredLength(textCursor().selectedText());
    return std::max(0, Limit_ - used);
}

QString TNELimitedMemo::FittingPart(const QString& Text) const
{
    const QString text = AsMemoText(Text);
    int room = Room();
    qsizetype end = 0;
    while (end < text.size()) {
        const qsizetype step = text[end].isHighSurrogate() && end + 1 < text.size() ? 2 : 1;
        const int cost = text[end] == u'\n' ? 2 : int(step);
        if (cost > room)
            break;
        room -= cost;
        end += step;
    }
    return text.left(end);
}

void TNELimitedMemo::keyPressEvent(QKeyEvent* Event)
{
    const bool isEnter = Event->key() == Qt::Key_Return || Event->key() == Qt::Key_Enter;
    const QString typed = isEnter ? QStringLiteral("\n") : Event->text();
    const bool insertsText = isEnter || (!typed.isEmpty() && typed.front().isPrint());
    if (insertsText && !(Event->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) &&
        FittingPart(typed).size() < typed.size()) {
        Event->accept(); // refused: the text is full
        return;
    }
    QPlainTextEdit::keyPressEvent(Event);
}

void TNELimitedMemo::inputMethodEvent(QInputMethodEvent* Event)
{
    const QString fitting = FittingPart(Event->commitString());
    if (fitting.size() == Event->commitString().size()) {
        QPlainTextEdit::inputMethodEvent(Event);
        return;
    }
    QInputMethodEvent shortened(Event->preeditString(), Event->attributes());
    shortened.setCommitString(fitting, Event->replacementStart(), Event->replacementLength());
    QPlainTextEdit::inputMethodEvent(&shortened);
}

void TNELimitedMemo::insertFromMimeData(const QMimeData* Source)
{
    if (!Source || !Source->hasText())
        return;
    QTextCursor cursor = textCursor();
    cursor.insertText(FittingPart(Source->text()));
    setTextCursor(cursor);
    ensureCursorVisible();
}

TNEFieldEdit::TNEFieldEdit(TNERowEditor& RowEditor, QWidget& Box, int ColumnIndex, const QString& Caption)
    : RowEditor_(RowEditor), Box_(Box), ColumnIndex_(ColumnIndex), Caption_(Caption),
      Label_(AddControl(std::make_unique<TNEFieldLabel>(Caption, &Box)))
{}

TNEFieldEdit::~TNEFieldEdit() = default;

const TNEColumn& TNEFieldEdit::Column() const
{
    return RowEditor_.EditedRowset()->Columns(ColumnIndex_);
}

TNEFieldValue& TNEFieldEdit::Value() const
{
    return RowEditor_.Value(ColumnIndex_);
}

bool TNEFieldEdit::HasFocus() const
{
    // The window's focus, whether or not the window is active at this moment.
    const QWidget* focused = Box_.window()->focusWidget();
    for (const std::unique_ptr<QWidget>& control : Controls_) {
        if (control.get() == focused)
            return true;
    }
    return false;
}

void TNEFieldEdit::DetachControls()
{
    for (const std::unique_ptr<QWidget>& control : Controls_) {
        control->hide();
        control->setParent(nullptr);
    }
}

void TNEFieldEdit::KeyHook(TNEShortCut) {}

void TNEFieldEdit::PlaceLabel(int LabelWidth, int Top)
{
    const int height = Label_->sizeHint().height();
    Label_->setGeometry(LabelLeft, Top + CenterOffset(height), LabelWidth, height);
    Label_->setBuddy(FocusControl());
    Label_->show();
}

TNEFieldEdit_String::TNEFieldEdit_String(TNERowEditor& RowEditor, QWidget& Box, int ColumnIndex, const QString& Caption)
    : TNEFieldEdit(RowEditor, Box, ColumnIndex, Caption), Edit_(AddControl(std::make_unique<TNEOpaqueEdit>(&Box))),
      Keeper_(new TNEEditTextKeeper(*Edit_))
{}

QWidget* TNEFieldEdit_String::FocusControl() const
{
    return Edit_;
}

int TNEFieldEdit_String::Arrange(int LabelWidth, int Top)
{
    PlaceLabel(LabelWidth, Top);
    Edit_->setGeometry(LabelWidth + ControlGap, Top + CenterOffset(RowHeight), ControlWidth, RowHeight);
    Edit_->show();
    return RowHeight;
}

void TNEFieldEdit_String::LoadValue()
{
    Edit_->setMaxLength(TextLimitOf(Column()));
    Edit_->setText(Value().Text);
}

void TNEFieldEdit_String::StoreValue()
{
    Value().Text = Edit_->text();
}

void TNEFieldEdit_String::BurnControls()
{
    Keeper_->Burn();
}

TNEFieldEdit_StringMemo::TNEFieldEdit_StringMemo(TNERowEditor& RowEditor, QWidget& Box, int ColumnIndex,
                                                 const QString& Caption)
    : TNEFieldEdit(RowEditor, Box, ColumnIndex, Caption), Memo_(AddControl(std::make_unique<TNELimitedMemo>(&Box)))
{}

QWidget* TNEFieldEdit_StringMemo::FocusControl() const
{
    return Memo_;
}

int TNEFieldEdit_StringMemo::Arrange(int LabelWidth, int Top)
{
    PlaceLabel(LabelWidth, Top);
    Memo_->setGeometry(LabelWidth + ControlGap, Top, ControlWidth, MemoHeight);
    Memo_->show();
    return MemoHeight;
}

void TNEFieldEdit_StringMemo::LoadValue()
{
    Memo_->SetLimit(TextLimitOf(Column()));
    Memo_->SetStoredText(Value().Text);
}

void TNEFieldEdit_StringMemo::StoreValue()
{
    Value().Text = Memo_->StoredText();
}

void TNEFieldEdit_StringMemo::KeyHook(TNEShortCut Key)
{
    const TNEKeyCode key = ShortCutKey(Key);
    const TNEShortCut modifiers = ShortCutModifiers(Key);
    const bool isHomeOrEnd =
        (key == vkHome || key == vkEnd) && (modifiers == 0 || modifiers == scCtrl || modifiers == (scCtrl | scShift));
    const bool selectsAll = Key == ShortCut(TNEKeyCode('A'), scCtrl);
    SetKeyHandled(Key == ShortCut(vkEnter) || isHomeOrEnd || selectsAll);
}

TNERowset* TNEFieldEdit::ReferencedRowset() const
{
    return RowEditor_.EditedRowset()->Store().FindRowset(Column().Size());
}

QPushButton* TNEFieldEdit::AddPickButton()
{
    std::unique_ptr<QPushButton> button(CreateGlyphButton(PickGlyph, QStringLiteral("Pick..."), &Box_));
    button->setToolTip(QString::fromLatin1(PickHint));
    return AddControl(std::move(button));
}

void TNEFieldEdit::PickReference(std::int32_t& Held)
{
    TNERowset* rowset = ReferencedRowset();
    if (!rowset)
        return;
    TNERowPicker picker(&RowEditor_);
    picker.SetMultiPick(false);
    picker.SetAllowNone(Column().Flag());
    TNEVirtualRowset rows(*rowset);
    if (TNERow* row = rowset->FindRow(Held))
        rows.Add(row);
    picker.Execute(rows);
    TNERowIterator first(rows);
    first.First();
    Held = first.IsDone() ? -1 : first.Current()->ID();
    RowEditor_.RefreshReferences();
}

TNEFieldEdit_Reference::TNEFieldEdit_Reference(TNERowEditor& RowEditor, QWidget& Box, int ColumnIndex,
                                               const QString& Caption)
    : TNEFieldEdit(RowEditor, Box, ColumnIndex, Caption), Edit_(AddControl(std::make_unique<QLineEdit>(&Box))),
      PickButton_(AddPickButton())
{
    Edit_->setReadOnly(true);
    Edit_->setFocusPolicy(Qt::ClickFocus);
    QPalette palette = Edit_->palette();
    palette.setColor(QPalette::Base, Box.palette().color(QPalette::Window));
    Edit_->setPalette(palette);
    QObject::connect(PickButton_, &QPushButton::clicked, PickButton_, [this] {
        RunEventHandler([this] {
            PickReference(Held_);
            ShowReference();
        });
    });
}

QWidget* TNEFieldEdit_Reference::FocusControl() const
{
    return PickButton_;
}

int TNEFieldEdit_Reference::Arrange(int LabelWidth, int Top)
{
    PlaceLabel(LabelWidth, Top);
    const int editWidth = ControlWidth - PickButton_->width() - 8;
    Edit_->setGeometry(LabelWidth + ControlGap, Top + CenterOffset(RowHeight), editWidth, RowHeight);
    PickButton_->move(editWidth + LabelWidth + 24, Top + CenterOffset(PickButton_->height()));
    Edit_->show();
    PickButton_->show();
    return RowHeight;
}

void TNEFieldEdit_Reference::LoadValue()
{
    Held_ = Value().Reference;
    ShowReference();
}

void TNEFieldEdit_Reference::StoreValue()
{
    Value().Reference = Held_;
}

void TNEFieldEdit_Reference::ShowReference()
{
    TNERowset* rowset = ReferencedRowset();
    const TNERow* row = rowset ? rowset->FindRow(Held_) : nullptr;
    if (!row)
        Held_ = -1;
    Edit_->setText(row ? row->GetText(-1) : QString());
    Edit_->setCursorPosition(0);
}

TNEReferenceCombo::TNEReferenceCombo(QWidget* Parent) : QComboBox(Parent)
{
    setEditable(false);
}

int TNEReferenceCombo::DropDownWidth() const
{
    const QFontMetrics metrics(view()->font());
    int widest = 0;
    for (int item = 0; item < count(); ++item)
        widest = std::max(widest, metrics.horizontalAdvance(itemText(item)));
    int width = widest + 2 * ScreenMetrics().FrameWidth();
    if (count() > maxVisibleItems())
        width += ScreenMetrics().ScrollBarHeight();
    return std::max(width, MinimumDropDownWidth);
}

void TNEReferenceCombo::showPopup()
{
    view()->setMinimumWidth(DropDownWidth());
    QComboBox::showPopup();
}

void TNEReferenceCombo::focusInEvent(QFocusEvent* Event)
{
    QComboBox::focusInEvent(Event);
    if (PickButton_)
        PickButton_->setToolTip(
            QStringLiteral("%1 (%2)").arg(QString::fromLatin1(PickHint), ShortCutToText(ShortCut(vkF2))));
}

void TNEReferenceCombo::focusOutEvent(QFocusEvent* Event)
{
    QComboBox::focusOutEvent(Event);
    if (PickButton_)
        PickButton_->setToolTip(QString::fromLatin1(PickHint));
}

TNEFieldEdit_ReferenceCombo::TNEFieldEdit_ReferenceCombo(TNERowEditor& RowEditor, QWidget& Box, int ColumnIndex,
                                                         const QString& Caption)
    : TNEFieldEdit(RowEditor, Box, ColumnIndex, Caption), Combo_(AddControl(std::make_unique<TNEReferenceCombo>(&Box)))
{
    const TNERowset* rowset = ReferencedRowset();
    bool refersOn = false;
    for (int column = 0; rowset && column < rowset->ColumnCount(); ++column)
        refersOn = refersOn || rowset->Columns(column).Kind() == ckReference;
    if (refersOn) {
        PickButton_ = AddPickButton();
        PickButton_->setFocusPolicy(Qt::ClickFocus);
        Combo_->SetPickButton(PickButton_);
        QObject::connect(PickButton_, &QPushButton::clicked, PickButton_, [this] {
            RunEventHandler([this] {
                PickReference(Held_);
                Fill();
            });
        });
    }
    QObject::connect(Combo_, &QComboBox::activated, Combo_,
                     [this](int Item) { Held_ = Item >= 0 ? Combo_->itemData(Item).toInt() : -1; });
}

QWidget* TNEFieldEdit_ReferenceCombo::FocusControl() const
{
    return Combo_;
}

int TNEFieldEdit_ReferenceCombo::Arrange(int LabelWidth, int Top)
{
    PlaceLabel(LabelWidth, Top);
    Combo_->setGeometry(LabelWidth + ControlGap, Top + CenterOffset(RowHeight), ComboWidth, RowHeight);
    Combo_->show();
    if (PickButton_) {
        PickButton_->move(ComboWidth + LabelWidth + 24, Top + CenterOffset(PickButton_->height()));
        PickButton_->show();
    }
    return RowHeight;
}

void TNEFieldEdit_ReferenceCombo::LoadValue()
{
    Held_ = Value().Reference;
    Fill();
}

void TNEFieldEdit_ReferenceCombo::StoreValue()
{
    Value().Reference = Held_;
}

void TNEFieldEdit_ReferenceCombo::KeyHook(TNEShortCut Key)
{
    if (Key == ShortCut(vkEscape) && Combo_->view()->isVisible()) {
        SetKeyHandled(true);
    } else if (Key == ShortCut(vkF2) && PickButton_) {
        SetKeyHandled(true);
        PickButton_->click();
    }
}

void TNEFieldEdit_ReferenceCombo::Fill()
{
    const QSignalBlocker blocker(Combo_);
    Combo_->clear();
    if (TNERowset* rowset = ReferencedRowset()) {
        TNERowIterator rows(*rowset);
        for (rows.First(); !rows.IsDone(); rows.Next())
            Combo_->addItem(rows.Current()->GetText(-1), rows.Current()->ID());
        Combo_->model()->sort(0);
        if (!rowset->FindRow(Held_))
            Held_ = -1;
    }
    Combo_->setCurrentIndex(Combo_->findData(Held_));
}
