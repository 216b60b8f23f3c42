#include "ui/actions/NControl.h"

#include "resources/NGlyphResources.h"
#include "ui/actions/NPixel.h"
#include "ui/platform/NDesktop.h"

#include <QEvent>
#include <QIcon>
#include <QPixmap>
#include <QPushButton>

#include <algorithm>
#include <cmath>
#include <memory>
#include <optional>

namespace {

constexpr int GlyphSize = 16;
const QColor NeutralGrey(127, 127, 127);
const QColor GlyphMaskColor(128, 128, 0);

int SidesPresent(TNEOutlineSides Sides, TNEOutlineSide First, TNEOutlineSide Second)
{
    return (Sides.testFlag(First) ? 1 : 0) + (Sides.testFlag(Second) ? 1 : 0);
}

// One side of the default geometry: Minimum on screens up to Minimum, four fifths of a larger screen, centred.
std::pair<int, int> DefaultSpan(int Screen, int Minimum)
{
    if (Screen <= Minimum)
        return {0, Minimum};
    const int size = std::max(Minimum, static_cast<int>(std::nearbyint(Screen * 4 / 5.0)));
    return {(Screen - size) / 2, size};
}

bool TakeFreeKey(QChar Character, TNEAcceleratorKeys& FreeKeys)
{
    const TNEKeyCode key = AcceleratorKeyCode(Character);
    if (key == 0 || !FreeKeys.test(key))
        return false;
    FreeKeys.reset(key);
    return true;
}

// An image of the widget's size at its device pixel ratio in its background colour, the start of a buffered paint.
QImage BackgroundImage(const QWidget& Widget)
{
    const qreal ratio = Widget.devicePixelRatio();
    QImage image((QSizeF(Widget.size()) * ratio).toSize(), QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    image.fill(Widget.palette().color(Widget.backgroundRole()));
    return image;
}

// A glyph for a canvas of Ratio device pixels per pixel: each pixel grown to a block, never smoothed.
QImage GlyphAtRatio(const QImage& Glyph, qreal Ratio)
{
    if (Ratio == 1)
        return Glyph;
    return Glyph.scaled((QSizeF(Glyph.size()) * Ratio).toSize(), Qt::IgnoreAspectRatio, Qt::FastTransformation);
}

} // namespace

TNEBasePanel::TNEBasePanel(QWidget* Parent) : QWidget(Parent)
{
    setAutoFillBackground(true);
    SetColor(QColor(208, 216, 224));
}

QColor TNEBasePanel::Color() const
{
    return palette().color(QPalette::Window);
}

void TNEBasePanel::SetColor(const QColor& Value)
{
    QPalette colours = palette();
    colours.setColor(QPalette::Window, Value);
    setPalette(colours);
}

void TNEBasePanel::UseParentColor()
{
    setPalette(QPalette()); // a palette that sets no role inherits every role from the parent
}

TNEOutlinePanel::TNEOutlinePanel(QWidget* Parent) : TNEBasePanel(Parent) {}

void TNEOutlinePanel::SetClient(QWidget* Control)
{
    if (Control == Client_)
        return;
    Client_ = Control;
    if (Client_ && parentWidget())
        PlaceClient();
}

void TNEOutlinePanel::AlignClient()
{
    if (!Client_)
        return;
    int left = 0, top = 0, right = width(), bottom = height();
    if (Outline_.testFlag(osLeft))
        ++left;
    if (Outline_.testFlag(osTop))
        ++top;
    if (Outline_.testFlag(osRight))
        --right;
    if (Outline_.testFlag(osBottom))
        --bottom;
    Client_->setGeometry(left, top, right - left, bottom - top);
}

int TNEOutlinePanel::HorizontalOutline() const
{
    return SidesPresent(Outline_, osLeft, osRight);
}

int TNEOutlinePanel::VerticalOutline() const
{
    return SidesPresent(Outline_, osTop, osBottom);
}

int TNEOutlinePanel::InnerWidth() const
{
    return width() - HorizontalOutline();
}

int TNEOutlinePanel::InnerHeight() const
{
    return height() - VerticalOutline();
}

void TNEOutlinePanel::SetInnerWidth(int Value)
{
    if (Value != InnerWidth())
        resize(Value + HorizontalOutline(), height());
}

void TNEOutlinePanel::PlaceClient()
{
    if (Client_->parentWidget() != this) {
        const bool wasHiddenOnPurpose = Client_->isHidden() && Client_->testAttribute(Qt::WA_WState_ExplicitShowHide);
        Client_->setParent(this);
        if (!wasHiddenOnPurpose)
            Client_->show();
    }
    AlignClient();
}

void TNEOutlinePanel::changeEvent(QEvent* Event)
{
    TNEBasePanel::changeEvent(Event);
    if (Event->type() == QEvent::ParentChange && Client_ && parentWidget())
        PlaceClient();
}

void TNEOutlinePanel::paintEvent(QPaintEvent* Event)
{
    TNEBasePanel::paintEvent(Event);
    QPainter painter(this);
    const int w = width(), h = height();
    if (Outline_.testFlag(osLeft))
        painter.fillRect(0, 0, 1, h, OutlineColor_);
    if (Outline_.testFlag(osTop))
        painter.fillRect(0, 0, w, 1, OutlineColor_);
    if (Outline_.testFlag(osRight))
        painter.fillRect(w - 1, 0, 1, h, OutlineColor_);
    if (Outline_.testFlag(osBottom))
        painter.fillRect(0, h - 1, w, 1, OutlineColor_);
}

void TNEOutlinePanel::resizeEvent(QResizeEvent* Event)
{
    AlignClient();
    TNEBasePanel::resizeEvent(Event);
}

TNEOpaqueEdit::TNEOpaqueEdit(QWidget* Parent) : QLineEdit(Parent)
{
    setAutoFillBackground(true);
}

QImage TNEImageList::Masked(const QImage& Image, const QColor& MaskColor) const
{
    if (Image.size() != QSize(Width_, Height_))
        throw ENEImageListErr();
    QImage result = Image.convertToFormat(QImage::Format_ARGB32);
    const QRgb mask = MaskColor.rgb();
    for (int y = 0; y < result.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(result.scanLine(y));
        for (int x = 0; x < result.width(); ++x) {
            if (line[x] == mask)
                line[x] = qRgba(0, 0, 0, 0);
        }
    }
    return result;
}

int TNEImageList::Add(const QImage& Image, const QColor& MaskColor)
{
    Images_.push_back(Masked(Image, MaskColor));
    return Count() - 1;
}

void TNEImageList::Replace(int Index, const QImage& Image, const QColor& MaskColor)
{
    Images_.at(Index) = Masked(Image, MaskColor);
}

QImage TNEControlBroker::LoadGlyphResource(int Glyph) const
{
    if (Glyph == -1) {
        QImage blank(2 * GlyphSize, GlyphSize, PixelFormat);
        blank.fill(NeutralGrey);
        return blank;
    }
    const QString name = GlyphResourceName(Glyph);
    const QImage image(GlyphResourcePath(Glyph));
    if (image.isNull())
        throw ENEResourceNotFoundErr(QStringLiteral("Resource %1 not found").arg(name));
    if (image.size() != QSize(2 * GlyphSize, GlyphSize))
        throw ENEResourceNotFoundErr(QStringLiteral("Resource %1 is not a 32 by 16 glyph").arg(name));
    return image.convertToFormat(PixelFormat);
}

const TNEControlBroker& ControlBroker()
{
    static const TNEControlBroker broker;
    return broker;
}

QImage LoadGlyph(int Glyph, bool Enabled)
{
    return ControlBroker().LoadGlyphResource(Glyph).copy(Enabled ? 0 : GlyphSize, 0, GlyphSize, GlyphSize);
}

void AddGlyph(TNEImageList& Images, int Glyph, bool Enabled)
{
    Images.Add(LoadGlyph(Glyph, Enabled), GlyphMaskColor);
}

void ReplaceGlyph(TNEImageList& Images, int Index, int Glyph, bool Enabled)
{
    if (Index >= 0 && Index < Images.Count())
        Images.Replace(Index, LoadGlyph(Glyph, Enabled), GlyphMaskColor);
}

void AddShadedGlyph(TNEImageList& Images, int Glyph, const QColor& BackColor, bool Enabled)
{
    const QImage glyph = LoadGlyph(Glyph, Enabled);
    QImage image(Images.Width(), Images.Height(), PixelFormat);
    image.fill(BackColor);
    const int spareWidth = Images.Width() - GlyphSize;
    const int spareHeight = Images.Height() - GlyphSize;
    BlendGlyph(glyph, image, (spareWidth + (spareWidth & 1)) / 2, (spareHeight + (spareHeight & 1)) / 2);
    Images.Add(image, BackColor);
}

void DrawGlyph(QPainter& Canvas, int X, int Y, const QImage& Glyph)
{
    const QPaintDevice* device = Canvas.device();
    if (!device || device->devType() != QInternal::Image)
        throw ENECanvasErr();
    const auto& canvas = *static_cast<const QImage*>(device);
    const qreal ratio = canvas.devicePixelRatio();
    const QImage glyph = GlyphAtRatio(Glyph, ratio);
    const QPoint origin = Canvas.deviceTransform().map(QPointF(X, Y)).toPoint();
    QImage area = canvas.copy(QRect(origin, glyph.size()));
    BlendGlyph(glyph, area, 0, 0);
    area.setDevicePixelRatio(1);
    Canvas.save();
    Canvas.setWorldTransform(QTransform::fromScale(1 / ratio, 1 / ratio)); // draw in device pixels
    Canvas.drawImage(origin, area);
    Canvas.restore();
}

TNEPaintBuffer::TNEPaintBuffer(QWidget& Widget) : Widget_(Widget), Image_(BackgroundImage(Widget)), Painter_(&Image_)
{
    Painter_.setFont(Widget.font());
    Painter_.setPen(Widget.palette().color(Widget.foregroundRole()));
}

TNEPaintBuffer::~TNEPaintBuffer()
{
    Painter_.end();
    QPainter(&Widget_).drawImage(0, 0, Image_);
}

QPushButton* CreateGlyphButton(int Glyph, const QString& Caption, QWidget* Parent)
{
    auto button = std::make_unique<QPushButton>(Caption, Parent);
    button->setAutoDefault(false); // Enter presses it only while it has the focus
    button->setGeometry(8, 8, 94, 26);
    SetButtonGlyph(Glyph, *button);
    if (Parent && Parent->isVisible())
        button->show();
    return button.release(); // Parent owns it from here
}

void SetButtonGlyph(int Glyph, QAbstractButton& Button)
{
    const QImage glyph = ControlBroker().LoadGlyphResource(Glyph);
    QImage face(glyph.size(), PixelFormat);
    face.fill(Button.palette().color(QPalette::Button));
    BlendGlyph(glyph, face, 0, 0);
    const int half = face.width() / 2;
    QIcon icon;
    AddGlyphPixmaps(icon, face.copy(0, 0, half, face.height()), QIcon::Normal);
    AddGlyphPixmaps(icon, face.copy(half, 0, half, face.height()), QIcon::Disabled);
    Button.setIcon(icon);
    Button.setIconSize(QSize(half, face.height()));
}

void AddGlyphPixmaps(QIcon& Icon, const QImage& Face, QIcon::Mode Mode)
{
    for (const qreal ratio : {1, 2, 3}) {
        QPixmap pixmap = QPixmap::fromImage(GlyphAtRatio(Face, ratio));
        pixmap.setDevicePixelRatio(ratio);
        Icon.addPixmap(pixmap, Mode);
    }
}

void CenterVertically(const QWidget& Reference, QWidget& Control)
{
    Control.move(Control.x(), Reference.y() + (Reference.height() - Control.height()) / 2);
}

TNEFormGeometry DefaultFormGeometryFor(QSize Screen)
{
    const auto [left, width] = DefaultSpan(Screen.width(), 800);
    const auto [top, height] = DefaultSpan(Screen.height(), 600);
    return {left, top, width, height};
}

TNEFormGeometry DefaultFormGeometry()
{
    static std::optional<TNEFormGeometry> computed;
    if (computed)
        return *computed;
    const QSize screen = ScreenMetrics().ScreenSize();
    if (screen.isEmpty())
        return DefaultFormGeometryFor(screen);
    computed = DefaultFormGeometryFor(screen);
    return *computed;
}

int DefaultFormLeft()
{
    return DefaultFormGeometry().Left;
}

int DefaultFormTop()
{
    return DefaultFormGeometry().Top;
}

int DefaultFormWidth()
{
    return DefaultFormGeometry().Width;
}

int DefaultFormHeight()
{
    return DefaultFormGeometry().Height;
}

TNEAcceleratorKeys InitAcceleratorKeys()
{
    TNEAcceleratorKeys keys;
    for (char key = '0'; key <= '9'; ++key)
        keys.set(std::size_t(key));
    for (char key = 'A'; key <= 'Z'; ++key)
        keys.set(std::size_t(key));
    return keys;
}

QString AssignAccelerator(const QString& Caption, TNEAcceleratorKeys& FreeKeys)
{
    QString result;
    result.reserve(Caption.size() + 1);
    bool kept = false;
    for (qsizetype i = 0; i < Caption.size(); ++i) {
        if (Caption[i] != u'&') {
            result += Caption[i];
        } else if (i + 1 == Caption.size()) {
            break; // a trailing "&" marks nothing
        } else if (Caption[i + 1] == u'&') {
            result += QStringLiteral("&&"); // a literal ampersand stays one
            ++i;
        } else if (!kept && TakeFreeKey(Caption[i + 1], FreeKeys)) {
            result += u'&';
            kept = true;
        } // any other mark goes, and the character it marked follows as plain text
    }
    if (kept)
        return result;
    for (qsizetype i = 0; i < result.size(); ++i) {
        if (TakeFreeKey(result[i], FreeKeys)) {
            result.insert(i, u'&');
            break;
        }
    }
    return result;
}

TNEShortCut AcceleratorOf(const QString& Caption)
{
    return AcceleratorShortCut(Caption);
}

TNEAcceleratorKeys CollectAcceleratorKeys(const QStringList& Captions)
{
    TNEAcceleratorKeys keys;
    for (const QString& caption : Captions) {
        if (const TNEShortCut accelerator = AcceleratorOf(caption))
            keys.set(ShortCutKey(accelerator));
    }
    return keys;
}

QString StripHotKey(const QString& Caption)
{
    QString result;
    result.reserve(Caption.size());
    for (qsizetype i = 0; i < Caption.size(); ++i) {
        if (Caption[i] == u'&' && ++i == Caption.size())
            break; // a trailing "&" marks nothing
        result += Caption[i];
    }
    return result;
}
