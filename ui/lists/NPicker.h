#pragma once

#include "ui/actions/NControl.h"
#include "ui/lists/NFrame.h"
#include "ui/lists/NList.h"

#include <QPointer>
#include <QString>

#include <memory>

class QEvent;
class TNEListPanel;
class TNEPicker;

// The picker's agent on its list: Enter, Space or a left press on an item is OK (while OK is enabled); F5 lists the
// entries again from the first one.
class TNEPickerController : public TNEListController
{
public:
    TNEPickerController(TNEListView& List, TNEPicker& Picker);

    void ListKeyDown(TNEShortCut& Key) override;
    void ListMouseDown(Qt::MouseButton Button, Qt::KeyboardModifiers Modifiers, int X, int Y) override;

private:
    TNEPicker& Picker_;
};

// Lets the user pick one entry of a list of strings, in a small window with the list (sorted by text unless the
// caller turns that off; the find bar searches it), OK and Cancel. Captioned "Pick" until the caller gives its own.
class TNEPicker : public TNEBaseFrame
{
    Q_OBJECT

public:
    explicit TNEPicker(QObject* Owner = nullptr);
    ~TNEPicker() override;

    bool Sorted() const { return Sorted_; }
    void SetSorted(bool Value);

    // Shows Entries (a field list, each entry followed by ";") with the entry at InitialIndex focused (the first
    // one when out of range) and returns the position in Entries of the one chosen, -1 when cancelled. With an
    // owner window the picker is centred on it, 400 wide and three quarters of its height high, at least 400.
    int Execute(int InitialIndex, const QString& Entries);

    // Lists the entries again, focusing the one at InitialIndex.
    void Fill();
    // What OK does: the focused entry becomes the choice and the picker closes.
    void AcceptChoice();

    TNEListPanel& ListPanel() const { return *ListPanel_; }
    TNEListView& ListView() const { return *ListView_; }

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    friend class TNEPickerController;

    void LayOut();
    void SelectItem(int Item, bool Selected);

    QPointer<QWidget> Window_;
    TNEListPanel* ListPanel_;
    TNEListView* ListView_;
    std::unique_ptr<TNEPickerController> ListController_;
    TNEImageList Images_{16, 17};
    bool Sorted_ = true;
    QString Entries_;
    int InitialIndex_ = -1;
    int SelectedIndex_ = -1;
};
