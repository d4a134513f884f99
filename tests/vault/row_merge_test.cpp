#include "vault/row_merge.h"

#include <gtest/gtest.h>

#include "support/stand_in_crypto.h"

namespace velt {
namespace {

using Rows = std::vector<std::string>;

// Entries written "name:login:password".
CellStore Table(const Rows& rows) {
    CellStore t;
    t.SetRowCount(static_cast<int>(rows.size()) + 1);
    t.SetCell(1, 0, "Name");
    for (size_t i = 0; i < rows.size(); ++i) {
        const std::string& r = rows[i];
        const size_t a = r.find(':'), b = r.find(':', a + 1);
        const int row = static_cast<int>(i) + 1;
        t.SetCell(0, row, std::to_string(row));
        t.SetCell(1, row, r.substr(0, a));
        t.SetCell(3, row, r.substr(a + 1, b - a - 1));
        t.SetCell(4, row, r.substr(b + 1));
    }
    return t;
}

Rows Entries(const CellStore& t) {
    Rows out;
    for (int r = 1; r < t.RowCount(); ++r)
        out.push_back(std::string(t.Cell(1, r)) + ":" + std::string(t.Cell(3, r)) + ":" + std::string(t.Cell(4, r)));
    return out;
}

// Each scenario: the version last read or written, the table on screen, the
// other version, and the merge; then the same merge again changes nothing.
TEST(RowMerge, Scenarios) {
    const Rows base = {"Bank:jan:b1", "Mail:jan:m1", "Shop:ola:s1"};
    const struct {
        const char* name;
        Rows ours, theirs, merged;
        MergeSummary summary;
    } rows[] = {
        {"nothing changed", base, base, base, {}},
        {"changed there", base, {"Bank:jan:b2", "Mail:jan:m1", "Shop:ola:s1"}, {"Bank:jan:b2", "Mail:jan:m1", "Shop:ola:s1"},
         {{}, {"Bank"}, {}, {}}},
        {"changed here", {"Bank:jan:b2", "Mail:jan:m1", "Shop:ola:s1"}, base, {"Bank:jan:b2", "Mail:jan:m1", "Shop:ola:s1"}, {}},
        {"different fields of one entry, one on each side", {"Bank:jan:b2", "Mail:jan:m1", "Shop:ola:s1"},
         {"Bank:janek:b1", "Mail:jan:m1", "Shop:ola:s1"}, {"Bank:jan:b2", "Bank:janek:b1", "Mail:jan:m1", "Shop:ola:s1"},
         {{}, {}, {}, {"Bank"}}},
        {"the same field on both sides", {"Mail:jan:m2", "Bank:jan:b1", "Shop:ola:s1"},
         {"Bank:jan:b1", "Mail:jan:m3", "Shop:ola:s1"}, {"Mail:jan:m2", "Mail:jan:m3", "Bank:jan:b1", "Shop:ola:s1"},
         {{}, {}, {}, {"Mail"}}},
        {"deleted there, unchanged here", base, {"Bank:jan:b1", "Shop:ola:s1"}, {"Bank:jan:b1", "Shop:ola:s1"},
         {{}, {}, {"Mail"}, {}}},
        {"deleted here, changed there", {"Bank:jan:b1", "Shop:ola:s1"}, {"Bank:jan:b1", "Mail:jan:m2", "Shop:ola:s1"},
         {"Bank:jan:b1", "Mail:jan:m2", "Shop:ola:s1"}, {{"Mail"}, {}, {}, {}}},
        {"changed here, deleted there", {"Bank:jan:b1", "Mail:jan:m2", "Shop:ola:s1"}, {"Bank:jan:b1", "Shop:ola:s1"},
         {"Bank:jan:b1", "Mail:jan:m2", "Shop:ola:s1"}, {}},
        {"deleted on both sides", {"Bank:jan:b1", "Shop:ola:s1"}, {"Shop:ola:s1", "Bank:jan:b1"}, {"Bank:jan:b1", "Shop:ola:s1"},
         {}},
        {"an add on each side", {"Bank:jan:b1", "Mail:jan:m1", "Shop:ola:s1", "Auto:x:a1"},
         {"Bank:jan:b1", "Forum:nick:f1", "Mail:jan:m1", "Shop:ola:s1"},
         {"Bank:jan:b1", "Forum:nick:f1", "Mail:jan:m1", "Shop:ola:s1", "Auto:x:a1"}, {{"Forum"}, {}, {}, {}}},
        {"the same add on both sides", {"Bank:jan:b1", "Mail:jan:m1", "Shop:ola:s1", "Auto:x:a1"},
         {"Bank:jan:b1", "Mail:jan:m1", "Shop:ola:s1", "Auto:x:a1"},
         {"Bank:jan:b1", "Mail:jan:m1", "Shop:ola:s1", "Auto:x:a1"}, {}},
        {"a copy of a row added there", base, {"Bank:jan:b1", "Mail:jan:m1", "Mail:jan:m1", "Shop:ola:s1"},
         {"Bank:jan:b1", "Mail:jan:m1", "Mail:jan:m1", "Shop:ola:s1"}, {{"Mail"}, {}, {}, {}}},
        {"sorted there", base, {"Shop:ola:s1", "Mail:jan:m1", "Bank:jan:b1"}, base, {}},
    };
    test::CountingRandom random;
    RowBaseline baseline;
    baseline.Take(Table(base), random);
    for (const auto& row : rows) {
        const CellStore ours = Table(row.ours), theirs = Table(row.theirs);
        CellStore merged;
        const MergeSummary s = MergeRows(baseline, ours, theirs, merged);
        EXPECT_EQ(Entries(merged), row.merged) << row.name;
        EXPECT_EQ(s.added, row.summary.added) << row.name;
        EXPECT_EQ(s.changed, row.summary.changed) << row.name;
        EXPECT_EQ(s.deleted, row.summary.deleted) << row.name;
        EXPECT_EQ(s.keptTwice, row.summary.keptTwice) << row.name;
        EXPECT_EQ(merged.Cell(1, 0), "Name") << row.name;
        EXPECT_EQ(Entries(ours), row.ours) << row.name << ": ours untouched";

        CellStore again;
        EXPECT_TRUE(MergeRows(baseline, merged, theirs, again).Nothing()) << row.name << ", merged twice";
        EXPECT_EQ(Entries(again), row.merged) << row.name << ", merged twice";
    }
}

} // namespace
} // namespace velt
