// The grid's arithmetic: where cells lie, what the mouse hits, how keys move
// the current cell and the selection, and how the view follows.
#include "toolkit/grid_model.h"

#include <gtest/gtest.h>

namespace velt {
namespace {

// The main window's grid after its first resize: 579 x 285, column 0 32 px
// wide and columns 1-5 103 px, rows 24 px plus one line.
GridModel DesignGrid(int rows) {
    GridModel m(6, rows, 1, 1);
    m.SetClientSize(579, 285);
    m.SetDefaultColWidth(103);
    m.SetColWidth(0, 32);
    return m;
}

TEST(GridModel, MouseToCellEachAxisOnItsOwn) {
    struct Case { int top, x, y, col, row; };
    const Case cases[] = {
        {1, 0, 0, 0, 0},        {1, 32, 24, 0, 0},        // a grid line belongs to the cell before it
        {1, 33, 25, 1, 1},      {1, 136, 49, 1, 1},       {1, 137, 50, 2, 2},
        {1, 552, 30, 5, 1},     {1, 553, 30, -1, 1},      // right of the last column
        {1, 10, 284, 0, 11},    {1, -1, 10, -1, 0},       {1, 10, -1, 0, -1},
        {1, 600, 10, -1, 0},    {1, 10, 300, 0, -1},      // outside the client area
        {500, 40, 25, 1, 500},  {500, 40, 24, 1, 0},      // scrolled: the title row stays
        {65526, 40, 284, 1, -1},                          // below the last row
    };
    GridModel m = DesignGrid(65535);
    for (const Case& c : cases) {
        m.SetTopRow(c.top);
        GridCoord got = m.MouseToCell(c.x, c.y);
        EXPECT_EQ(got.Col, c.col) << "top " << c.top << " at " << c.x << "," << c.y;
        EXPECT_EQ(got.Row, c.row) << "top " << c.top << " at " << c.x << "," << c.y;
    }
}

TEST(GridModel, SizingZoneOnlyAroundTitleBorders) {
    struct Case { int x, y, col; };
    const Case cases[] = {
        {32, 5, 0},  {29, 0, 0},   {35, 23, 0},  {28, 5, -1},  {36, 5, -1},
        {136, 10, 1}, {552, 3, 5}, {555, 3, 5},  {556, 3, -1}, {300, 3, -1},
        {32, 25, -1},                // the same border below the title row is a cell
        {136, 24, 1},                // the title row's bottom line still counts
    };
    GridModel m = DesignGrid(20);
    for (const Case& c : cases) EXPECT_EQ(m.SizingColumnAt(c.x, c.y), c.col) << c.x << "," << c.y;

    // Squeezed columns: the nearer border wins, a tie goes right.
    m.SetColWidth(1, 2);  // column 1 spans 33-34, its border at 35, column 0's at 32
    EXPECT_EQ(m.SizingColumnAt(31, 5), 0);
    EXPECT_EQ(m.SizingColumnAt(33, 5), 0);
    EXPECT_EQ(m.SizingColumnAt(34, 5), 1);
    m.SetColWidth(1, 1);  // borders at 32 and 34
    EXPECT_EQ(m.SizingColumnAt(33, 5), 1);
}

TEST(GridModel, DragTargetsPastTheEdgesScroll) {
    struct Case { int x, y; GridCoord want; };
    const Case cases[] = {
        {200, 60, {2, 51}},    // inside: the cell itself
        {200, 10, {2, 49}},    // over the titles: the row above the top one
        {-30, 60, {0, 51}},    // left of the grid
        {560, 60, {5, 51}},    // right of the last column
        {200, 400, {2, 60}},   // below: the row after the last wholly shown
    };
    GridModel m = DesignGrid(100);
    m.SetTopRow(50);
    for (const Case& c : cases) EXPECT_EQ(m.DragTarget(c.x, c.y), c.want) << c.x << "," << c.y;
    GridModel shortTable = DesignGrid(4);
    EXPECT_EQ(shortTable.DragTarget(200, 200), (GridCoord{2, 3}));  // below the last row
}

TEST(GridModel, CellRectsFollowWidthsAndScrolling) {
    GridModel m = DesignGrid(100);
    EXPECT_EQ(m.CellRect(0, 0), (GridBox{0, 0, 32, 24}));
    EXPECT_EQ(m.CellRect(1, 1), (GridBox{33, 25, 136, 49}));
    EXPECT_EQ(m.CellRect(5, 11), (GridBox{449, 275, 552, 299}));  // partly shown
    EXPECT_TRUE(m.CellRect(1, 12).IsEmpty());
    EXPECT_TRUE(m.CellRect(6, 1).IsEmpty());
    EXPECT_TRUE(m.CellRect(1, 100).IsEmpty());

    m.SetTopRow(50);
    EXPECT_TRUE(m.CellRect(1, 1).IsEmpty());
    EXPECT_EQ(m.CellRect(1, 50), (GridBox{33, 25, 136, 49}));
    EXPECT_EQ(m.CellRect(2, 0), (GridBox{137, 0, 240, 24}));
    EXPECT_EQ(m.LastVisibleRow(), 60);

    m.SetDefaultColWidth(50);  // resets the dragged-narrow column 0 too
    for (int c = 0; c < 6; ++c) EXPECT_EQ(m.ColWidth(c), 50);
}

TEST(GridModel, ScrollRangeAndScrollBar) {
    struct Case { int rows, visible, maxTop; bool bar; };
    const Case cases[] = {
        {1, 10, 1, false}, {2, 10, 1, false}, {11, 10, 1, false},
        {12, 10, 2, true}, {65535, 10, 65525, true}, {65536, 10, 65526, true},
    };
    for (const Case& c : cases) {
        GridModel m = DesignGrid(c.rows);
        EXPECT_EQ(m.VisibleRowCount(), c.visible) << c.rows;
        EXPECT_EQ(m.MaxTopRow(), c.maxTop) << c.rows;
        EXPECT_EQ(m.NeedsVScroll(), c.bar) << c.rows;
        m.SetTopRow(1 << 30);
        EXPECT_EQ(m.TopRow(), c.maxTop) << c.rows;
    }
}

TEST(GridModel, KeysMoveTheCurrentCell) {
    struct Case {
        GridKey key; bool shift, ctrl;
        int col, row;            // start
        int wantCol, wantRow;    // after
        bool moved;
    };
    const Case cases[] = {
        {GridKey::Right, false, false, 2, 3, 3, 3, true},
        {GridKey::Right, false, false, 5, 3, 5, 3, false},   // stops at the last column
        {GridKey::Left, false, false, 1, 3, 1, 3, false},    // never into the number column
        {GridKey::Up, false, false, 2, 1, 2, 1, false},      // never into the title row
        {GridKey::Down, false, false, 2, 29, 2, 29, false},
        {GridKey::Down, false, false, 2, 3, 2, 4, true},
        {GridKey::Tab, false, false, 2, 3, 3, 3, true},
        {GridKey::Tab, false, false, 5, 3, 1, 4, true},      // wraps to the next row
        {GridKey::Tab, false, false, 5, 29, 1, 1, true},     // and from the last cell to the first
        {GridKey::Tab, true, false, 3, 3, 2, 3, true},
        {GridKey::Tab, true, false, 1, 3, 5, 2, true},       // back to the previous row's end
        {GridKey::Tab, true, false, 1, 1, 5, 29, true},
        {GridKey::Tab, true, false, 5, 29, 4, 29, true},
        {GridKey::Home, false, false, 4, 7, 1, 7, true},
        {GridKey::End, false, false, 2, 7, 5, 7, true},
        {GridKey::Home, false, true, 4, 7, 1, 1, true},
        {GridKey::End, false, true, 2, 7, 5, 29, true},
        {GridKey::PageDown, false, false, 2, 3, 2, 13, true},
        {GridKey::PageDown, false, false, 2, 25, 2, 29, true},
        {GridKey::PageUp, false, false, 2, 25, 2, 15, true},
        {GridKey::PageUp, false, false, 2, 5, 2, 1, true},
        {GridKey::Down, false, true, 2, 5, 2, 5, false},     // Ctrl+Down only scrolls
    };
    for (const Case& c : cases) {
        GridModel m = DesignGrid(30);
        m.MoveTo(c.col, c.row, false);
        bool moved = m.Key(c.key, c.shift, c.ctrl);
        EXPECT_EQ(m.Col(), c.wantCol) << static_cast<int>(c.key) << " from " << c.col << "," << c.row;
        EXPECT_EQ(m.Row(), c.wantRow) << static_cast<int>(c.key) << " from " << c.col << "," << c.row;
        EXPECT_EQ(moved, c.moved) << static_cast<int>(c.key) << " from " << c.col << "," << c.row;
        EXPECT_EQ(m.Selection(), (TGridRect{m.Col(), m.Row(), m.Col(), m.Row()}));
    }
}

TEST(GridModel, ShiftExtendsARangeFromTheAnchor) {
    GridModel m = DesignGrid(30);
    m.MoveTo(3, 5, false);
    m.Key(GridKey::Down, true, false);
    m.Key(GridKey::Down, true, false);
    EXPECT_EQ(m.Selection(), (TGridRect{3, 5, 3, 7}));
    m.Key(GridKey::Left, true, false);
    m.Key(GridKey::Left, true, false);
    EXPECT_EQ(m.Selection(), (TGridRect{1, 5, 3, 7}));
    m.Key(GridKey::Up, true, false);
    m.Key(GridKey::Up, true, false);
    m.Key(GridKey::Up, true, false);
    EXPECT_EQ(m.Selection(), (TGridRect{1, 4, 3, 5}));  // crossed the anchor
    EXPECT_TRUE(m.IsSelected(2, 4));
    EXPECT_FALSE(m.IsSelected(0, 4));                   // fixed cells are never selected
    EXPECT_FALSE(m.IsSelected(4, 4));

    m.MoveTo(2, 9, true);  // a mouse drag
    EXPECT_EQ(m.Selection(), (TGridRect{2, 5, 3, 9}));
    m.Key(GridKey::Tab, true, false);  // Shift+Tab moves, it does not extend
    EXPECT_EQ(m.Selection(), (TGridRect{1, 9, 1, 9}));

    m.SetSelection({4, 12, 2, 10});  // given corners in any order
    EXPECT_EQ(m.Selection(), (TGridRect{2, 10, 4, 12}));
    EXPECT_EQ(m.Current(), (GridCoord{4, 12}));
    m.SetSelection({0, 0, 9, 99});   // clamped to the scrollable cells
    EXPECT_EQ(m.Selection(), (TGridRect{1, 1, 5, 29}));
}

TEST(GridModel, TheViewFollowsTheCurrentCell) {
    GridModel m = DesignGrid(65535);
    for (int i = 0; i < 10; ++i) m.Key(GridKey::Down, false, false);
    EXPECT_EQ(m.Row(), 11);
    EXPECT_EQ(m.TopRow(), 2);  // row 11 is the last wholly shown
    m.Key(GridKey::End, false, true);
    EXPECT_EQ(m.Row(), 65534);
    EXPECT_EQ(m.TopRow(), 65525);
    m.Key(GridKey::PageUp, false, false);
    EXPECT_EQ(m.Row(), 65524);
    EXPECT_EQ(m.TopRow(), 65515);
    m.SetTopRow(60000);  // scrolling alone leaves the current cell
    EXPECT_EQ(m.Row(), 65524);
    m.Key(GridKey::Up, false, false);
    EXPECT_EQ(m.TopRow(), 65514);  // brought back into view
    m.SetSelection({1, 60000, 1, 60000});
    EXPECT_EQ(m.TopRow(), 60000);

    m.SetClientSize(579, 20);  // too short for any row: still one page of one
    EXPECT_EQ(m.VisibleRowCount(), 1);
    m.Key(GridKey::Down, false, false);
    EXPECT_EQ(m.TopRow(), 60001);
}

TEST(GridModel, RowCountChangesKeepEverythingInside) {
    GridModel m = DesignGrid(100);
    m.MoveTo(3, 90, false);
    m.MoveTo(4, 95, true);
    m.SetRowCount(50);
    EXPECT_EQ(m.Selection(), (TGridRect{3, 49, 4, 49}));
    EXPECT_EQ(m.TopRow(), 40);
    m.SetRowCount(2);
    EXPECT_EQ(m.Current(), (GridCoord{4, 1}));
    EXPECT_EQ(m.TopRow(), 1);

    m.SetRowCount(1);  // only the title row: nothing to move to
    EXPECT_FALSE(m.Key(GridKey::Tab, false, false));
    EXPECT_FALSE(m.Key(GridKey::Down, false, false));
    EXPECT_FALSE(m.NeedsVScroll());
    EXPECT_EQ(m.MouseToCell(40, 30).Row, -1);
    m.SetRowCount(3);
    EXPECT_TRUE(m.Key(GridKey::Down, false, false));
    EXPECT_EQ(m.Row(), 2);
}

} // namespace
} // namespace velt
