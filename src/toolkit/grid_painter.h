// Paints the string grid's visible cells onto a device context: the standard
// drawing of every cell the dirty rectangle touches, then the owner's hook.
// Rows scrolled away are never looked at, so the cost of a paint depends on
// the window's size, not on the table's.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <string_view>

#include "toolkit/grid_model.h"

namespace velt {

struct TGridDrawState {
    bool Selected = false;  // inside the selection (fixed cells never are)
    bool Focused = false;   // the current cell while the grid has the focus
    bool Fixed = false;     // title row or number column
};

struct GridPalette {
    COLORREF Background;      // the area beyond the last row and column
    COLORREF Cell;
    COLORREF CellText;
    COLORREF Fixed;
    COLORREF FixedText;
    COLORREF Line;            // between ordinary cells
    COLORREF FixedLine;       // around fixed cells
    COLORREF Highlight;       // selected cells
    COLORREF HighlightText;
};

// One cell as the hook sees it: where it is, its state and the background
// the standard drawing chose (so a hook can wipe the cell and draw anew).
struct GridCellPaint {
    HDC Dc;
    int Col;
    int Row;
    RECT Rect;
    TGridDrawState State;
    COLORREF Background;
    COLORREF TextColor;
};

class GridPainter {
public:
    using TextOf = std::function<std::string_view(int col, int row)>;
    using CellHook = std::function<void(const GridCellPaint&)>;

    // The font is the caller's; the DC's selections are restored afterwards.
    // Returns how many cells were painted.
    static int Paint(HDC dc, const GridModel& model, const RECT& dirty, const GridPalette& palette,
                     HFONT font, bool focused, const TextOf& textOf, const CellHook& hook);

    // Fills a rectangle with a solid colour without making a brush.
    static void Fill(HDC dc, const RECT& rect, COLORREF color);
};

} // namespace velt
