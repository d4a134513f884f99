#include "vault/id_merge.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <unordered_map>
#include <vector>

#include "vault/entry_items.h"

namespace velt {

namespace {

constexpr int kNameColumn = 1;
constexpr int kFields = 5;

// Ids are random, so their first bytes spread well enough.
struct IdHash {
    size_t operator()(const EntryId& id) const noexcept {
        std::uint64_t h;
        std::memcpy(&h, id.data(), sizeof h);
        return static_cast<size_t>(h ^ (h >> 32));
    }
};
using IdIndex = std::unordered_map<EntryId, int, IdHash>;

IdIndex IndexIds(const CellStore& table) {
    IdIndex index;
    index.reserve(static_cast<size_t>(table.EntryCount()));
    for (int r = 1; r < table.RowCount(); ++r)
        if (HasEntryId(table, r)) index.emplace(EntryIdOf(table, r), r);
    return index;
}

std::unordered_map<EntryId, std::int64_t, IdHash> DeletionTimes(const CellStore& table) {
    std::unordered_map<EntryId, std::int64_t, IdHash> when;
    for (const Deletion& d : Deletions(table)) {
        std::int64_t& t = when[d.id];
        t = std::max(t, d.when);
    }
    return when;
}

// The entry's last change of any kind.
std::int64_t LastChange(const EntryTimes& t) {
    return std::max(t.made, *std::max_element(t.changed.begin(), t.changed.end()));
}

bool SameEntry(const CellStore& ours, int o, const CellStore& theirs, int t) {
    return SameTexts(ours.RowCells(o), theirs.RowCells(t)) && SameText(ours.Items(o), theirs.Items(t));
}

// Our entry `o` (already copied to row `to` of `out`) takes from their entry
// `t` what is newer there. True when anything was taken.
bool MergeEntry(CellStore& out, int to, const CellStore& ours, int o, const CellStore& theirs, int t) {
    const EntryTimes mine = EntryTimesOf(ours, o), other = EntryTimesOf(theirs, t);
    EntryTimes times = mine;
    if (other.made != 0 && (times.made == 0 || other.made < times.made)) times.made = other.made;
    bool took = false;
    std::vector<OldPassword> history;  // the losing password first: on a tie of times, it is the newer
    for (int f = 0; f < kFields; ++f) {
        const int col = f + 1;
        const std::string_view a = ours.Cell(col, o), b = theirs.Cell(col, t);
        const std::int64_t ta = mine.changed[static_cast<size_t>(f)], tb = other.changed[static_cast<size_t>(f)];
        times.changed[static_cast<size_t>(f)] = std::max(ta, tb);
        if (a == b) continue;
        const bool theirsWins = tb > ta;
        if (col == CellStore::kPasswordColumn) {
            // The loser was replaced when the winner was set.
            const std::string_view loser = theirsWins ? a : b;
            if (!loser.empty()) history.push_back({theirsWins ? tb : ta, loser});
        }
        if (theirsWins) {
            out.SetCell(col, to, b);
            took = true;
        }
    }
    for (const CellStore* side : {&ours, &theirs}) {
        const std::vector<OldPassword> old = PasswordHistory(*side, side == &ours ? o : t);
        history.insert(history.end(), old.begin(), old.end());
    }
    // Newest first, each old password once (its newest time), never the one in use.
    std::stable_sort(history.begin(), history.end(),
                     [](const OldPassword& x, const OldPassword& y) { return x.replaced > y.replaced; });
    const std::string_view current = out.Cell(CellStore::kPasswordColumn, to);
    std::vector<OldPassword> joined;
    for (const OldPassword& old : history) {
        if (old.text == current) continue;
        if (std::none_of(joined.begin(), joined.end(), [&](const OldPassword& j) { return j.text == old.text; }))
            joined.push_back(old);
    }
    SetEntryTimes(out, to, times);
    SetPasswordHistory(out, to, joined);
    const std::string_view myCode = OneTimeCodeOf(ours, o), theirCode = OneTimeCodeOf(theirs, t);
    if (myCode != theirCode && LastChange(other) > LastChange(mine)) {
        SetOneTimeCode(out, to, theirCode);
        took = true;
    }
    return took;
}

} // namespace

MergeSummary MergeByIds(const CellStore& ours, CellStore theirs, CellStore& merged) {
    const IdIndex theirIds = IndexIds(theirs);
    const auto deletedHere = DeletionTimes(ours), deletedThere = DeletionTimes(theirs);
    MergeSummary summary;

    // Which of our entries stay, and which of theirs each one matches.
    const int oursRows = ours.RowCount(), theirsRows = theirs.RowCount();
    std::vector<int> match(static_cast<size_t>(oursRows), 0);
    std::vector<char> keep(static_cast<size_t>(oursRows), 1);
    std::vector<int> matchedBy(static_cast<size_t>(theirsRows), 0);  // their row -> our row
    for (int r = 1; r < oursRows; ++r) {
        if (!HasEntryId(ours, r)) continue;
        const EntryId id = EntryIdOf(ours, r);
        if (const auto t = theirIds.find(id); t != theirIds.end()) {
            match[static_cast<size_t>(r)] = t->second;
            matchedBy[static_cast<size_t>(t->second)] = r;
        } else if (const auto d = deletedThere.find(id);
                   d != deletedThere.end() && LastChange(EntryTimesOf(ours, r)) <= d->second) {
            keep[static_cast<size_t>(r)] = 0;
            summary.deleted.emplace_back(ours.Cell(kNameColumn, r));
        }
    }
    // Their entries we lack, after the entry they followed there.
    std::vector<std::vector<int>> after(static_cast<size_t>(oursRows));
    int anchor = 0;
    for (int t = 1; t < theirsRows; ++t) {
        if (const int o = matchedBy[static_cast<size_t>(t)]) {
            anchor = o;
            continue;
        }
        if (HasEntryId(theirs, t)) {
            const auto d = deletedHere.find(EntryIdOf(theirs, t));
            if (d != deletedHere.end() && LastChange(EntryTimesOf(theirs, t)) <= d->second) continue;
        }
        after[static_cast<size_t>(anchor)].push_back(t);
        summary.added.emplace_back(theirs.Cell(kNameColumn, t));
    }

    // Most entries are the same on both sides and are taken as they stand
    // there; those that differ are merged into rows of their own.
    CellStore made;
    made.SetRowCount(1);
    std::vector<MergedRow> plan;
    plan.reserve(static_cast<size_t>(oursRows + theirsRows));
    std::vector<char> taken(static_cast<size_t>(theirsRows), 0);
    for (int r = 0; r < oursRows; ++r) {
        if (r > 0 && keep[static_cast<size_t>(r)]) {
            const int t = match[static_cast<size_t>(r)];
            if (t && !taken[static_cast<size_t>(t)] && SameEntry(ours, r, theirs, t)) {
                taken[static_cast<size_t>(t)] = 1;
                plan.push_back({MergedRow::Theirs, t});
            } else if (t && !taken[static_cast<size_t>(t)]) {
                const int m = made.RowCount();
                made.SetRowCount(m + 1);
                CopyRow(made, m, ours, r);
                if (MergeEntry(made, m, ours, r, theirs, t)) summary.changed.emplace_back(made.Cell(kNameColumn, m));
                plan.push_back({MergedRow::Made, m});
            } else {
                plan.push_back({MergedRow::Ours, r});
            }
        }
        for (int t : after[static_cast<size_t>(r)]) plan.push_back({MergedRow::Theirs, t});
    }

    // Both sides' deletions, less the entries an edit brought back.
    std::unordered_map<EntryId, std::int64_t, IdHash> deletions = deletedHere;
    for (const auto& [id, when] : deletedThere) deletions[id] = std::max(deletions[id], when);
    if (!deletions.empty())
        for (const MergedRow& m : plan) {
            const CellStore& from = m.from == MergedRow::Theirs ? theirs : m.from == MergedRow::Ours ? ours : made;
            if (HasEntryId(from, m.row)) deletions.erase(EntryIdOf(from, m.row));
        }
    std::vector<Deletion> remembered;
    for (const auto& [id, when] : deletions) remembered.push_back({id, when});
    std::sort(remembered.begin(), remembered.end(), [](const Deletion& a, const Deletion& b) {
        return a.when != b.when ? a.when < b.when : a.id < b.id;
    });

    AssembleMerge(theirs, ours, made, plan);
    SetDeletions(theirs, remembered);
    merged = std::move(theirs);
    return summary;
}

} // namespace velt
