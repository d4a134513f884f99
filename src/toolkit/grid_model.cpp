#include "toolkit/grid_model.h"

#include <algorithm>
#include <cstdlib>

namespace velt {

GridModel::GridModel(int colCount, int rowCount, int fixedCols, int fixedRows)
    : colWidths_(static_cast<size_t>(std::max(colCount, 1)), 64),
      rowCount_(std::max(rowCount, 1)),
      fixedCols_(std::clamp(fixedCols, 0, std::max(colCount, 1) - 1)),
      fixedRows_(std::max(fixedRows, 0)),
      topRow_(fixedRows_) {
    current_ = {fixedCols_, fixedRows_};
    anchor_ = current_;
}

void GridModel::SetRowCount(int rows) {
    rowCount_ = std::max(rows, 1);
    ClampState();
}

void GridModel::SetDefaultColWidth(int width) {
    defaultColWidth_ = std::max(width, 0);
    std::fill(colWidths_.begin(), colWidths_.end(), defaultColWidth_);
}

void GridModel::SetColWidth(int col, int width) {
    colWidths_.at(static_cast<size_t>(col)) = std::max(width, 0);
}

void GridModel::SetDefaultRowHeight(int height) {
    rowHeight_ = std::max(height, 1);
    ClampState();
}

void GridModel::SetLineWidth(int width) {
    lineWidth_ = std::max(width, 1);
    ClampState();
}

void GridModel::SetClientSize(int width, int height) {
    clientWidth_ = std::max(width, 0);
    clientHeight_ = std::max(height, 0);
    ClampState();
}

int GridModel::VisibleRowCount() const {
    int room = clientHeight_ - FixedHeight();
    return std::max(room / RowPitch(), 1);
}

int GridModel::MaxTopRow() const {
    return std::max(fixedRows_, rowCount_ - VisibleRowCount());
}

void GridModel::SetTopRow(int row) {
    topRow_ = std::clamp(row, fixedRows_, MaxTopRow());
}

int GridModel::LastVisibleRow() const {
    int room = clientHeight_ - FixedHeight();
    if (room <= 0) return topRow_ - 1;
    int shown = (room + RowPitch() - 1) / RowPitch();
    return std::min(topRow_ + shown - 1, rowCount_ - 1);
}

int GridModel::ColLeft(int col) const {
    int x = 0;
    for (int c = 0; c < col && c < ColCount(); ++c) x += colWidths_[static_cast<size_t>(c)] + lineWidth_;
    return x;
}

int GridModel::RowTop(int row) const {
    if (row < 0 || row >= rowCount_) return -1;
    if (row < fixedRows_) return row * RowPitch();
    if (row < topRow_ || row > LastVisibleRow()) return -1;
    return FixedHeight() + (row - topRow_) * RowPitch();
}

GridBox GridModel::CellRect(int col, int row) const {
    if (col < 0 || col >= ColCount()) return {};
    int top = RowTop(row);
    if (top < 0) return {};
    int left = ColLeft(col);
    return {left, top, left + ColWidth(col), top + rowHeight_};
}

GridCoord GridModel::MouseToCell(int x, int y) const {
    GridCoord result;
    if (x >= 0 && x < clientWidth_) {
        int left = 0;
        for (int c = 0; c < ColCount(); ++c) {
            int right = left + ColWidth(c) + lineWidth_;
            if (x < right) { result.Col = c; break; }
            left = right;
        }
    }
    if (y >= 0 && y < clientHeight_) {
        int row;
        if (y < FixedHeight()) row = y / RowPitch();
        else row = topRow_ + (y - FixedHeight()) / RowPitch();
        if (row < rowCount_) result.Row = row;
    }
    return result;
}

GridCoord GridModel::DragTarget(int x, int y) const {
    const int lastCol = ColCount() - 1;
    const int gridRight = ColLeft(lastCol) + ColWidth(lastCol);
    GridCoord c;
    if (x < 0) c.Col = 0;
    else if (x >= gridRight || x >= clientWidth_) c.Col = lastCol;
    else c.Col = MouseToCell(x, 0).Col;
    if (c.Col < 0) c.Col = lastCol;
    if (y < FixedHeight()) c.Row = topRow_ - 1;
    else if (y >= clientHeight_) c.Row = topRow_ + VisibleRowCount();
    else {
        c.Row = MouseToCell(0, y).Row;
        if (c.Row < 0) c.Row = rowCount_ - 1;
    }
    return c;
}

int GridModel::SizingColumnAt(int x, int y) const {
    if (y < 0 || y >= FixedHeight() || y >= clientHeight_ || x < 0 || x >= clientWidth_) return -1;
    int best = -1;
    int bestDistance = kSizingSlack + 1;
    for (int c = 0; c < ColCount(); ++c) {
        int line = ColLeft(c) + ColWidth(c);  // the border's own pixel
        int distance = std::abs(x - line);
        // On a tie the right-hand border wins, so a squeezed column can still grow.
        if (distance <= bestDistance && distance <= kSizingSlack) { best = c; bestDistance = distance; }
    }
    return best;
}

TGridRect GridModel::Selection() const {
    return {std::min(current_.Col, anchor_.Col), std::min(current_.Row, anchor_.Row),
            std::max(current_.Col, anchor_.Col), std::max(current_.Row, anchor_.Row)};
}

void GridModel::SetSelection(const TGridRect& rect) {
    anchor_ = Clamp({std::min(rect.Left, rect.Right), std::min(rect.Top, rect.Bottom)});
    current_ = Clamp({std::max(rect.Left, rect.Right), std::max(rect.Top, rect.Bottom)});
    ScrollCurrentIntoView();
}

bool GridModel::IsSelected(int col, int row) const {
    if (col < fixedCols_ || row < fixedRows_) return false;
    return Selection().Contains(col, row);
}

GridCoord GridModel::Clamp(GridCoord c) const {
    c.Col = std::clamp(c.Col, fixedCols_, ColCount() - 1);
    // With no scrollable rows the current row points just past the table.
    c.Row = std::clamp(c.Row, fixedRows_, std::max(fixedRows_, rowCount_ - 1));
    return c;
}

void GridModel::ClampState() {
    current_ = Clamp(current_);
    anchor_ = Clamp(anchor_);
    topRow_ = std::clamp(topRow_, fixedRows_, MaxTopRow());
}

bool GridModel::MoveTo(int col, int row, bool extend) {
    GridCoord before = current_;
    current_ = Clamp({col, row});
    if (!extend) anchor_ = current_;
    ScrollCurrentIntoView();
    return current_ != before;
}

void GridModel::ScrollCurrentIntoView() {
    if (!HasScrollableRows()) return;
    int row = current_.Row;
    if (row < topRow_) SetTopRow(row);
    else if (row > topRow_ + VisibleRowCount() - 1) SetTopRow(row - VisibleRowCount() + 1);
}

bool GridModel::Key(GridKey key, bool shift, bool ctrl) {
    if (!HasScrollableRows()) return false;
    int col = current_.Col;
    int row = current_.Row;
    bool extend = shift;
    switch (key) {
    case GridKey::Left: --col; break;
    case GridKey::Right: ++col; break;
    case GridKey::Up:
    case GridKey::Down: {
        int step = key == GridKey::Up ? -1 : 1;
        if (ctrl) {  // scrolls the view, the current cell stays
            SetTopRow(topRow_ + step);
            return false;
        }
        row += step;
        break;
    }
    case GridKey::PageUp:
    case GridKey::PageDown: {
        int page = VisibleRowCount() * (key == GridKey::PageUp ? -1 : 1);
        SetTopRow(topRow_ + page);
        row += page;
        break;
    }
    case GridKey::Home:
        col = fixedCols_;
        if (ctrl) row = fixedRows_;
        break;
    case GridKey::End:
        col = ColCount() - 1;
        if (ctrl) row = rowCount_ - 1;
        break;
    case GridKey::Tab:
        // Tab never extends the selection; it wraps to the next or previous
        // row, and from the last cell round to the first.
        extend = false;
        if (shift) {
            if (--col < fixedCols_) {
                col = ColCount() - 1;
                if (--row < fixedRows_) row = rowCount_ - 1;
            }
        } else {
            if (++col >= ColCount()) {
                col = fixedCols_;
                if (++row >= rowCount_) row = fixedRows_;
            }
        }
        break;
    }
    return MoveTo(col, row, extend);
}

} // namespace velt
