#include "resources/FenkIcon.h"

#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

QImage RenderFenkIcon(int Size)
{
    QSvgRenderer renderer(QString::fromLatin1(FenkIconResource));
    if (!renderer.isValid() || Size <= 0)
        return {};
    QImage image(Size, Size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    renderer.render(&painter);
    return image;
}

QIcon FenkIcon()
{
    QIcon icon;
    for (int size : FenkIconSizes)
        icon.addPixmap(QPixmap::fromImage(RenderFenkIcon(size)));
    return icon;
}
