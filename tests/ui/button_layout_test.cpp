// Glyph and caption placement.
#include "ui/button_layout.h"

#include <gtest/gtest.h>

namespace velt {
namespace {

struct LayoutCase {
    const char* what;
    TSizeI area, glyph, caption;
    TButtonLayout layout;
    int margin, spacing;
    TPointI glyphAt, captionAt;
};

TEST(ButtonLayout, PlacesGlyphAndCaption) {
    const LayoutCase cases[] = {
        {"caption alone is centred", {75, 23}, {0, 0}, {15, 13}, blGlyphLeft, -1, 4, {30, 12}, {30, 5}},
        {"left, centred together", {75, 23}, {18, 18}, {20, 13}, blGlyphLeft, -1, 4, {17, 3}, {39, 5}},
        {"left, odd free space rounds up", {75, 23}, {16, 16}, {21, 13}, blGlyphLeft, -1, 4, {17, 4}, {37, 5}},
        {"right with margin", {75, 23}, {18, 18}, {20, 13}, blGlyphRight, 2, 4, {55, 3}, {31, 5}},
        {"top, both spread", {60, 50}, {18, 18}, {20, 13}, blGlyphTop, -1, -1, {21, 6}, {20, 30}},
        {"bottom, spacing spread", {60, 50}, {18, 18}, {20, 13}, blGlyphBottom, 3, -1, {21, 29}, {20, 8}},
        {"glyph alone drops the spacing", {75, 23}, {18, 18}, {0, 0}, blGlyphLeft, -1, 4, {29, 3}, {47, 12}},
        {"both given are used as they are", {75, 23}, {18, 18}, {20, 13}, blGlyphLeft, 0, 0, {0, 3}, {18, 5}},
        {"too small: divisions truncate toward zero", {10, 10}, {18, 18}, {20, 13}, blGlyphLeft, -1, -1,
         {-9, -3}, {0, -1}},
    };
    for (const LayoutCase& c : cases) {
        SCOPED_TRACE(c.what);
        TGlyphCaptionPlacement p = CalcGlyphCaptionLayout(c.area, c.glyph, c.caption, c.layout, c.margin, c.spacing);
        EXPECT_EQ(c.glyphAt.x, p.glyph.x);
        EXPECT_EQ(c.glyphAt.y, p.glyph.y);
        EXPECT_EQ(c.captionAt.x, p.caption.x);
        EXPECT_EQ(c.captionAt.y, p.caption.y);
    }
}

} // namespace
} // namespace velt
