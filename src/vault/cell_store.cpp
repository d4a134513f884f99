#include "vault/cell_store.h"

#include <algorithm>
#include <stdexcept>

namespace velt {

CellStore::CellStore() : rows_(2) {}

void CellStore::CheckRow(int row) const {
    if (row < 0 || row >= RowCount()) throw std::out_of_range("CellStore: row out of range");
}

void CellStore::SetRowCount(int rows) {
    if (rows < 1) throw std::out_of_range("CellStore: the title row cannot be removed");
    rows_.resize(static_cast<size_t>(rows));
}

const std::string& CellStore::Cell(int col, int row) const {
    if (col < 0 || col >= kColumns) throw std::out_of_range("CellStore: column out of range");
    CheckRow(row);
    return rows_[static_cast<size_t>(row)][static_cast<size_t>(col)];
}

std::string& CellStore::Cell(int col, int row) {
    return const_cast<std::string&>(static_cast<const CellStore&>(*this).Cell(col, row));
}

const CellStore::Row& CellStore::RowCells(int row) const {
    CheckRow(row);
    return rows_[static_cast<size_t>(row)];
}

CellStore::Row& CellStore::RowCells(int row) {
    CheckRow(row);
    return rows_[static_cast<size_t>(row)];
}

void CellStore::ClearRow(int row) {
    // Assigning empty keeps each string's buffer; a cleared row is usually
    // refilled at once.
    for (std::string& cell : RowCells(row)) cell.clear();
}

void CellStore::MoveRow(int from, int to) {
    CheckRow(from);
    CheckRow(to);
    auto first = rows_.begin();
    if (from < to)
        std::rotate(first + from, first + from + 1, first + to + 1);
    else if (from > to)
        std::rotate(first + to, first + from, first + from + 1);
}

void CellStore::SwapRows(int a, int b) {
    CheckRow(a);
    CheckRow(b);
    std::swap(rows_[static_cast<size_t>(a)], rows_[static_cast<size_t>(b)]);
}

void CellStore::ReorderEntries(const std::vector<int>& order) {
    const size_t n = rows_.size() - 1;
    if (order.size() != n) throw std::invalid_argument("CellStore: order has the wrong size");
    std::vector<bool> seen(n, false);
    for (int k : order) {
        if (k < 0 || static_cast<size_t>(k) >= n || seen[static_cast<size_t>(k)])
            throw std::invalid_argument("CellStore: order is not a permutation");
        seen[static_cast<size_t>(k)] = true;
    }
    std::vector<Row> sorted;
    sorted.reserve(rows_.size());
    sorted.push_back(std::move(rows_[0]));
    for (int k : order) sorted.push_back(std::move(rows_[static_cast<size_t>(k) + 1]));
    rows_.swap(sorted);
}

} // namespace velt
