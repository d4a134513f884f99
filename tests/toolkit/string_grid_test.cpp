// The string grid as a window: keys and the owner's key handler, mouse
// presses, column sizing, scrolling, and what a paint touches and shows.
#include "toolkit/string_grid.h"

#include <oleacc.h>

#include <set>
#include <utility>

#include "platform/lazy_library.h"
#include "toolkit/grid_accessible.h"
#include "toolkit_fixture.h"
#include "vault/table_ops.h"

namespace velt::test {
namespace {

constexpr TColor kFixedBlue = 0xFF8000;  // RGB(0, 128, 255)

// Holds a key down in the thread's keyboard state, as the press of a real key would.
class HeldKey {
public:
    explicit HeldKey(BYTE key) : key_(key) { Set(0x80); }
    ~HeldKey() { Set(0); }
    HeldKey(const HeldKey&) = delete;
    HeldKey& operator=(const HeldKey&) = delete;

private:
    void Set(BYTE state) {
        BYTE keys[256];
        GetKeyboardState(keys);
        keys[key_] = state;
        SetKeyboardState(keys);
    }
    BYTE key_;
};

class StringGridTest : public ToolkitTest {
protected:
    // The main window's arrangement: a 579 x 285 grid, column 0 32 px wide
    // and the others 103 px, black cells, white text.
    TStringGrid* NewGrid(int rows) {
        form_ = NewForm(611, 405);
        form_->SetColor(clBlack);
        form_->Font().SetColor(clWhite);
        auto* grid = new TStringGrid(form_);
        grid->SetParent(form_);
        grid->SetBounds(16, 72, 579, 285);
        grid->SetColor(clBlack);
        grid->SetFixedColor(kFixedBlue);
        grid->SetDefaultColWidth(103);
        grid->SetColWidths(0, 32);
        grid->SetRowCount(rows);
        form_->Show();
        Pump();
        return grid;
    }

    static void Press(TStringGrid* grid, UINT down, WPARAM buttons, int x, int y) {
        SendMessageA(grid->Handle(), down, buttons, MAKELPARAM(x, y));
    }
    static void Click(TStringGrid* grid, int x, int y, WPARAM extra = 0) {
        Press(grid, WM_LBUTTONDOWN, MK_LBUTTON | extra, x, y);
        Press(grid, WM_LBUTTONUP, extra, x, y);
    }

    TForm* form_ = nullptr;
};

TEST_F(StringGridTest, TabInTheLastCellAddsARowBeforeTheGridMoves) {
    struct Case {
        int rows;
        TGridRect start;
        bool shift;
        int wantRows;
        GridCoord wantCell;
    };
    const Case cases[] = {
        {2, {5, 1, 5, 1}, false, 3, {1, 2}},   // the new row's first field
        {2, {5, 1, 5, 1}, true, 3, {4, 1}},    // Shift+Tab adds too, then steps back
        {5, {5, 2, 5, 2}, false, 5, {1, 3}},   // last column, not the last row
        {5, {3, 4, 3, 4}, false, 5, {4, 4}},
        {5, {5, 4, 5, 4}, false, 6, {1, 5}},
    };
    for (const Case& c : cases) {
        TStringGrid* grid = NewGrid(c.rows);
        int clicks = 0;
        std::vector<GridCoord> seenByHandler;
        grid->OnClick = [&](TComponent*) { ++clicks; };
        grid->OnKeyDown = [&](TComponent*, WORD& key, TShiftState) {
            seenByHandler.push_back({grid->Col(), grid->Row()});
            if (key == VK_TAB) AddRowOnTab(grid->Store(), grid->Selection().Left, grid->Selection().Top);
        };
        grid->SetSelection(c.start);
        grid->SetFocus();
        PressKey(grid->Handle(), VK_TAB, false, c.shift);
        Pump();
        ASSERT_EQ(seenByHandler.size(), 1u);
        EXPECT_EQ(seenByHandler[0], (GridCoord{c.start.Left, c.start.Top}));  // before the move
        EXPECT_EQ(grid->RowCount(), c.wantRows);
        EXPECT_EQ(grid->Col(), c.wantCell.Col);
        EXPECT_EQ(grid->Row(), c.wantCell.Row);
        EXPECT_EQ(clicks, 1);
        if (c.wantRows > c.rows) {
            EXPECT_EQ(grid->Cells(0, c.wantRows - 1), std::to_string(c.wantRows - 1));
        }
    }
}

// A reader's view: the data cells numbered row by row, moves that stop at
// the table's edges, a point over a cell, and nothing while hidden.
TEST_F(StringGridTest, ReaderSeesTheDataCellsAndMovesStopAtTheEdges) {
    TStringGrid* grid = NewGrid(4);
    GridAccessible reader(*grid);
    const struct {
        int col, row, child;
    } cells[] = {{1, 1, 1}, {5, 1, 5}, {1, 2, 6}, {5, 3, 15}, {0, 1, 0}, {1, 0, 0}, {1, 4, 0}, {6, 1, 0}};
    for (const auto& c : cells) {
        EXPECT_EQ(reader.ChildOf(c.col, c.row), c.child) << c.col << "," << c.row;
        int col = -1, row = -1;
        if (c.child) EXPECT_TRUE(reader.CellOf(c.child, col, row) && col == c.col && row == c.row) << c.child;
    }
    const struct {
        long direction;
        int from, to;
    } moves[] = {{NAVDIR_FIRSTCHILD, 0, 1}, {NAVDIR_LASTCHILD, 0, 15}, {NAVDIR_NEXT, 5, 6}, {NAVDIR_NEXT, 15, -1},
                 {NAVDIR_PREVIOUS, 1, -1},  {NAVDIR_RIGHT, 5, -1},     {NAVDIR_LEFT, 6, -1}, {NAVDIR_DOWN, 2, 7},
                 {NAVDIR_DOWN, 13, -1},     {NAVDIR_UP, 3, -1},        {NAVDIR_UP, 8, 3}};
    for (const auto& m : moves) EXPECT_EQ(reader.Navigate(m.direction, m.from), m.to) << m.direction << " " << m.from;
    RECT r = grid->CellRect(3, 2);
    POINT centre{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    ClientToScreen(grid->Handle(), &centre);
    EXPECT_EQ(reader.HitTest(centre), 8);
    EXPECT_EQ(reader.ChildCount(), 15);
    grid->Hide();
    EXPECT_EQ(reader.ChildCount(), 0);
}

// A reader may keep the grid's object after the grid is gone: its calls then
// fail instead of reading freed memory.
TEST_F(StringGridTest, ReaderKeepingTheObjectIsCutOffWhenTheGridGoes) {
    TStringGrid* grid = NewGrid(4);
    using FromWindow = HRESULT WINAPI(HWND, DWORD, REFIID, void**);
    auto* get = platform::SystemFunction<FromWindow>("oleacc.dll", "AccessibleObjectFromWindow");
    const IID iidAccessible = {0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};
    IAccessible* acc = nullptr;
    ASSERT_EQ(get(grid->Handle(), static_cast<DWORD>(OBJID_CLIENT), iidAccessible, reinterpret_cast<void**>(&acc)),
              S_OK);
    long count = 0;
    EXPECT_EQ(acc->get_accChildCount(&count), S_OK);
    EXPECT_EQ(count, 15);
    delete grid;
    count = -1;
    EXPECT_TRUE(FAILED(acc->get_accChildCount(&count)));
    EXPECT_EQ(count, 0);
    acc->Release();
}

TEST_F(StringGridTest, AKeyHandlerCanSwallowTheKey) {
    TStringGrid* grid = NewGrid(5);
    grid->OnKeyDown = [](TComponent*, WORD& key, TShiftState) {
        if (key == VK_DOWN) key = 0;
    };
    int clicks = 0;
    grid->OnClick = [&](TComponent*) { ++clicks; };
    grid->SetFocus();
    PressKey(grid->Handle(), VK_DOWN);
    PressKey(grid->Handle(), VK_RIGHT);
    PressKey(grid->Handle(), VK_LEFT);  // back where it was: a move all the same
    PressKey(grid->Handle(), VK_LEFT);  // stuck at column 1: no move, no click
    Pump();
    EXPECT_EQ(grid->Row(), 1);
    EXPECT_EQ(grid->Col(), 1);
    EXPECT_EQ(clicks, 2);
}

TEST_F(StringGridTest, MousePressesSelectReportAndClick) {
    TStringGrid* grid = NewGrid(20);
    std::vector<std::string> log;
    grid->OnMouseDown = [&](TComponent*, TMouseButton b, TShiftState, int x, int y) {
        GridCoord c = grid->MouseToCell(x, y);
        log.push_back("down " + std::to_string(static_cast<int>(b)) + " " + std::to_string(c.Col) + "," +
                      std::to_string(c.Row) + " current " + std::to_string(grid->Col()) + "," +
                      std::to_string(grid->Row()));
    };
    grid->OnClick = [&](TComponent*) { log.push_back("click"); };

    Click(grid, 200, 60);  // cell (2, 2): selected on the press, clicked on the release
    Press(grid, WM_RBUTTONDOWN, MK_RBUTTON, 400, 110);  // (4, 4): reported, not selected
    Press(grid, WM_RBUTTONUP, 0, 400, 110);
    Click(grid, 60, 10);   // a title: reported, no selection, no click
    Click(grid, 10, 60);   // a number cell: the same
    Click(grid, 570, 60);  // beside the last column
    const std::vector<std::string> want = {
        "down 0 2,2 current 2,2", "click",
        "down 1 4,4 current 2,2",
        "down 0 1,0 current 2,2",
        "down 0 0,2 current 2,2",
        "down 0 -1,2 current 2,2",
    };
    EXPECT_EQ(log, want);
    EXPECT_EQ(grid->Selection(), (TGridRect{2, 2, 2, 2}));

    {
        HeldKey shift(VK_SHIFT);  // Shift extends from the anchor
        Click(grid, 400, 110, MK_SHIFT);
    }
    EXPECT_EQ(grid->Selection(), (TGridRect{2, 2, 4, 4}));
    Press(grid, WM_LBUTTONDOWN, MK_LBUTTON, 100, 35);  // drag from (1, 1) to (3, 3)
    SendMessageA(grid->Handle(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(300, 85));
    Press(grid, WM_LBUTTONUP, 0, 300, 85);
    EXPECT_EQ(grid->Selection(), (TGridRect{1, 1, 3, 3}));
    EXPECT_EQ(grid->Col(), 3);
    EXPECT_EQ(grid->Row(), 3);
}

TEST_F(StringGridTest, DraggingATitleBorderResizesWithoutReportingAPress) {
    TStringGrid* grid = NewGrid(5);
    int downs = 0, clicks = 0;
    grid->OnMouseDown = [&](TComponent*, TMouseButton, TShiftState, int, int) { ++downs; };
    grid->OnClick = [&](TComponent*) { ++clicks; };

    Press(grid, WM_LBUTTONDOWN, MK_LBUTTON, 137, 10);  // column 1's border is at 136
    EXPECT_TRUE(grid->Sizing());
    SendMessageA(grid->Handle(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(181, 12));
    Press(grid, WM_LBUTTONUP, 0, 181, 12);
    EXPECT_FALSE(grid->Sizing());
    EXPECT_EQ(grid->ColWidths(1), 147);  // the border followed the pointer
    EXPECT_EQ(grid->ColWidths(2), 103);
    EXPECT_EQ(downs, 0);
    EXPECT_EQ(clicks, 0);

    Press(grid, WM_RBUTTONDOWN, MK_RBUTTON, 181, 10);  // other buttons there are ordinary presses
    Press(grid, WM_RBUTTONUP, 0, 181, 10);
    EXPECT_EQ(downs, 1);
    EXPECT_FALSE(grid->Sizing());

    grid->SetDefaultColWidth(90);  // the window's resize rule forgets dragged widths
    EXPECT_EQ(grid->ColWidths(1), 90);
    EXPECT_EQ(grid->ColWidths(0), 90);
}

TEST_F(StringGridTest, ScrollBarFollowsRowsBeyondSixteenBits) {
    TStringGrid* grid = NewGrid(2);
    EXPECT_FALSE(grid->VScrollBarVisible());
    EXPECT_FALSE(GetWindowLongA(grid->Handle(), GWL_STYLE) & WS_VSCROLL);
    EXPECT_EQ(grid->VisibleRowCount(), 10);

    grid->SetRowCount(70000);
    Pump();
    EXPECT_TRUE(grid->VScrollBarVisible());
    EXPECT_TRUE(GetWindowLongA(grid->Handle(), GWL_STYLE) & WS_VSCROLL);
    grid->SetTopRow(69000);
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_ALL;
    ASSERT_TRUE(GetScrollInfo(grid->Handle(), SB_VERT, &si));
    EXPECT_EQ(si.nMax, 69999);
    EXPECT_EQ(si.nPage, 10u);
    EXPECT_EQ(si.nPos, 69000);

    struct Step { WPARAM code; int top; };
    const Step steps[] = {
        {SB_LINEDOWN, 69001}, {SB_PAGEUP, 68991}, {SB_BOTTOM, 69990}, {SB_LINEDOWN, 69990}, {SB_TOP, 1},
        {SB_PAGEDOWN, 11},
    };
    for (const Step& s : steps) {
        SendMessageA(grid->Handle(), WM_VSCROLL, s.code, 0);
        EXPECT_EQ(grid->TopRow(), s.top) << s.code;
        GetScrollInfo(grid->Handle(), SB_VERT, &si);
        EXPECT_EQ(si.nPos, s.top) << s.code;
    }

    UINT lines = 3;
    SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
    SendMessageA(grid->Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), 0);
    EXPECT_EQ(grid->TopRow(), 11 + static_cast<int>(lines));
    SendMessageA(grid->Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, 60), 0);  // half a notch waits
    EXPECT_EQ(grid->TopRow(), 11 + static_cast<int>(lines));
    SendMessageA(grid->Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, 60), 0);
    EXPECT_EQ(grid->TopRow(), 11);

    // Rows dropped through the store: the grid catches up at once.
    ClearTable(grid->Store());
    grid->Invalidate();
    EXPECT_EQ(grid->TopRow(), 1);
    EXPECT_EQ(grid->Row(), 1);
    EXPECT_FALSE(grid->VScrollBarVisible());
    EXPECT_FALSE(GetWindowLongA(grid->Handle(), GWL_STYLE) & WS_VSCROLL);
}

TEST_F(StringGridTest, APaintDrawsOnlyTheVisibleCells) {
    TStringGrid* grid = NewGrid(65535);
    std::set<std::pair<int, int>> drawn;
    int calls = 0;
    grid->OnDrawCell = [&](TComponent*, int col, int row, const RECT&, TGridDrawState) {
        ++calls;
        drawn.insert({col, row});
    };
    grid->SetTopRow(60000);
    calls = 0;
    drawn.clear();
    RedrawWindow(grid->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_EQ(calls, 72);  // the title row and rows 60000-60010, six columns each
    EXPECT_EQ(drawn.size(), 72u);
    EXPECT_EQ(grid->PaintedCellCount(), 72);
    for (const auto& cell : drawn)
        EXPECT_TRUE(cell.second == 0 || (cell.second >= 60000 && cell.second <= 60010)) << cell.second;
}

// StringGrid1DrawCell's masking, done the way the main window does it.
TEST_F(StringGridTest, OwnerDrawingOverTheStandardCellInItsBackground) {
    TStringGrid* grid = NewGrid(3);
    grid->SetCells(4, 1, "secret");
    grid->SetCells(2, 1, "WWWW");
    grid->OnDrawCell = [&](TComponent*, int col, int row, const RECT& rect, TGridDrawState) {
        if (col != 4 || row < 1) return;
        TCanvas& canvas = grid->Canvas();
        canvas.Font().SetColor(clRed);
        canvas.Brush().color = grid->CellBackground();
        canvas.FillRect(rect);
        canvas.TextOut(rect.left + 1, rect.top + 5, std::string(grid->Cells(col, row).size(), '*'));
    };
    grid->SetSelection({1, 2, 2, 2});  // (1, 2) is selected whether or not the grid has the focus

    // Capture what the grid paints, through WM_PRINTCLIENT.
    WindowDC screen;
    MemoryDC mem(screen.Get());
    BitmapHandle bitmap(CreateCompatibleBitmap(screen.Get(), grid->ClientWidth(), grid->ClientHeight()));
    {
        SelectGuard keep(mem.Get(), bitmap.Get());
        SendMessageA(grid->Handle(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(mem.Get()), PRF_CLIENT);
        auto at = [&](int x, int y) { return GetPixel(mem.Get(), x, y) & 0xFFFFFF; };
        auto any = [&](RECT r, COLORREF c) {
            for (int y = r.top; y < r.bottom; ++y)
                for (int x = r.left; x < r.right; ++x)
                    if (at(x, y) == c) return true;
            return false;
        };
        EXPECT_EQ(at(60, 12), RGB(0, 128, 255));        // title
        EXPECT_EQ(at(10, 40), RGB(0, 128, 255));        // number cell
        EXPECT_EQ(at(136, 12), RGB(0, 0, 0));           // line between titles
        EXPECT_EQ(at(240, 40), RGB(192, 192, 192));     // line between ordinary cells
        EXPECT_EQ(at(300, 62), RGB(0, 0, 0));           // an empty ordinary cell
        EXPECT_EQ(at(120, 62), ColorToRGB(clHighlight) & 0xFFFFFF);  // selected, grid not focused
        EXPECT_TRUE(any({137, 25, 240, 49}, RGB(255, 255, 255)));    // "WWWW" in white
        RECT password{345, 25, 448, 49};
        bool red = false;  // the glyphs are smoothed: red, or red faded into black
        for (int y = password.top; y < password.bottom; ++y)
            for (int x = password.left; x < password.right; ++x) {
                COLORREF c = at(x, y);
                red = red || (GetRValue(c) >= 0xC0 && GetGValue(c) == 0 && GetBValue(c) == 0);
            }
        EXPECT_TRUE(red);
        EXPECT_FALSE(any(password, RGB(255, 255, 255)));  // the plain text is gone
    }
    EXPECT_EQ(grid->Cells(4, 1), "secret");
}

} // namespace
} // namespace velt::test
