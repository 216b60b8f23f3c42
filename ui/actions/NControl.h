#pragma once

#include "foundation/NException.h"
#include "ui/platform/NKeys.h"

#include <QColor>
#include <QIcon>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QPointer>
#include <QStringList>
#include <QWidget>

#include <bitset>
#include <vector>

class QAbstractButton;
class QPushButton;

NE_DECLARE_ERROR(ENEResourceNotFoundErr, ENEException, "Resource not found");
NE_DECLARE_ERROR(ENEImageListErr, ENEException, "Image does not fit the image list");
NE_DECLARE_ERROR(ENECanvasErr, ENEException, "Glyphs are drawn on image canvases only");

// A borderless panel of one flat colour that paints its whole area.
class TNEBasePanel : public QWidget
{
    Q_OBJECT

public:
    explicit TNEBasePanel(QWidget* Parent = nullptr);

    QColor Color() const;
    void SetColor(const QColor& Value);
    // Drops the panel's own colour so that it shows its parent's colour, wherever it is placed.
    void UseParentColor();
};

enum TNEOutlineSide
{
    osLeft = 1,
    osTop = 2,
    osRight = 4,
    osBottom = 8,
};
using TNEOutlineSides = QFlags<TNEOutlineSide>;
Q_DECLARE_OPERATORS_FOR_FLAGS(TNEOutlineSides)

// A panel that draws a one-pixel outline on chosen sides and keeps one client control filling the space inside.
// The client is borrowed, not owned.
class TNEOutlinePanel : public TNEBasePanel
{
    Q_OBJECT

public:
    explicit TNEOutlinePanel(QWidget* Parent = nullptr);

    QWidget* Client() const { return Client_; }
    // Makes Control the client; once the panel has a parent the client is placed on the panel and aligned.
    void SetClient(QWidget* Control);
    // Gives the client the panel's area less one pixel on each outlined side.
    void AlignClient();

    QColor OutlineColor() const { return OutlineColor_; }
    void SetOutlineColor(const QColor& Value) { OutlineColor_ = Value; }
    TNEOutlineSides Outline() const { return Outline_; }
    void SetOutline(TNEOutlineSides Value) { Outline_ = Value; }

    int InnerWidth() const;
    int InnerHeight() const;
    // Sizes the panel so that its inner width becomes Value.
    void SetInnerWidth(int Value);

protected:
    void changeEvent(QEvent* Event) override;
    void paintEvent(QPaintEvent* Event) override;
    void resizeEvent(QResizeEvent* Event) override;

private:
    int HorizontalOutline() const;
    int VerticalOutline() const;
    void PlaceClient();

    QPointer<QWidget> Client_;
    QColor OutlineColor_{113, 124, 136};
    TNEOutlineSides Outline_ = osLeft | osTop | osRight | osBottom;
};

// An edit box that paints its whole area.
class TNEOpaqueEdit : public QLineEdit
{
    Q_OBJECT

public:
    explicit TNEOpaqueEdit(QWidget* Parent = nullptr);
};

// Equally sized images addressed by index, each with the pixels of its mask colour made transparent.
class TNEImageList
{
public:
    TNEImageList(int Width, int Height) : Width_(Width), Height_(Height) {}

    int Width() const { return Width_; }
    int Height() const { return Height_; }
    int Count() const { return static_cast<int>(Images_.size()); }

    // Appends Image, which must have the list's size (ENEImageListErr otherwise); returns its index.
    int Add(const QImage& Image, const QColor& MaskColor);
    // Replaces the image at Index, which must exist.
    void Replace(int Index, const QImage& Image, const QColor& MaskColor);
    // The image at Index with transparency (ARGB32).
    const QImage& Image(int Index) const { return Images_.at(Index); }
    void RemoveLast() { Images_.pop_back(); }
    void Clear() { Images_.clear(); }

private:
    QImage Masked(const QImage& Image, const QColor& MaskColor) const;

    int Width_;
    int Height_;
    std::vector<QImage> Images_;
};

// Loads the glyph pictures built into the program: glyph N is the resource "NGLYPHS16_" + N with at least three
// digits, 32 by 16 pixels, the enabled picture on the left and the disabled one on the right, on neutral grey 127.
class TNEControlBroker
{
public:
    // The whole 24-bit glyph; glyph -1 is a blank neutral one. ENEResourceNotFoundErr names a missing resource.
    QImage LoadGlyphResource(int Glyph) const;
};

// The one glyph loader of the program.
const TNEControlBroker& ControlBroker();

// The 16 by 16 enabled or disabled half of a glyph, 24-bit.
QImage LoadGlyph(int Glyph, bool Enabled);
// Appends a glyph half to an image list with the mask colour (128, 128, 0).
void AddGlyph(TNEImageList& Images, int Glyph, bool Enabled);
// Replaces the image at Index the same way; an index outside the list changes nothing.
void ReplaceGlyph(TNEImageList& Images, int Index, int Glyph, bool Enabled);
// Appends an image of the list's size in BackColor with the glyph half shaded onto its centre (an odd spare pixel
// goes above and to the left), BackColor being the mask colour.
void AddShadedGlyph(TNEImageList& Images, int Glyph, const QColor& BackColor, bool Enabled);

// Shades a glyph onto what the canvas already holds at (X, Y). A widget's pixels cannot be read back, so the
// canvas must paint on an image: a TNEPaintBuffer (ENECanvasErr otherwise). On a high-density canvas every glyph
// pixel covers a block of device pixels.
void DrawGlyph(QPainter& Canvas, int X, int Y, const QImage& Glyph);

// Paints a widget through an image so that DrawGlyph can shade onto what is drawn: paint on Painter() during the
// widget's paint event; the image goes onto the widget when the buffer goes out of scope. The image has the
// widget's device pixel ratio, so text and lines stay sharp on high-density screens; coordinates are the widget's.
class TNEPaintBuffer
{
public:
    explicit TNEPaintBuffer(QWidget& Widget);
    ~TNEPaintBuffer();
    TNEPaintBuffer(const TNEPaintBuffer&) = delete;
    TNEPaintBuffer& operator=(const TNEPaintBuffer&) = delete;

    QPainter& Painter() { return Painter_; }

private:
    QWidget& Widget_;
    QImage Image_;
    QPainter Painter_;
};

// A push button on Parent at (8, 8), 94 by 26, with Caption and the glyph; nothing is left behind when the glyph
// cannot be loaded. It is not auto-default: Enter presses it only while it has the focus, unless it is made the
// window's default button.
QPushButton* CreateGlyphButton(int Glyph, const QString& Caption, QWidget* Parent);
// Gives a button the glyph shaded onto its face colour: the left half normally, the right half while disabled.
void SetButtonGlyph(int Glyph, QAbstractButton& Button);
// Adds a glyph picture to an icon for the state Mode, with its pixels doubled and tripled for high-density screens
// (an icon would otherwise smooth its one picture up).
void AddGlyphPixmaps(QIcon& Icon, const QImage& Face, QIcon::Mode Mode);
// Centres Control vertically on Reference (both children of one parent).
void CenterVertically(const QWidget& Reference, QWidget& Control);

// Where a form opens by default: 800 by 600 at (0, 0) on small screens, four fifths of a larger screen, centred.
struct TNEFormGeometry
{
    int Left;
    int Top;
    int Width;
    int Height;

    friend bool operator==(const TNEFormGeometry&, const TNEFormGeometry&) = default;
};

TNEFormGeometry DefaultFormGeometryFor(QSize Screen);
// The default geometry of the primary screen, fixed on the first call that finds a screen.
TNEFormGeometry DefaultFormGeometry();
int DefaultFormLeft();
int DefaultFormTop();
int DefaultFormWidth();
int DefaultFormHeight();

// A set of 8-bit key codes: the accelerator letters a window's captions may still take, or those they took.
using TNEAcceleratorKeys = std::bitset<256>;

// The accelerator alphabet: the key codes of "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ".
TNEAcceleratorKeys InitAcceleratorKeys();
// The caption with exactly one accelerator mark, before the first character whose letter is still free (its own
// first mark when that letter is free), every other mark removed; none when no letter is free. The letter taken
// leaves FreeKeys. Letters compare by upper case, folding only "a" to "z". "&&" is a literal ampersand and stays,
// as every reader of accelerators takes it.
QString AssignAccelerator(const QString& Caption, TNEAcceleratorKeys& FreeKeys);
// Alt plus the accelerator letter or digit of a caption, read as the windows route and underline it
// (AcceleratorShortCut); 0 when there is none.
TNEShortCut AcceleratorOf(const QString& Caption);
// The key codes of AcceleratorOf of every caption that has one.
TNEAcceleratorKeys CollectAcceleratorKeys(const QStringList& Captions);
// The caption as shown without its accelerator: every "&" marking a character goes, "&&" becomes "&".
QString StripHotKey(const QString& Caption);
