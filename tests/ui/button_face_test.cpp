// The face of a 75 x 23 "OK" button, black with a white caption, painted into
// a memory surface: edges, frame, focus rectangle, pressed and disabled looks.
#include "ui/button_face.h"
#include "ui/glyph_cache.h"
#include "ui_test_support.h"

#include <gtest/gtest.h>

#include <set>
#include <utility>

namespace velt {
namespace {

using test::BoundsOf;
using test::Hex;
using test::TPixelSurface;

const COLORREF kBlack = RGB(0, 0, 0);
const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kGrey = RGB(128, 128, 128);

class ButtonFace : public testing::Test {
protected:
    ButtonFace()
        : font_(CreateFontA(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, NONANTIALIASED_QUALITY, 0,
                            "Tahoma")) {}

    TFacePaint Ok(TFaceState state, bool active) {
        TFacePaint p;
        p.client = {0, 0, 75, 23};
        p.state = state;
        p.active = active;
        p.color = kBlack;
        p.font = font_.Get();
        p.fontColor = kWhite;
        p.caption = "OK";
        return p;
    }
    // Inside the focus dots.
    RECT CaptionInk(const TPixelSurface& s, COLORREF ink = kWhite) { return BoundsOf(s, {5, 5, 70, 18}, ink); }

    GdiObject<HFONT> font_;
};

void ExpectBorder(const TPixelSurface& s, int inset, COLORREF topLeft, COLORREF bottomRight, const char* what) {
    SCOPED_TRACE(what);
    const int r = s.Width() - 1 - inset, b = s.Height() - 1 - inset;
    for (int x = inset; x < r; ++x) {
        EXPECT_EQ(Hex(topLeft), Hex(s.Pixel(x, inset))) << "top x=" << x;
        EXPECT_EQ(Hex(bottomRight), Hex(s.Pixel(x + 1, b))) << "bottom x=" << x + 1;
    }
    for (int y = inset; y < b; ++y) {
        EXPECT_EQ(Hex(topLeft), Hex(s.Pixel(inset, y))) << "left y=" << y;
        EXPECT_EQ(Hex(bottomRight), Hex(s.Pixel(r, y + 1))) << "right y=" << y + 1;
    }
}

TEST_F(ButtonFace, UpShowsRaisedEdgeAndCentredCaption) {
    TPixelSurface s(75, 23);
    PaintButtonFace(s.Dc(), Ok(TFaceState::Up, false));
    ExpectBorder(s, 0, GetSysColor(COLOR_3DLIGHT), GetSysColor(COLOR_3DDKSHADOW), "outer edge");
    ExpectBorder(s, 1, GetSysColor(COLOR_BTNHIGHLIGHT), GetSysColor(COLOR_BTNSHADOW), "inner edge");
    // Face: black everywhere but the caption, which is white and centred.
    RECT ink = CaptionInk(s);
    ASSERT_LT(ink.left, ink.right) << "no caption drawn";
    for (int y = 2; y < 21; ++y)
        for (int x = 2; x < 73; ++x) {
            COLORREF c = s.Pixel(x, y);
            ASSERT_TRUE(c == kBlack || c == kWhite) << x << "," << y << " " << Hex(c);
        }
    SIZE text;
    GetTextExtentPoint32A(s.Dc(), "OK", 2, &text);
    const int centreX2 = ink.left + ink.right, centreY2 = ink.top + ink.bottom;
    EXPECT_NEAR(75, centreX2, 4) << "caption not centred across";
    EXPECT_NEAR(23, centreY2, 6) << "caption not centred down";
}

TEST_F(ButtonFace, ActiveAddsFrameAndFocusRectangle) {
    TPixelSurface s(75, 23);
    PaintButtonFace(s.Dc(), Ok(TFaceState::Up, true));
    ExpectBorder(s, 0, GetSysColor(COLOR_WINDOWFRAME), GetSysColor(COLOR_WINDOWFRAME), "frame");
    ExpectBorder(s, 1, GetSysColor(COLOR_3DLIGHT), GetSysColor(COLOR_3DDKSHADOW), "outer edge");
    // Dotted rectangle 4 px inside: every other pixel inverted to white.
    int dots = 0;
    for (int x = 4; x < 70; ++x) {
        const bool set = s.Pixel(x, 4) == kWhite;
        EXPECT_EQ(set, s.Pixel(x, 18) == kWhite) << "bottom x=" << x;
        EXPECT_NE(set, s.Pixel(x + 1, 4) == kWhite) << "not alternating at x=" << x;
        dots += set;
    }
    EXPECT_GE(dots, 33);
    EXPECT_NE(s.Pixel(70, 4) == kWhite, s.Pixel(69, 4) == kWhite);
    for (int y = 5; y < 18; ++y) EXPECT_NE(s.Pixel(4, y) == kWhite, s.Pixel(4, y + 1) == kWhite) << "left y=" << y;
    // Nothing between the edge and the dots.
    EXPECT_EQ(kBlack, s.Pixel(3, 10));
    EXPECT_EQ(kBlack, s.Pixel(71, 10));

    // Focused but not active: frame only, no dots.
    TPixelSurface f(75, 23);
    TFacePaint p = Ok(TFaceState::Up, false);
    p.focused = true;
    PaintButtonFace(f.Dc(), p);
    ExpectBorder(f, 0, GetSysColor(COLOR_WINDOWFRAME), GetSysColor(COLOR_WINDOWFRAME), "frame when focused");
    for (int x = 4; x < 71; ++x) EXPECT_EQ(kBlack, f.Pixel(x, 4)) << x;
}

TEST_F(ButtonFace, PressedHasShadowBorderAndShiftedCaption) {
    for (bool active : {false, true}) {
        SCOPED_TRACE(active ? "active" : "inactive");
        TPixelSurface up(75, 23), down(75, 23);
        PaintButtonFace(up.Dc(), Ok(TFaceState::Up, active));
        PaintButtonFace(down.Dc(), Ok(TFaceState::Down, active));
        const int inset = active ? 1 : 0;
        ExpectBorder(down, inset, GetSysColor(COLOR_BTNSHADOW), GetSysColor(COLOR_BTNSHADOW), "shadow border");
        // No raised edge inside the border: the face starts right there.
        EXPECT_EQ(kBlack, down.Pixel(inset + 1, inset + 1));
        EXPECT_EQ(kBlack, down.Pixel(73 - inset, 21 - inset));
        RECT a = CaptionInk(up), b = CaptionInk(down);
        ASSERT_LT(a.left, a.right);
        EXPECT_EQ(a.left + 1, b.left);
        EXPECT_EQ(a.top + 1, b.top);
        EXPECT_EQ(a.right - a.left, b.right - b.left);
        EXPECT_EQ(a.bottom - a.top, b.bottom - b.top);
    }
}

TEST_F(ButtonFace, DisabledDrawsCaptionTwice) {
    TPixelSurface s(75, 23);
    PaintButtonFace(s.Dc(), Ok(TFaceState::Disabled, false));
    ExpectBorder(s, 0, GetSysColor(COLOR_3DLIGHT), GetSysColor(COLOR_3DDKSHADOW), "outer edge");
    std::set<std::pair<int, int>> grey, white;
    for (int y = 3; y < 20; ++y)
        for (int x = 3; x < 72; ++x) {
            if (s.Pixel(x, y) == kGrey) grey.insert({x, y});
            if (s.Pixel(x, y) == kWhite) white.insert({x, y});
        }
    ASSERT_FALSE(grey.empty());
    ASSERT_FALSE(white.empty());
    // White is the grey shape moved one pixel right and down, under the grey.
    for (auto [x, y] : white) EXPECT_TRUE(grey.count({x - 1, y - 1})) << x << "," << y;
    for (auto [x, y] : grey)
        if (!grey.count({x + 1, y + 1})) EXPECT_TRUE(white.count({x + 1, y + 1})) << x + 1 << "," << y + 1;
    // Same place as the enabled caption.
    TPixelSurface e(75, 23);
    PaintButtonFace(e.Dc(), Ok(TFaceState::Up, false));
    RECT enabled = CaptionInk(e), g = CaptionInk(s, kGrey);
    EXPECT_EQ(enabled.left, g.left);
    EXPECT_EQ(enabled.top, g.top);
}

} // namespace
} // namespace velt
