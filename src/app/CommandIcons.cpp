#include "app/CommandIcons.h"

#include <QIconEngine>
#include <QPainter>

#include <memory>

#include "app/CommandIds.h"

#include <QApplication>
#include <QPainter>
#include <QPainterPath>
#include <QStyle>

#include <algorithm>
#include <cmath>

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

QPixmap draw(const IconDef& def, const QColor& background)
{
    QPixmap pm(32, 32);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor c = CommandIcons::ink(def.colour, background);
    // Paper (documents, sheets, the clipboard) stays light on a light toolbar
    // and turns a shade lighter than a dark one, under light ink.
    const bool dark = background.lightness() < 128;
    const QColor paper = dark ? background.lighter(150) : QColor(Qt::white);
    const QColor clipboard = dark ? background.lighter(190) : QColor(0xf5, 0xe6, 0xc8);
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
        p.setBrush(paper);
        p.drawRect(QRectF(4, 4, 16, 20));
        p.drawRect(QRectF(12, 9, 16, 20));
        break;
    case Shape::Paste:
        p.setBrush(clipboard);
        p.drawRoundedRect(QRectF(5, 6, 22, 23), 2, 2);
        p.setBrush(paper);
        p.drawRect(QRectF(11, 3, 10, 6));
        break;
    case Shape::Document:
        p.setBrush(paper);
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
        p.setBrush(paper);
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

double CommandIcons::contrast(const QColor& a, const QColor& b)
{
    auto luminance = [](const QColor& c) {
        auto linear = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
        return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
    };
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor CommandIcons::ink(QRgb colour, const QColor& background)
{
    // A little over 3:1, so that anti-aliased edges still reach it.
    constexpr double wanted = 3.2;
    QColor c = QColor::fromRgb(colour);
    // Lighter on a dark toolbar, darker on a light one, keeping hue and saturation.
    const float step = background.lightness() < 128 ? 0.04f : -0.04f;
    float h = 0, s = 0, l = 0;
    c.getHslF(&h, &s, &l);
    while (contrast(c, background) < wanted && l > 0.0f && l < 1.0f) {
        l = std::clamp(l + step, 0.0f, 1.0f);
        c = QColor::fromHslF(h, s, l);
    }
    return c;
}

namespace {

// Makes the command's icon at the first request and answers every request from it.
class DeferredIconEngine : public QIconEngine {
public:
    explicit DeferredIconEngine(int id) : m_made(std::make_shared<Made>(Made {id, {}, false})) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override
    {
        made().paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        return made().actualSize(size, mode, state);
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        return made().pixmap(size, mode, state);
    }
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state, qreal scale) override
    {
        return made().pixmap(size, scale, mode, state);
    }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override
    {
        return made().availableSizes(mode, state);
    }
    QIconEngine* clone() const override { return new DeferredIconEngine(m_made); }
    bool isNull() override { return false; }

private:
    struct Made {
        int id;
        QIcon icon;
        bool done;
    };
    explicit DeferredIconEngine(std::shared_ptr<Made> made) : m_made(std::move(made)) {}
    const QIcon& made()
    {
        if (!m_made->done) {
            m_made->icon = CommandIcons::icon(m_made->id);
            m_made->done = true;
        }
        return m_made->icon;
    }

    std::shared_ptr<Made> m_made;
};

} // namespace

bool CommandIcons::has(int id)
{
    if (id == cmd::FileNew || id == cmd::FileOpen || id == cmd::FileSave)
        return true;
    for (const IconDef& def : kIcons)
        if (def.id == id)
            return true;
    return false;
}

QIcon CommandIcons::deferred(int id) { return QIcon(new DeferredIconEngine(id)); }

QIcon CommandIcons::icon(int id) { return icon(id, QApplication::palette().color(QPalette::Window)); }

QIcon CommandIcons::icon(int id, const QColor& background)
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
            return QIcon(draw(def, background));
    return QIcon();
}
