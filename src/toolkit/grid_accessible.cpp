#include "toolkit/grid_accessible.h"

#include <algorithm>

#include "core/resource_strings.h"
#include "core/text.h"
#include "toolkit/string_grid.h"

namespace velt {

int GridAccessible::DataCols() const { return std::max(grid_.ColCount() - grid_.FixedCols(), 0); }

int GridAccessible::DataRows() const { return std::max(grid_.RowCount() - grid_.FixedRows(), 0); }

int GridAccessible::ChildOf(int col, int row) const {
    const int c = col - grid_.FixedCols(), r = row - grid_.FixedRows();
    if (c < 0 || c >= DataCols() || r < 0 || r >= DataRows()) return 0;
    return r * DataCols() + c + 1;
}

bool GridAccessible::CellOf(int child, int& col, int& row) const {
    if (child < 1 || DataCols() == 0) return false;
    col = (child - 1) % DataCols() + grid_.FixedCols();
    row = (child - 1) / DataCols() + grid_.FixedRows();
    return row < grid_.RowCount();
}

// Nothing while the grid is hidden: the lock hides it.
int GridAccessible::ChildCount() { return grid_.Visible() ? DataCols() * DataRows() : 0; }

std::u16string GridAccessible::Name(int child) {
    int col, row;
    if (!CellOf(child, col, row)) return SpokenCaption(grid_.AccessibleName());
    std::u16string name = Widen(grid_.Cells(col, grid_.FixedRows() - 1)) + u": ";
    name += col == grid_.SecretColumn() ? SpokenText(IDS_ACC_HIDDEN) : VaultCodePage().Widen(grid_.Cells(col, row));
    while (!name.empty() && name.back() == u' ') name.pop_back();
    return name;
}

std::u16string GridAccessible::Description(int child) {
    int col, row;
    if (!CellOf(child, col, row)) return {};
    return Widen(FormatText(ResStr(IDS_ACC_ROW_OF), {row - grid_.FixedRows() + 1, DataRows()}));
}

HRESULT GridAccessible::Value(int child, std::u16string&) {
    int col, row;
    if (CellOf(child, col, row) && col == grid_.SecretColumn()) return E_ACCESSDENIED;
    return DISP_E_MEMBERNOTFOUND;
}

long GridAccessible::Role(int child) { return child == 0 ? ROLE_SYSTEM_TABLE : ROLE_SYSTEM_CELL; }

long GridAccessible::State(int child) {
    const bool focused = grid_.Focused();
    int col, row;
    if (!CellOf(child, col, row)) {
        long state = STATE_SYSTEM_FOCUSABLE;
        if (focused) state |= STATE_SYSTEM_FOCUSED;
        if (!grid_.Showing()) state |= STATE_SYSTEM_INVISIBLE;
        return state;
    }
    long state = STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_SELECTABLE | STATE_SYSTEM_READONLY;
    if (grid_.Selection().Contains(col, row)) state |= STATE_SYSTEM_SELECTED;
    if (focused && col == grid_.Col() && row == grid_.Row()) state |= STATE_SYSTEM_FOCUSED;
    RECT r = grid_.CellRect(col, row);
    if (IsRectEmpty(&r)) state |= STATE_SYSTEM_INVISIBLE | STATE_SYSTEM_OFFSCREEN;
    if (col == grid_.SecretColumn()) state |= STATE_SYSTEM_PROTECTED;
    return state;
}

std::u16string GridAccessible::DefaultAction(int child) {
    int col, row;
    // An empty cell has nothing to open or copy.
    if (!CellOf(child, col, row) || grid_.Cells(col, row).empty()) return {};
    return SpokenCaption(grid_.ColumnAction(col));
}

void GridAccessible::DoDefaultAction(int child) {
    int col, row;
    if (CellOf(child, col, row) && grid_.OnCellAction) grid_.OnCellAction(&grid_, col, row);
}

bool GridAccessible::Select(int child, long flags) {
    int col, row;
    if (!CellOf(child, col, row)) return false;
    if (flags & SELFLAG_TAKEFOCUS) grid_.SetFocus();
    if (flags & SELFLAG_TAKESELECTION) grid_.SetSelection(TGridRect{col, row, col, row});
    return true;
}

bool GridAccessible::Location(int child, RECT& screen) {
    if (!grid_.HandleAllocated() || !grid_.Showing()) return false;
    int col, row;
    if (!CellOf(child, col, row)) return GetWindowRect(grid_.Handle(), &screen) != FALSE;
    RECT r = grid_.CellRect(col, row);
    if (IsRectEmpty(&r)) return false;
    MapWindowPoints(grid_.Handle(), HWND_DESKTOP, reinterpret_cast<POINT*>(&r), 2);
    screen = r;
    return true;
}

int GridAccessible::Focus() {
    if (!grid_.Focused()) return -1;
    int child = ChildOf(grid_.Col(), grid_.Row());
    return child > 0 && child <= ChildCount() ? child : 0;
}

int GridAccessible::HitTest(POINT screen) {
    if (!grid_.HandleAllocated()) return -1;
    POINT p = screen;
    ::ScreenToClient(grid_.Handle(), &p);
    RECT client;
    GetClientRect(grid_.Handle(), &client);
    if (!PtInRect(&client, p)) return -1;
    GridCoord cell = grid_.MouseToCell(p.x, p.y);
    int child = ChildOf(cell.Col, cell.Row);
    return child <= ChildCount() ? child : 0;
}

int GridAccessible::Navigate(long direction, int from) {
    const int count = ChildCount(), cols = DataCols();
    if (from == 0) {
        if (count == 0) return -1;
        if (direction == NAVDIR_FIRSTCHILD) return 1;
        if (direction == NAVDIR_LASTCHILD) return count;
        return -1;
    }
    int to = -1;
    const int c = (from - 1) % cols;
    switch (direction) {
    case NAVDIR_NEXT: to = from + 1; break;
    case NAVDIR_PREVIOUS: to = from - 1; break;
    case NAVDIR_RIGHT: to = c + 1 < cols ? from + 1 : -1; break;
    case NAVDIR_LEFT: to = c > 0 ? from - 1 : -1; break;
    case NAVDIR_DOWN: to = from + cols; break;
    case NAVDIR_UP: to = from - cols; break;
    default: break;
    }
    return to >= 1 && to <= count ? to : -1;
}

} // namespace velt
