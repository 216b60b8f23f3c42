#pragma once

#include "foundation/NMethod.h"
#include "ui/actions/NAction.h"
#include "ui/actions/NControl.h"
#include "ui/actions/NToolStrip.h"
#include "ui/lists/NList.h"

#include <QPointer>

#include <memory>

class QLabel;
class TNEForm;

// Frames a list with a one-pixel outline, optionally with a side control in its own outline at the list's left,
// and shows the find bar above the list while a search is open: "Find:", the find edit and the "Find next (F3)"
// and "Close search (Esc)" buttons.
//
// The panel observes the controller of the attached list. Its lnFind opens the bar (or focuses it) and searches;
// lnCloseSearch closes it. While the bar is open the panel has hooked the list's OnSelectItem and the form's
// OnKeyDown with key preview on, so that the form sees the keys first:
//   F3 finds the next match; F5 empties the search and selects the first item; Escape closes the search; Enter in
//   the find edit moves the focus to the list, leaving the bar open; Delete and Backspace are hidden from the form's
//   own handler, so they edit the search text and never run the form's commands.
// The hooks are undone in reverse when the search closes, on AttachList, when the controller is destroyed and when
// the panel is destroyed, whichever comes first. Two find bars of one form open at once chain the form's handler;
// one closed while the other hooked after it stays in the chain and passes every key on until it is on top again
// (so such a panel must not be destroyed on its own before the other one's search closes; with its form it may).
class TNEListPanel : public TNEOutlinePanel
{
    Q_OBJECT

public:
    explicit TNEListPanel(QWidget* Parent = nullptr);
    ~TNEListPanel() override;

    // Shows List (and SideControl, when given, in an outline at its left) in the panel, which becomes their parent;
    // an open search closes first. A list or side control replaced by a later AttachList is hidden and loses its
    // parent: whoever made it owns it again. The list's controller, if any, has its search cleared and is observed.
    void AttachList(TNEListView* List, QWidget* SideControl = nullptr);

    TNEListView* ListView() const { return ListView_; }
    QWidget* SideControl() const { return SideControl_; }
    // The outline hosting the side control; nullptr without one.
    TNEOutlinePanel* SideOutline() const { return SideOutline_.get(); }
    bool IsSearchOpen() const;

    TNEActionLock& ActionLock() const { return *ActionLock_; }
    TNEBasePanel& FindBar() const { return *FindBar_; }
    QLabel& FindLabel() const { return *FindLabel_; }
    TNEOpaqueEdit& FindEdit() const { return *FindEdit_; }
    TNEToolStripButton& FindNextButton() const { return *FindNextButton_; }
    TNEToolStripButton& CloseButton() const { return *CloseButton_; }

protected:
    void paintEvent(QPaintEvent* Event) override;
    void resizeEvent(QResizeEvent* Event) override;

private:
    void LayOut();
    void ControllerNotified(TNEListController* Controller);
    void StopObserving();
    void OpenFindBar();
    void CloseFindBar();
    // Puts back the list's selection handler and the form's key handling, each only while the panel's is in place.
    void UndoHooks();

    void FindEditChanged();
    void FindNext();
    void FindNextClicked(QObject* Sender);
    void CloseClicked(QObject* Sender);
    void ListSelectItem(int Item, bool Selected);
    void FormKeyDown(TNEShortCut& Key);

    QPointer<TNEListView> ListView_;
    QPointer<QWidget> SideControl_;
    std::unique_ptr<TNEOutlinePanel> SideOutline_;
    TNEListController* ObservedController_ = nullptr;

    TNEActionLock* ActionLock_;
    TNEBasePanel* FindBar_;
    QLabel* FindLabel_;
    TNEOpaqueEdit* FindEdit_;
    TNEToolStripButton* FindNextButton_;
    TNEToolStripButton* CloseButton_;

    bool SelectionHooked_ = false;
    TNEMethod<void(int, bool)> SavedSelectHandler_;
    // The form's key handling is hooked from the first opening until the panel's handler is taken off the form.
    QPointer<TNEForm> Form_;
    bool InFormChain_ = false;
    TNEMethod<void(TNEShortCut&)> SavedFormKeyDown_;
    bool SavedKeyPreview_ = false;
};
