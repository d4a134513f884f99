// Operations on the entry table as a whole: adding a row on Tab, sorting by a
// column, finding text, clearing, and writing the column titles. The main
// window calls these from its handlers and repaints afterwards.
#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "vault/cell_store.h"
#include "vault/collation.h"

namespace velt {

// Title of the number column; written once, never translated.
inline constexpr const char kNumberTitle[] = "#";

// The Tab rule of StringGrid1KeyDown: when the selection's left column is the
// last one (5) and its top row is the last row, appends an empty row numbered
// with its own index and returns true. The grid's own Tab movement runs after
// it either way. Shift is not looked at.
bool AddRowOnTab(CellStore& table, int selectionLeft, int selectionTop);

// Reads a number cell: optional '+' or '-', then one or more decimal digits,
// within the 32-bit signed range. Nothing else (no blanks, no hex).
bool TryParseCellNumber(std::string_view text, std::int32_t& value);
// Same, raising EConvertError "'<text>' is not a valid integer value".
std::int32_t CellNumber(std::string_view text);

// Order of two cells of `column`: -1, 0 or 1. Column 0 compares as numbers
// (EConvertError when a text is not one); columns 1..5 through the collation,
// -2 when it fails (which callers count as "not greater").
int CompareCells(std::string_view first, std::string_view second, int column,
                 const Collation& collation);

// Sorts the entry rows ascending by `column`, whole rows moving together and
// equal rows keeping their order: exactly the order of repeated adjacent
// swaps while CompareCells(row j, row j + 1) > 0, in O(n log n).
// Returns false, touching nothing, for a column outside 0..5 (no repaint).
// Column 0: every number cell is read first; a cell that is not a number
// raises EConvertError and the order stays as it was. A table with fewer
// than two entry rows is left alone without reading any cell.
bool SortByColumn(CellStore& table, int column, const Collation& collation);

struct CellPos {
    int col;
    int row;
    bool operator==(const CellPos& o) const { return col == o.col && row == o.row; }
};

// The first cell, walking rows 1..n and in each the columns 0..5, whose text
// contains `text` when only the letters A-Z are folded to lower case (national
// letters match only in their own case). An empty text is found nowhere.
std::optional<CellPos> FindCell(const CellStore& table, std::string_view text);

// "Clear database": two rows, row 1 emptied and numbered "1". Row 0 is kept.
void ClearTable(CellStore& table);

// Writes the five titles (Name, Address, Login, Password, Description, in the
// current language) into row 0 of columns 1..5.
void WriteColumnTitles(CellStore& table, const std::array<std::string, 5>& titles);

} // namespace velt
