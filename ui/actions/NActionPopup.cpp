#include "ui/actions/NActionPopup.h"

#include "ui/actions/NPixel.h"
#include "ui/platform/NApplication.h"

#include <QIcon>
#include <QPixmap>

TNEActionPopupItem::TNEActionPopupItem(const TNEActionHandler& Handler, QObject* Parent)
    : QAction(Parent), Handler_(Handler)
{
    connect(this, &QAction::triggered, this, &TNEActionPopupItem::Click);
}

void TNEActionPopupItem::Click()
{
    auto* popup = qobject_cast<TNEActionPopup*>(parent());
    if (popup && popup->Controller())
        RunEventHandler([&] { popup->Controller()->ExecuteAction(this, Handler_); });
}

TNEActionPopup::TNEActionPopup(QWidget* Parent) : QMenu(Parent) {}

TNEActionPopup::~TNEActionPopup()
{
    if (Controller_)
        Controller_->Release(*this);
}

QIcon TNEActionPopup::ItemIcon(bool Enabled, int ImageIndex) const
{
    // The glyph is shaded onto the menu's own colour, as buttons shade theirs.
    QImage face(16, 16, PixelFormat);
    face.fill(palette().color(QPalette::Window));
    BlendGlyph(Controller_->GetActionBitmap(Enabled, ImageIndex), face, 0, 0);
    QIcon icon;
    AddGlyphPixmaps(icon, face, QIcon::Normal);
    return icon;
}

void TNEActionPopup::Attach(TNEActionController& Controller)
{
    Controller_ = &Controller;
    for (int i = 0; i < Controller.ActionCount(); ++i) {
        const TNEActionRec& action = Controller.Action(i);
        auto* item = new TNEActionPopupItem(action.Handler, this); // the popup owns it
        QString text = action.Caption;
        if (action.ShortCut != 0)
            text += u'\t' + ShortCutToText(action.ShortCut); // shown in the menu's key column, not bound
        item->setText(text);
        item->setToolTip(action.Hint);
        item->setEnabled(action.Enabled);
        item->setIcon(ItemIcon(action.Enabled, action.ImageIndex));
        addAction(item);
    }
}

void TNEActionPopup::UpdateEnabled(bool Enabled, const TNEActionHandler& Handler)
{
    const QList<QAction*> items = actions();
    for (int i = 0; i < items.size(); ++i) {
        auto* item = qobject_cast<TNEActionPopupItem*>(items[i]);
        if (!item || item->Handler() != Handler || item->isEnabled() == Enabled)
            continue;
        item->setEnabled(Enabled);
        if (Controller_)
            item->setIcon(ItemIcon(Enabled, i)); // items stand in the order of the actions
    }
}
