#include "resources/compiler/GlyphPicture.h"

#include <QStringList>

#include <algorithm>
#include <cmath>

namespace {

// How much an outline pixel of full darkness lightens the disabled picture: 127 + 112 gives 239, a clear light
// line that still stays short of white, so the shape does not glare on the light panels.
constexpr int OutlineLightness = 112;

int PaletteGrey(QChar Character)
{
    switch (Character.unicode()) {
    case '.':
        return TGlyphPicture::Neutral;
    case '#':
        return 0;
    case '-':
        return 191;
    case '+':
        return 255;
    default:
        break;
    }
    if (Character >= u'1' && Character <= u'9') {
        const int darkness = Character.unicode() - '0';
        return static_cast<int>(std::lround(TGlyphPicture::Neutral * (10 - darkness) / 10.0));
    }
    return -1;
}

} // namespace

TGlyphPicture TGlyphPicture::Parse(const QString& Text, const QString& SourceName)
{
    TGlyphPicture picture;
    int row = 0;
    const QStringList lines = Text.split(u'\n');
    for (qsizetype lineIndex = 0; lineIndex < lines.size(); ++lineIndex) {
        const QString line = lines[lineIndex].trimmed();
        if (line.isEmpty() || line.startsWith(u';'))
            continue;
        const QString where = QStringLiteral("%1:%2: ").arg(SourceName).arg(lineIndex + 1);
        if (row == Size)
            throw ENEGlyphSourceErr(where + QStringLiteral("more than %1 rows").arg(Size));
        if (line.size() != Size)
            throw ENEGlyphSourceErr(where + QStringLiteral("a row must have %1 characters").arg(Size));
        for (int x = 0; x < Size; ++x) {
            const int grey = PaletteGrey(line[x]);
            if (grey < 0)
                throw ENEGlyphSourceErr(where + QStringLiteral("'%1' is not a palette character").arg(line[x]));
            picture.Enabled_[row * Size + x] = grey;
        }
        ++row;
    }
    if (row != Size)
        throw ENEGlyphSourceErr(SourceName + QStringLiteral(": %1 rows instead of %2").arg(row).arg(Size));
    return picture;
}

double TGlyphPicture::Darkness(int X, int Y) const
{
    if (X < 0 || Y < 0 || X >= Size || Y >= Size)
        return 0.0;
    return std::max(0, Neutral - Enabled(X, Y)) / double(Neutral);
}

bool TGlyphPicture::IsInsideShape(int X, int Y) const
{
    for (int y = Y - 1; y <= Y + 1; ++y)
        for (int x = X - 1; x <= X + 1; ++x)
            if (Darkness(x, y) <= 0.5)
                return false;
    return true;
}

int TGlyphPicture::Disabled(int X, int Y) const
{
    if (IsInsideShape(X, Y))
        return Neutral;
    return Neutral + static_cast<int>(std::lround(Darkness(X, Y) * OutlineLightness));
}

QImage TGlyphPicture::ToImage() const
{
    QImage image(2 * Size, Size, QImage::Format_RGB888);
    for (int y = 0; y < Size; ++y) {
        for (int x = 0; x < Size; ++x) {
            const int enabled = Enabled(x, y);
            const int disabled = Disabled(x, y);
            image.setPixel(x, y, qRgb(enabled, enabled, enabled));
            image.setPixel(Size + x, y, qRgb(disabled, disabled, disabled));
        }
    }
    return image;
}
