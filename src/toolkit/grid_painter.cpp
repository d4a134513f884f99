#include "toolkit/grid_painter.h"

#include <algorithm>

#include "toolkit/gdi.h"

namespace velt {

namespace {

bool Intersects(const RECT& a, const RECT& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

// A cell never shows more than a few hundred characters; a pathological
// cell must not make every paint slow.
constexpr size_t kMaxDrawnBytes = 2048;

} // namespace

void GridPainter::Fill(HDC dc, const RECT& rect, COLORREF color) {
    SetBkColor(dc, color);
    ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
}

int GridPainter::Paint(HDC dc, const GridModel& model, const RECT& dirty, const GridPalette& palette,
                       HFONT font, bool focused, const TextOf& textOf, const CellHook& hook) {
    SavedDC saved(dc);  // selections and colours back however the hook leaves them
    if (font) SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    SetTextAlign(dc, TA_LEFT | TA_TOP | TA_NOUPDATECP);

    const int lastCol = model.ColCount() - 1;
    const int gridRight = model.ColLeft(lastCol) + model.ColWidth(lastCol) + model.LineWidth();
    const int lastRow = model.LastVisibleRow();
    const GridCoord current = model.Current();

    // Beyond the cells: right of the last column and below the last row.
    int gridBottom = 0;
    const int lineWidth = model.LineWidth();
    if (lastRow >= model.TopRow()) gridBottom = model.RowTop(lastRow) + model.DefaultRowHeight() + lineWidth;
    else if (model.FixedRows() > 0) gridBottom = model.FixedRows() * (model.DefaultRowHeight() + lineWidth);
    RECT right{gridRight, 0, model.ClientWidth(), model.ClientHeight()};
    RECT below{0, gridBottom, std::min(gridRight, model.ClientWidth()), model.ClientHeight()};
    if (!IsRectEmpty(&right) && Intersects(right, dirty)) Fill(dc, right, palette.Background);
    if (!IsRectEmpty(&below) && Intersects(below, dirty)) Fill(dc, below, palette.Background);

    int painted = 0;
    auto paintRow = [&](int row) {
        const int top = model.RowTop(row);
        if (top < 0 || top > dirty.bottom || top + model.DefaultRowHeight() + lineWidth <= dirty.top) return;
        for (int col = 0; col <= lastCol; ++col) {
            GridBox box = model.CellRect(col, row);
            RECT cell{box.Left, box.Top, box.Right, box.Bottom};
            RECT withLines{cell.left, cell.top, cell.right + lineWidth, cell.bottom + lineWidth};
            if (cell.left >= model.ClientWidth()) break;
            if (!Intersects(withLines, dirty)) continue;

            TGridDrawState state;
            state.Fixed = col < model.FixedCols() || row < model.FixedRows();
            state.Focused = focused && !state.Fixed && current.Col == col && current.Row == row;
            state.Selected = model.IsSelected(col, row);
            COLORREF back = palette.Cell, fore = palette.CellText;
            if (state.Fixed) {
                back = palette.Fixed;
                fore = palette.FixedText;
            } else if (state.Selected && !state.Focused) {
                back = palette.Highlight;
                fore = palette.HighlightText;
            }

            Fill(dc, cell, back);
            const std::string_view text = textOf(col, row);
            if (!text.empty()) {
                SetTextColor(dc, fore);
                const int inset = model.TextInset();
                ExtTextOutA(dc, cell.left + inset, cell.top + inset, ETO_CLIPPED, &cell, text.data(),
                            static_cast<UINT>(std::min(text.size(), kMaxDrawnBytes)), nullptr);
            }
            COLORREF line = state.Fixed ? palette.FixedLine : palette.Line;
            RECT vertical{cell.right, cell.top, cell.right + lineWidth, cell.bottom + lineWidth};
            RECT horizontal{cell.left, cell.bottom, cell.right, cell.bottom + lineWidth};
            Fill(dc, vertical, line);
            Fill(dc, horizontal, line);

            if (hook) {
                SetTextColor(dc, fore);
                SetBkColor(dc, back);
                hook(GridCellPaint{dc, col, row, cell, state, back, fore});
            }
            if (state.Focused) {
                // DrawFocusRect inverts pixels with the DC's colours; keep them plain.
                SetTextColor(dc, RGB(0, 0, 0));
                SetBkColor(dc, RGB(255, 255, 255));
                DrawFocusRect(dc, &cell);
            }
            ++painted;
        }
    };
    for (int row = 0; row < model.FixedRows() && row < model.RowCount(); ++row) paintRow(row);
    for (int row = model.TopRow(); row <= lastRow; ++row) paintRow(row);
    return painted;
}

} // namespace velt
