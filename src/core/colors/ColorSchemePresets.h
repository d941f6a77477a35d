// Colour scheme presets: the light scheme (the elements' defaults) and a dark
// one, and the contrast measure the dark one was chosen by (WCAG 2 relative
// luminance and contrast ratio).
#pragma once

#include "core/colors/CDialogFontsColors.h"

class ColorSchemePresets {
public:
    using ColorRef = CDialogFontsColors::ColorRef;

    static ColorRef darkColor(int element);
    // Sets every colour element (fonts stay) and marks the scheme modified.
    static void applyDark(CDialogFontsColors& scheme);
    static void applyLight(CDialogFontsColors& scheme);
    // Whether every element holds the preset's colour.
    static bool isDarkPreset(const CDialogFontsColors& scheme);
    static bool isLightPreset(const CDialogFontsColors& scheme);

    // 0 (black) .. 1 (white), of a colour reference 0x00BBGGRR.
    static double relativeLuminance(ColorRef color);
    // 1 .. 21, the same whichever colour is given first.
    static double contrastRatio(ColorRef a, ColorRef b);
};
