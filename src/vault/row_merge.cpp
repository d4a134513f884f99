#include "vault/row_merge.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>
#include <unordered_map>


namespace velt {

namespace {

constexpr int kNameColumn = 1;

// The hashes are keyed, so their own bits spread well enough.
struct SpreadHash {
    size_t operator()(std::uint64_t h) const noexcept { return static_cast<size_t>(h ^ (h >> 32)); }
};

struct Counts {
    int base = 0, ours = 0, theirs = 0;
    int keepOurs = 0, addTheirs = 0;  // the merge's share of each side
    int seenOurs = 0, seenTheirs = 0;
    int firstKept = 0;  // our first kept row with this content, 0: none
};

// Copies of one row's content in the merge: each side's change from the
// base, the larger of two alike (both added, both deleted), or both.
int MergedCount(int base, int ours, int theirs) {
    const int byUs = ours - base, byThem = theirs - base;
    int change;
    if (byUs >= 0 && byThem >= 0) change = std::max(byUs, byThem);
    else if (byUs <= 0 && byThem <= 0) change = std::min(byUs, byThem);
    else change = byUs + byThem;
    return std::max(0, base + change);
}

bool SameRow(const CellStore& ours, const CellStore& theirs, int row) {
    const CellStore::RowView a = ours.RowCells(row), b = theirs.RowCells(row);
    for (int c = 1; c < CellStore::kColumns; ++c)
        if (a[c] != b[c]) return false;
    return true;
}

} // namespace

void RowBaseline::Take(const CellStore& table, RandomByteSource& random) {
    random.Fill(key_, sizeof key_);
    hashes_.clear();
    hashes_.reserve(static_cast<size_t>(table.EntryCount()));
    for (int r = 1; r < table.RowCount(); ++r) hashes_.push_back(HashRow(table, r));
    std::sort(hashes_.begin(), hashes_.end());
    taken_ = true;
}

namespace {

// A keyed multiply-mix, eight bytes a step: far quicker than SipHash on a
// 32-bit processor, and with the key drawn afresh each session no one can
// craft two rows that collide on purpose.
constexpr std::uint64_t kMixPrime = 0x9E3779B97F4A7C15ull;

inline std::uint64_t Mix(std::uint64_t h, std::uint64_t word, std::uint64_t key) noexcept {
    h = (h ^ word ^ key) * kMixPrime;
    return h ^ (h >> 29);
}

inline std::uint64_t Word(const char* p, size_t n) noexcept {
    unsigned char b[8] = {};
    std::memcpy(b, p, n);
    std::uint64_t w = 0;
    for (int i = 7; i >= 0; --i) w = (w << 8) | b[i];
    return w;
}

inline std::uint64_t Key(const std::uint8_t* k) noexcept {
    std::uint64_t w = 0;
    for (int i = 7; i >= 0; --i) w = (w << 8) | k[i];
    return w;
}

} // namespace

std::uint64_t RowBaseline::HashRow(const CellStore& table, int row) const {
    const std::uint64_t k0 = Key(key_), k1 = Key(key_ + 8);
    std::uint64_t h = k0;
    const CellStore::RowView cells = table.RowCells(row);
    for (int c = 1; c < CellStore::kColumns; ++c) {
        // Each cell's length first, so that no two rows run together alike.
        const std::string_view cell = cells[c];
        h = Mix(h, cell.size(), k1);
        size_t at = 0;
        for (; at + 8 <= cell.size(); at += 8) h = Mix(h, Word(cell.data() + at, 8), k1);
        if (at < cell.size()) h = Mix(h, Word(cell.data() + at, cell.size() - at), k1);
    }
    h ^= k0;
    h *= kMixPrime;
    return h ^ (h >> 32);
}

MergeSummary MergeRows(const RowBaseline& base, const CellStore& ours, const CellStore& theirs, CellStore& merged) {
    const int oursRows = ours.RowCount(), theirsRows = theirs.RowCount();
    std::vector<std::uint64_t> ourHash(static_cast<size_t>(oursRows)), theirHash(static_cast<size_t>(theirsRows));
    std::unordered_map<std::uint64_t, Counts, SpreadHash> counts;
    counts.reserve(base.Hashes().size() + static_cast<size_t>(oursRows + theirsRows));
    for (std::uint64_t h : base.Hashes()) ++counts[h].base;
    for (int r = 1; r < oursRows; ++r) ++counts[ourHash[r] = base.HashRow(ours, r)].ours;
    for (int r = 1; r < theirsRows; ++r) {
        // Most rows stand where they stood on the other side too: hashed once.
        const bool same = r < oursRows && SameRow(ours, theirs, r);
        ++counts[theirHash[r] = same ? ourHash[r] : base.HashRow(theirs, r)].theirs;
    }
    for (auto& [hash, c] : counts) {
        const int keep = MergedCount(c.base, c.ours, c.theirs);
        c.keepOurs = std::min(c.ours, keep);
        c.addTheirs = keep - c.keepOurs;
    }

    // Our rows: the first copies of each content that the merge keeps.
    std::vector<char> kept(static_cast<size_t>(oursRows));
    std::unordered_multimap<std::string_view, int> droppedNames;  // name -> our row
    std::unordered_map<std::string_view, int> onlyOursByName;  // changed or added here
    for (int r = 1; r < oursRows; ++r) {
        Counts& c = counts[ourHash[r]];
        if (c.seenOurs++ >= c.keepOurs) {
            droppedNames.emplace(ours.Cell(kNameColumn, r), r);
            continue;
        }
        kept[r] = 1;
        if (!c.firstKept) c.firstKept = r;
        if (c.base == 0 && c.theirs == 0) onlyOursByName.emplace(ours.Cell(kNameColumn, r), r);
    }

    // Their rows the merge adds go after the row they followed there, or
    // beside our version of the same entry when both sides changed it.
    MergeSummary summary;
    std::vector<std::vector<int>> after(static_cast<size_t>(oursRows));
    int anchor = 0;
    size_t added = 0;
    for (int r = 1; r < theirsRows; ++r) {
        Counts& c = counts[theirHash[r]];
        const std::string_view name = theirs.Cell(kNameColumn, r);
        if (++c.seenTheirs <= c.theirs - c.addTheirs) {
            // Where this row stands here, or our changed version of it.
            if (c.firstKept) anchor = c.firstKept;
            else if (const auto mine = onlyOursByName.find(name); mine != onlyOursByName.end()) anchor = mine->second;
            continue;
        }
        int at = anchor;
        if (const auto twin = onlyOursByName.find(name); twin != onlyOursByName.end()) {
            at = twin->second;
            summary.keptTwice.emplace_back(name);
        } else if (const auto gone = droppedNames.find(name); gone != droppedNames.end()) {
            // In the place of the version it replaces.
            at = anchor = gone->second;
            droppedNames.erase(gone);
            summary.changed.emplace_back(name);
        } else {
            summary.added.emplace_back(name);
        }
        after[static_cast<size_t>(at)].push_back(r);
        ++added;
    }
    for (int r = 1; r < oursRows; ++r) {
        if (kept[r]) continue;
        const auto [from, to] = droppedNames.equal_range(ours.Cell(kNameColumn, r));
        for (auto it = from; it != to; ++it)
            if (it->second == r) {
                summary.deleted.emplace_back(it->first);
                droppedNames.erase(it);
                break;
            }
    }

    // The cells go from the two tables' texts straight into the result.
    const size_t keptCount = static_cast<size_t>(std::count(kept.begin(), kept.end(), 1));
    CellStore out;
    out.SetRowCount(static_cast<int>(std::max<size_t>(2, 1 + keptCount + added)));
    int row = 0;
    // Each row with its items (a strong vault's id, times, old passwords),
    // numbered afresh.
    auto copy = [&](const CellStore& from, int r) {
        const CellStore::RowView cells = from.RowCells(r);
        const std::string number = row == 0 ? std::string(cells[0]) : std::to_string(row);
        const std::string_view items = from.Items(r);
        std::array<size_t, CellStore::kColumns> sizes;
        sizes[0] = number.size();
        for (int c = 1; c < CellStore::kColumns; ++c) sizes[c] = cells[c].size();
        char* to = out.ResizeRow(row++, sizes, items.size());
        to = std::copy(number.begin(), number.end(), to);
        for (int c = 1; c < CellStore::kColumns; ++c) to = std::copy(cells[c].begin(), cells[c].end(), to);
        std::copy(items.begin(), items.end(), to);
    };
    copy(ours, 0);  // the titles
    for (int r = 0; r < oursRows; ++r) {
        if (r > 0 && kept[r]) copy(ours, r);
        for (int t : after[static_cast<size_t>(r)]) copy(theirs, t);
    }
    merged = std::move(out);
    return summary;
}

} // namespace velt
