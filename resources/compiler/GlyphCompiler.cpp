#include "resources/compiler/GlyphPicture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>

// Build step: turns each glyph source (a text file) into the bitmap of the same base name in the output folder.
// Usage: fenk_glyph_compiler OUTPUT_FOLDER SOURCE...
int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s OUTPUT_FOLDER SOURCE...\n", argv[0]);
        return 2;
    }
    const QDir outputFolder(QString::fromLocal8Bit(argv[1]));
    if (!outputFolder.exists() && !QDir().mkpath(outputFolder.path())) {
        std::fprintf(stderr, "cannot create %s\n", argv[1]);
        return 1;
    }
    try {
        for (int i = 2; i < argc; ++i) {
            const QString sourcePath = QString::fromLocal8Bit(argv[i]);
            QFile source(sourcePath);
            if (!source.open(QIODevice::ReadOnly))
                throw ENEGlyphSourceErr(sourcePath + QStringLiteral(": ") + source.errorString());
            const TGlyphPicture picture = TGlyphPicture::Parse(QString::fromUtf8(source.readAll()), sourcePath);
            const QString bitmapPath = outputFolder.filePath(QFileInfo(sourcePath).completeBaseName() + ".bmp");
            if (!picture.ToImage().save(bitmapPath, "BMP"))
                throw ENEGlyphSourceErr(QStringLiteral("cannot write ") + bitmapPath);
        }
    } catch (const ENEException& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    return 0;
}
