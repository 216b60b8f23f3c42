#include "foundation/NInteger.h"
#include "resources/FenkIcon.h"

#include <QDir>
#include <QString>

#include <cstdio>

// Build step: renders the program's icon into an icon theme folder, OUTPUT_FOLDER/SIZExSIZE/apps/fenk.png for
// each size given.
// Usage: fenk_icon_renderer OUTPUT_FOLDER SIZE...
int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s OUTPUT_FOLDER SIZE...\n", argv[0]);
        return 2;
    }
    const QDir outputFolder(QString::fromLocal8Bit(argv[1]));
    for (int i = 2; i < argc; ++i) {
        const int size = ParseInteger(QString::fromLocal8Bit(argv[i]), 0);
        const QImage image = RenderFenkIcon(size);
        const QString folder = outputFolder.filePath(QStringLiteral("%1x%1/apps").arg(size));
        const QString path = folder + QStringLiteral("/fenk.png");
        if (image.isNull() || !QDir().mkpath(folder) || !image.save(path, "PNG")) {
            std::fprintf(stderr, "cannot render the icon at %s pixels into %s\n", argv[i], qPrintable(path));
            return 1;
        }
    }
    return 0;
}
