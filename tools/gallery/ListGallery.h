#pragma once

#include "ui/actions/NAction.h"
#include "ui/actions/NControl.h"
#include "ui/lists/NList.h"
#include "ui/lists/NListPanel.h"
#include "ui/platform/NForm.h"

#include <memory>

class TNEActionToolBar;

// A list of 1,000 logins in a list panel with a column of row commands beside it, as the main window shows the
// vault: masked passwords, the sort arrow on the sorted column, header clicks sorting, typing to find.
class TListGalleryForm : public TNEForm
{
public:
    TListGalleryForm();

    // The list focused on one of its items, for a picture with the find bar closed.
    void ShowList();
    // A search typed into the list, for a picture with the find bar open on a match.
    void ShowSearch();

protected:
    void resizeEvent(QResizeEvent* Event) override;

private:
    void Fill();
    void ColumnClicked(int Column);
    void SelectItem(int Item, bool Selected);
    void Report(QObject* Sender);
    void Type(const QString& Text);

    TNEActionLock Lock_;
    TNEActionController RowActions_;
    TNEImageList Images_{16, 17};
    // Declared after the action controller, so its clients go first; the list controller goes before the list.
    std::unique_ptr<TNEListPanel> Panel_;
    TNEListView* List_;
    TNEActionToolBar* RowToolBar_;
    std::unique_ptr<TNEListController> Controller_;
};
