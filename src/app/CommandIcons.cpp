#include "app/CommandIcons.h"

#include "app/CommandIds.h"

#include <QApplication>
#include <QPainter>
#include <QPainterPath>
#include <QStyle>

namespace {
enum class Shape { Glyph, Copy, Paste, Document, Plug, Lock, Chart, Grid };

struct IconDef {
    int id;
    Shape shape;
    const char* glyph;
    QRgb colour;
};

const IconDef kIcons[] = {
    {cmd::EditCut, Shape::Glyph, "\u2702", 0x404040},
    {cmd::EditCopy, Shape::Copy, "", 0x3a6ea5},
    {cmd::EditPaste, Shape::Paste, "", 0x8a6d3b},
    {cmd::EditUndo, Shape::Glyph, "\u21b6", 0x3a6ea5},
    {cmd::EditRedo, Shape::Glyph, "\u21b7", 0x3a6ea5},
    {cmd::FilePrint, Shape::Document, "", 0x404040},
    {cmd::ConnectPrevious, Shape::Glyph, "\u25c0", 0x2e7d32},
    {cmd::ConnectNext, Shape::Glyph, "\u25b6", 0x2e7d32},
    {cmd::Connected, Shape::Plug, "", 0x2e7d32},
    {cmd::Tls, Shape::Lock, "", 0xb8860b},
    {cmd::ExecuteLine, Shape::Glyph, "\u25b7", 0x1565c0},
    {cmd::ExecuteSelection, Shape::Glyph, "\u00bb", 0x1565c0},
    {cmd::Stop, Shape::Glyph, "\u25a0", 0xc62828},
    {cmd::TestSubscription, Shape::Glyph, "\u21c4", 0x6a1b9a},
    {cmd::ChartGrid, Shape::Chart, "", 0xc62828},
    {cmd::ExportToExcel, Shape::Grid, "", 0x2e7d32},
    {cmd::LineWrapping, Shape::Glyph, "\u21b5", 0x404040},
    {cmd::SyntaxHighlight, Shape::Glyph, "A", 0xc62828},
    {cmd::Settings, Shape::Glyph, "\u2699", 0x505050},
    {cmd::AppAbout, Shape::Glyph, "?", 0x1565c0},
    {cmd::Refresh, Shape::Glyph, "\u27f3", 0x2e7d32},
    {cmd::RemoteFilesInventory, Shape::Glyph, "R", 0x6a1b9a},
    {cmd::VariablesInventory, Shape::Glyph, "V", 0x1565c0},
    {cmd::FunctionsInventory, Shape::Glyph, "\u0192", 0xc62828},
    {cmd::FileFilter, Shape::Glyph, "\u2a61", 0x505050},
    {cmd::Debugger, Shape::Glyph, "\u2b24", 0xc62828},
    {cmd::QuickWatch, Shape::Glyph, "\u25c9", 0x1565c0},
};

QPixmap draw(const IconDef& def)
{
    QPixmap pm(32, 32);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor c(def.colour);
    p.setPen(QPen(c, 2.2));
    switch (def.shape) {
    case Shape::Glyph: {
        QFont f = QApplication::font();
        f.setPixelSize(24);
        f.setBold(true);
        p.setFont(f);
        p.drawText(QRect(0, 0, 32, 32), Qt::AlignCenter, QString::fromUtf8(def.glyph));
        break;
    }
    case Shape::Copy:
        p.setBrush(Qt::white);
        p.drawRect(QRectF(4, 4, 16, 20));
        p.drawRect(QRectF(12, 9, 16, 20));
        break;
    case Shape::Paste:
        p.setBrush(QColor(0xf5, 0xe6, 0xc8));
        p.drawRoundedRect(QRectF(5, 6, 22, 23), 2, 2);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(11, 3, 10, 6));
        break;
    case Shape::Document:
        p.setBrush(Qt::white);
        p.drawRect(QRectF(7, 3, 18, 26));
        break;
    case Shape::Plug:
        p.drawLine(QPointF(4, 16), QPointF(12, 16));
        p.drawRoundedRect(QRectF(12, 9, 10, 14), 2, 2);
        p.drawLine(QPointF(22, 12), QPointF(28, 12));
        p.drawLine(QPointF(22, 20), QPointF(28, 20));
        break;
    case Shape::Lock:
        p.setBrush(c);
        p.drawRoundedRect(QRectF(7, 14, 18, 14), 2, 2);
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(10, 5, 12, 16), 0, 180 * 16);
        break;
    case Shape::Chart:
        p.drawLine(QPointF(5, 4), QPointF(5, 27));
        p.drawLine(QPointF(5, 27), QPointF(28, 27));
        p.drawPolyline(QPolygonF({QPointF(7, 22), QPointF(13, 14), QPointF(19, 18), QPointF(27, 6)}));
        break;
    case Shape::Grid:
        p.setBrush(Qt::white);
        p.drawRect(QRectF(4, 5, 24, 22));
        for (int x : {12, 20})
            p.drawLine(QPointF(x, 5), QPointF(x, 27));
        for (int y : {12, 19})
            p.drawLine(QPointF(4, y), QPointF(28, y));
        break;
    }
    return pm;
}
} // namespace

QIcon CommandIcons::icon(int id)
{
    QStyle* style = QApplication::style();
    switch (id) {
    case cmd::FileNew: return style->standardIcon(QStyle::SP_FileIcon);
    case cmd::FileOpen: return style->standardIcon(QStyle::SP_DirOpenIcon);
    case cmd::FileSave: return style->standardIcon(QStyle::SP_DialogSaveButton);
    default: break;
    }
    for (const IconDef& def : kIcons)
        if (def.id == id)
            return QIcon(draw(def));
    return QIcon();
}
