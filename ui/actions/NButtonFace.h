#pragma once

#include <QColor>
#include <QPainter>
#include <QRect>

// The colours the action buttons and strip buttons share.

inline const QColor HotFrameColor{113, 124, 136};
inline const QColor DownFrameColor{135, 148, 161};
inline const QColor DisabledTextColor{128, 128, 128};

// The face of a button the mouse is over (Hot), that is pressed (Down), or both.
inline QColor ButtonFaceColor(bool Hot, bool Down)
{
    if (Hot && Down)
        return {249, 250, 251};
    return Hot ? QColor(241, 243, 246) : QColor(231, 235, 239);
}

// A one-pixel frame on the edge pixels of Area.
inline void FrameRect(QPainter& Canvas, const QRect& Area, const QColor& Color)
{
    Canvas.fillRect(Area.left(), Area.top(), Area.width(), 1, Color);
    Canvas.fillRect(Area.left(), Area.bottom(), Area.width(), 1, Color);
    Canvas.fillRect(Area.left(), Area.top(), 1, Area.height(), Color);
    Canvas.fillRect(Area.right(), Area.top(), 1, Area.height(), Color);
}

// The caption's colour: black, or grey while disabled.
inline QColor CaptionColor(bool Enabled)
{
    return Enabled ? QColor(Qt::black) : DisabledTextColor;
}
