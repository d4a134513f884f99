// Speed buttons, pictures, frames and the custom-control base.
#include "toolkit/bevel.h"
#include "toolkit/image.h"
#include "toolkit/speedbutton.h"
#include "toolkit_fixture.h"

namespace velt::test {
namespace {

class GraphicControls : public ToolkitTest {
protected:
    TForm* BlackForm() {
        TForm* form = NewForm(300, 200);
        form->SetColor(clBlack);
        form->Font().SetColor(clWhite);
        return form;
    }
    static LPARAM At(int x, int y) { return MAKELPARAM(x, y); }
};

// As the main window's search button: the normal face, then a white frame.
class FramedButton : public TSpeedButton {
public:
    using TSpeedButton::TSpeedButton;
    void Paint(TCanvas& canvas) override {
        TSpeedButton::Paint(canvas);
        canvas.Brush().color = clWhite;
        canvas.Brush().style = TBrushStyle::bsSolid;
        canvas.FrameRect(RECT{0, 0, Width(), Height()});
    }
};

TEST_F(GraphicControls, SpeedButtonClicksOnReleaseOverIt) {
    TForm* form = BlackForm();
    auto* button = new FramedButton(form);
    button->SetParent(form);
    button->SetBounds(40, 30, 65, 24);
    button->SetFlat(true);
    button->SetCaption("Search");
    int clicks = 0;
    button->OnClick = [&](TComponent*) { ++clicks; };
    form->Show();
    HWND h = form->Handle();
    struct Case {
        const char* what;
        POINT down, up;
        int clicks;
    } cases[] = {
        {"press and release inside", {50, 40}, {60, 45}, 1},
        {"release outside", {50, 40}, {200, 150}, 0},
        {"press outside", {200, 150}, {50, 40}, 0},
    };
    for (const Case& c : cases) {
        clicks = 0;
        SendMessageA(h, WM_LBUTTONDOWN, MK_LBUTTON, At(c.down.x, c.down.y));
        bool inside = c.down.x < 105;
        EXPECT_EQ(button->Down(), inside) << c.what;
        SendMessageA(h, WM_MOUSEMOVE, MK_LBUTTON, At(c.up.x, c.up.y));
        SendMessageA(h, WM_LBUTTONUP, 0, At(c.up.x, c.up.y));
        EXPECT_EQ(clicks, c.clicks) << c.what;
        EXPECT_FALSE(button->Down()) << c.what;
    }
    // A double click is two clicks.
    clicks = 0;
    SendMessageA(h, WM_LBUTTONDOWN, MK_LBUTTON, At(50, 40));
    SendMessageA(h, WM_LBUTTONUP, 0, At(50, 40));
    SendMessageA(h, WM_LBUTTONDBLCLK, MK_LBUTTON, At(50, 40));
    SendMessageA(h, WM_LBUTTONUP, 0, At(50, 40));
    EXPECT_EQ(clicks, 2);

    Capture shot = CaptureClient(h);
    EXPECT_EQ(shot.At(40, 30), RGB(255, 255, 255));   // frame corner
    EXPECT_EQ(shot.At(104, 53), RGB(255, 255, 255));  // opposite corner
    EXPECT_EQ(shot.At(42, 32), RGB(0, 0, 0));         // flat face: the window shows
    EXPECT_EQ(shot.At(39, 30), RGB(0, 0, 0));
    int white = 0;
    for (int y = 32; y < 52; ++y)
        for (int x = 42; x < 103; ++x) white += shot.At(x, y) == RGB(255, 255, 255);
    EXPECT_GT(white, 20);  // the caption
}

TEST_F(GraphicControls, PicturesFromResourcesAndTheirTransparency) {
    TForm* form = BlackForm();
    auto* image = new TImage(form);
    image->SetParent(form);
    ASSERT_TRUE(image->LoadFromResourceName("IMAGE2"));
    EXPECT_EQ(image->BitmapSize().cx, 223);
    EXPECT_EQ(image->BitmapSize().cy, 58);
    EXPECT_FALSE(image->LoadFromResourceName("NO_SUCH_PICTURE"));
    EXPECT_TRUE(image->Bitmap());  // a failed load keeps the picture
    // Above 96 DPI the picture drawn for 192 DPI, and back.
    const struct {
        int dpi;
        LONG width;
    } scales[] = {{192, 446}, {144, 446}, {96, 223}};
    for (const auto& scale : scales) {
        form->ChangeDpi(scale.dpi);
        EXPECT_EQ(image->BitmapSize().cx, scale.width) << scale.dpi;
    }

    // Left half red (the bottom-left pixel: transparent), right half blue.
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), 20, 10, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    auto* p = static_cast<DWORD*>(bits);
    for (int i = 0; i < 200; ++i) p[i] = (i % 20) < 10 ? 0xFF0000 : 0x0000FF;
    struct Case {
        bool transparent;
        COLORREF left;
    } cases[] = {{false, RGB(255, 0, 0)}, {true, RGB(0, 0, 0)}};
    image->SetBitmap(bmp);
    image->SetBounds(10, 10, 20, 10);
    form->Show();
    for (const Case& c : cases) {
        image->SetTransparent(c.transparent);
        Capture shot = CaptureClient(form->Handle());
        EXPECT_EQ(shot.At(12, 15), c.left) << c.transparent;
        EXPECT_EQ(shot.At(25, 15), RGB(0, 0, 255)) << c.transparent;
    }

    int clicks = 0;
    image->OnClick = [&](TComponent*) { ++clicks; };
    SendMessageA(form->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, At(15, 15));
    SendMessageA(form->Handle(), WM_LBUTTONUP, 0, At(15, 15));
    EXPECT_EQ(clicks, 1);
}

TEST_F(GraphicControls, CursorPerControl) {
    TForm* form = BlackForm();
    auto* image = new TImage(form);
    image->SetParent(form);
    image->SetBounds(100, 50, 50, 50);
    image->SetCursor(TCursor::crHandPoint);
    form->Show();
    struct Case {
        POINT at;
        HCURSOR expected;
    } cases[] = {{{120, 70}, LoadCursorA(nullptr, IDC_HAND)}, {{10, 10}, LoadCursorA(nullptr, IDC_ARROW)}};
    for (const Case& c : cases) {
        POINT screen = form->ClientToScreen(c.at);
        SetCursorPos(screen.x, screen.y);
        SendMessageA(form->Handle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(form->Handle()),
                     MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        EXPECT_EQ(GetCursor(), c.expected) << c.at.x;
    }
}

TEST_F(GraphicControls, LoweredBevelShadowAboveHighlightBelow) {
    TForm* form = BlackForm();
    auto* bevel = new TBevel(form);
    bevel->SetParent(form);
    bevel->SetBounds(8, 8, 100, 60);
    form->Show();
    Capture shot = CaptureClient(form->Handle());
    COLORREF shadow = GetSysColor(COLOR_BTNSHADOW), light = GetSysColor(COLOR_BTNHIGHLIGHT);
    EXPECT_EQ(shot.At(8, 30), shadow);
    EXPECT_EQ(shot.At(50, 8), shadow);
    EXPECT_EQ(shot.At(107, 30), light);
    EXPECT_EQ(shot.At(50, 67), light);
    EXPECT_EQ(shot.At(50, 30), RGB(0, 0, 0));
}

} // namespace
} // namespace velt::test
