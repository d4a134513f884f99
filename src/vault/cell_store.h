// The entry table: 6 columns by 1 + n rows of 8-bit text (ANSI code page
// bytes, never converted). Row 0 holds the column titles, rows 1..n the
// entries; column 0 is the row number, columns 1..5 the stored fields.
//
// The string grid owns exactly one CellStore, and it is the only copy of the
// data. Texts live in large blocks of bytes; each cell is a small span into
// them, so a full vault is a few dozen allocations rather than hundreds of
// thousands, and reordering rows moves only the spans. A text that is
// replaced reuses its own room when the new one fits, and is written at the
// end of the last block otherwise. Every byte a cell gives up is overwritten
// at once (cells hold passwords); when the whole table goes, its passwords
// are. Blocks are compacted only when the bytes given up outweigh the texts
// still held.
//
// Each row also holds one more span, hidden from the grid: the items of a
// strong vault's entry (its id, times, old passwords...) as the file carries
// them, and in row 0 the vault's own items. They live in the same blocks,
// move with their row and are wiped as passwords are.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace velt {

class CellStore {
public:
    static constexpr int kColumns = 6;
    // Wiped even when the whole table goes at once (see WipeAll).
    static constexpr int kPasswordColumn = 4;
    using RowView = std::array<std::string_view, kColumns>;

    // Title row plus one entry row; all twelve cells empty.
    CellStore();
    ~CellStore();
    // A copy holds its own blocks, packed.
    CellStore(const CellStore& other);
    CellStore& operator=(const CellStore& other);
    CellStore(CellStore&& other) noexcept;
    CellStore& operator=(CellStore&& other) noexcept;

    int ColCount() const noexcept { return kColumns; }
    int RowCount() const noexcept { return static_cast<int>(rows_.size()); }
    // Number of entry rows (RowCount() - 1).
    int EntryCount() const noexcept { return RowCount() - 1; }

    // Lowering drops the rows beyond; raising appends empty rows. The title
    // row always stays: rows must be at least 1 (std::out_of_range otherwise).
    void SetRowCount(int rows);

    // Cell access by (column, row); std::out_of_range for a cell outside.
    // The view stays valid until that cell is set again or its row dropped;
    // moving rows does not move texts.
    std::string_view Cell(int col, int row) const;
    void SetCell(int col, int row, std::string_view text);
    // Room for a new text of `size` bytes in the cell, which now holds that
    // many bytes: the caller fills them at once (loading deciphers into it).
    char* ResizeCell(int col, int row, size_t size);
    // The same for a whole row at once: room for its six texts of the given
    // sizes, one after another from the pointer returned.
    char* ResizeRow(int row, const std::array<size_t, kColumns>& sizes);

    // The same with room for the row's items after its six texts.
    char* ResizeRow(int row, const std::array<size_t, kColumns>& sizes, size_t itemsSize);

    // Takes `bytes` as a block of the table's own and returns where they now
    // are; PlaceCell and PlaceItems then put texts on them where they lie.
    // A loader that has the plaintext in one buffer fills the table without
    // a second copy of it. Bytes that no text covers must be zeros.
    char* AdoptBlock(std::string&& bytes);
    // An empty cell (or row's items) takes `size` bytes at `data`, inside a
    // block AdoptBlock took.
    void PlaceCell(int col, int row, char* data, size_t size);
    void PlaceItems(int row, char* data, size_t size);

    // A row's items (row 0: the vault's). The view stays valid until the
    // row's items are set again or the row dropped.
    std::string_view Items(int row) const;
    void SetItems(int row, std::string_view bytes);

    // Whole rows, for walks over many cells.
    RowView RowCells(int row) const;
    // Empties the six texts and the items.
    void ClearRow(int row);

    // Takes row `from` out and puts it back at `to`; the rows between shift
    // by one (the grid's MoveRow). Moving to the next row swaps the two.
    void MoveRow(int from, int to);
    void SwapRows(int a, int b);

    // Puts the entry rows in a new order: entry row k + 1 becomes the row
    // that was entry row order[k] + 1. `order` must be a permutation of
    // 0..EntryCount()-1 (std::invalid_argument otherwise).
    void ReorderEntries(const std::vector<int>& order);

    // Same size and the same text in every cell (items are not compared).
    bool operator==(const CellStore& other) const;
    bool operator!=(const CellStore& other) const { return !(*this == other); }

    // The bytes of every block in use, in no particular order: every text of
    // the table lies inside them, the rest is wiped (zeros). For scans that
    // only need to know whether some text holds a pattern.
    std::vector<std::string_view> TextBlocks() const;

    // Bookkeeping, for tests and benchmarks: bytes of text held, bytes given
    // up and not yet reclaimed, and blocks allocated.
    size_t TextBytes() const noexcept { return live_; }
    size_t GarbageBytes() const noexcept { return garbage_; }
    size_t BlockCount() const noexcept { return blocks_.size(); }

    // Size of a new block; a longer text gets a block of its own size.
    // Blocks this small come from the heap's own pages, which it keeps for
    // reuse: a reload writes into memory the process already has instead of
    // taking (and later giving back) every page from the system again.
    static constexpr size_t kBlockSize = size_t(1) << 18;
    // Garbage below this never triggers compaction.
    static constexpr size_t kCompactFloor = size_t(1) << 20;

private:
    struct Span {
        char* data = nullptr;
        std::uint32_t size = 0;
        std::uint32_t room = 0;
    };
    static constexpr size_t kItemsSlot = kColumns;
    using Row = std::array<Span, kColumns + 1>;
    struct Block {
        std::unique_ptr<char[]> bytes;
        std::unique_ptr<std::string> adopted;  // or these, from AdoptBlock
        char* data = nullptr;
        size_t size = 0;
        size_t used = 0;
    };
    static Block NewBlock(size_t size);
    void Place(Span& span, char* data, size_t size);

    void CheckRow(int row) const;
    Span& At(int col, int row);
    const Span& At(int col, int row) const;
    char* Resize(Span& s, size_t size);
    void Set(Span& s, std::string_view text);
    char* Allocate(size_t size);
    void Release(Span& span) noexcept;
    void ReleaseRow(Row& row) noexcept;
    void MaybeCompact();
    void Compact();
    void WipeAll() noexcept;

    std::vector<Row> rows_;
    std::vector<Block> blocks_;
    size_t live_ = 0;     // bytes of room owned by cells
    size_t garbage_ = 0;  // bytes given up inside blocks
};

} // namespace velt
