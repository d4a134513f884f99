// The grid's standard drawing, read back pixel by pixel from a memory bitmap.
#include <windows.h>

#include "toolkit/grid_painter.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>
#include <vector>

namespace velt {
namespace {

const GridPalette kPalette{RGB(0, 0, 0),       RGB(0, 0, 0),     RGB(255, 255, 255),
                           RGB(0, 128, 255),   RGB(255, 255, 255), RGB(192, 192, 192),
                           RGB(0, 0, 0),       RGB(10, 36, 106),  RGB(250, 250, 250)};

// A 32-bit bitmap selected into a memory DC, its pixels readable directly.
class Canvas32 {
public:
    Canvas32(int width, int height) : width_(width) {
        BITMAPINFO bi{};
        bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
        bi.bmiHeader.biWidth = width;
        bi.bmiHeader.biHeight = -height;  // top-down
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        bi.bmiHeader.biCompression = BI_RGB;
        dc_ = CreateCompatibleDC(nullptr);
        bitmap_ = CreateDIBSection(dc_, &bi, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_), nullptr, 0);
        old_ = SelectObject(dc_, bitmap_);
    }
    ~Canvas32() {
        SelectObject(dc_, old_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    Canvas32(const Canvas32&) = delete;
    Canvas32& operator=(const Canvas32&) = delete;
    HDC Dc() const { return dc_; }
    COLORREF At(int x, int y) const {
        GdiFlush();
        DWORD p = bits_[y * width_ + x];
        return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }
    bool AnyInside(const RECT& r, COLORREF color) const {
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x)
                if (At(x, y) == color) return true;
        return false;
    }

private:
    int width_;
    HDC dc_;
    HBITMAP bitmap_;
    HGDIOBJ old_;
    DWORD* bits_ = nullptr;
};

struct Fixture {
    GridModel model{6, 30, 1, 1};
    std::vector<std::string> cells = std::vector<std::string>(6 * 30);
    GridPainter::TextOf textOf = [this](int col, int row) -> const std::string& {
        return cells[static_cast<size_t>(row * 6 + col)];
    };
    Fixture() {
        model.SetClientSize(579, 285);
        model.SetDefaultColWidth(103);
        model.SetColWidth(0, 32);
    }
};

TEST(GridPainter, ColoursOfFixedOrdinarySelectedAndCurrentCells) {
    Fixture f;
    f.cells[1 * 6 + 1] = "WWWW";
    f.model.MoveTo(2, 2, false);
    f.model.MoveTo(3, 3, true);  // selection (2,2)-(3,3), current (3,3)
    Canvas32 canvas(579, 285);
    RECT all{0, 0, 579, 285};
    GridPainter::Paint(canvas.Dc(), f.model, all, kPalette, nullptr, true, f.textOf, nullptr);

    struct Probe { const char* what; int x, y; COLORREF want; };
    const Probe probes[] = {
        {"title cell", 60, 20, RGB(0, 128, 255)},
        {"number cell", 10, 40, RGB(0, 128, 255)},
        {"corner cell", 10, 10, RGB(0, 128, 255)},
        {"ordinary cell", 200, 40, RGB(0, 0, 0)},
        {"line between ordinary cells (vertical)", 136, 60, RGB(192, 192, 192)},
        {"line between ordinary cells (horizontal)", 200, 49, RGB(192, 192, 192)},
        {"line between title cells", 136, 10, RGB(0, 0, 0)},
        {"line below a title", 60, 24, RGB(0, 0, 0)},
        {"line between number cells", 10, 49, RGB(0, 0, 0)},
        {"selected cell", 180, 70, RGB(10, 36, 106)},
        {"selected cell beside the current one", 180, 95, RGB(10, 36, 106)},
        {"current cell keeps its colour", 290, 95, RGB(0, 0, 0)},
        {"beyond the last column", 570, 40, RGB(0, 0, 0)},
    };
    for (const Probe& p : probes) EXPECT_EQ(canvas.At(p.x, p.y), p.want) << p.what;

    // Text: white, starting 2 px right of and below the cell's corner.
    RECT textCell{33, 25, 136, 49};
    EXPECT_TRUE(canvas.AnyInside(textCell, RGB(255, 255, 255)));
    EXPECT_FALSE(canvas.AnyInside({33, 25, 35, 49}, RGB(255, 255, 255)));
    EXPECT_FALSE(canvas.AnyInside({33, 25, 136, 27}, RGB(255, 255, 255)));
    // The focus rectangle marks the current cell's edge.
    EXPECT_TRUE(canvas.At(241, 80) != RGB(0, 0, 0) || canvas.At(241, 81) != RGB(0, 0, 0));
}

TEST(GridPainter, WithoutFocusTheCurrentCellIsSelectedAndTextClipped) {
    Fixture f;
    f.cells[4 * 6 + 1] = std::string(300, 'W');  // far wider than its cell
    f.model.MoveTo(2, 2, false);
    Canvas32 canvas(579, 285);
    RECT all{0, 0, 579, 285};
    GridPainter::Paint(canvas.Dc(), f.model, all, kPalette, nullptr, false, f.textOf, nullptr);
    EXPECT_EQ(canvas.At(180, 60), RGB(10, 36, 106));
    EXPECT_EQ(canvas.At(137, 60), RGB(10, 36, 106));  // no focus rectangle
    EXPECT_FALSE(canvas.AnyInside({137, 100, 240, 124}, RGB(255, 255, 255)));  // the neighbour stays clean
    EXPECT_EQ(canvas.At(136, 110), RGB(192, 192, 192));
}

TEST(GridPainter, OnlyVisibleAndDirtyCellsArePainted) {
    struct Case { int rows, top; RECT dirty; int cells; };
    const Case cases[] = {
        {65535, 60000, {0, 0, 579, 285}, 72},   // title + 11 rows, the last partly shown
        {65535, 1, {0, 0, 579, 285}, 72},
        {3, 1, {0, 0, 579, 285}, 18},
        {1, 1, {0, 0, 579, 285}, 6},            // the title row alone
        {65535, 60000, {140, 30, 200, 45}, 1},  // one cell's inside
        {65535, 60000, {0, 0, 579, 10}, 6},     // the title row only
        {65535, 60000, {136, 0, 137, 285}, 12}, // a border line belongs to the cell left of it
    };
    for (const Case& c : cases) {
        GridModel model(6, c.rows, 1, 1);
        model.SetClientSize(579, 285);
        model.SetDefaultColWidth(103);
        model.SetColWidth(0, 32);
        model.SetTopRow(c.top);
        std::string empty;
        std::set<std::pair<int, int>> seen;
        int hookCalls = 0;
        Canvas32 canvas(579, 285);
        int painted = GridPainter::Paint(
            canvas.Dc(), model, c.dirty, kPalette, nullptr, true,
            [&](int, int) -> const std::string& { return empty; },
            [&](const GridCellPaint& p) {
                ++hookCalls;
                seen.insert({p.Col, p.Row});
                EXPECT_TRUE(p.Row == 0 || (p.Row >= c.top && p.Row <= c.top + 10)) << p.Row;
            });
        EXPECT_EQ(painted, c.cells) << c.rows << " rows from " << c.top;
        EXPECT_EQ(hookCalls, c.cells);
        EXPECT_EQ(static_cast<int>(seen.size()), c.cells);
    }
}

TEST(GridPainter, TheHookSeesTheChosenBackground) {
    Fixture f;
    f.model.MoveTo(4, 2, false);
    f.model.MoveTo(4, 3, true);
    std::vector<GridCellPaint> seen;
    std::vector<COLORREF> dcBack;  // the DC is ready for a refill in the cell's colour
    Canvas32 canvas(579, 285);
    RECT all{0, 0, 579, 285};
    GridPainter::Paint(canvas.Dc(), f.model, all, kPalette, nullptr, true, f.textOf,
                       [&](const GridCellPaint& p) {
                           if (p.Col != 4 || p.Row > 3) return;
                           seen.push_back(p);
                           dcBack.push_back(GetBkColor(p.Dc));
                       });
    ASSERT_EQ(seen.size(), 4u);
    EXPECT_EQ(seen[0].Background, RGB(0, 128, 255));
    EXPECT_TRUE(seen[0].State.Fixed);
    EXPECT_EQ(seen[1].Background, RGB(0, 0, 0));
    EXPECT_FALSE(seen[1].State.Selected);
    EXPECT_EQ(seen[2].Background, RGB(10, 36, 106));  // selected, not current
    EXPECT_TRUE(seen[2].State.Selected && !seen[2].State.Focused);
    EXPECT_EQ(seen[3].Background, RGB(0, 0, 0));      // current, focused
    EXPECT_TRUE(seen[3].State.Focused && seen[3].State.Selected);
    EXPECT_EQ(seen[3].Rect.left, 345);
    EXPECT_EQ(seen[3].Rect.top, 75);
    for (const GridCellPaint& p : seen) EXPECT_EQ(p.Background, dcBack[&p - seen.data()]);
}

} // namespace
} // namespace velt
