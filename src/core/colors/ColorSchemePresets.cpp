#include "core/colors/ColorSchemePresets.h"

#include <algorithm>
#include <cmath>

namespace {
using Elem = CDialogFontsColors;

// Written as 0xRRGGBB for reading; stored as colour references (0x00BBGGRR).
constexpr std::uint32_t bgr(std::uint32_t rgb) { return ((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF); }

struct DarkEntry {
    int element;
    std::uint32_t rgb;
};

// Chosen against the background for at least 4.5:1 (plain text also against
// every highlight and row background).
constexpr DarkEntry kDark[] = {
    {Elem::Background, 0x1E1F22}, {Elem::BracketsBackground, 0x3B4252}, {Elem::BracketsContentBackground, 0x2A2D33},
    {Elem::MarkedTextBackground, 0x264F36}, {Elem::Default, 0xD4D4D4}, {Elem::Whitespace, 0x8C93A0}, {Elem::Operator, 0xD4D4D4},
    {Elem::Comment, 0x8A9199}, {Elem::String, 0x7EC16E}, {Elem::System, 0x4FC1FF}, {Elem::Command, 0x4FC1FF},
    {Elem::Integer, 0xF0A35E}, {Elem::Short, 0xF0A35E}, {Elem::Long, 0xF0A35E}, {Elem::Byte, 0xF0A35E}, {Elem::Real, 0xF0A35E},
    {Elem::Float, 0xF0A35E}, {Elem::Boolean, 0xE5C07B}, {Elem::Symbol, 0xD49BF0}, {Elem::Identifier, 0x56C8D8},
    {Elem::Keyword, 0x6CA8FF}, {Elem::RecognizedGlobal, 0xFF7AD9}, {Elem::Time, 0xE6C86E}, {Elem::Month, 0xE6C86E},
    {Elem::Second, 0xE6C86E}, {Elem::Minute, 0xE6C86E}, {Elem::Date, 0xE6C86E}, {Elem::Datetime, 0xE6C86E},
    {Elem::Timespan, 0xE6C86E}, {Elem::Timestamp, 0xE6C86E}, {Elem::ParseError, 0xFF6B6B}, {Elem::OddRowsBackground, 0x26282C},
    {Elem::EvenRowsBackground, 0x1E1F22}, {Elem::KeyOddRowsBackground, 0x203326}, {Elem::KeyEvenRowsBackground, 0x1C2C21},
    {Elem::BreakpointBackground, 0x4A2226}, {Elem::CurrentLineBackground, 0x2C3A2F}, {Elem::ChangedValue, 0xFF6B6B},
    {Elem::InactiveWatch, 0x9097A0}, {Elem::UndefinedErrorWatch, 0xFF8A80},
};
static_assert(std::size(kDark) == Elem::ElementCount, "one dark colour per element");

double channel(std::uint32_t value)
{
    const double c = value / 255.0;
    return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}
} // namespace

ColorSchemePresets::ColorRef ColorSchemePresets::darkColor(int element)
{
    for (const DarkEntry& e : kDark)
        if (e.element == element)
            return bgr(e.rgb);
    return 0;
}

void ColorSchemePresets::applyDark(CDialogFontsColors& scheme)
{
    for (int e = 0; e < Elem::ElementCount; ++e)
        scheme.setColor(e, darkColor(e));
    scheme.setModified(true);
}

void ColorSchemePresets::applyLight(CDialogFontsColors& scheme)
{
    for (int e = 0; e < Elem::ElementCount; ++e)
        scheme.setColor(e, CDialogFontsColors::defaultColor(e));
    scheme.setModified(true);
}

bool ColorSchemePresets::isDarkPreset(const CDialogFontsColors& scheme)
{
    for (int e = 0; e < Elem::ElementCount; ++e)
        if (scheme.color(e) != darkColor(e))
            return false;
    return true;
}

bool ColorSchemePresets::isLightPreset(const CDialogFontsColors& scheme)
{
    for (int e = 0; e < Elem::ElementCount; ++e)
        if (scheme.color(e) != CDialogFontsColors::defaultColor(e))
            return false;
    return true;
}

double ColorSchemePresets::relativeLuminance(ColorRef color)
{
    return 0.2126 * channel(color & 0xFF) + 0.7152 * channel((color >> 8) & 0xFF) + 0.0722 * channel((color >> 16) & 0xFF);
}

double ColorSchemePresets::contrastRatio(ColorRef a, ColorRef b)
{
    const double la = relativeLuminance(a), lb = relativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}
