#include "app/AppIcon.h"

#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

namespace AppIcon {

QIcon icon()
{
    QSvgRenderer renderer(QStringLiteral(":/app/tovo.svg"));
    QIcon result;
    if (!renderer.isValid())
        return result;
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        renderer.render(&painter);
        painter.end();
        result.addPixmap(QPixmap::fromImage(image));
    }
    return result;
}

} // namespace AppIcon
