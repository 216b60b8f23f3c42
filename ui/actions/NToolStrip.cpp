#include "ui/actions/NToolStrip.h"

#include "ui/actions/NButtonFace.h"
#include "ui/platform/NApplication.h"
#include "ui/platform/NDesktop.h"

#include <QEvent>
#include <QMouseEvent>

#include <algorithm>

namespace {

constexpr int StripHeight = 30;
constexpr int ControlHeight = 26;
constexpr int FillerWidth = 8;
constexpr int CaptionMargin = 8;

} // namespace

TNEToolStripControl::TNEToolStripControl(QWidget* Parent) : TNEBasePanel(Parent)
{
    UseParentColor();
}

TNEToolStripControl::~TNEToolStripControl()
{
    if (Strip_)
        Strip_->Controls_.Remove(this);
}

TNEToolStripButton::TNEToolStripButton(QWidget* Parent) : TNEToolStripControl(Parent), Bitmap_(LoadGlyph(-1, true))
{
    resize(ControlHeight, ControlHeight);
}

void TNEToolStripButton::SetActionLock(TNEActionLock* Lock)
{
    if (ActionLock_ && ActionLock_->IsLocked())
        throw ENEInvalidActionLockErr();
    ActionLock_ = Lock;
}

void TNEToolStripButton::SetCaption(const QString& Value)
{
    Caption_ = Value;
    if (testAttribute(Qt::WA_WState_Polished)) {
        FitWidth();
        update();
    }
}

void TNEToolStripButton::SetGlyph(int Value)
{
    Bitmap_ = LoadGlyph(Value, ButtonEnabled_);
    Glyph_ = Value;
    update();
}

void TNEToolStripButton::SetButtonEnabled(bool Value)
{
    if (Value == ButtonEnabled_)
        return;
    Bitmap_ = LoadGlyph(Glyph_, Value);
    ButtonEnabled_ = Value;
    update();
}

void TNEToolStripButton::SetDown(bool Value)
{
    if (Value == Down_)
        return;
    Down_ = Value;
    update();
}

void TNEToolStripButton::FitWidth()
{
    int captionWidth = TextWidth(*this, Caption_);
    if (captionWidth > 0)
        captionWidth += CaptionMargin;
    if (captionWidth + ControlHeight <= width())
        return;
    resize(captionWidth + ControlHeight, height());
    if (Strip())
        Strip()->LayOut();
}

bool TNEToolStripButton::event(QEvent* Event)
{
    if (Event->type() == QEvent::ToolTip && !ButtonEnabled_)
        return true; // hints only while enabled
    const bool result = TNEToolStripControl::event(Event);
    if (Event->type() == QEvent::Polish)
        FitWidth(); // the first polish is where the button's window comes into being
    return result;
}

void TNEToolStripButton::paintEvent(QPaintEvent*)
{
    TNEPaintBuffer buffer(*this);
    QPainter& canvas = buffer.Painter();
    if (ButtonEnabled_ && (Hot_ || Down_)) {
        FrameRect(canvas, rect(), Hot_ ? HotFrameColor : DownFrameColor);
        canvas.fillRect(rect().adjusted(1, 1, -1, -1), ButtonFaceColor(Hot_, Down_));
    }
    DrawGlyph(canvas, std::max(0, (ControlHeight - Bitmap_.width()) / 2),
              std::max(0, (ControlHeight - Bitmap_.height()) / 2), Bitmap_);
    if (!Caption_.isEmpty()) {
        canvas.setPen(CaptionColor(ButtonEnabled_));
        const int top = (ControlHeight - canvas.fontMetrics().height()) / 2;
        canvas.drawText(QRect(ControlHeight, top, width() - ControlHeight, height() - top),
                        Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, Caption_);
    }
}

void TNEToolStripButton::enterEvent(QEnterEvent* Event)
{
    TNEToolStripControl::enterEvent(Event);
    Hot_ = true;
    update();
}

void TNEToolStripButton::leaveEvent(QEvent* Event)
{
    TNEToolStripControl::leaveEvent(Event);
    Hot_ = false;
    update();
}

void TNEToolStripButton::mousePressEvent(QMouseEvent* Event)
{
    // A button takes its presses, also while disabled, so they never fall through to the strip behind it.
    Event->accept();
    if (Event->button() == Qt::LeftButton && ButtonEnabled_ && OnExecute)
        RunEventHandler([this] { ExecuteLocked(ActionLock_, OnExecute, this); });
}

TNEToolStripFiller::TNEToolStripFiller(QWidget* Parent) : TNEToolStripControl(Parent)
{
    resize(FillerWidth, ControlHeight);
}

TNEToolStripSplitter::TNEToolStripSplitter(QWidget* Parent) : TNEToolStripControl(Parent)
{
    setMinimumWidth(1);
    setMaximumWidth(1);
    resize(1, ControlHeight);
}

void TNEToolStripSplitter::paintEvent(QPaintEvent* Event)
{
    TNEToolStripControl::paintEvent(Event);
    if (height() < 7)
        return;
    QPainter(this).fillRect(0, 3, 1, height() - 6, HotFrameColor);
}

TNEToolStrip::TNEToolStrip(QWidget* Parent)
    : TNEBasePanel(Parent), Outline_(new TNEOutlinePanel(this)), Inner_(new TNEBasePanel)
{
    resize(width(), StripHeight);
    Outline_->SetClient(Inner_); // the outline has its parent, so Inner goes onto it now
}

TNEToolStrip::~TNEToolStrip()
{
    // The controls outlive this body (Qt frees children later) and must not reach back into the strip.
    for (std::int32_t i = 0; i < Controls_.Count(); ++i)
        Controls_.GetItem(i)->Strip_ = nullptr;
}

void TNEToolStrip::SetActionLock(TNEActionLock* Lock)
{
    if (ActionLock_ && ActionLock_->IsLocked())
        throw ENEInvalidActionLockErr();
    ActionLock_ = Lock;
    for (std::int32_t i = 0; i < Controls_.Count(); ++i) {
        if (auto* button = qobject_cast<TNEToolStripButton*>(Controls_.GetItem(i)))
            button->SetActionLock(Lock);
    }
}

void TNEToolStrip::AddControl(TNEToolStripControl* Control)
{
    if (!Control)
        return;
    Control->Strip_ = this;
    Control->setParent(Inner_);
    if (auto* button = qobject_cast<TNEToolStripButton*>(Control))
        button->SetActionLock(ActionLock_);
    const int left = Controls_.Count() == 0 ? 1 : Controls_.GetItem(Controls_.Count() - 1)->geometry().right() + 1;
    Control->move(left, 1);
    Controls_.Add(Control);
    if (Inner_->isVisible())
        Control->show(); // on a hidden strip it shows, and is first polished, with the strip
}

TNEToolStripControl* TNEToolStrip::StripControls(int Index) const
{
    return Controls_.IsValidKey(Index) ? Controls_.GetItem(Index) : nullptr;
}

void TNEToolStrip::ArrangeControls()
{
    Outline_->setGeometry(contentsRect());
    int left = 1;
    for (std::int32_t i = 0; i < Controls_.Count(); ++i) {
        TNEToolStripControl* control = Controls_.GetItem(i);
        control->move(left, control->y());
        left += control->width() + 1;
    }
}

void TNEToolStrip::LayOut()
{
    ArrangeControls();
}

bool TNEToolStrip::HandleShortCut(TNEShortCut)
{
    return false;
}

void TNEToolStrip::resizeEvent(QResizeEvent* Event)
{
    TNEBasePanel::resizeEvent(Event);
    LayOut();
}

TNEToolBarHorz::TNEToolBarHorz(QWidget* Parent) : TNEBasePanel(Parent)
{
    setContentsMargins(0, 0, 0, 1);
}

void TNEToolBarHorz::paintEvent(QPaintEvent* Event)
{
    TNEBasePanel::paintEvent(Event);
    QPainter(this).fillRect(0, height() - 1, width(), 1, HotFrameColor);
}
