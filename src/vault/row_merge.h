// Merging another version of the vault into the table on screen when
// neither carries entry ids (the compatible format, and strong files
// without them): three ways by rows, against the version Velt last read
// or wrote, which is kept as one keyed 64-bit hash per row, never as a
// second copy of the table. A merge by entry ids, for tables that carry
// them, goes beside this one and gives the same summary.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/random_source.h"
#include "vault/cell_store.h"

namespace velt {

// The rows of the version last read or written, each as a keyed hash of its
// cells (the row number aside): eight bytes a row. Each cell is hashed by
// two sums of products of its 32-bit words plus key words (the NH hash of
// UMAC, RFC 4418), which run at memory speed on a 32-bit processor and, with
// the key drawn afresh each time, collide only by chance; the sums and the
// lengths are then mixed into the row's hash.
class RowBaseline {
public:
    // Keyed afresh from `random` each time.
    void Take(const CellStore& table, RandomByteSource& random);
    bool Taken() const noexcept { return taken_; }
    // The hash of one row of `table` under this baseline's key.
    std::uint64_t HashRow(const CellStore& table, int row) const;
    // The baseline's hashes, sorted.
    const std::vector<std::uint64_t>& Hashes() const noexcept { return hashes_; }

    // Key words: enough for the longest cell (255 bytes), twice over with
    // the second sum's shift, and two for the mix of the cells' sums.
    static constexpr size_t kKeyWords = 256 / 4 + 2 + 4;

private:
    std::uint32_t key_[kKeyWords] = {};
    std::vector<std::uint64_t> hashes_;
    bool taken_ = false;
};

// What a merge did to the table on screen, by the entries' names.
struct MergeSummary {
    std::vector<std::string> added;       // new in the other version
    std::vector<std::string> changed;     // the other version's change taken
    std::vector<std::string> deleted;     // deleted in the other version, unchanged here
    std::vector<std::string> keptTwice;   // changed on both sides: both kept, side by side
    bool Nothing() const noexcept { return added.empty() && changed.empty() && deleted.empty() && keptTwice.empty(); }
};

// Merges `theirs` into `ours` against `base` and writes the result to
// `merged`; ours stays untouched. The result is built in theirs' own store,
// which the caller gives up (most rows are the same on both sides, so few
// texts are copied); cells are copied from the two tables' own texts
// straight into it. The rules, row by row:
//   - a row changed or added on one side only takes that side;
//   - a row deleted on one side and unchanged on the other is deleted;
//   - a row changed on both sides keeps both versions, next to each other;
//   - no row that either side changed is lost.
// Rows keep our order; the other side's new rows follow the row they
// followed there. A changed row is told from a new one by its Name.
MergeSummary MergeRows(const RowBaseline& base, const CellStore& ours, CellStore theirs, CellStore& merged);

// For the merges: one row of the result, from the other version, from ours,
// or from rows the merge made.
struct MergedRow {
    enum Source : unsigned char { Theirs, Ours, Made } from;
    int row;
};
// Puts the result together in `theirs`' store: its rows in `rows`' order
// (each of theirs at most once), the others copied in with their items,
// ours' title row and vault items, the rows numbered afresh.
void AssembleMerge(CellStore& theirs, const CellStore& ours, const CellStore& made,
                   const std::vector<MergedRow>& rows);
// The same bytes (quicker than the C library's compare on 32-bit Windows);
// the same texts in the five fields.
bool SameText(std::string_view a, std::string_view b);
bool SameTexts(const CellStore::RowView& a, const CellStore::RowView& b);
// Row `r` of `from`, with its items, as row `to` of `out`.
void CopyRow(CellStore& out, int to, const CellStore& from, int r);

} // namespace velt
