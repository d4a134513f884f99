// Merging another version of the vault into the table on screen when
// neither carries entry ids (the compatible format, and strong files
// without them): three ways by rows, against the version Velt last read
// or wrote, which is kept as one keyed 64-bit hash per row, never as a
// second copy of the table. A merge by entry ids, for tables that carry
// them, goes beside this one and gives the same summary.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "core/random_source.h"
#include "vault/cell_store.h"

namespace velt {

// The rows of the version last read or written, each as a keyed hash of its
// cells (the row number aside): eight bytes a row.
class RowBaseline {
public:
    // Keyed afresh from `random` each time.
    void Take(const CellStore& table, RandomByteSource& random);
    bool Taken() const noexcept { return taken_; }
    // The hash of one row of `table` under this baseline's key.
    std::uint64_t HashRow(const CellStore& table, int row) const;
    // The baseline's hashes, sorted.
    const std::vector<std::uint64_t>& Hashes() const noexcept { return hashes_; }

private:
    std::uint8_t key_[16] = {};
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
// `merged` (ours, then theirs, untouched); cells are copied from the two
// tables' own texts straight into `merged`. The rules, row by row:
//   - a row changed or added on one side only takes that side;
//   - a row deleted on one side and unchanged on the other is deleted;
//   - a row changed on both sides keeps both versions, next to each other;
//   - no row that either side changed is lost.
// Rows keep our order; the other side's new rows follow the row they
// followed there. A changed row is told from a new one by its Name.
MergeSummary MergeRows(const RowBaseline& base, const CellStore& ours, const CellStore& theirs, CellStore& merged);

} // namespace velt
