// Mouse presses and keys on a string grid, delivered as the window gets them
// from the system.
#pragma once
#include <windows.h>

#include "support/gui_driver.h"
#include "toolkit/string_grid.h"

namespace velt::test {

class GridDriver {
public:
    explicit GridDriver(TStringGrid* grid) : grid_(grid) {}

    POINT Centre(int col, int row) const {
        RECT r = grid_->CellRect(col, row);
        return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    }

    // Press and release of one button over a cell's centre.
    void Press(int col, int row, TMouseButton button) {
        POINT p = Centre(col, row);
        PressAt(p.x, p.y, button);
    }
    void PressAt(int x, int y, TMouseButton button) {
        UINT down = WM_LBUTTONDOWN, up = WM_LBUTTONUP;
        WPARAM held = MK_LBUTTON;
        if (button == TMouseButton::mbRight) down = WM_RBUTTONDOWN, up = WM_RBUTTONUP, held = MK_RBUTTON;
        if (button == TMouseButton::mbMiddle) down = WM_MBUTTONDOWN, up = WM_MBUTTONUP, held = MK_MBUTTON;
        HWND h = grid_->Handle();
        SendMessageA(h, WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
        SendMessageA(h, down, held, MAKELPARAM(x, y));
        SendMessageA(h, up, 0, MAKELPARAM(x, y));
        Pump();
    }
    void Move(int col, int row) {
        POINT p = Centre(col, row);
        SendMessageA(grid_->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(p.x, p.y));
        Pump();
    }
    void Select(int col, int row) {
        grid_->SetSelection(TGridRect{col, row, col, row});
        Pump();
    }
    void Key(WORD key, bool shift = false) {
        grid_->SetFocus();
        PressKey(grid_->Handle(), key, false, shift);
        Pump();
    }

private:
    TStringGrid* grid_;
};

} // namespace velt::test
