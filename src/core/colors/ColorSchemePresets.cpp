#include "core/colors/ColorSchemePresets.h"

#include <algorithm>
#include <cmath>

namespace {
using E = CDialogFontsColors;

// Written as 0xRRGGBB for reading; stored as colour references (0x00BBGGRR).
constexpr std::uint32_t bgr(std::uint32_t rgb) { return ((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF); }

struct DarkEntry {
    int element;
    std::uint32_t rgb;
};

// Chosen against the background for at least 4.5:1 (plain text also against
// every highlight and row background).
constexpr DarkEntry kDark[] = {
    {E::Background, 0x1E1F22}, {E::BracketsBackground, 0x3B4252}, {E::BracketsContentBackground, 0x2A2D33},
    {E::MarkedTextBackground, 0x264F36}, {E::Default, 0xD4D4D4}, {E::Whitespace, 0x8C93A0}, {E::Operator, 0xD4D4D4},
    {E::Comment, 0x8A9199}, {E::String, 0x7EC16E}, {E::System, 0x4FC1FF}, {E::Command, 0x4FC1FF},
    {E::Integer, 0xF0A35E}, {E::Short, 0xF0A35E}, {E::Long, 0xF0A35E}, {E::Byte, 0xF0A35E}, {E::Real, 0xF0A35E},
    {E::Float, 0xF0A35E}, {E::Boolean, 0xE5C07B}, {E::Symbol, 0xD49BF0}, {E::Identifier, 0x56C8D8},
    {E::Keyword, 0x6CA8FF}, {E::RecognizedGlobal, 0xFF7AD9}, {E::Time, 0xE6C86E}, {E::Month, 0xE6C86E},
    {E::Second, 0xE6C86E}, {E::Minute, 0xE6C86E}, {E::Date, 0xE6C86E}, {E::Datetime, 0xE6C86E},
    {E::Timespan, 0xE6C86E}, {E::Timestamp, 0xE6C86E}, {E::ParseError, 0xFF6B6B}, {E::OddRowsBackground, 0x26282C},
    {E::EvenRowsBackground, 0x1E1F22}, {E::KeyOddRowsBackground, 0x203326}, {E::KeyEvenRowsBackground, 0x1C2C21},
    {E::BreakpointBackground, 0x4A2226}, {E::CurrentLineBackground, 0x2C3A2F}, {E::ChangedValue, 0xFF6B6B},
    {E::InactiveWatch, 0x9097A0}, {E::UndefinedErrorWatch, 0xFF8A80},
};
static_assert(std::size(kDark) == E::ElementCount, "one dark colour per element");

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
    for (int e = 0; e < E::ElementCount; ++e)
        scheme.setColor(e, darkColor(e));
    scheme.setModified(true);
}

void ColorSchemePresets::applyLight(CDialogFontsColors& scheme)
{
    for (int e = 0; e < E::ElementCount; ++e)
        scheme.setColor(e, CDialogFontsColors::defaultColor(e));
    scheme.setModified(true);
}

bool ColorSchemePresets::isDarkPreset(const CDialogFontsColors& scheme)
{
    for (int e = 0; e < E::ElementCount; ++e)
        if (scheme.color(e) != darkColor(e))
            return false;
    return true;
}

bool ColorSchemePresets::isLightPreset(const CDialogFontsColors& scheme)
{
    for (int e = 0; e < E::ElementCount; ++e)
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
