#include "vault/table_ops.h"

#include <algorithm>
#include <functional>
#include <numeric>
#include <vector>

#include "core/errors.h"
#include "core/resource_strings.h"
#include "vault/byte_simd.h"

namespace velt {

bool AddRowOnTab(CellStore& table, int selectionLeft, int selectionTop) {
    if (selectionLeft != CellStore::kColumns - 1 || selectionTop != table.RowCount() - 1) return false;
    table.SetRowCount(table.RowCount() + 1);
    const int row = table.RowCount() - 1;
    table.ClearRow(row);
    table.SetCell(0, row, std::to_string(row));
    return true;
}

bool TryParseCellNumber(std::string_view text, std::int32_t& value) {
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    if (i == text.size()) return false;
    // Accumulate in 64 bits and stop as soon as the magnitude leaves the range.
    const std::int64_t limit = negative ? 2147483648LL : 2147483647LL;
    std::int64_t magnitude = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c < '0' || c > '9') return false;
        magnitude = magnitude * 10 + (c - '0');
        if (magnitude > limit) return false;
    }
    value = static_cast<std::int32_t>(negative ? -magnitude : magnitude);
    return true;
}

std::int32_t CellNumber(std::string_view text) {
    std::int32_t value = 0;
    if (!TryParseCellNumber(text, value)) throw EConvertError(FmtLoadStr(IDS_INVALID_INTEGER, {std::string(text)}));
    return value;
}

int CompareCells(std::string_view first, std::string_view second, int column,
                 const Collation& collation) {
    if (column == 0) {
        const std::int32_t a = CellNumber(first);
        const std::int32_t b = CellNumber(second);
        return a > b ? 1 : a < b ? -1 : 0;
    }
    const int r = collation.Compare(first, second);
    if (r < kCollationLess || r > kCollationGreater) return -2;
    return r - 2;
}

namespace {

// The distinct texts of a column, in first-seen order, and for each entry
// row the index of its text: an open-addressing table of indices.
void DistinctTexts(const CellStore& table, int column, std::vector<int>& textOf,
                   std::vector<std::string_view>& distinct) {
    size_t slots = 16;
    while (slots < textOf.size() * 2) slots *= 2;
    std::vector<int> slot(slots, -1);
    const std::hash<std::string_view> hash;
    for (size_t i = 0; i < textOf.size(); ++i) {
        const std::string_view text = table.Cell(column, static_cast<int>(i) + 1);
        // Equal texts have equal beginnings and lengths: hashing those is
        // enough, and reads a fraction of long texts.
        size_t s = (hash(text.substr(0, 32)) ^ (text.size() * 0x9E3779B9u)) & (slots - 1);
        while (slot[s] >= 0 && distinct[static_cast<size_t>(slot[s])] != text) s = (s + 1) & (slots - 1);
        if (slot[s] < 0) {
            slot[s] = static_cast<int>(distinct.size());
            distinct.push_back(text);
        }
        textOf[i] = slot[s];
    }
}

} // namespace

bool SortByColumn(CellStore& table, int column, const Collation& collation) {
    if (column < 0 || column >= CellStore::kColumns) return false;
    const int n = table.EntryCount();
    if (n < 2) return true;

    std::vector<int> order(static_cast<size_t>(n));
    std::iota(order.begin(), order.end(), 0);

    if (column == 0) {
        // Read every number before anything moves, so a bad cell leaves the
        // table as it was. Rows are read in the order the swaps would reach them.
        std::vector<std::int32_t> keys(order.size());
        for (int r = 0; r < n; ++r) keys[static_cast<size_t>(r)] = CellNumber(table.Cell(0, r + 1));
        std::stable_sort(order.begin(), order.end(),
                         [&](int a, int b) { return keys[static_cast<size_t>(a)] < keys[static_cast<size_t>(b)]; });
    } else {
        // Identical texts compare equal, and real tables repeat many: each
        // distinct text is sorted once and given a rank, equal ranks for
        // texts that compare equal; the rows then sort by rank.
        std::vector<int> textOf(order.size());
        std::vector<std::string_view> distinct;
        DistinctTexts(table, column, textOf, distinct);
        auto batch = collation.Prepare(distinct);
        // "a before b" exactly when the swap rule would put b after a.
        auto before = [&](int a, int b) {
            return batch->Compare(static_cast<size_t>(b), static_cast<size_t>(a)) == kCollationGreater;
        };
        // Already in order (sorting the same column again): no swap would
        // happen, whatever the collation says elsewhere.
        bool ordered = true;
        for (size_t i = 0; ordered && i + 1 < order.size(); ++i)
            ordered = textOf[i] == textOf[i + 1] || !before(textOf[i + 1], textOf[i]);
        if (ordered) return true;
        std::vector<int> byText;
        for (size_t d = 0; d < distinct.size(); ++d)
            if (batch->Collatable(d)) byText.push_back(static_cast<int>(d));
        std::stable_sort(byText.begin(), byText.end(), before);
        // A text the collation cannot handle fails every comparison: rank -1.
        std::vector<int> rankOf(distinct.size(), -1);
        for (size_t k = 0; k < byText.size(); ++k)
            rankOf[static_cast<size_t>(byText[k])] =
                k == 0 ? 0 : rankOf[static_cast<size_t>(byText[k - 1])] + (before(byText[k - 1], byText[k]) ? 1 : 0);
        std::vector<int> rank(order.size());
        for (size_t i = 0; i < order.size(); ++i) rank[i] = rankOf[static_cast<size_t>(textOf[i])];
        // A failed comparison never swaps: a row whose text fails stays
        // where it is and no row crosses it. Sort each stretch between them
        // on its own.
        auto byRank = [&](int a, int b) { return rank[static_cast<size_t>(a)] < rank[static_cast<size_t>(b)]; };
        size_t start = 0;
        for (size_t i = 0; i <= order.size(); ++i) {
            if (i < order.size() && rank[i] >= 0) continue;
            std::stable_sort(order.begin() + static_cast<std::ptrdiff_t>(start),
                             order.begin() + static_cast<std::ptrdiff_t>(i), byRank);
            start = i + 1;
        }
    }
    table.ReorderEntries(order);
    return true;
}

namespace {

// Folds only A-Z: national letters keep their case.
struct AsciiFold {
    unsigned char map[256];
    AsciiFold() {
        for (int b = 0; b < 256; ++b) map[b] = static_cast<unsigned char>(b >= 'A' && b <= 'Z' ? b + 32 : b);
    }
};
const AsciiFold kFold;

// Substring search with A-Z folded, tuned for the common answer "not in this
// cell": candidates are the offsets whose first and last bytes fit the text
// in either case, found 16 (or 4) offsets at a time; only those are compared.
class FoldedSearch {
public:
    explicit FoldedSearch(std::string_view needle) : needle_(needle.size(), '\0') {
        for (size_t i = 0; i < needle.size(); ++i)
            needle_[i] = static_cast<char>(kFold.map[static_cast<unsigned char>(needle[i])]);
        first_ = static_cast<unsigned char>(needle_.front());
        last_ = static_cast<unsigned char>(needle_.back());
    }

    bool In(std::string_view hay) const {
        const size_t m = needle_.size();
        if (hay.size() < m) return false;
        const auto* h = reinterpret_cast<const unsigned char*>(hay.data());
        const auto* n = reinterpret_cast<const unsigned char*>(needle_.data());
        return simd::ScanPairs(h, hay.size(), m - 1, first_, Upper(first_), last_, Upper(last_),
                               [&](size_t p) {
                                   for (size_t k = 1; k + 1 < m; ++k)
                                       if (kFold.map[h[p + k]] != n[k]) return false;
                                   return true;
                               });
    }

private:
    static unsigned char Upper(unsigned char c) {
        return c >= 'a' && c <= 'z' ? static_cast<unsigned char>(c - 32) : c;
    }
    std::string needle_;
    unsigned char first_ = 0, last_ = 0;
};

} // namespace

std::optional<CellPos> FindCell(const CellStore& table, std::string_view text) {
    if (text.empty()) return std::nullopt;
    const FoldedSearch search(text);
    // Most searches find nothing. The store's blocks hold every text, in
    // memory order whatever the row order: when no block holds the text, no
    // cell does. A hit there (perhaps a title, or bytes of two neighbouring
    // cells) sends the search through the cells in table order.
    bool anywhere = false;
    for (std::string_view block : table.TextBlocks()) anywhere = anywhere || search.In(block);
    if (!anywhere) return std::nullopt;
    // After a sort the rows no longer lie in memory in table order; fetching
    // a few rows ahead hides most of the wait for each cell.
    constexpr int kAhead = 3;
    const int rows = table.RowCount();
    for (int row = 1; row < rows; ++row) {
        if (row + kAhead < rows)
            for (std::string_view cell : table.RowCells(row + kAhead)) simd::Prefetch(cell.data(), cell.size());
        const CellStore::RowView cells = table.RowCells(row);
        for (int col = 0; col < CellStore::kColumns; ++col)
            if (search.In(cells[static_cast<size_t>(col)])) return CellPos{col, row};
    }
    return std::nullopt;
}

void ClearTable(CellStore& table) {
    table.SetRowCount(2);
    table.ClearRow(1);
    table.SetCell(0, 1, "1");
}

void WriteColumnTitles(CellStore& table, const std::array<std::string, 5>& titles) {
    for (int c = 1; c < CellStore::kColumns; ++c) table.SetCell(c, 0, titles[static_cast<size_t>(c - 1)]);
}

} // namespace velt
