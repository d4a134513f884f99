// Glyph images composed in the face colour, and their shared storage.
#include "ui/button_glyph.h"
#include "ui/glyph_cache.h"
#include "ui_test_support.h"

#include <gtest/gtest.h>

#include <functional>

namespace velt {
namespace {

using test::Hex;
using test::TPixelSurface;

const COLORREF kOlive = RGB(128, 128, 0);
const COLORREF kTeal = RGB(0, 128, 128);
const COLORREF kRed = RGB(255, 0, 0);
const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kGrey = RGB(128, 128, 128);
const COLORREF kBlack = RGB(0, 0, 0);

// A strip of `width` x `height` on `ground`, painted by `draw`(x, y) -> colour
// (CLR_INVALID keeps the ground).
BitmapHandle MakeStrip(int width, int height, COLORREF ground,
                        const std::function<COLORREF(int, int)>& draw = nullptr) {
    DWORD* bits = nullptr;
    BitmapHandle bmp = CreateDib32(width, height, &bits);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            COLORREF c = draw ? draw(x, y) : CLR_INVALID;
            if (c == CLR_INVALID) c = ground;
            bits[y * width + x] = (DWORD(GetRValue(c)) << 16) | (DWORD(GetGValue(c)) << 8) | GetBValue(c);
        }
    return bmp;
}

TEST(ButtonGlyph, TakesCellsAndTransparentColourFromTheBitmap) {
    TButtonGlyph g;
    EXPECT_EQ(kOlive, g.TransparentColor());
    EXPECT_EQ(0, g.CellSize().cx);

    struct { int width, height, cellsBefore, cellsAfter; } cases[] = {
        {72, 18, 1, 4}, {90, 18, 2, 1}, {40, 18, 3, 3}, {36, 18, 1, 2}};
    for (auto& c : cases) {
        g.SetNumGlyphs(c.cellsBefore);
        // Only the bottom-left pixel decides the transparent colour.
        BitmapHandle strip = MakeStrip(c.width, c.height, kRed,
                                        [&](int x, int y) { return x == 0 && y == c.height - 1 ? kTeal : CLR_INVALID; });
        g.SetGlyph(strip.Get());
        EXPECT_EQ(c.cellsAfter, g.NumGlyphs()) << c.width << "x" << c.height;
        EXPECT_EQ(kTeal, g.TransparentColor());
        EXPECT_EQ(c.width / c.cellsAfter, g.CellSize().cx);
    }
    g.SetGlyph(nullptr);
    EXPECT_TRUE(g.Empty());
    EXPECT_EQ(0, g.CellSize().cx);
}

TEST(ButtonGlyph, ComposesStatesInTheFaceColour) {
    // Up cell: a red square; disabled cell: white, grey and black dots.
    BitmapHandle strip = MakeStrip(36, 18, kOlive, [](int x, int y) -> COLORREF {
        if (x < 18) return x >= 5 && x < 9 && y >= 5 && y < 9 ? kRed : CLR_INVALID;
        if (x == 20 && y == 2) return kWhite;
        if (x == 21 && y == 3) return kGrey;
        if (x == 22 && y == 4) return kBlack;
        return CLR_INVALID;
    });
    TButtonGlyph g;
    g.SetFaceColor(kBlack);
    g.SetGlyph(strip.Get());
    ASSERT_EQ(2, g.NumGlyphs());

    TPixelSurface up(18, 18), disabled(18, 18), down(18, 18);
    g.Draw(up.Dc(), 0, 0, bsUp);
    EXPECT_EQ(Hex(kBlack), Hex(up.Pixel(0, 0)));
    EXPECT_EQ(Hex(kRed), Hex(up.Pixel(5, 5)));
    EXPECT_EQ(Hex(kBlack), Hex(up.Pixel(17, 17)));

    g.Draw(disabled.Dc(), 0, 0, bsDisabled);
    EXPECT_EQ(Hex(GetSysColor(COLOR_BTNHIGHLIGHT)), Hex(disabled.Pixel(2, 2)));
    EXPECT_EQ(Hex(GetSysColor(COLOR_BTNSHADOW)), Hex(disabled.Pixel(3, 3)));
    EXPECT_EQ(Hex(kBlack), Hex(disabled.Pixel(4, 4)));
    EXPECT_EQ(Hex(kBlack), Hex(disabled.Pixel(10, 10)));

    // Without a pressed cell the pressed state shares the up image.
    g.Draw(down.Dc(), 0, 0, bsDown);
    EXPECT_EQ(Hex(kRed), Hex(down.Pixel(5, 5)));
    EXPECT_FALSE(g.HasImage(bsDown));

    // A new face colour discards the images; they come back in the new colour.
    g.SetFaceColor(kTeal);
    EXPECT_FALSE(g.HasImage(bsUp));
    TPixelSurface teal(18, 18);
    g.Draw(teal.Dc(), 0, 0, bsUp);
    EXPECT_EQ(Hex(kTeal), Hex(teal.Pixel(0, 0)));
    EXPECT_EQ(Hex(kRed), Hex(teal.Pixel(6, 6)));
}

TEST(ButtonGlyph, EmbossesAOneCellGlyphWhenDisabled) {
    BitmapHandle strip = MakeStrip(18, 18, kOlive, [](int x, int y) {
        return x >= 5 && x < 7 && y >= 5 && y < 7 ? kRed : CLR_INVALID;
    });
    TButtonGlyph g;
    g.SetFaceColor(kBlack);
    g.SetGlyph(strip.Get());
    TPixelSurface s(18, 18);
    g.Draw(s.Dc(), 0, 0, bsDisabled);
    const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW), light = GetSysColor(COLOR_BTNHIGHLIGHT);
    for (int y = 0; y < 18; ++y)
        for (int x = 0; x < 18; ++x) {
            COLORREF want = kBlack;
            if (x >= 6 && x < 8 && y >= 6 && y < 8) want = light;
            if (x >= 5 && x < 7 && y >= 5 && y < 7) want = shadow;
            EXPECT_EQ(Hex(want), Hex(s.Pixel(x, y))) << x << "," << y;
        }
}

TEST(ButtonGlyph, PaintersShareOneListPerCellSize) {
    BitmapHandle a = MakeStrip(18, 18, kOlive), b = MakeStrip(36, 18, kOlive), c = MakeStrip(16, 16, kOlive);
    TPixelSurface s(40, 40);
    {
        TButtonGlyph one, two, three;
        one.SetGlyph(a.Get());
        two.SetGlyph(b.Get());
        three.SetGlyph(c.Get());
        one.Draw(s.Dc(), 0, 0, bsUp);
        two.Draw(s.Dc(), 0, 0, bsUp);
        two.Draw(s.Dc(), 0, 0, bsDisabled);
        three.Draw(s.Dc(), 0, 0, bsUp);
        TGlyphCache* cache = TGlyphCache::Current();
        ASSERT_NE(nullptr, cache);
        EXPECT_EQ(2, cache->ListCount());
        TGlyphList* list18 = cache->GetList(18, 18);
        EXPECT_EQ(3, list18->Count());
        const int slots = ImageList_GetImageCount(list18->Handle());

        // A freed slot is taken by the next image of that size.
        one.SetGlyph(nullptr);
        EXPECT_EQ(2, list18->Count());
        one.SetGlyph(a.Get());
        one.Draw(s.Dc(), 0, 0, bsUp);
        EXPECT_EQ(slots, ImageList_GetImageCount(list18->Handle()));

        // The last image of a size takes its list with it.
        three.SetGlyph(nullptr);
        EXPECT_EQ(1, cache->ListCount());
    }
    EXPECT_EQ(nullptr, TGlyphCache::Current());
}

} // namespace
} // namespace velt
