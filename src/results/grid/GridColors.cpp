#include "results/grid/GridColors.h"

#include "core/colors/CDialogFontsColors.h"

GridColors GridColors::from(const CDialogFontsColors& scheme)
{
    GridColors c;
    c.oddRows = scheme.color(CDialogFontsColors::OddRowsBackground);
    c.evenRows = scheme.color(CDialogFontsColors::EvenRowsBackground);
    c.keyOddRows = scheme.color(CDialogFontsColors::KeyOddRowsBackground);
    c.keyEvenRows = scheme.color(CDialogFontsColors::KeyEvenRowsBackground);
    c.fontFace = scheme.font(CDialogFontsColors::GridFont).faceName;
    return c;
}

std::uint32_t GridColors::textOn(std::uint32_t background)
{
    // Perceived brightness (ITU-R BT.601 weights), 0..255000.
    const int luma = 299 * red(background) + 587 * green(background) + 114 * blue(background);
    return luma >= 128000 ? 0x000000 : 0xFFFFFF;
}
