#pragma once

#include "ui/platform/NDesktop.h"

// Pretends a screen of the given size for its lifetime (work area, frame and scroll-bar sizes adjustable).
class TFakeScreen final : public TNEScreenMetrics
{
public:
    explicit TFakeScreen(QSize Screen);
    ~TFakeScreen() override;

    QSize Screen;
    QRect Work;
    int Frame = 4;
    int ScrollBar = 17;

    QSize ScreenSize() const override { return Screen; }
    QRect WorkArea() const override { return Work; }
    int FrameWidth() const override { return Frame; }
    int ScrollBarWidth() const override { return ScrollBar; }
    int ScrollBarHeight() const override { return ScrollBar; }

private:
    TNEScreenMetrics* Previous_;
};
