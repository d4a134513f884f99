// The coloured push button as a window: property rules, kinds, its face as
// the system asks it to paint, double clicks, the Help and Close kinds.
#include "ui/button_with_color.h"

#include "core/resource_strings.h"
#include "toolkit/application.h"
#include "toolkit/edit.h"
#include "toolkit/toolkit_fixture.h"
#include "ui_test_support.h"

namespace velt::test {
namespace {

const COLORREF kBlackRgb = RGB(0, 0, 0);
const COLORREF kWhiteRgb = RGB(255, 255, 255);

BitmapHandle Strip(int width, int height) {
    DWORD* bits = nullptr;
    BitmapHandle bmp = CreateDib32(width, height, &bits);
    for (int i = 0; i < width * height; ++i) bits[i] = 0x808000;  // teal
    return bmp;
}

class BitBtn : public ToolkitTest {
protected:
    // An edit box (focused when shown), then OK (default) and Cancel: black
    // faces, white captions, 75 x 23 as in the run-time dialogs.
    void Make() {
        form_ = NewForm(200, 80);
        form_->SetColor(clBlack);
        edit_ = new TEdit(form_);
        edit_->SetParent(form_);
        edit_->SetBounds(10, 10, 150, 21);
        ok_ = Button("OK", mrOk, 10);
        ok_->SetDefault(true);
        cancel_ = Button("Cancel", mrCancel, 100);
        cancel_->SetCancel(true);
    }
    TBitBtnWithColor* Button(const char* caption, TModalResult result, int left) {
        auto* b = new TBitBtnWithColor(form_);
        b->SetParent(form_);
        b->SetCaption(caption);
        b->SetModalResult(result);
        b->SetColor(clBlack);
        b->Font().SetColor(clWhite);
        b->SetBounds(left, 45, 75, 23);
        return b;
    }
    // What the window paints when the system asks it (WM_PRINTCLIENT).
    std::unique_ptr<TPixelSurface> Capture(TBitBtnWithColor* b) {
        auto s = std::make_unique<TPixelSurface>(75, 23);
        SendMessageA(b->Handle(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(s->Dc()), PRF_CLIENT);
        return s;
    }

    TForm* form_ = nullptr;
    TEdit* edit_ = nullptr;
    TBitBtnWithColor* ok_ = nullptr;
    TBitBtnWithColor* cancel_ = nullptr;
};

TEST_F(BitBtn, StartsWithItsDefaults) {
    TBitBtnWithColor b(nullptr);
    EXPECT_EQ(clBtnFace, b.Color());
    EXPECT_EQ(bkCustom, b.Kind());
    EXPECT_EQ(nullptr, b.Glyph());
    EXPECT_EQ(1, b.NumGlyphs());
    EXPECT_EQ(blGlyphLeft, b.Layout());
    EXPECT_EQ(-1, b.Margin());
    EXPECT_EQ(4, b.Spacing());
    EXPECT_EQ(bsAutoDetect, b.Style());
    EXPECT_EQ(RGB(128, 128, 0), b.GlyphPainter().TransparentColor());
    EXPECT_TRUE(b.Class().InheritsFrom(TButton::StaticClass()));
    EXPECT_EQ("TBitBtnWithColor", b.ClassName());
}

TEST_F(BitBtn, SetterRules) {
    TBitBtnWithColor b(nullptr);
    b.SetNumGlyphs(7);
    EXPECT_EQ(4, b.NumGlyphs());
    b.SetNumGlyphs(0);
    EXPECT_EQ(4, b.NumGlyphs());
    b.SetNumGlyphs(2);
    b.SetMargin(-2);
    EXPECT_EQ(-1, b.Margin());
    b.SetMargin(3);
    b.SetMargin(-2);
    EXPECT_EQ(3, b.Margin());

    struct { int width, height, before, after; } glyphs[] = {{72, 18, 1, 4}, {90, 18, 2, 1}, {40, 18, 3, 3}};
    for (auto& g : glyphs) {
        b.SetNumGlyphs(g.before);
        BitmapHandle strip = Strip(g.width, g.height);
        b.SetGlyph(strip.Get());
        EXPECT_EQ(g.after, b.NumGlyphs()) << g.width << "x" << g.height;
    }
}

TEST_F(BitBtn, ColourChangeRebuildsTheGlyph) {
    Make();
    BitmapHandle strip = Strip(18, 18);
    ok_->SetGlyph(strip.Get());
    form_->Show();
    Pump();
    Capture(ok_);
    ASSERT_TRUE(ok_->GlyphPainter().HasImage(bsUp));
    ok_->SetColor(clBlack);  // same colour: nothing happens
    EXPECT_TRUE(ok_->GlyphPainter().HasImage(bsUp));
    ok_->SetColor(clRed);
    EXPECT_FALSE(ok_->GlyphPainter().HasImage(bsUp));
    auto s = Capture(ok_);
    // The teal ground of the glyph is now the red face.
    bool glyphRed = false;
    for (int x = 2; x < 73; ++x) glyphRed |= s->Pixel(x, 11) == RGB(255, 0, 0);
    EXPECT_TRUE(glyphRed);
    EXPECT_EQ(RGB(255, 0, 0), ok_->GlyphPainter().FaceColor());
}

TEST_F(BitBtn, KindsSetRolesCaptionAndGlyph) {
    struct Case {
        TBitBtnWithColorKind kind;
        bool isDefault, cancel;
        TModalResult result;
        const char* caption;
        int glyphHeight;
    } cases[] = {
        {bkOK, true, false, mrOk, "OK", 18},          {bkCancel, false, true, mrCancel, "Cancel", 18},
        {bkHelp, false, false, mrNone, "&Help", 18},  {bkYes, true, false, mrYes, "&Yes", 18},
        {bkNo, false, true, mrNo, "&No", 18},         {bkClose, false, false, mrNone, "&Close", 18},
        {bkAbort, false, false, mrAbort, "Abort", 18}, {bkRetry, false, false, mrRetry, "&Retry", 18},
        {bkIgnore, false, false, mrIgnore, "&Ignore", 18}, {bkAll, false, false, mrAll, "&All", 19},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.caption);
        TBitBtnWithColor b(nullptr);
        b.SetKind(c.kind);
        EXPECT_EQ(c.kind, b.Kind());
        EXPECT_EQ(c.isDefault, b.Default());
        EXPECT_EQ(c.cancel, b.Cancel());
        EXPECT_EQ(c.result, b.ModalResult());
        EXPECT_EQ(c.caption, b.Caption());
        EXPECT_EQ(2, b.NumGlyphs());
        BITMAP info = {};
        ASSERT_TRUE(b.Glyph() && GetObject(b.Glyph(), sizeof(info), &info)) << "kind glyph resource missing";
        EXPECT_EQ(36, info.bmWidth);
        EXPECT_EQ(c.glyphHeight, info.bmHeight);
    }
    // Loaded once and shared.
    EXPECT_EQ(KindGlyph(bkOK), KindGlyph(bkOK));
}

TEST_F(BitBtn, KindReadsCustomOnceItsRowNoLongerHolds) {
    TBitBtnWithColor b(nullptr);
    b.SetKind(bkOK);
    b.SetDefault(false);
    EXPECT_EQ(bkCustom, b.Kind());
    b.SetDefault(true);
    EXPECT_EQ(bkCustom, b.Kind()) << "once custom, stays custom";

    b.SetKind(bkCancel);
    b.SetModalResult(mrOk);
    EXPECT_EQ(bkCustom, b.Kind());

    b.SetKind(bkNo);
    BitmapHandle strip = Strip(18, 18);
    b.SetGlyph(strip.Get());
    EXPECT_EQ(bkCustom, b.Kind());

    // A new face colour keeps the kind, and with it the kind's click.
    b.SetKind(bkClose);
    b.SetColor(clBlack);
    EXPECT_EQ(bkClose, b.Kind());

    // Custom changes nothing else.
    b.SetKind(bkYes);
    b.SetKind(bkCustom);
    EXPECT_TRUE(b.Default());
    EXPECT_EQ(mrYes, b.ModalResult());
    EXPECT_EQ("&Yes", b.Caption());
}

bool BorderIs(const TPixelSurface& s, int inset, COLORREF c) {
    for (int x = inset; x < s.Width() - inset; ++x)
        if (s.Pixel(x, inset) != c || s.Pixel(x, s.Height() - 1 - inset) != c) return false;
    for (int y = inset; y < s.Height() - inset; ++y)
        if (s.Pixel(inset, y) != c || s.Pixel(s.Width() - 1 - inset, y) != c) return false;
    return true;
}

int WhiteDotsOnRow(const TPixelSurface& s, int y) {
    int n = 0;
    for (int x = 4; x < 71; ++x) n += s.Pixel(x, y) == kWhiteRgb;
    return n;
}

RECT Ink(const TPixelSurface& s, COLORREF c = kWhiteRgb) {
    return BoundsOf(s, {5, 5, 70, 18}, c);
}

TEST_F(BitBtn, FaceFollowsFocusPressAndEnabled) {
    Make();
    form_->Show();
    edit_->SetFocus();
    Pump();
    const COLORREF frame = GetSysColor(COLOR_WINDOWFRAME);

    // Focus in the edit box: OK (default) is the active button, Cancel not.
    ASSERT_TRUE(ok_->IsActive());
    ASSERT_FALSE(cancel_->IsActive());
    auto active = Capture(ok_);
    EXPECT_TRUE(BorderIs(*active, 0, frame));
    EXPECT_GE(WhiteDotsOnRow(*active, 4), 33) << "focus rectangle";
    EXPECT_GE(WhiteDotsOnRow(*active, 18), 33);
    RECT okInk = Ink(*active);
    EXPECT_LT(okInk.left, okInk.right) << "white caption";
    auto inactive = Capture(cancel_);
    EXPECT_TRUE(BorderIs(*inactive, 0, GetSysColor(COLOR_3DLIGHT)) ||
                !BorderIs(*inactive, 0, frame)) << "no frame on Cancel";
    EXPECT_EQ(0, WhiteDotsOnRow(*inactive, 4));

    // Focus on Cancel: it becomes the active button, OK loses the look.
    cancel_->SetFocus();
    Pump();
    EXPECT_FALSE(ok_->IsActive());
    EXPECT_TRUE(cancel_->IsActive());
    auto okNow = Capture(ok_);
    EXPECT_FALSE(BorderIs(*okNow, 0, frame));
    EXPECT_EQ(0, WhiteDotsOnRow(*okNow, 4));
    EXPECT_TRUE(BorderIs(*Capture(cancel_), 0, frame));

    // Pressed: a shadow border inside the frame, the caption one pixel on.
    SendMessageA(cancel_->Handle(), BM_SETSTATE, TRUE, 0);
    auto pressed = Capture(cancel_);
    SendMessageA(cancel_->Handle(), BM_SETSTATE, FALSE, 0);
    auto released = Capture(cancel_);
    EXPECT_TRUE(BorderIs(*pressed, 1, GetSysColor(COLOR_BTNSHADOW)));
    EXPECT_EQ(kBlackRgb, pressed->Pixel(2, 2)) << "no raised edge";
    RECT a = Ink(*released), b = Ink(*pressed);
    EXPECT_EQ(a.left + 1, b.left);
    EXPECT_EQ(a.top + 1, b.top);

    // Disabled: grey caption over a white copy one pixel right and down.
    ok_->SetEnabled(false);
    auto disabled = Capture(ok_);
    RECT grey = Ink(*disabled, RGB(128, 128, 128)), white = Ink(*disabled, kWhiteRgb);
    ASSERT_LT(grey.left, grey.right);
    ASSERT_LT(white.left, white.right);
    // The white copy shows below and right of the grey one.
    EXPECT_EQ(grey.right + 1, white.right);
    EXPECT_EQ(grey.bottom + 1, white.bottom);
}

TEST_F(BitBtn, DoubleClickCountsAsTwoClicks) {
    Make();
    int clicks = 0;
    cancel_->SetModalResult(mrNone);
    cancel_->OnClick = [&](TComponent*) { ++clicks; };
    form_->Show();
    Pump();
    EXPECT_EQ(0u, GetClassLongA(cancel_->Handle(), GCL_STYLE) & CS_DBLCLKS);
    const LPARAM at = MAKELPARAM(10, 10);
    HWND h = cancel_->Handle();
    SendMessageA(h, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageA(h, WM_LBUTTONUP, 0, at);
    SendMessageA(h, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    SendMessageA(h, WM_LBUTTONUP, 0, at);
    Pump();
    EXPECT_EQ(2, clicks);
}

TEST_F(BitBtn, HelpAndCloseKinds) {
    Make();
    int clicks = 0;
    std::vector<int> helped;
    Application->OnHelp = [&](int context) { helped.push_back(context); };
    ok_->SetKind(bkHelp);
    ok_->OnClick = [&](TComponent*) { ++clicks; };

    // No help context anywhere: an ordinary click.
    ok_->Click();
    EXPECT_EQ(1, clicks);
    EXPECT_TRUE(helped.empty());
    // The nearest context outward from the button answers.
    form_->SetHelpContext(40);
    ok_->Click();
    ok_->SetHelpContext(7);
    ok_->Click();
    EXPECT_EQ(1, clicks);
    EXPECT_EQ((std::vector<int>{40, 7}), helped);
    Application->OnHelp = nullptr;

    // Close closes the form it stands on.
    cancel_->SetKind(bkClose);
    cancel_->SetColor(clNavy);
    RunLater(20, [this] { SendMessageA(cancel_->Handle(), BM_CLICK, 0, 0); });
    EXPECT_EQ(mrCancel, form_->ShowModal());
    EXPECT_FALSE(IsWindowVisible(form_->Handle()));
}

} // namespace
} // namespace velt::test
