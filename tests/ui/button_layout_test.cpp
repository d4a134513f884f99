// Glyph and caption placement, the glyph property rules and the kind rule.
#include "ui/bitbtn_kinds.h"
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

TEST(ButtonLayout, GlyphPropertyRules) {
    struct { int width, height, before, after; } cells[] = {
        {72, 18, 1, 4}, {90, 18, 2, 1}, {40, 18, 3, 3}, {36, 18, 1, 2}, {18, 18, 4, 1}, {0, 0, 2, 2}, {54, 18, 1, 3},
    };
    for (auto& c : cells)
        EXPECT_EQ(c.after, GlyphCellCountFor(c.width, c.height, c.before)) << c.width << "x" << c.height;

    struct { int requested, before, after; } numGlyphs[] = {{7, 1, 4}, {0, 3, 3}, {-1, 2, 2}, {2, 1, 2}, {4, 1, 4}};
    for (auto& c : numGlyphs) EXPECT_EQ(c.after, ClampNumGlyphs(c.requested, c.before)) << c.requested;

    struct { int requested, before, after; } margins[] = {{-2, 5, 5}, {-1, 5, -1}, {0, 5, 0}, {40, -1, 40}};
    for (auto& c : margins) EXPECT_EQ(c.after, AcceptMargin(c.requested, c.before)) << c.requested;
}

TEST(ButtonLayout, KindHoldsWhileRolesMatch) {
    EXPECT_TRUE(KindStillHolds(bkOK, true, false, 1, false));
    EXPECT_FALSE(KindStillHolds(bkOK, false, false, 1, false));   // Default changed
    EXPECT_FALSE(KindStillHolds(bkOK, true, true, 1, false));     // Cancel changed
    EXPECT_FALSE(KindStillHolds(bkOK, true, false, 2, false));    // ModalResult changed
    EXPECT_FALSE(KindStillHolds(bkOK, true, false, 1, true));     // glyph assigned after
    EXPECT_TRUE(KindStillHolds(bkNo, false, true, 7, false));
    EXPECT_TRUE(KindStillHolds(bkCustom, true, true, 5, true));
}

} // namespace
} // namespace velt
