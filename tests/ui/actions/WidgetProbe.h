#pragma once

#include "ui/actions/NControl.h"

#include <QApplication>
#include <QColor>
#include <QEnterEvent>
#include <QImage>
#include <QWidget>

// What the button tests do to widgets: render them as they paint, and move the mouse onto them.

inline QImage Render(QWidget& Widget)
{
    return Widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

inline bool Contains(const QImage& Image, const QRect& Area, const QColor& Color)
{
    for (int y = Area.top(); y <= Area.bottom(); ++y) {
        for (int x = Area.left(); x <= Area.right(); ++x) {
            if (Image.pixelColor(x, y) == Color)
                return true;
        }
    }
    return false;
}

inline void Enter(QWidget& Widget)
{
    QEnterEvent enter(QPointF(8, 8), QPointF(8, 8), Widget.mapToGlobal(QPointF(8, 8)));
    QApplication::sendEvent(&Widget, &enter);
}

inline void Leave(QWidget& Widget)
{
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&Widget, &leave);
}

// A widget that paints a flat background and a glyph at (2, 3) through a paint buffer, shifted by a translation.
class TGlyphWidget : public QWidget
{
public:
    TGlyphWidget(const QImage& Glyph, QPoint Origin) : Glyph_(Glyph), Origin_(Origin)
    {
        setAutoFillBackground(true);
        QPalette colours = palette();
        colours.setColor(QPalette::Window, QColor(200, 100, 50));
        setPalette(colours);
        resize(24, 24);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        TNEPaintBuffer buffer(*this);
        buffer.Painter().translate(Origin_);
        DrawGlyph(buffer.Painter(), 2, 3, Glyph_);
    }

private:
    QImage Glyph_;
    QPoint Origin_;
};
