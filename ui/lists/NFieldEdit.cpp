#include "ui/lists/NFieldEdit.h"

#include "foundation/NTextUtilities.h"
#include "store/NRowset.h"
#include "ui/actions/NControl.h"
#include "ui/lists/NRowEditor.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QTextCursor>

namespace {

constexpr int RowHeight = 21;
constexpr int ControlWidth = 350;
constexpr int MemoHeight = 126;
constexpr int LabelLeft = 8;
constexpr int ControlGap = 16;

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
    for (const std::unique_ptr<QWidget>& control : Controls_) {
        if (control->hasFocus())
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
    : TNEFieldEdit(RowEditor, Box, ColumnIndex, Caption), Edit_(AddControl(std::make_unique<TNEOpaqueEdit>(&Box)))
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
