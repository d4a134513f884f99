// The entry table: 6 columns by 1 + n rows of 8-bit text (ANSI code page
// bytes, never converted). Row 0 holds the column titles, rows 1..n the
// entries; column 0 is the row number, columns 1..5 the stored fields.
//
// The string grid owns exactly one CellStore, and it is the only copy of the
// data, so rows are kept as arrays of strings that move (never copy) when
// rows are reordered.
#pragma once
#include <array>
#include <string>
#include <vector>

namespace velt {

class CellStore {
public:
    static constexpr int kColumns = 6;
    using Row = std::array<std::string, kColumns>;

    // Title row plus one entry row; all twelve cells empty.
    CellStore();

    int ColCount() const noexcept { return kColumns; }
    int RowCount() const noexcept { return static_cast<int>(rows_.size()); }
    // Number of entry rows (RowCount() - 1).
    int EntryCount() const noexcept { return RowCount() - 1; }

    // Lowering drops the rows beyond; raising appends empty rows. The title
    // row always stays: rows must be at least 1 (std::out_of_range otherwise).
    void SetRowCount(int rows);

    // Cell access by (column, row); std::out_of_range for a cell outside.
    // A reference stays valid until the row count changes or rows move.
    const std::string& Cell(int col, int row) const;
    std::string& Cell(int col, int row);
    void SetCell(int col, int row, std::string text) { Cell(col, row) = std::move(text); }

    // Whole rows, for walks over many cells.
    const Row& RowCells(int row) const;
    Row& RowCells(int row);
    void ClearRow(int row);

    // Takes row `from` out and puts it back at `to`; the rows between shift
    // by one (the grid's MoveRow). Moving to the next row swaps the two.
    void MoveRow(int from, int to);
    void SwapRows(int a, int b);

    // Puts the entry rows in a new order: entry row k + 1 becomes the row
    // that was entry row order[k] + 1. `order` must be a permutation of
    // 0..EntryCount()-1 (std::invalid_argument otherwise). Strings move.
    void ReorderEntries(const std::vector<int>& order);

private:
    void CheckRow(int row) const;
    std::vector<Row> rows_;
};

} // namespace velt
