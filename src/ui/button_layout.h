// Where a push button puts its glyph and its caption, and the rules its
// glyph properties follow. Plain arithmetic, kept apart from the painting so
// it can be checked case by case.
#pragma once

namespace velt {

enum TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };

struct TSizeI {
    int cx = 0;
    int cy = 0;
};

struct TPointI {
    int x = 0;
    int y = 0;
};

struct TGlyphCaptionPlacement {
    TPointI glyph;    // top-left of the glyph, relative to the rectangle
    TPointI caption;  // top-left of the caption's text rectangle
};

// Lays out a glyph of size `glyph` and a caption of size `caption` in a
// rectangle of size `area`. margin -1 centres glyph and caption together;
// spacing -1 spreads the free space evenly. Divisions truncate toward zero.
TGlyphCaptionPlacement CalcGlyphCaptionLayout(TSizeI area, TSizeI glyph, TSizeI caption,
                                              TButtonLayout layout, int margin, int spacing);

// Cell count after assigning a bitmap of width x height: width / height when
// the width is an exact multiple of the height (1 when that exceeds 4), else
// `current`. An empty bitmap keeps `current` too.
int GlyphCellCountFor(int width, int height, int current);

// NumGlyphs setter: above 4 becomes 4; 0 (and anything below) is ignored.
int ClampNumGlyphs(int requested, int current);

// Margin setter: values below -1 are ignored.
int AcceptMargin(int requested, int current);

} // namespace velt
