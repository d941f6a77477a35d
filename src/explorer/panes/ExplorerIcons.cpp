#include "explorer/panes/ExplorerIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <array>

namespace {

void diamond(QPainter& p, const QColor& fill)
{
    QPainterPath path;
    path.moveTo(8, 1.5);
    path.lineTo(14.5, 8);
    path.lineTo(8, 14.5);
    path.lineTo(1.5, 8);
    path.closeSubpath();
    p.setPen(QPen(fill.darker(160), 1));
    p.setBrush(fill);
    p.drawPath(path);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 120));
    QPainterPath shine;
    shine.moveTo(8, 3.5);
    shine.lineTo(11, 6.5);
    shine.lineTo(8, 8);
    shine.lineTo(5, 6.5);
    shine.closeSubpath();
    p.drawPath(shine);
}

void mark(QPainter& p, const QString& text, const QRectF& box, int size)
{
    QFont font;
    font.setBold(true);
    font.setPixelSize(size);
    p.setFont(font);
    p.setPen(QColor(0xd0, 0x10, 0x10));
    p.drawText(box, Qt::AlignCenter, text);
}

QPixmap draw(int index)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing, true);
    switch (index) {
    case 0: // classes window: a window with a title bar and items
        p.setPen(QColor(0x30, 0x50, 0x90));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(1.5, 2.5, 13, 11));
        p.fillRect(QRectF(2, 3, 12, 3), QColor(0x40, 0x70, 0xc0));
        p.fillRect(QRectF(4, 8, 2, 2), QColor(0x80, 0x40, 0xa0));
        p.fillRect(QRectF(7, 8.5, 6, 1), QColor(0x60, 0x60, 0x60));
        p.fillRect(QRectF(4, 11, 2, 1.5), QColor(0x20, 0x70, 0xd0));
        p.fillRect(QRectF(7, 11, 6, 1), QColor(0x60, 0x60, 0x60));
        break;
    case 1: // hierarchy: a parent box linked to two children
        p.setPen(QColor(0x40, 0x40, 0x40));
        p.drawLine(QPointF(4.5, 6), QPointF(4.5, 12.5));
        p.drawLine(QPointF(4.5, 9.5), QPointF(9, 9.5));
        p.drawLine(QPointF(4.5, 12.5), QPointF(9, 12.5));
        p.setBrush(QColor(0xf0, 0xc0, 0x40));
        p.drawRect(QRectF(1.5, 1.5, 6, 4.5));
        p.setBrush(QColor(0x60, 0xa0, 0xe0));
        p.drawRect(QRectF(9, 7.5, 5.5, 3.5));
        p.drawRect(QRectF(9, 11, 5.5, 3.5));
        break;
    case 2: { // folder
        p.setPen(QColor(0xa0, 0x78, 0x20));
        p.setBrush(QColor(0xf5, 0xd0, 0x60));
        QPainterPath path;
        path.moveTo(1.5, 4);
        path.lineTo(6, 4);
        path.lineTo(7.5, 5.5);
        path.lineTo(14.5, 5.5);
        path.lineTo(14.5, 13.5);
        path.lineTo(1.5, 13.5);
        path.closeSubpath();
        p.drawPath(path);
        p.setBrush(QColor(0xfa, 0xe0, 0x90));
        p.drawRect(QRectF(1.5, 7, 13, 6.5));
        break;
    }
    case 3: // grid
        p.setRenderHint(QPainter::Antialiasing, false);
        p.fillRect(QRect(1, 2, 14, 12), Qt::white);
        p.fillRect(QRect(1, 2, 14, 3), QColor(0x40, 0x70, 0xc0));
        p.setPen(QColor(0x50, 0x60, 0x80));
        p.drawRect(QRect(1, 2, 13, 11));
        for (int y : {5, 8, 11})
            p.drawLine(1, y, 14, y);
        for (int x : {5, 10})
            p.drawLine(x, 2, x, 13);
        break;
    case 4: diamond(p, QColor(0x90, 0x40, 0xc0)); break;
    case 5: diamond(p, QColor(0x20, 0x70, 0xe0)); break;
    case 6:
        diamond(p, QColor(0x90, 0x40, 0xc0));
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawEllipse(QRectF(8.5, 0.5, 7, 9));
        mark(p, QStringLiteral("!"), QRectF(8.5, 0, 7, 10), 10);
        break;
    case 7: mark(p, QStringLiteral("?"), QRectF(0, 0, 16, 16), 15); break;
    default: break;
    }
    return pixmap;
}

} // namespace

QPixmap ExplorerIcons::pixmap(int index) { return draw(index); }

QIcon ExplorerIcons::icon(int index)
{
    static std::array<QIcon, 8> icons;
    if (index < 0 || index >= int(icons.size()))
        return {};
    if (icons[std::size_t(index)].isNull())
        icons[std::size_t(index)] = QIcon(draw(index));
    return icons[std::size_t(index)];
}
