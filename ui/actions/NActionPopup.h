#pragma once

#include "ui/actions/NAction.h"

#include <QAction>
#include <QMenu>
#include <QPointer>

// A menu item that runs its action through the controller of its popup.
class TNEActionPopupItem : public QAction
{
    Q_OBJECT

public:
    TNEActionPopupItem(const TNEActionHandler& Handler, QObject* Parent);

    const TNEActionHandler& Handler() const { return Handler_; }
    // Runs the handler under the controller's lock, with the item as sender; a failure goes to the application's
    // default handler instead of unwinding through the menu.
    void Click();

private:
    TNEActionHandler Handler_;
};

// A popup menu with one item per action of a controller (BuildPopup), in the order of the actions, following their
// enabled state.
class TNEActionPopup : public QMenu
{
    Q_OBJECT

public:
    explicit TNEActionPopup(QWidget* Parent = nullptr);
    ~TNEActionPopup() override;

    TNEActionController* Controller() const { return Controller_; }
    // Every item of Handler whose state differs takes Enabled and the image of that state.
    void UpdateEnabled(bool Enabled, const TNEActionHandler& Handler);

private:
    friend class TNEActionController;
    void Attach(TNEActionController& Controller);
    QIcon ItemIcon(bool Enabled, int ImageIndex) const;

    QPointer<TNEActionController> Controller_;
};
