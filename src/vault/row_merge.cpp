#include "vault/row_merge.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>
#include <unordered_map>

#include "vault/byte_simd.h"


namespace velt {

namespace {

constexpr int kNameColumn = 1;

struct Counts {
    int base = 0, ours = 0, theirs = 0;
    int keepOurs = 0, addTheirs = 0;  // the merge's share of each side
    int seenOurs = 0, seenTheirs = 0;
    int firstKept = 0;  // our first kept row with this content, 0: none
};

// The counts of each row content, by its hash, in one flat table: a merge
// looks every row up, and a heap node per content would cost more than the
// rest of the merge.
class CountTable {
public:
    // At most three quarters full, each slot one cache line's quarter.
    explicit CountTable(size_t contents) {
        size_t n = 16;
        while (n < contents + contents / 3) n <<= 1;
        mask_ = n - 1;
        slots_.assign(n, Slot{0, -1});
        counts_.reserve(contents / 2);
    }
    // The place of this content's counts, made when new. The hashes are
    // keyed, so their own bits spread well enough.
    int Find(std::uint64_t h) {
        size_t i = static_cast<size_t>(h ^ (h >> 32)) & mask_;
        while (slots_[i].place >= 0 && slots_[i].hash != h) i = (i + 1) & mask_;
        if (slots_[i].place < 0) {
            slots_[i] = Slot{h, static_cast<int>(counts_.size())};
            counts_.emplace_back();
        }
        return slots_[i].place;
    }
    Counts& operator[](int place) { return counts_[static_cast<size_t>(place)]; }
    std::vector<Counts>& All() { return counts_; }

private:
    struct Slot {
        std::uint64_t hash;
        int place;  // -1: empty
    };
    size_t mask_;
    std::vector<Slot> slots_;
    std::vector<Counts> counts_;
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
    return SameTexts(ours.RowCells(row), theirs.RowCells(row));
}

} // namespace

namespace {

constexpr std::uint64_t kMixPrime = 0x9E3779B97F4A7C15ull;

inline std::uint64_t Mix(std::uint64_t h, std::uint64_t word) noexcept {
    h = (h ^ word) * kMixPrime;
    return h ^ (h >> 29);
}

} // namespace

void RowBaseline::Take(const CellStore& table, RandomByteSource& random) {
    random.Fill(reinterpret_cast<unsigned char*>(key_), sizeof key_);
    hashes_.clear();
    hashes_.reserve(static_cast<size_t>(table.EntryCount()));
    for (int r = 1; r < table.RowCount(); ++r) hashes_.push_back(HashRow(table, r));
    std::sort(hashes_.begin(), hashes_.end());
    taken_ = true;
}

std::uint64_t RowBaseline::HashRow(const CellStore& table, int row) const {
    const std::uint64_t mixKey = (std::uint64_t(key_[kKeyWords - 1]) << 32) | key_[kKeyWords - 2];
    const std::uint64_t start = (std::uint64_t(key_[kKeyWords - 3]) << 32) | key_[kKeyWords - 4];
    std::uint64_t h = start;
    const CellStore::RowView cells = table.RowCells(row);
    for (int c = 1; c < CellStore::kColumns; ++c) {
        // Its length with each cell, so that no two rows run together alike;
        // a cell longer than the key (never saved so) folds in its rest.
        const std::string_view cell = cells[c];
        h = Mix(h ^ mixKey, cell.size());
        for (size_t at = 0; at < cell.size(); at += 256) {
            std::uint64_t sums[2];
            simd::NhSums(reinterpret_cast<const unsigned char*>(cell.data()) + at,
                         std::min<size_t>(256, cell.size() - at), key_, sums);
            h = Mix(Mix(h, sums[0]), sums[1]);
        }
    }
    return Mix(h ^ mixKey, start);
}

bool SameText(std::string_view a, std::string_view b) {
    return a.size() == b.size() && simd::SameBytes(reinterpret_cast<const unsigned char*>(a.data()),
                                                   reinterpret_cast<const unsigned char*>(b.data()), a.size());
}

bool SameTexts(const CellStore::RowView& a, const CellStore::RowView& b) {
    for (int c = 1; c < CellStore::kColumns; ++c)
        if (!SameText(a[c], b[c])) return false;
    return true;
}

void CopyRow(CellStore& out, int to, const CellStore& from, int r) {
    const CellStore::RowView cells = from.RowCells(r);
    const std::string_view items = from.Items(r);
    std::array<size_t, CellStore::kColumns> sizes;
    for (int c = 0; c < CellStore::kColumns; ++c) sizes[c] = cells[c].size();
    char* p = out.ResizeRow(to, sizes, items.size());
    for (const std::string_view cell : cells) p = std::copy(cell.begin(), cell.end(), p);
    std::copy(items.begin(), items.end(), p);
}

void AssembleMerge(CellStore& out, const CellStore& ours, const CellStore& made, const std::vector<MergedRow>& rows) {
    const int theirRows = out.RowCount();
    int next = theirRows;
    out.SetRowCount(theirRows + static_cast<int>(std::count_if(rows.begin(), rows.end(), [](const MergedRow& m) {
                        return m.from != MergedRow::Theirs;
                    })));
    std::vector<char> used(static_cast<size_t>(theirRows), 0);
    std::vector<int> order;
    order.reserve(static_cast<size_t>(out.EntryCount()));
    for (const MergedRow& m : rows) {
        if (m.from == MergedRow::Theirs) {
            used[static_cast<size_t>(m.row)] = 1;
            order.push_back(m.row - 1);
        } else {
            CopyRow(out, next, m.from == MergedRow::Ours ? ours : made, m.row);
            order.push_back(next++ - 1);
        }
    }
    for (int r = 1; r < theirRows; ++r)
        if (!used[static_cast<size_t>(r)]) order.push_back(r - 1);
    out.ReorderEntries(order);
    // The rows left out go, wiped; an empty result keeps one empty row.
    out.SetRowCount(1 + static_cast<int>(rows.size()));
    if (rows.empty()) out.SetRowCount(2);
    CopyRow(out, 0, ours, 0);
    for (int r = 1; r < out.RowCount(); ++r) {
        const std::string number = std::to_string(r);
        if (out.Cell(0, r) != number) out.SetCell(0, r, number);
    }
}

MergeSummary MergeRows(const RowBaseline& base, const CellStore& ours, CellStore theirs, CellStore& merged) {
    const int oursRows = ours.RowCount(), theirsRows = theirs.RowCount();
    std::vector<int> ourPlace(static_cast<size_t>(oursRows)), theirPlace(static_cast<size_t>(theirsRows));
    CountTable counts(base.Hashes().size() + static_cast<size_t>(oursRows + theirsRows));
    for (std::uint64_t h : base.Hashes()) ++counts[counts.Find(h)].base;
    std::vector<char> sameAt(static_cast<size_t>(theirsRows), 0);
    for (int r = 1; r < std::max(oursRows, theirsRows); ++r) {
        // Each row of ours read once, while it is in the cache for both; most
        // rows stand where they stood on the other side too: hashed once.
        if (r < oursRows) ++counts[ourPlace[r] = counts.Find(base.HashRow(ours, r))].ours;
        if (r >= theirsRows) continue;
        sameAt[static_cast<size_t>(r)] = r < oursRows && SameRow(ours, theirs, r);
        theirPlace[r] = sameAt[static_cast<size_t>(r)] ? ourPlace[r] : counts.Find(base.HashRow(theirs, r));
        ++counts[theirPlace[r]].theirs;
    }
    for (Counts& c : counts.All()) {
        const int keep = MergedCount(c.base, c.ours, c.theirs);
        c.keepOurs = std::min(c.ours, keep);
        c.addTheirs = keep - c.keepOurs;
    }

    // Our rows: the first copies of each content that the merge keeps.
    std::vector<char> kept(static_cast<size_t>(oursRows));
    std::unordered_multimap<std::string_view, int> droppedNames;  // name -> our row
    std::unordered_map<std::string_view, int> onlyOursByName;  // changed or added here
    for (int r = 1; r < oursRows; ++r) {
        Counts& c = counts[ourPlace[r]];
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
    std::vector<char> addedTheirs(static_cast<size_t>(theirsRows), 0);
    int anchor = 0;
    for (int r = 1; r < theirsRows; ++r) {
        Counts& c = counts[theirPlace[r]];
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
        addedTheirs[static_cast<size_t>(r)] = 1;
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

    // Our rows kept that stand the same at the same place there are taken
    // from there; the rest are copied in.
    std::vector<MergedRow> plan;
    plan.reserve(static_cast<size_t>(oursRows + theirsRows));
    for (int r = 0; r < oursRows; ++r) {
        if (r > 0 && kept[static_cast<size_t>(r)]) {
            const bool there = r < theirsRows && sameAt[static_cast<size_t>(r)] &&
                               !addedTheirs[static_cast<size_t>(r)] && SameText(ours.Items(r), theirs.Items(r));
            plan.push_back({there ? MergedRow::Theirs : MergedRow::Ours, r});
        }
        for (int t : after[static_cast<size_t>(r)]) plan.push_back({MergedRow::Theirs, t});
    }
    AssembleMerge(theirs, ours, CellStore(), plan);
    merged = std::move(theirs);
    return summary;
}

} // namespace velt
