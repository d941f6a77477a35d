// Stored fonts and colour references to and from Qt's fonts and colours.
#pragma once

#include "core/colors/CDialogFontsColors.h"
#include "core/colors/LogFont.h"

#include <QColor>
#include <QFont>

#include <array>
#include <cstdint>

class FontConv {
public:
    // Vertical resolution used for logical heights: the primary screen's, 96 without one.
    static qreal screenDpiY();
    // Heights in logical units become points; bold when the weight is above 400.
    static QFont toQFont(const LogFont& font, qreal dpiY = screenDpiY());
    // base supplies the fields Qt has no notion of (character set, precision).
    static LogFont fromQFont(const QFont& font, const LogFont& base = LogFont(), qreal dpiY = screenDpiY());
    // The platform's defaults: the general font with the face "Consolas" (a
    // fixed-pitch font where that face is missing) for source and results,
    // the general font for the rest.
    static std::array<LogFont, CDialogFontsColors::FontCount> platformDefaults();

    static QColor toQColor(std::uint32_t ref) { return QColor(ref & 0xFF, (ref >> 8) & 0xFF, (ref >> 16) & 0xFF); }
    static std::uint32_t fromQColor(const QColor& c)
    {
        return std::uint32_t(c.red()) | (std::uint32_t(c.green()) << 8) | (std::uint32_t(c.blue()) << 16);
    }
};
