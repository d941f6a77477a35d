// The colours and font face a grid paints and copies with, filled from the
// colour scheme. Colours are colour references 0x00BBGGRR as stored.
#pragma once

#include <QString>

#include <cstdint>

class CDialogFontsColors;

struct GridColors {
    std::uint32_t oddRows = 0xFFDBDE;
    std::uint32_t evenRows = 0xFFFFFF;
    std::uint32_t keyOddRows = 0xDEFFDE;
    std::uint32_t keyEvenRows = 0xDEFFDE;
    QString fontFace; // the Grid Font's face name

    // The grid's elements of the live colour scheme and the Grid Font's face.
    static GridColors from(const CDialogFontsColors& scheme);
    // Black or white, whichever reads better on the background: the scheme
    // names no grid text colour, and the palette's may be light.
    static std::uint32_t textOn(std::uint32_t background);

    static int red(std::uint32_t ref) { return int(ref & 0xFF); }
    static int green(std::uint32_t ref) { return int((ref >> 8) & 0xFF); }
    static int blue(std::uint32_t ref) { return int((ref >> 16) & 0xFF); }
    // "#rrggbb"
    static QString htmlText(std::uint32_t ref)
    {
        return QString::asprintf("#%02x%02x%02x", red(ref), green(ref), blue(ref));
    }
};
