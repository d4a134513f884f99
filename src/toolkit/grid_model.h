// The string grid's geometry, current cell, selection and keyboard movement,
// kept free of Win32 so the arithmetic can be tested on its own. The grid
// control feeds it the client size and the row count and asks it where to
// paint and where the mouse is.
#pragma once
#include <cstddef>
#include <vector>

namespace velt {

// Cell coordinates; -1 means "outside the cells" along that axis.
struct GridCoord {
    int Col = -1;
    int Row = -1;
    bool operator==(const GridCoord& o) const { return Col == o.Col && Row == o.Row; }
    bool operator!=(const GridCoord& o) const { return !(*this == o); }
};

// A block of cells, inclusive on every side, Left <= Right and Top <= Bottom.
struct TGridRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    bool operator==(const TGridRect& o) const {
        return Left == o.Left && Top == o.Top && Right == o.Right && Bottom == o.Bottom;
    }
    bool Contains(int col, int row) const { return col >= Left && col <= Right && row >= Top && row <= Bottom; }
};

// Pixel rectangle in client coordinates, right and bottom exclusive.
struct GridBox {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    bool operator==(const GridBox& o) const {
        return Left == o.Left && Top == o.Top && Right == o.Right && Bottom == o.Bottom;
    }
    bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
};

enum class GridKey { Left, Right, Up, Down, PageUp, PageDown, Home, End, Tab };

class GridModel {
public:
    // Half-width of the strip around a column border where a press in the
    // title row starts resizing.
    static constexpr int kSizingSlack = 3;
    static constexpr int kMinColWidth = 2;

    GridModel(int colCount, int rowCount, int fixedCols, int fixedRows);

    // ---- shape
    int ColCount() const { return static_cast<int>(colWidths_.size()); }
    int RowCount() const { return rowCount_; }
    // Keeps the current cell, the selection and the top row inside the table.
    void SetRowCount(int rows);
    int FixedCols() const { return fixedCols_; }
    int FixedRows() const { return fixedRows_; }
    bool HasScrollableRows() const { return rowCount_ > fixedRows_; }

    // ---- geometry
    int DefaultColWidth() const { return defaultColWidth_; }
    // Resets every column to the new width.
    void SetDefaultColWidth(int width);
    int ColWidth(int col) const { return colWidths_.at(static_cast<size_t>(col)); }
    void SetColWidth(int col, int width);
    int DefaultRowHeight() const { return rowHeight_; }
    void SetDefaultRowHeight(int height);
    // Grid lines and the text's distance from the cell's corner grow with
    // the display scale.
    int LineWidth() const { return lineWidth_; }
    void SetLineWidth(int width);
    int TextInset() const { return textInset_; }
    void SetTextInset(int inset) { textInset_ = inset; }
    void SetClientSize(int width, int height);
    int ClientWidth() const { return clientWidth_; }
    int ClientHeight() const { return clientHeight_; }

    // First scrollable row shown under the fixed rows.
    int TopRow() const { return topRow_; }
    void SetTopRow(int row);  // clamped to [FixedRows, MaxTopRow]
    int MaxTopRow() const;
    // Scrollable rows that fit wholly in the client area (at least 1).
    int VisibleRowCount() const;
    // Last row of which any pixel shows (at least TopRow - 1 when nothing shows).
    int LastVisibleRow() const;
    // True when not every scrollable row fits: the vertical scroll bar shows.
    bool NeedsVScroll() const { return MaxTopRow() > fixedRows_; }

    int ColLeft(int col) const;  // client x of the column's first pixel
    // Client y of the row's first pixel, or -1 when the row is scrolled away.
    int RowTop(int row) const;
    // The cell's pixels without its grid lines; empty when it is not shown.
    GridBox CellRect(int col, int row) const;
    // Each axis on its own: a point below the last row but inside column 2
    // gives (2, -1). A grid line belongs to the cell left of / above it.
    GridCoord MouseToCell(int x, int y) const;
    // The cell a selecting drag points at: a point above the scrollable rows
    // means the row above the top one, below the client area the row after
    // the last wholly shown one; beside the cells, the nearest column.
    GridCoord DragTarget(int x, int y) const;
    // The column whose right border lies under (x, y) in the fixed rows, or -1.
    int SizingColumnAt(int x, int y) const;

    // ---- current cell and selection
    int Col() const { return current_.Col; }
    int Row() const { return current_.Row; }
    GridCoord Current() const { return current_; }
    GridCoord Anchor() const { return anchor_; }
    TGridRect Selection() const;
    // The anchor goes to the top-left corner, the current cell to the
    // bottom-right; the current cell is scrolled into view.
    void SetSelection(const TGridRect& rect);
    bool IsSelected(int col, int row) const;
    // Moves the current cell (clamped to the scrollable cells), scrolls it
    // into view, and with extend=false collapses the selection onto it.
    // Returns whether the current cell changed.
    bool MoveTo(int col, int row, bool extend);
    // Scrolls the least needed so that the current row is wholly visible.
    void ScrollCurrentIntoView();
    // A navigation key with its modifiers. Returns whether the current cell
    // changed; scrolling alone (Ctrl+Up/Down) returns false.
    bool Key(GridKey key, bool shift, bool ctrl);

private:
    int RowPitch() const { return rowHeight_ + lineWidth_; }
    int FixedHeight() const { return fixedRows_ * RowPitch(); }
    GridCoord Clamp(GridCoord c) const;
    void ClampState();

    std::vector<int> colWidths_;
    int rowCount_;
    int fixedCols_;
    int fixedRows_;
    int defaultColWidth_ = 64;
    int rowHeight_ = 24;
    int lineWidth_ = 1;
    int textInset_ = 2;
    int clientWidth_ = 0;
    int clientHeight_ = 0;
    int topRow_;
    GridCoord current_;
    GridCoord anchor_;
};

} // namespace velt
