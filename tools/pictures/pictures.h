// The program's pictures, drawn in code at build time.
#pragma once

#include "bmp.h"

#include <string>
#include <vector>

namespace pictures {

// Decorative background of the main window: 393 x 400, 256 colours.
IndexedImage MakeBackground();

// Banner naming the maker's web site: 223 x 58 times `scale` (1 or 2, for
// displays at 96 and 192 DPI), 16 colours.
IndexedImage MakeBanner(int scale = 1);

// Glyphs of the coloured push button's kinds: two cells (up, disabled) side
// by side, 16 colours, transparent colour olive in the bottom-left pixel.
struct NamedGlyph {
    std::string name;
    IndexedImage image;
};
std::vector<NamedGlyph> MakeKindGlyphs();

// The program icon at 64, 48, 40, 32, 24, 20 and 16 px.
std::vector<RgbaImage> MakeIcon();

// The standard 16-colour palette (black, maroon, green, olive, navy, purple,
// teal, silver, grey, red, lime, yellow, blue, fuchsia, aqua, white).
std::vector<Rgb> StandardPalette16();

} // namespace pictures
