#include "ui/button_layout.h"

namespace velt {

TGlyphCaptionPlacement CalcGlyphCaptionLayout(TSizeI area, TSizeI glyph, TSizeI caption,
                                              TButtonLayout layout, int margin, int spacing) {
    TGlyphCaptionPlacement p;
    const bool horizontal = layout == blGlyphLeft || layout == blGlyphRight;

    // Centre both across the layout axis.
    if (horizontal) {
        p.glyph.y = (area.cy - glyph.cy + 1) / 2;
        p.caption.y = (area.cy - caption.cy + 1) / 2;
    } else {
        p.glyph.x = (area.cx - glyph.cx + 1) / 2;
        p.caption.x = (area.cx - caption.cx + 1) / 2;
    }

    if (caption.cx == 0 || glyph.cx == 0) spacing = 0;

    const int s = horizontal ? area.cx : area.cy;
    const int g = horizontal ? glyph.cx : glyph.cy;
    const int t = horizontal ? caption.cx : caption.cy;
    if (margin == -1 && spacing == -1) {
        margin = (s - g - t) / 3;
        spacing = margin;
    } else if (margin == -1) {
        margin = (s - (g + spacing + t) + 1) / 2;
    } else if (spacing == -1) {
        spacing = (s - (margin + g) - t) / 2;
    }

    switch (layout) {
    case blGlyphLeft:
        p.glyph.x = margin;
        p.caption.x = p.glyph.x + g + spacing;
        break;
    case blGlyphRight:
        p.glyph.x = area.cx - margin - g;
        p.caption.x = p.glyph.x - spacing - t;
        break;
    case blGlyphTop:
        p.glyph.y = margin;
        p.caption.y = p.glyph.y + g + spacing;
        break;
    case blGlyphBottom:
        p.glyph.y = area.cy - margin - g;
        p.caption.y = p.glyph.y - spacing - t;
        break;
    }
    return p;
}

int GlyphCellCountFor(int width, int height, int current) {
    if (width <= 0 || height <= 0 || width % height != 0) return current;
    const int cells = width / height;
    return cells > 4 ? 1 : cells;
}

int ClampNumGlyphs(int requested, int current) {
    if (requested < 1) return current;
    return requested > 4 ? 4 : requested;
}

int AcceptMargin(int requested, int current) {
    return requested < -1 ? current : requested;
}

} // namespace velt
