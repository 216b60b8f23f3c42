#include "ui/actions/NAction.h"

#include "foundation/NStruct.h"
#include "ui/actions/NActionButton.h"
#include "ui/actions/NActionPopup.h"
#include "ui/actions/NPixel.h"
#include "ui/platform/NDesktop.h"

#include <QPainter>

namespace {

// Holds a lock for its lifetime; the lock may be destroyed by the handler meanwhile.
class TNEActionHold
{
public:
    explicit TNEActionHold(TNEActionLock& Lock) : Lock_(&Lock) { Lock.SetLocked(true); }
    ~TNEActionHold()
    {
        if (Lock_)
            Lock_->SetLocked(false);
    }
    TNEActionHold(const TNEActionHold&) = delete;
    TNEActionHold& operator=(const TNEActionHold&) = delete;

private:
    QPointer<TNEActionLock> Lock_;
};

} // namespace

void TNEActionLock::SetLocked(bool Value)
{
    if (Value)
        ++HoldCount_;
    else if (HoldCount_ > 0)
        --HoldCount_;
}

void ExecuteLocked(TNEActionLock* Lock, const TNEActionHandler& Handler, QObject* Sender)
{
    if (!Lock)
        throw ENEInvalidActionLockErr();
    if (Lock->IsLocked())
        return;
    TNEActionHold hold(*Lock);
    Handler(Sender);
}

TNEActionController::TNEActionController(QObject* Owner) : QObject(Owner) {}

TNEActionController::~TNEActionController()
{
    // Clients still alive see the guarded pointer go null and skip their deregistration.
    ClientCount_ = 0;
    Clear();
}

void TNEActionController::SetActionLock(TNEActionLock* Lock)
{
    if (ActionLock_ && ActionLock_->IsLocked())
        throw ENEInvalidActionLockErr();
    ActionLock_ = Lock;
}

void TNEActionController::RequireOpen() const
{
    if (Active())
        throw ENEActiveActionControllerErr();
}

void TNEActionController::AddAction(int Glyph, const QString& Caption, const TNEActionHandler& Handler,
                                    TNEShortCut ShortCut, const QString& Hint, bool AutoAccelerator)
{
    RequireOpen();
    auto action = std::make_unique<TNEActionRec>();
    action->Handler = Handler;
    TNEAcceleratorKeys freeKeys = FreeAccelerators_;
    action->Caption = AutoAccelerator ? AssignAccelerator(Caption, freeKeys) : Caption;
    action->Glyph = Glyph;
    action->Hint = Trim(Hint);
    AddGlyph(DisabledImages_, Glyph, false);
    try {
        AddGlyph(EnabledImages_, Glyph, true);
    } catch (...) {
        DisabledImages_.RemoveLast(); // both lists keep one image per action
        throw;
    }
    action->ImageIndex = EnabledImages_.Count() - 1;
    action->ShortCut = ShortCut;
    Actions_.push_back(std::move(action));
    FreeAccelerators_ = freeKeys; // a letter is taken only by an action that was added
}

template <typename Client> void TNEActionController::Register(TNEObjectContainer<Client>& Clients, Client& NewClient)
{
    TNEHourglass hourglass;
    Clients.Add(&NewClient);
    ++ClientCount_;
    NewClient.Attach(*this);
}

template <typename Client> void TNEActionController::Deregister(TNEObjectContainer<Client>& Clients, Client& OldClient)
{
    if (!Active() || !Clients.Contains(&OldClient))
        return;
    Clients.Remove(&OldClient);
    --ClientCount_;
}

void TNEActionController::Release(TNEActionToolBar& ToolBar)
{
    Deregister(ToolBars_, ToolBar);
}

void TNEActionController::Release(TNEActionView& View)
{
    Deregister(Views_, View);
}

void TNEActionController::Release(TNEActionPopup& Popup)
{
    Deregister(Popups_, Popup);
}

void TNEActionController::BuildToolBar(TNEActionToolBar& ToolBar)
{
    Register(ToolBars_, ToolBar);
}

void TNEActionController::BuildView(TNEActionView& View)
{
    Register(Views_, View);
}

void TNEActionController::BuildPopup(TNEActionPopup& Popup)
{
    Register(Popups_, Popup);
}

void TNEActionController::ExecuteAction(QObject* Sender, const TNEActionHandler& Handler)
{
    ExecuteLocked(ActionLock_, Handler, Sender);
}

bool TNEActionController::ExecuteShortCut(TNEShortCut ShortCut)
{
    if (ShortCut == 0)
        return false;
    for (const auto& action : Actions_) {
        if (action->ShortCut != ShortCut)
            continue;
        if (!action->Enabled)
            return false;
        // A copy: the handler may change the controller's state while it runs.
        const TNEActionHandler handler = action->Handler;
        ExecuteAction(this, handler);
        return true;
    }
    return false;
}

void TNEActionController::SetActionEnabled(bool Enabled, const TNEActionHandler& Handler)
{
    for (const auto& action : Actions_) {
        if (action->Handler == Handler)
            action->Enabled = Enabled;
    }
    for (std::int32_t i = 0; i < Popups_.Count(); ++i)
        Popups_.GetItem(i)->UpdateEnabled(Enabled, Handler);
    for (std::int32_t i = 0; i < ToolBars_.Count(); ++i)
        ToolBars_.GetItem(i)->UpdateEnabled(Enabled, Handler);
    for (std::int32_t i = 0; i < Views_.Count(); ++i)
        Views_.GetItem(i)->UpdateEnabled(Enabled, Handler);
}

bool TNEActionController::IsActionEnabled(const TNEActionHandler& Handler) const
{
    for (const auto& action : Actions_) {
        if (action->Handler == Handler)
            return action->Enabled;
    }
    return false;
}

void TNEActionController::SetActionGlyph(int Glyph, const TNEActionHandler& Handler)
{
    for (const auto& action : Actions_) {
        if (action->Handler != Handler)
            continue;
        action->Glyph = Glyph;
        ReplaceGlyph(DisabledImages_, action->ImageIndex, Glyph, false);
        ReplaceGlyph(EnabledImages_, action->ImageIndex, Glyph, true);
    }
    for (std::int32_t i = 0; i < ToolBars_.Count(); ++i)
        ToolBars_.GetItem(i)->RefreshGlyphs(Handler);
    for (std::int32_t i = 0; i < Views_.Count(); ++i)
        Views_.GetItem(i)->RefreshGlyphs(Handler);
}

void TNEActionController::ExcludeAccelerators(const TNEAcceleratorKeys& Keys)
{
    FreeAccelerators_ &= ~Keys;
}

TNEAcceleratorKeys TNEActionController::CollectAccelerators() const
{
    QStringList captions;
    for (const auto& action : Actions_)
        captions.append(action->Caption);
    return CollectAcceleratorKeys(captions);
}

void TNEActionController::Clear()
{
    RequireOpen();
    Actions_.clear();
    FreeAccelerators_ = InitAcceleratorKeys();
    DisabledImages_.Clear();
    EnabledImages_.Clear();
}

QImage TNEActionController::GetActionBitmap(bool Enabled, int ImageIndex) const
{
    const TNEImageList& images = Enabled ? EnabledImages_ : DisabledImages_;
    QImage bitmap(images.Width(), images.Height(), PixelFormat);
    bitmap.fill(QColor(127, 127, 127)); // neutral: whatever the image leaves uncovered shades nothing
    if (ImageIndex >= 0 && ImageIndex < images.Count()) {
        QPainter painter(&bitmap);
        painter.drawImage(0, 0, images.Image(ImageIndex));
    }
    return bitmap;
}
