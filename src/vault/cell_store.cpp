#include "vault/cell_store.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "core/secure_memory.h"

namespace velt {

namespace {

// Empty cells still show a valid address: some system calls refuse a null
// pointer even with a length of 0.
std::string_view ViewOf(const char* data, std::uint32_t size) {
    return size == 0 ? std::string_view("", 0) : std::string_view(data, size);
}

} // namespace

CellStore::CellStore() : rows_(2) {}

CellStore::~CellStore() { WipeAll(); }

CellStore::CellStore(const CellStore& other) : rows_(other.rows_.size()) {
    size_t total = 0;
    for (const Row& row : other.rows_)
        for (const Span& s : row) total += s.size;
    if (total > 0) {
        blocks_.push_back(NewBlock(total));
    }
    for (size_t r = 0; r < rows_.size(); ++r)
        for (size_t c = 0; c < rows_[r].size(); ++c) {
            const Span& from = other.rows_[r][c];
            if (from.size == 0) continue;
            Span& to = rows_[r][c];
            to.data = Allocate(from.size);
            to.size = to.room = from.size;
            std::memcpy(to.data, from.data, from.size);
            live_ += from.size;
        }
}

CellStore& CellStore::operator=(const CellStore& other) {
    if (this != &other) *this = CellStore(other);
    return *this;
}

CellStore::CellStore(CellStore&& other) noexcept
    : rows_(std::move(other.rows_)), blocks_(std::move(other.blocks_)), live_(other.live_), garbage_(other.garbage_) {
    other.rows_.assign(2, Row{});
    other.blocks_.clear();
    other.live_ = other.garbage_ = 0;
}

CellStore& CellStore::operator=(CellStore&& other) noexcept {
    if (this != &other) {
        WipeAll();
        rows_ = std::move(other.rows_);
        blocks_ = std::move(other.blocks_);
        live_ = other.live_;
        garbage_ = other.garbage_;
        other.rows_.assign(2, Row{});
        other.blocks_.clear();
        other.live_ = other.garbage_ = 0;
    }
    return *this;
}

void CellStore::CheckRow(int row) const {
    if (row < 0 || row >= RowCount()) throw std::out_of_range("CellStore: row out of range");
}

const CellStore::Span& CellStore::At(int col, int row) const {
    if (col < 0 || col >= kColumns) throw std::out_of_range("CellStore: column out of range");
    CheckRow(row);
    return rows_[static_cast<size_t>(row)][static_cast<size_t>(col)];
}

CellStore::Span& CellStore::At(int col, int row) {
    return const_cast<Span&>(static_cast<const CellStore&>(*this).At(col, row));
}

CellStore::Block CellStore::NewBlock(size_t size) {
    Block block;
    block.bytes.reset(new char[size]);
    block.data = block.bytes.get();
    block.size = size;
    return block;
}

char* CellStore::AdoptBlock(std::string&& bytes) {
    Block block;
    block.adopted = std::make_unique<std::string>(std::move(bytes));
    bytes.clear();
    block.data = block.adopted->data();
    block.size = block.used = block.adopted->size();
    blocks_.push_back(std::move(block));
    return blocks_.back().data;
}

void CellStore::Place(Span& span, char* data, size_t size) {
    if (span.room != 0) throw std::logic_error("CellStore: a text placed over another");
    if (size > UINT32_MAX) throw std::length_error("CellStore: text too long");
    span.data = size == 0 ? nullptr : data;
    span.size = span.room = static_cast<std::uint32_t>(size);
    live_ += size;
}

void CellStore::PlaceCell(int col, int row, char* data, size_t size) { Place(At(col, row), data, size); }

void CellStore::PlaceItems(int row, char* data, size_t size) {
    CheckRow(row);
    Place(rows_[static_cast<size_t>(row)][kItemsSlot], data, size);
}

char* CellStore::Allocate(size_t size) {
    if (size == 0) return nullptr;
    if (blocks_.empty() || blocks_.back().size - blocks_.back().used < size) {
        const size_t blockSize = std::max(size, kBlockSize);
        blocks_.push_back(NewBlock(blockSize));
    }
    Block& b = blocks_.back();
    char* p = b.data + b.used;
    b.used += size;
    return p;
}

void CellStore::Release(Span& span) noexcept {
    // The room past the text is kept wiped, so the text is all there is.
    WipeBytes(span.data, span.size);
    live_ -= span.room;
    garbage_ += span.room;
    span = Span{};
}

void CellStore::ReleaseRow(Row& row) noexcept {
    for (Span& s : row) Release(s);
}

void CellStore::WipeAll() noexcept {
    // Room given up by edits was wiped then. Of a whole table going at once
    // (a reload, the end) the passwords are wiped; the rest leaves with the
    // memory, which keeps reloading a full vault within its time.
    for (Row& row : rows_) {
        WipeBytes(row[kPasswordColumn].data, row[kPasswordColumn].size);
        WipeBytes(row[kItemsSlot].data, row[kItemsSlot].size);  // old passwords
    }
}

void CellStore::MaybeCompact() {
    if (garbage_ > kCompactFloor && garbage_ > live_) Compact();
}

void CellStore::Compact() {
    CellStore packed(*this);
    *this = std::move(packed);
}

void CellStore::SetRowCount(int rows) {
    if (rows < 1) throw std::out_of_range("CellStore: the title row cannot be removed");
    for (size_t r = static_cast<size_t>(rows); r < rows_.size(); ++r) ReleaseRow(rows_[r]);
    rows_.resize(static_cast<size_t>(rows));
    MaybeCompact();
}

std::string_view CellStore::Cell(int col, int row) const {
    const Span& s = At(col, row);
    return ViewOf(s.data, s.size);
}

char* CellStore::ResizeCell(int col, int row, size_t size) { return Resize(At(col, row), size); }

char* CellStore::Resize(Span& s, size_t size) {
    if (size > UINT32_MAX) throw std::length_error("CellStore: text too long");
    if (size <= s.room) {
        if (size < s.size) WipeBytes(s.data + size, s.size - size);
        s.size = static_cast<std::uint32_t>(size);
        return s.data;
    }
    Release(s);
    s.data = Allocate(size);
    s.size = s.room = static_cast<std::uint32_t>(size);
    live_ += size;
    return s.data;
}

char* CellStore::ResizeRow(int row, const std::array<size_t, kColumns>& sizes) {
    CheckRow(row);
    const Span items = rows_[static_cast<size_t>(row)][kItemsSlot];
    rows_[static_cast<size_t>(row)][kItemsSlot] = Span{};
    char* const start = ResizeRow(row, sizes, 0);
    rows_[static_cast<size_t>(row)][kItemsSlot] = items;  // kept as they were
    return start;
}

char* CellStore::ResizeRow(int row, const std::array<size_t, kColumns>& sizes, size_t itemsSize) {
    CheckRow(row);
    size_t total = itemsSize;
    if (itemsSize > UINT32_MAX) throw std::length_error("CellStore: items too long");
    for (size_t size : sizes) {
        if (size > UINT32_MAX) throw std::length_error("CellStore: text too long");
        total += size;
    }
    Row& cells = rows_[static_cast<size_t>(row)];
    ReleaseRow(cells);
    char* const start = Allocate(total);
    char* p = start;
    for (size_t c = 0; c < cells.size(); ++c) {
        const size_t size = c < kColumns ? sizes[c] : itemsSize;
        cells[c].data = size == 0 ? nullptr : p;
        cells[c].size = cells[c].room = static_cast<std::uint32_t>(size);
        p += size;
    }
    live_ += total;
    return start;
}

std::string_view CellStore::Items(int row) const {
    CheckRow(row);
    const Span& s = rows_[static_cast<size_t>(row)][kItemsSlot];
    return ViewOf(s.data, s.size);
}

void CellStore::SetItems(int row, std::string_view bytes) {
    CheckRow(row);
    Set(rows_[static_cast<size_t>(row)][kItemsSlot], bytes);
}

void CellStore::SetCell(int col, int row, std::string_view text) { Set(At(col, row), text); }

void CellStore::Set(Span& s, std::string_view text) {
    if (text.size() <= s.room) {
        // The text may be a part of this cell's own: move it first, then
        // wipe what is left over.
        if (!text.empty()) std::memmove(s.data, text.data(), text.size());
        if (text.size() < s.size) WipeBytes(s.data + text.size(), s.size - text.size());
        s.size = static_cast<std::uint32_t>(text.size());
    } else {
        // Longer than the room: it cannot lie inside this cell.
        std::memcpy(Resize(s, text.size()), text.data(), text.size());
    }
    MaybeCompact();
}

CellStore::RowView CellStore::RowCells(int row) const {
    CheckRow(row);
    RowView view;
    const Row& cells = rows_[static_cast<size_t>(row)];
    for (size_t c = 0; c < kColumns; ++c) view[c] = ViewOf(cells[c].data, cells[c].size);
    return view;
}

void CellStore::ClearRow(int row) {
    CheckRow(row);
    // Each cell keeps its room, wiped; a cleared row is usually refilled at once.
    for (Span& s : rows_[static_cast<size_t>(row)]) {
        WipeBytes(s.data, s.size);
        s.size = 0;
    }
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
    sorted.push_back(rows_[0]);
    for (int k : order) sorted.push_back(rows_[static_cast<size_t>(k) + 1]);
    rows_.swap(sorted);
}

std::vector<std::string_view> CellStore::TextBlocks() const {
    std::vector<std::string_view> out;
    out.reserve(blocks_.size());
    for (const Block& b : blocks_) out.emplace_back(b.data, b.used);
    return out;
}

bool CellStore::operator==(const CellStore& other) const {
    if (rows_.size() != other.rows_.size()) return false;
    for (int r = 0; r < RowCount(); ++r)
        if (RowCells(r) != other.RowCells(r)) return false;
    return true;
}

} // namespace velt
