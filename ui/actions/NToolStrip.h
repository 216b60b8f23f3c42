#pragma once

#include "foundation/NContain.h"
#include "ui/actions/NAction.h"
#include "ui/actions/NControl.h"

#include <QImage>
#include <QPointer>

class TNEToolStrip;

// A control laid out on a tool strip.
class TNEToolStripControl : public TNEBasePanel
{
    Q_OBJECT

public:
    explicit TNEToolStripControl(QWidget* Parent = nullptr);
    ~TNEToolStripControl() override;

    // The strip that holds the control; nullptr until it is added to one.
    TNEToolStrip* Strip() const { return Strip_; }

private:
    friend class TNEToolStrip;
    QPointer<TNEToolStrip> Strip_;
};

// A 26 by 26 button of a strip with a glyph and an optional caption, running its own handler under an action
// lock when pressed. Its width grows to fit the caption when it is first shown.
class TNEToolStripButton : public TNEToolStripControl
{
    Q_OBJECT

public:
    explicit TNEToolStripButton(QWidget* Parent = nullptr);

    TNEActionLock* ActionLock() const { return ActionLock_; }
    // Refused (ENEInvalidActionLockErr) while the current lock is held.
    void SetActionLock(TNEActionLock* Lock);

    const QString& Caption() const { return Caption_; }
    // Once the button has been shown, a longer caption widens it at once.
    void SetCaption(const QString& Value);
    int Glyph() const { return Glyph_; }
    void SetGlyph(int Value);
    bool ButtonEnabled() const { return ButtonEnabled_; }
    // A disabled button stays under the mouse's hot tracking but runs nothing and shows no hint.
    void SetButtonEnabled(bool Value);
    bool Hot() const { return Hot_; }
    bool Down() const { return Down_; }
    void SetDown(bool Value);
    const QImage& Bitmap() const { return Bitmap_; }

    TNEActionHandler OnExecute;

protected:
    bool event(QEvent* Event) override;
    void paintEvent(QPaintEvent* Event) override;
    void enterEvent(QEnterEvent* Event) override;
    void leaveEvent(QEvent* Event) override;
    void mousePressEvent(QMouseEvent* Event) override;

private:
    // Widens the button to the glyph, the caption and a margin; it never shrinks.
    void FitWidth();

    QPointer<TNEActionLock> ActionLock_;
    QString Caption_;
    int Glyph_ = -1;
    QImage Bitmap_;
    bool ButtonEnabled_ = true;
    bool Hot_ = false;
    bool Down_ = false;
};

// Blank space on a strip, 8 wide.
class TNEToolStripFiller : public TNEToolStripControl
{
    Q_OBJECT

public:
    explicit TNEToolStripFiller(QWidget* Parent = nullptr);
};

// A thin vertical rule on a strip, always 1 pixel wide.
class TNEToolStripSplitter : public TNEToolStripControl
{
    Q_OBJECT

public:
    explicit TNEToolStripSplitter(QWidget* Parent = nullptr);

protected:
    void paintEvent(QPaintEvent* Event) override;
};

// A horizontal bar, 30 pixels high, inside an outline, holding strip controls side by side from the left, one
// pixel apart. A window offers its keys to its strip first (HandleShortCut).
class TNEToolStrip : public TNEBasePanel
{
    Q_OBJECT

public:
    explicit TNEToolStrip(QWidget* Parent = nullptr);
    ~TNEToolStrip() override;

    TNEActionLock* ActionLock() const { return ActionLock_; }
    // Gives the lock to every button on the strip; refused (ENEInvalidActionLockErr) while the current one is held.
    void SetActionLock(TNEActionLock* Lock);

    // Appends Control after the last one (nullptr is ignored); the strip's Inner panel becomes its parent.
    void AddControl(TNEToolStripControl* Control);
    int ControlCount() const { return Controls_.Count(); }
    // The control at Index; nullptr outside 0 .. ControlCount - 1.
    TNEToolStripControl* StripControls(int Index) const;

    // Places each control one pixel after the previous one, following their current widths.
    void ArrangeControls();
    // Runs on every resize of the strip and when a button changes its width; derived strips size their controls
    // here before arranging them.
    virtual void LayOut();

    // A key offered to the strip before the window's other commands; true when the strip consumed it.
    virtual bool HandleShortCut(TNEShortCut ShortCut);

    TNEOutlinePanel& Outline() const { return *Outline_; }
    TNEBasePanel& Inner() const { return *Inner_; }

protected:
    void resizeEvent(QResizeEvent* Event) override;

private:
    friend class TNEToolStripControl;

    QPointer<TNEActionLock> ActionLock_;
    TNEOutlinePanel* Outline_;
    TNEBasePanel* Inner_;
    mutable TNEObjectContainer<TNEToolStripControl> Controls_;
};

// A panel with a one-pixel rule along its bottom edge, which its client area leaves free.
class TNEToolBarHorz : public TNEBasePanel
{
    Q_OBJECT

public:
    explicit TNEToolBarHorz(QWidget* Parent = nullptr);

protected:
    void paintEvent(QPaintEvent* Event) override;
};
