#include "ui/actions/NAction.h"

#include "tests/support/ErrorMessage.h"
#include "tests/support/ui/ApplicationFixture.h"
#include "ui/actions/NActionButton.h"
#include "ui/actions/NActionPopup.h"

#include <functional>
#include <memory>

namespace {

using NAction = TApplicationFixture;

// Handlers that count their runs; Nested runs whatever a test puts there from inside the handler.
struct TCommands
{
    void Open(QObject* Sender)
    {
        ++Opened;
        LastSender = Sender;
        if (Nested)
            Nested();
    }
    void Save(QObject*) { ++Saved; }
    void Fail(QObject*) { throw ENEAbort(); }

    TNEActionHandler OpenHandler() { return {this, &TCommands::Open}; }
    TNEActionHandler SaveHandler() { return {this, &TCommands::Save}; }
    TNEActionHandler FailHandler() { return {this, &TCommands::Fail}; }

    int Opened = 0;
    int Saved = 0;
    QObject* LastSender = nullptr;
    std::function<void()> Nested;
};

// A controller under a lock, ready for actions.
struct TLockedController
{
    TLockedController() { Controller.SetActionLock(&Lock); }

    TNEActionLock Lock;
    TNEActionController Controller;
    TCommands Commands;
};

} // namespace

TEST_F(NAction, LockHoldsNestAndNeverGoBelowFree)
{
    TNEActionLock lock;
    lock.SetLocked(false);
    EXPECT_FALSE(lock.IsLocked());
    lock.SetLocked(true);
    EXPECT_TRUE(lock.IsLocked()) << "the release before the holds must not have gone below free";
    lock.SetLocked(true);
    lock.SetLocked(false);
    EXPECT_TRUE(lock.IsLocked()) << "two holds need two releases";
    lock.SetLocked(false);
    EXPECT_FALSE(lock.IsLocked());
}

TEST_F(NAction, ExecuteActionNeedsALockAndRunsNothingWhileItIsHeld)
{
    TLockedController locked;
    TNEActionController unlocked;
    EXPECT_EQ(MessageOf([&] { unlocked.ExecuteAction(nullptr, locked.Commands.OpenHandler()); }),
              "Action lock is invalid");

    locked.Lock.SetLocked(true);
    locked.Controller.ExecuteAction(nullptr, locked.Commands.OpenHandler());
    EXPECT_EQ(locked.Commands.Opened, 0);
    locked.Lock.SetLocked(false);
    locked.Controller.ExecuteAction(&locked.Controller, locked.Commands.OpenHandler());
    EXPECT_EQ(locked.Commands.Opened, 1);
    EXPECT_EQ(locked.Commands.LastSender, &locked.Controller);
    EXPECT_FALSE(locked.Lock.IsLocked()) << "the hold ends with the handler";
}

TEST_F(NAction, ActionRunFromARunningHandlerOnTheSameLockDoesNothing)
{
    TLockedController locked;
    TNEActionController other; // a second controller of the same window shares the lock
    other.SetActionLock(&locked.Lock);
    locked.Controller.AddAction(-1, QStringLiteral("Save"), locked.Commands.SaveHandler(), ShortCut('S', scCtrl), {});
    bool shortCutHandled = false;
    locked.Commands.Nested = [&] {
        locked.Controller.ExecuteAction(nullptr, locked.Commands.OpenHandler());
        other.ExecuteAction(nullptr, locked.Commands.SaveHandler());
        shortCutHandled = locked.Controller.ExecuteShortCut(ShortCut('S', scCtrl));
    };
    other.ExecuteAction(nullptr, locked.Commands.OpenHandler());
    EXPECT_EQ(locked.Commands.Opened, 1);
    EXPECT_EQ(locked.Commands.Saved, 0);
    EXPECT_TRUE(shortCutHandled) << "a key ignored under the held lock still counts as handled";
}

TEST_F(NAction, ThrowingHandlerReleasesItsHoldAndTheErrorPassesOn)
{
    TLockedController locked;
    EXPECT_THROW(locked.Controller.ExecuteAction(nullptr, locked.Commands.FailHandler()), ENEAbort);
    EXPECT_FALSE(locked.Lock.IsLocked());
    locked.Controller.ExecuteAction(nullptr, locked.Commands.OpenHandler());
    EXPECT_EQ(locked.Commands.Opened, 1);
}

TEST_F(NAction, LockCannotBeReplacedWhileHeld)
{
    TLockedController locked;
    TNEActionLock other;
    locked.Lock.SetLocked(true);
    EXPECT_EQ(MessageOf([&] { locked.Controller.SetActionLock(&other); }), "Action lock is invalid");
    EXPECT_EQ(locked.Controller.ActionLock(), &locked.Lock);
    locked.Lock.SetLocked(false);
    locked.Controller.SetActionLock(&other);
    EXPECT_EQ(locked.Controller.ActionLock(), &other);
}

TEST_F(NAction, AddActionAssignsLettersTrimsTheHintAndFillsBothImageLists)
{
    TLockedController locked;
    TNEActionController& controller = locked.Controller;
    controller.ExcludeAccelerators(CollectAcceleratorKeys({QStringLiteral("&Edit")}));
    controller.AddAction(32, QStringLiteral("Open..."), locked.Commands.OpenHandler(), 0,
                         QStringLiteral(" Open\tfile\n"));
    controller.AddAction(28, QStringLiteral("&Edit..."), locked.Commands.SaveHandler(), 0, {});
    controller.AddAction(5, QStringLiteral("OK"), locked.Commands.SaveHandler(), 0, {}, false);
    ASSERT_EQ(controller.ActionCount(), 3);
    EXPECT_EQ(controller.Action(0).Caption, QStringLiteral("&Open..."));
    EXPECT_EQ(controller.Action(1).Caption, QStringLiteral("E&dit..."));
    EXPECT_EQ(controller.Action(2).Caption, QStringLiteral("OK"));
    EXPECT_EQ(controller.Action(0).Hint, QStringLiteral("Open\tfile"));
    EXPECT_TRUE(controller.Action(0).Enabled);
    EXPECT_FALSE(controller.Action(0).Down);
    EXPECT_EQ(controller.Action(2).ImageIndex, 2);
    EXPECT_EQ(controller.EnabledImages().Count(), 3);
    EXPECT_EQ(controller.DisabledImages().Count(), 3);
    EXPECT_EQ(controller.CollectAccelerators(), CollectAcceleratorKeys({QStringLiteral("&O"), QStringLiteral("&D")}));

    // The enabled image is the left half of the glyph, the disabled one the right half.
    EXPECT_EQ(controller.GetActionBitmap(true, 0), LoadGlyph(32, true));
    EXPECT_EQ(controller.GetActionBitmap(false, 0), LoadGlyph(32, false));
    EXPECT_EQ(controller.GetActionBitmap(true, 3), LoadGlyph(-1, true)) << "outside the list nothing is drawn";
}

TEST_F(NAction, ActionWithAMissingGlyphIsNotAddedAndTakesNoLetter)
{
    TLockedController locked;
    EXPECT_THROW(locked.Controller.AddAction(999, QStringLiteral("Open"), locked.Commands.OpenHandler(), 0, {}),
                 ENEResourceNotFoundErr);
    EXPECT_EQ(locked.Controller.ActionCount(), 0);
    EXPECT_EQ(locked.Controller.EnabledImages().Count(), 0);
    EXPECT_EQ(locked.Controller.DisabledImages().Count(), 0);
    locked.Controller.AddAction(-1, QStringLiteral("Open"), locked.Commands.OpenHandler(), 0, {});
    EXPECT_EQ(locked.Controller.Action(0).Caption, QStringLiteral("&Open"));
}

TEST_F(NAction, TwoActionsWithOneHandlerChangeTogether)
{
    TLockedController locked;
    TNEActionController& controller = locked.Controller;
    controller.AddAction(32, QStringLiteral("Open"), locked.Commands.OpenHandler(), 0, {});
    controller.AddAction(33, QStringLiteral("Save"), locked.Commands.SaveHandler(), 0, {});
    controller.AddAction(7, QStringLiteral("Again"), locked.Commands.OpenHandler(), 0, {});

    controller.SetActionEnabled(false, locked.Commands.OpenHandler());
    EXPECT_FALSE(controller.Action(0).Enabled);
    EXPECT_TRUE(controller.Action(1).Enabled);
    EXPECT_FALSE(controller.Action(2).Enabled);
    EXPECT_FALSE(controller.IsActionEnabled(locked.Commands.OpenHandler()));
    EXPECT_FALSE(controller.IsActionEnabled(locked.Commands.FailHandler())) << "no such action";

    controller.SetActionGlyph(14, locked.Commands.OpenHandler());
    EXPECT_EQ(controller.Action(0).Glyph, 14);
    EXPECT_EQ(controller.Action(2).Glyph, 14);
    EXPECT_EQ(controller.GetActionBitmap(true, 2), LoadGlyph(14, true));
    EXPECT_EQ(controller.GetActionBitmap(false, 0), LoadGlyph(14, false));
    EXPECT_EQ(controller.GetActionBitmap(true, 1), LoadGlyph(33, true));
}

TEST_F(NAction, ExecuteShortCutConsidersOnlyTheFirstActionWithTheKey)
{
    TLockedController locked;
    TNEActionController& controller = locked.Controller;
    const TNEShortCut ctrlO = ShortCut('O', scCtrl);
    controller.AddAction(-1, QStringLiteral("Open"), locked.Commands.OpenHandler(), ctrlO, {});
    controller.AddAction(-1, QStringLiteral("Save"), locked.Commands.SaveHandler(), ctrlO, {});

    EXPECT_FALSE(controller.ExecuteShortCut(0));
    EXPECT_FALSE(controller.ExecuteShortCut(ShortCut('X', scCtrl)));
    EXPECT_TRUE(controller.ExecuteShortCut(ctrlO));
    EXPECT_EQ(locked.Commands.Opened, 1);
    EXPECT_EQ(locked.Commands.LastSender, &controller);

    controller.SetActionEnabled(false, locked.Commands.OpenHandler());
    EXPECT_FALSE(controller.ExecuteShortCut(ctrlO)) << "the enabled second action is not tried";
    EXPECT_EQ(locked.Commands.Opened, 1);
    EXPECT_EQ(locked.Commands.Saved, 0);
}

TEST_F(NAction, ControllerWithClientsRefusesNewActionsUntilTheLastClientIsGone)
{
    TLockedController locked;
    TNEActionController& controller = locked.Controller;
    controller.AddAction(-1, QStringLiteral("Open"), locked.Commands.OpenHandler(), 0, {});
    auto view = std::make_unique<TNEActionView>();
    auto toolBar = std::make_unique<TNEActionToolBar>();
    controller.BuildView(*view);
    controller.BuildToolBar(*toolBar);
    EXPECT_TRUE(controller.Active());
    EXPECT_EQ(controller.ClientCount(), 2);
    EXPECT_EQ(view->Controller(), &controller);

    EXPECT_EQ(
        MessageOf([&] { controller.AddAction(-1, QStringLiteral("Save"), locked.Commands.SaveHandler(), 0, {}); }),
        "Active action controller is locked");
    EXPECT_EQ(MessageOf([&] { controller.Clear(); }), "Active action controller is locked");
    EXPECT_EQ(controller.ActionCount(), 1);

    view.reset();
    EXPECT_EQ(controller.ClientCount(), 1);
    toolBar.reset();
    EXPECT_FALSE(controller.Active());
    controller.AddAction(-1, QStringLiteral("Save"), locked.Commands.SaveHandler(), 0, {});
    EXPECT_EQ(controller.ActionCount(), 2);
    controller.Clear();
    EXPECT_EQ(controller.ActionCount(), 0);
    EXPECT_EQ(controller.EnabledImages().Count(), 0);
    controller.AddAction(-1, QStringLiteral("Open"), locked.Commands.OpenHandler(), 0, {});
    EXPECT_EQ(controller.Action(0).Caption, QStringLiteral("&Open")) << "Clear frees the letters again";
}

TEST_F(NAction, ControllerAndClientsMayBeDestroyedInEitherOrder)
{
    for (const bool controllerFirst : {true, false}) {
        auto lock = std::make_unique<TNEActionLock>();
        auto controller = std::make_unique<TNEActionController>();
        TCommands commands;
        controller->SetActionLock(lock.get());
        controller->AddAction(32, QStringLiteral("Open"), commands.OpenHandler(), 0, {});
        auto view = std::make_unique<TNEActionView>();
        auto toolBar = std::make_unique<TNEActionToolBar>();
        auto popup = std::make_unique<TNEActionPopup>();
        controller->BuildView(*view);
        controller->BuildToolBar(*toolBar);
        controller->BuildPopup(*popup);
        EXPECT_EQ(controller->ClientCount(), 3);
        if (controllerFirst) {
            controller.reset();
            EXPECT_EQ(view->Controller(), nullptr);
            view->Buttons().GetItem(0)->ExecuteAccelerator(); // an orphaned button runs nothing
            popup->actions().at(0)->trigger();
            EXPECT_EQ(commands.Opened, 0);
            view->grab(); // and still paints
            view.reset();
            toolBar.reset();
            popup.reset();
        } else {
            view.reset();
            toolBar.reset();
            popup.reset();
            EXPECT_EQ(controller->ClientCount(), 0);
            controller.reset();
        }
    }
}

TEST_F(NAction, PopupItemsFollowTheActionsAndRunThemThroughTheController)
{
    TLockedController locked;
    TNEActionController& controller = locked.Controller;
    controller.AddAction(32, QStringLiteral("Open"), locked.Commands.OpenHandler(), ShortCut('O', scCtrl), {});
    controller.AddAction(33, QStringLiteral("Save"), locked.Commands.SaveHandler(), 0, {});
    TNEActionPopup popup;
    controller.BuildPopup(popup);
    EXPECT_EQ(controller.ClientCount(), 1);
    const QList<QAction*> items = popup.actions();
    ASSERT_EQ(items.size(), 2);
    EXPECT_EQ(items[0]->text(), QStringLiteral("&Open\tCtrl+O"));

    controller.SetActionEnabled(false, locked.Commands.SaveHandler());
    EXPECT_TRUE(items[0]->isEnabled());
    EXPECT_FALSE(items[1]->isEnabled());

    items[0]->trigger();
    EXPECT_EQ(locked.Commands.Opened, 1);
    EXPECT_EQ(locked.Commands.LastSender, items[0]);
    locked.Lock.SetLocked(true);
    items[0]->trigger();
    EXPECT_EQ(locked.Commands.Opened, 1) << "the held lock keeps a menu command from running";
}

TEST_F(NAction, AFailingMenuCommandIsReportedByTheApplicationAndReleasesTheLock)
{
    TLockedController locked;
    locked.Controller.AddAction(4, QStringLiteral("Fail"), locked.Commands.FailHandler(), 0, {});
    TNEActionPopup popup;
    locked.Controller.BuildPopup(popup);
    EXPECT_NO_THROW(popup.actions().at(0)->trigger()) << "an exception must not unwind through the menu";
    EXPECT_FALSE(locked.Lock.IsLocked());

    TNEActionController unlocked;
    unlocked.AddAction(32, QStringLiteral("Open"), locked.Commands.OpenHandler(), 0, {});
    TNEActionPopup lockless;
    unlocked.BuildPopup(lockless);
    EXPECT_NO_THROW(lockless.actions().at(0)->trigger());
    EXPECT_EQ(locked.Commands.Opened, 0);
    ASSERT_EQ(Presenter.Messages().size(), 1u);
    EXPECT_EQ(Presenter.Messages()[0].Text, QStringLiteral("Action lock is invalid."));
}
