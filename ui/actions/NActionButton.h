#pragma once

#include "foundation/NContain.h"
#include "ui/actions/NAction.h"
#include "ui/actions/NControl.h"
#include "ui/platform/NForm.h"

#include <QImage>
#include <QPointer>
#include <QScrollArea>

class TNEActionButtonColumn;

// A button showing one action of a controller: its glyph, and in a view its caption. It follows the action's
// enabled and down state and runs the action through the controller when pressed, on Enter or Space while focused,
// or on the Alt+letter of its caption.
class TNEActionButton : public TNEBasePanel, public TNEAcceleratorControl
{
    Q_OBJECT

public:
    TNEActionButton(TNEActionButtonColumn& Column, TNEActionController& Controller, const TNEActionRec& Action,
                    bool Compact, QWidget* Parent);

    TNEActionController* Controller() const { return Controller_; }
    // The action's handler, which identifies it.
    const TNEActionHandler& Handler() const { return Handler_; }
    // The action's caption, without its "&" marks while the button is disabled.
    const QString& Caption() const { return Caption_; }
    // The index of the action's images in the controller's image lists.
    int ImageIndex() const { return ImageIndex_; }
    const QImage& Bitmap() const { return Bitmap_; }
    void SetBitmap(const QImage& Value);
    bool Compact() const { return Compact_; }
    bool Hot() const { return Hot_; }
    bool Down() const { return Down_; }

    // Enabling and disabling also switch the caption; a disabled button hands its focus to a neighbour.
    void SetEnabled(bool Value);
    void SetDown(bool Value);

    QString AcceleratorCaption() const override { return Caption_; }
    void ExecuteAccelerator() override;

protected:
    void paintEvent(QPaintEvent* Event) override;
    void enterEvent(QEnterEvent* Event) override;
    void leaveEvent(QEvent* Event) override;
    void mousePressEvent(QMouseEvent* Event) override;
    void keyPressEvent(QKeyEvent* Event) override;

private:
    void Execute();

    TNEActionButtonColumn& Column_;
    QPointer<TNEActionController> Controller_;
    TNEActionHandler Handler_;
    QString ActionCaption_;
    QString Caption_;
    int ImageIndex_;
    QImage Bitmap_;
    bool Compact_;
    bool Hot_ = false;
    bool Down_ = false;
};

// The buttons of a tool bar or view, one per action in order, and what both clients do with them. The buttons
// belong to the client's widget; the column only lists them.
class TNEActionButtonColumn
{
public:
    TNEActionButtonColumn(const TNEActionButtonColumn&) = delete;
    TNEActionButtonColumn& operator=(const TNEActionButtonColumn&) = delete;

    TNEActionController* Controller() const { return Controller_; }
    TNEObjectContainer<TNEActionButton>& Buttons() { return Buttons_; }

    // Every button of the action with Handler takes the state; its glyph follows the enabled state.
    void UpdateEnabled(bool Enabled, const TNEActionHandler& Handler);
    void UpdateDown(bool Down, const TNEActionHandler& Handler);
    // Gives the focus to the nearest enabled button before the one of Handler, or else the first enabled one after
    // it (with no handler, the first enabled button); false when no button is enabled.
    bool FocusNextEnabled(const TNEActionHandler& Handler = {});
    // Whether one of its buttons holds its window's focus (also while the window is inactive).
    bool HasFocusedButton();
    // Reloads the glyph of the buttons of Handler after the action's glyph changed.
    void RefreshGlyphs(const TNEActionHandler& Handler);

protected:
    TNEActionButtonColumn() = default;
    ~TNEActionButtonColumn() = default;

    // Creates one button per action of Controller on Parent, Width wide, from top 1 in steps of 27 pixels;
    // returns the widest caption.
    int CreateButtons(TNEActionController& Controller, QWidget& Parent, bool Compact, int Width);

    QPointer<TNEActionController> Controller_;

private:
    TNEObjectContainer<TNEActionButton> Buttons_;
};

// A column of 26 by 26 glyph buttons, one per action, 28 pixels wide.
class TNEActionToolBar : public TNEBasePanel, public TNEActionButtonColumn
{
    Q_OBJECT

public:
    explicit TNEActionToolBar(QWidget* Parent = nullptr);
    ~TNEActionToolBar() override;

private:
    friend class TNEActionController;
    void Attach(TNEActionController& Controller);
};

// A scrolling column of buttons with glyph and caption, one per action, as wide as the widest caption needs.
class TNEActionView : public QScrollArea, public TNEActionButtonColumn
{
    Q_OBJECT

public:
    explicit TNEActionView(QWidget* Parent = nullptr);
    ~TNEActionView() override;

private:
    friend class TNEActionController;
    void Attach(TNEActionController& Controller);

    TNEBasePanel* Content_;
};
