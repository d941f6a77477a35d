#include "chart/GraphConfig.h"

#include "core/files/SafeFile.h"

#include <QFile>

#include <cstdio>

const std::vector<QRgb>& GraphConfig::builtInPalette()
{
    static const std::vector<QRgb> palette = [] {
        const unsigned rgb[] = {0x000000, 0xff0000, 0xff9900, 0xccff00, 0x33ff00, 0x00ff66, 0x00ffff, 0x0066ff, 0x3300ff,
                                0xcc00ff, 0xff0099, 0xff3333, 0x3385ff, 0xff6666, 0xffc266, 0xe0ff66, 0x66ffa3, 0x66a3ff,
                                0x8566ff, 0xe066ff, 0xff66c2, 0xd90000, 0xd9932b, 0x4ed92b, 0x4e2bd9, 0x8fb300, 0x00b347,
                                0x00b3b3, 0x0047b3, 0x2400b3, 0x8f00b3, 0xb2006b, 0xb22424, 0x245db3, 0xb24747, 0xb28847,
                                0x47b372, 0x4772b3, 0x5d47b3, 0x9d47b3, 0xb34788};
        std::vector<QRgb> out;
        for (unsigned c : rgb)
            out.push_back(0xff000000u | c);
        return out;
    }();
    return palette;
}

namespace {

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool parseColour(const QByteArray& line, QRgb& out)
{
    int from = 0, to = int(line.size());
    auto trimmed = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '#'; };
    while (from < to && trimmed(line[from]))
        ++from;
    while (to > from && trimmed(line[to - 1]))
        --to;
    if (to - from <= 5)
        return false;
    int v[6];
    for (int i = 0; i < 6; ++i)
        if ((v[i] = hexDigit(line[from + i])) < 0)
            return false;
    out = qRgb(v[0] * 16 + v[1], v[2] * 16 + v[3], v[4] * 16 + v[5]);
    return true;
}

} // namespace

GraphColours GraphConfig::parse(const QByteArray& text)
{
    GraphColours c;
    bool haveBackground = false;
    for (const QByteArray& line : text.left(maxBytes).split('\n')) {
        QRgb colour;
        if (!parseColour(line, colour))
            continue;
        if (!haveBackground) {
            c.background = colour;
            haveBackground = true;
        } else {
            c.palette.push_back(colour);
        }
    }
    if (c.palette.empty())
        c.palette = builtInPalette();
    return c;
}

GraphColours GraphConfig::load(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        GraphColours c;
        c.palette = builtInPalette();
        return c;
    }
    return parse(f.read(maxBytes));
}

QByteArray GraphConfig::format(const std::vector<QRgb>& colours)
{
    QByteArray out;
    for (QRgb c : colours) {
        char line[16];
        std::snprintf(line, sizeof line, "#%02x%02x%02x\n", qRed(c), qGreen(c), qBlue(c));
        out += line;
    }
    return out;
}

bool GraphConfig::save(const QString& path, const std::vector<QRgb>& colours, QString* error)
{
    QString ignored;
    return SafeFile::replace(path, format(colours), SafeFile::Access::Default, error ? error : &ignored);
}
