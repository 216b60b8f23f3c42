// Renders every glyph of the program, both halves shaded onto the three backgrounds the windows use, at 1x and 4x
// zoom, into one PNG, so a person can judge the whole set at once.

#include "resources/NGlyphResources.h"
#include "ui/actions/NPixel.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QRegularExpression>

#include <cstdio>
#include <vector>

namespace {

constexpr int GlyphSize = 16;
constexpr int Zoom = 4;
constexpr int Margin = 6;
constexpr int LabelWidth = 44;
constexpr int RowHeight = GlyphSize * Zoom + 2 * Margin;
// Per background: the two halves at 1x, then the two halves at 4x.
constexpr int CellWidth = 2 * (GlyphSize + Margin) + 2 * (GlyphSize * Zoom + Margin) + Margin;

const QColor Backgrounds[] = {QColor(255, 255, 255), QColor(208, 216, 224), QColor(160, 176, 192)};

std::vector<int> GlyphNumbers()
{
    std::vector<int> numbers;
    static const QRegularExpression pattern(QStringLiteral("^NGLYPHS16_(\\d{3,})\\.bmp$"));
    for (const QString& name : QDir(QStringLiteral(":/glyphs")).entryList(QDir::Files, QDir::Name)) {
        const QRegularExpressionMatch match = pattern.match(name);
        if (match.hasMatch())
            numbers.push_back(match.captured(1).toInt());
    }
    return numbers;
}

// One half of a glyph shaded onto a square of the background colour.
QImage ShadedHalf(const QImage& glyph, int half, const QColor& background)
{
    QImage target(GlyphSize, GlyphSize, PixelFormat);
    target.fill(background);
    BlendGlyph(glyph.copy(half * GlyphSize, 0, GlyphSize, GlyphSize), target, 0, 0);
    return target;
}

void DrawGlyphRow(QPainter& painter, int top, int number, const QImage& glyph)
{
    painter.setPen(Qt::black);
    painter.drawText(QRect(0, top, LabelWidth, RowHeight), Qt::AlignCenter, QString::number(number));
    for (int index = 0; index < 3; ++index) {
        const int left = LabelWidth + index * CellWidth;
        painter.fillRect(left, top, CellWidth - 2, RowHeight - 2, Backgrounds[index]);
        int x = left + Margin;
        for (int half = 0; half < 2; ++half) {
            painter.drawImage(x, top + Margin, ShadedHalf(glyph, half, Backgrounds[index]));
            x += GlyphSize + Margin;
        }
        for (int half = 0; half < 2; ++half) {
            const QImage shaded = ShadedHalf(glyph, half, Backgrounds[index]);
            painter.drawImage(x, top + Margin, shaded.scaled(GlyphSize * Zoom, GlyphSize * Zoom));
            x += GlyphSize * Zoom + Margin;
        }
    }
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: GlyphSheet OUTPUT.png\n");
        return 2;
    }
    const std::vector<int> numbers = GlyphNumbers();
    QImage sheet(LabelWidth + 3 * CellWidth, int(numbers.size()) * RowHeight, QImage::Format_RGB32);
    sheet.fill(Qt::white);
    QPainter painter(&sheet);
    int top = 0;
    for (int number : numbers) {
        const QImage glyph(GlyphResourcePath(number));
        if (glyph.isNull()) {
            std::fprintf(stderr, "cannot load %s\n", qPrintable(GlyphResourcePath(number)));
            return 1;
        }
        DrawGlyphRow(painter, top, number, glyph.convertToFormat(PixelFormat));
        top += RowHeight;
    }
    painter.end();
    const QString output = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(QFileInfo(output).absolutePath());
    if (!sheet.save(output)) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    std::printf("%zu glyphs written to %s\n", numbers.size(), argv[1]);
    return 0;
}
