// The chart colours file graph.cfg: the background on the first valid line,
// then the palette, one "#rrggbb" a line. The file comes from the user's
// folder and is read as untrusted text.
#pragma once

#include <QRgb>
#include <QString>

#include <vector>

struct GraphColours {
    QRgb background = 0xffffffff;
    std::vector<QRgb> palette; // never empty
};

class GraphConfig {
public:
    static const std::vector<QRgb>& builtInPalette();

    // The colours of the file, or white and the built-in palette when it
    // cannot be read. A file whose only valid line is the background keeps the
    // built-in palette. Lines beyond the first megabyte are not read.
    static GraphColours load(const QString& path);
    static GraphColours parse(const QByteArray& text);

    // "#rrggbb\n" for each colour, written whole or not at all.
    static QByteArray format(const std::vector<QRgb>& colours);
    static bool save(const QString& path, const std::vector<QRgb>& colours, QString* error = nullptr);

    static constexpr qint64 maxBytes = 1 << 20;
};
