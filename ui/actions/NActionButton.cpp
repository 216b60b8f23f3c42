#include "ui/actions/NActionButton.h"

#include "ui/actions/NButtonFace.h"
#include "ui/platform/NApplication.h"
#include "ui/platform/NDesktop.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>

#include <algorithm>

namespace {

constexpr int ButtonSize = 26;
constexpr int ButtonStep = ButtonSize + 1;
constexpr int GlyphOffset = 5;
constexpr int CaptionLeft = 28;
constexpr int CaptionTop = 7;
const QColor ViewColor(160, 176, 192);

// The action's hint with the text of its shortcut in brackets.
QString ButtonHint(const TNEActionRec& Action)
{
    QString hint = Action.Hint;
    if (Action.ShortCut != 0)
        hint += QStringLiteral(" (%1)").arg(ShortCutToText(Action.ShortCut));
    return hint;
}

// The classic focus rectangle: every other pixel of the edge inverted, so it shows on any face and leaves the
// face's colours alone (the style's own focus frame tints the whole button).
void DrawFocusFrame(QPainter& Canvas, const QRect& Area)
{
    Canvas.save();
    Canvas.setCompositionMode(QPainter::RasterOp_NotDestination);
    for (int x = Area.left(); x <= Area.right(); x += 2) {
        Canvas.fillRect(x, Area.top(), 1, 1, Qt::black);
        Canvas.fillRect(x, Area.bottom(), 1, 1, Qt::black);
    }
    for (int y = Area.top() + 2; y < Area.bottom(); y += 2) {
        Canvas.fillRect(Area.left(), y, 1, 1, Qt::black);
        Canvas.fillRect(Area.right(), y, 1, 1, Qt::black);
    }
    Canvas.restore();
}

// Whether a widget holds its window's focus, also while the window is inactive (say just after a modal question
// closed inside a command, before the window is active again), when QWidget::hasFocus() says no.
bool HoldsFocus(const QWidget& Widget)
{
    return Widget.window()->focusWidget() == &Widget;
}

// The height of a column of Count buttons.
int ColumnHeight(int Count)
{
    return Count * ButtonStep + 1;
}

} // namespace

TNEActionButton::TNEActionButton(TNEActionButtonColumn& Column, TNEActionController& Controller,
                                 const TNEActionRec& Action, bool Compact, QWidget* Parent)
    : TNEBasePanel(Parent), Column_(Column), Controller_(&Controller), Handler_(Action.Handler),
      ActionCaption_(Action.Caption), Caption_(Action.Caption), ImageIndex_(Action.ImageIndex), Compact_(Compact)
{
    UseParentColor();
    setFocusPolicy(Qt::TabFocus);
    setToolTip(ButtonHint(Action));
}

void TNEActionButton::SetBitmap(const QImage& Value)
{
    Bitmap_ = Value;
    update();
}

void TNEActionButton::SetEnabled(bool Value)
{
    if (Value == isEnabled())
        return;
    const bool hadFocus = HoldsFocus(*this);
    setEnabled(Value);
    if (Value) {
        Caption_ = ActionCaption_;
    } else {
        Caption_ = StripHotKey(ActionCaption_);
        if (hadFocus)
            Column_.FocusNextEnabled(Handler_);
    }
    update();
}

void TNEActionButton::SetDown(bool Value)
{
    if (Value == Down_)
        return;
    Down_ = Value;
    update();
}

// Runs from a click, a key or an accelerator: a failing command is reported by the application, not unwound
// through Qt's event delivery.
void TNEActionButton::Execute()
{
    if (Controller_)
        RunEventHandler([this] { Controller_->ExecuteAction(this, Handler_); });
}

void TNEActionButton::ExecuteAccelerator()
{
    if (!isEnabled() || focusPolicy() == Qt::NoFocus)
        return;
    const QPointer<TNEActionButton> self(this);
    setFocus(Qt::ShortcutFocusReason);
    Execute();
    if (self)
        update();
}

void TNEActionButton::paintEvent(QPaintEvent*)
{
    TNEPaintBuffer buffer(*this);
    QPainter& canvas = buffer.Painter();
    const bool enabled = isEnabled();
    if (enabled && (Hot_ || Down_)) {
        QRect square(0, 0, ButtonSize, ButtonSize);
        if (Down_) {
            FrameRect(canvas, square, DownFrameColor);
            square.adjust(1, 1, -1, -1);
        }
        canvas.fillRect(square, ButtonFaceColor(Hot_, Down_));
    }
    if (Hot_)
        FrameRect(canvas, rect(), HotFrameColor);
    DrawGlyph(canvas, GlyphOffset, GlyphOffset, Bitmap_);
    if (!Compact_ && !Caption_.isEmpty()) {
        if (Hot_)
            canvas.fillRect(QRect(QPoint(ButtonSize, 1), QPoint(width() - 2, height() - 2)),
                            ButtonFaceColor(true, false));
        canvas.setPen(CaptionColor(enabled));
        // A disabled caption has lost its marks already, so any "&" left is shown as it is.
        const int mnemonic = enabled ? Qt::TextShowMnemonic : 0;
        canvas.drawText(QRect(CaptionLeft, CaptionTop, width() - CaptionLeft, height() - CaptionTop),
                        Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine | mnemonic, Caption_);
    }
    if (hasFocus())
        DrawFocusFrame(canvas, rect());
}

void TNEActionButton::enterEvent(QEnterEvent* Event)
{
    TNEBasePanel::enterEvent(Event);
    if (isEnabled()) {
        Hot_ = true;
        update();
    }
}

void TNEActionButton::leaveEvent(QEvent* Event)
{
    TNEBasePanel::leaveEvent(Event);
    Hot_ = false;
    update();
}

void TNEActionButton::mousePressEvent(QMouseEvent* Event)
{
    TNEBasePanel::mousePressEvent(Event);
    if (Event->button() != Qt::LeftButton || !isEnabled())
        return;
    // The press is the command's: it goes no further up to the widgets behind, which the command may have freed.
    Event->accept();
    if (Column_.HasFocusedButton())
        setFocus(Qt::MouseFocusReason);
    Execute();
}

void TNEActionButton::keyPressEvent(QKeyEvent* Event)
{
    const TNEShortCut key = ShortCutFromKeyEvent(*Event); // the keypad's Enter is Enter
    if ((key != ShortCut(vkEnter) && key != ShortCut(vkSpace)) || !isEnabled() || !hasFocus()) {
        TNEBasePanel::keyPressEvent(Event);
        return;
    }
    Event->accept(); // handled, even when the held lock keeps the action from running
    const QPointer<TNEActionButton> self(this);
    Execute();
    if (self)
        update();
}

void TNEActionButtonColumn::UpdateEnabled(bool Enabled, const TNEActionHandler& Handler)
{
    for (std::int32_t i = 0; i < Buttons_.Count(); ++i) {
        TNEActionButton* button = Buttons_.GetItem(i);
        if (button->Handler() != Handler)
            continue;
        button->SetEnabled(Enabled);
        if (Controller_)
            button->SetBitmap(Controller_->GetActionBitmap(Enabled, button->ImageIndex()));
    }
}

void TNEActionButtonColumn::UpdateDown(bool Down, const TNEActionHandler& Handler)
{
    for (std::int32_t i = 0; i < Buttons_.Count(); ++i) {
        TNEActionButton* button = Buttons_.GetItem(i);
        if (button->Handler() == Handler)
            button->SetDown(Down);
    }
}

bool TNEActionButtonColumn::FocusNextEnabled(const TNEActionHandler& Handler)
{
    bool found = !Handler;
    TNEActionButton* candidate = nullptr;
    for (std::int32_t i = 0; i < Buttons_.Count(); ++i) {
        TNEActionButton* button = Buttons_.GetItem(i);
        if (!found)
            found = button->Handler() == Handler;
        if (button->isEnabled())
            candidate = button;
        if (found && candidate)
            break;
    }
    if (!candidate)
        return false;
    candidate->setFocus(Qt::OtherFocusReason);
    return true;
}

bool TNEActionButtonColumn::HasFocusedButton()
{
    for (std::int32_t i = 0; i < Buttons_.Count(); ++i) {
        if (HoldsFocus(*Buttons_.GetItem(i)))
            return true;
    }
    return false;
}

void TNEActionButtonColumn::RefreshGlyphs(const TNEActionHandler& Handler)
{
    UpdateEnabled(Controller_ && Controller_->IsActionEnabled(Handler), Handler);
}

int TNEActionButtonColumn::CreateButtons(TNEActionController& Controller, QWidget& Parent, bool Compact, int Width)
{
    Controller_ = &Controller;
    int widestCaption = 0;
    for (int i = 0; i < Controller.ActionCount(); ++i) {
        const TNEActionRec& action = Controller.Action(i);
        auto* button = new TNEActionButton(*this, Controller, action, Compact, &Parent); // Parent owns it
        button->setGeometry(1, 1 + i * ButtonStep, Width, ButtonSize);
        widestCaption = std::max(widestCaption, TextWidth(*button, action.Caption));
        Buttons_.Add(button);
        UpdateEnabled(action.Enabled, action.Handler);
        UpdateDown(action.Down, action.Handler);
        button->show();
    }
    return widestCaption;
}

TNEActionToolBar::TNEActionToolBar(QWidget* Parent) : TNEBasePanel(Parent) {}

TNEActionToolBar::~TNEActionToolBar()
{
    if (Controller_)
        Controller_->Release(*this);
}

void TNEActionToolBar::Attach(TNEActionController& Controller)
{
    CreateButtons(Controller, *this, true, ButtonSize);
    resize(ButtonSize + 2, ColumnHeight(Buttons().Count()));
}

TNEActionView::TNEActionView(QWidget* Parent) : QScrollArea(Parent), Content_(new TNEBasePanel)
{
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::NoFocus); // a click on a button must not hand the focus to the view first
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    verticalScrollBar()->setTracking(true);
    Content_->SetColor(ViewColor);
    setWidgetResizable(true);
    setWidget(Content_); // the view owns it from here
    QPalette colours = viewport()->palette();
    colours.setColor(QPalette::Window, ViewColor);
    viewport()->setPalette(colours);
}

TNEActionView::~TNEActionView()
{
    if (Controller_)
        Controller_->Release(*this);
}

void TNEActionView::Attach(TNEActionController& Controller)
{
    const int widestCaption = CreateButtons(Controller, *Content_, false, 150);
    const int buttonWidth = widestCaption + CaptionLeft + ScreenMetrics().ScrollBarWidth();
    for (std::int32_t i = 0; i < Buttons().Count(); ++i)
        Buttons().GetItem(i)->resize(buttonWidth, ButtonSize);
    const QSize size(buttonWidth + 2, ColumnHeight(Buttons().Count()));
    Content_->setMinimumSize(size);
    resize(size);
}
