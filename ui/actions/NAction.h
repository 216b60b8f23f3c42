#pragma once

#include "foundation/NContain.h"
#include "foundation/NException.h"
#include "foundation/NMethod.h"
#include "ui/actions/NControl.h"
#include "ui/platform/NKeys.h"

#include <QImage>
#include <QObject>
#include <QPointer>
#include <QString>

#include <cstddef>
#include <memory>
#include <vector>

class TNEActionPopup;
class TNEActionToolBar;
class TNEActionView;

NE_DECLARE_ERROR(ENEActiveActionControllerErr, ENEException, "Active action controller is locked");
NE_DECLARE_ERROR(ENEInvalidActionLockErr, ENEException, "Action lock is invalid");

// The handler of a command, given the object that started it (a button, a menu item or the controller for a
// key). It also identifies the command: two actions are the same command when their handlers are the same.
using TNEActionHandler = TNEMethod<void(QObject*)>;

// One command of a controller.
struct TNEActionRec
{
    TNEActionHandler Handler;
    QString Caption;
    bool Enabled = true;
    int Glyph = -1;
    QString Hint;
    int ImageIndex = -1;
    bool Down = false;
    TNEShortCut ShortCut = 0;
};

// The re-entrancy guard of a window's commands: while a handler runs (and perhaps shows a modal dialog), no other
// command under the same lock starts. Holds nest.
class TNEActionLock : public QObject
{
    Q_OBJECT

public:
    explicit TNEActionLock(QObject* Owner = nullptr) : QObject(Owner) {}

    bool IsLocked() const { return HoldCount_ > 0; }
    // True adds a hold; false takes one away, never below free.
    void SetLocked(bool Value);

private:
    int HoldCount_ = 0;
};

// Runs Handler(Sender) holding Lock, releasing the hold however the handler ends. Nothing runs while the lock is
// already held; without a lock, ENEInvalidActionLockErr.
void ExecuteLocked(TNEActionLock* Lock, const TNEActionHandler& Handler, QObject* Sender);

// The commands of one group (a window's file commands, a dialog's buttons) and the clients built from them: tool
// bars, views and popups, which follow each command's enabled state and glyph and run it under the action lock.
// Actions are added while no client exists; from the first client on, the list is frozen until the last client
// is gone. Clients keep a guarded pointer to their controller, so either may be destroyed first.
class TNEActionController : public QObject
{
    Q_OBJECT

public:
    explicit TNEActionController(QObject* Owner = nullptr);
    ~TNEActionController() override;

    TNEActionLock* ActionLock() const { return ActionLock_; }
    // Refused (ENEInvalidActionLockErr) while the current lock is held.
    void SetActionLock(TNEActionLock* Lock);

    // Declares a command at the end of the list; AutoAccelerator gives its caption a free "&" letter. Refused
    // (ENEActiveActionControllerErr) while clients exist; a glyph that cannot be loaded leaves everything as it was.
    void AddAction(int Glyph, const QString& Caption, const TNEActionHandler& Handler, TNEShortCut ShortCut,
                   const QString& Hint, bool AutoAccelerator = true);

    // Register a client and give it one button (or item) per action, in the order of declaration.
    void BuildToolBar(TNEActionToolBar& ToolBar);
    void BuildView(TNEActionView& View);
    void BuildPopup(TNEActionPopup& Popup);

    // Runs Handler(Sender) under the action lock; does nothing while the lock is held.
    void ExecuteAction(QObject* Sender, const TNEActionHandler& Handler);
    // Runs the first action bound to ShortCut; true when that action is enabled (whether it ran or the held lock
    // kept it from running). A disabled first action answers false even when a later one has the same key.
    bool ExecuteShortCut(TNEShortCut ShortCut);

    void SetActionEnabled(bool Enabled, const TNEActionHandler& Handler);
    // Enabled of the first action with Handler; false when there is none.
    bool IsActionEnabled(const TNEActionHandler& Handler) const;
    void SetActionGlyph(int Glyph, const TNEActionHandler& Handler);

    // Keeps captions added later from taking the letters other captions of the window use.
    void ExcludeAccelerators(const TNEAcceleratorKeys& Keys);
    // The accelerator letters of the action captions.
    TNEAcceleratorKeys CollectAccelerators() const;

    bool Active() const { return ClientCount_ > 0; }
    int ClientCount() const { return ClientCount_; }
    // Removes every action; refused while clients exist.
    void Clear();

    int ActionCount() const { return int(Actions_.size()); }
    const TNEActionRec& Action(int Index) const { return *Actions_.at(std::size_t(Index)); }

    // A 16 by 16, 24-bit copy of an action's enabled or disabled image, neutral grey for an index outside the list.
    QImage GetActionBitmap(bool Enabled, int ImageIndex) const;
    const TNEImageList& EnabledImages() const { return EnabledImages_; }
    const TNEImageList& DisabledImages() const { return DisabledImages_; }

private:
    friend class TNEActionToolBar;
    friend class TNEActionView;
    friend class TNEActionPopup;

    template <typename Client> void Register(TNEObjectContainer<Client>& Clients, Client& NewClient);
    template <typename Client> void Deregister(TNEObjectContainer<Client>& Clients, Client& OldClient);
    // Called by a client being destroyed while the controller still counts it.
    void Release(TNEActionToolBar& ToolBar);
    void Release(TNEActionView& View);
    void Release(TNEActionPopup& Popup);
    void RequireOpen() const;

    QPointer<TNEActionLock> ActionLock_;
    std::vector<std::unique_ptr<TNEActionRec>> Actions_;
    int ClientCount_ = 0;
    TNEImageList DisabledImages_{16, 16};
    TNEImageList EnabledImages_{16, 16};
    TNEAcceleratorKeys FreeAccelerators_ = InitAcceleratorKeys();
    TNEObjectContainer<TNEActionPopup> Popups_;
    TNEObjectContainer<TNEActionToolBar> ToolBars_;
    TNEObjectContainer<TNEActionView> Views_;
};

// One command of a window's table: glyph, caption, the owner's handler, shortcut, hint and whether the caption
// takes a free accelerator letter.
template <typename Owner> struct TNECommand
{
    int Glyph;
    const char* Caption;
    void (Owner::*Command)(QObject*);
    TNEShortCut Key;
    const char* Hint;
    bool AutoAccelerator = true;
};

// Declares the commands of a table on Controller, in order, each run by Handler's member function.
template <typename Owner, std::size_t Count>
void AddCommandTable(TNEActionController& Controller, Owner* Handler, const TNECommand<Owner> (&Commands)[Count])
{
    for (const TNECommand<Owner>& command : Commands)
        Controller.AddAction(command.Glyph, QString::fromLatin1(command.Caption), {Handler, command.Command},
                             command.Key, QString::fromLatin1(command.Hint), command.AutoAccelerator);
}
