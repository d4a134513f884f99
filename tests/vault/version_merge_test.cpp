// Both merges of another version: by rows, against a hash of the version
// last read or written, and by entry ids and field times.
#include <gtest/gtest.h>

#include <regex>

#include "support/stand_in_crypto.h"
#include "vault/byte_simd.h"
#include "vault/entry_items.h"
#include "vault/id_merge.h"
#include "vault/row_merge.h"

namespace velt {
namespace {

using Rows = std::vector<std::string>;

// An entry is written "name:login:password", and with an id and times
// "A=name:login:password@tn,tl,tp", then "|old@t" for each old password and
// "#link" for a one-time code; "-A@t" records entry A deleted at t.
CellStore Table(const Rows& rows) {
    static const std::regex entry(R"(^(?:(.)=)?([^:]*):([^:]*):([^@|#]*)(?:@(\d+),(\d+),(\d+))?([^#]*)(?:#(.*))?$)");
    static const std::regex old(R"(\|([^@|]*)@(\d+))");
    CellStore t;
    t.SetCell(1, 0, "Name");
    t.SetRowCount(1);
    std::vector<Deletion> deletions;
    for (const std::string& text : rows) {
        std::smatch m;
        if (text[0] == '-') {
            deletions.push_back({{static_cast<unsigned char>(text[1])}, std::stoll(text.substr(3))});
            continue;
        }
        EXPECT_TRUE(std::regex_match(text, m, entry)) << text;
        const int row = t.RowCount();
        t.SetRowCount(row + 1);
        t.SetCell(0, row, std::to_string(row));
        for (int c : {1, 3, 4}) t.SetCell(c, row, m[c == 1 ? 2 : c].str());
        if (m[1].matched) SetEntryId(t, row, EntryId{static_cast<unsigned char>(m[1].str()[0])});
        if (m[5].matched)
            SetEntryTimes(t, row, {1, {std::stoll(m[5]), 1, std::stoll(m[6]), std::stoll(m[7]), 1}});
        const std::string history = m[8];
        std::vector<std::string> texts;  // the views below need them to stay
        std::vector<std::int64_t> times;
        for (std::sregex_iterator i(history.begin(), history.end(), old), end; i != end; ++i) {
            texts.push_back((*i)[1]);
            times.push_back(std::stoll((*i)[2]));
        }
        std::vector<OldPassword> olds;
        for (size_t i = 0; i < texts.size(); ++i) olds.push_back({times[i], texts[i]});
        if (!olds.empty()) SetPasswordHistory(t, row, olds);
        if (m[9].matched) SetOneTimeCode(t, row, m[9].str());
    }
    if (!deletions.empty()) SetDeletions(t, deletions);
    return t;
}

Rows Entries(const CellStore& t) {
    Rows out;
    for (int r = 1; r < t.RowCount(); ++r) {
        std::string e;
        if (HasEntryId(t, r)) e = std::string(1, static_cast<char>(EntryIdOf(t, r)[0])) + "=";
        e += std::string(t.Cell(1, r)) + ":" + std::string(t.Cell(3, r)) + ":" + std::string(t.Cell(4, r));
        if (HasEntryId(t, r)) {
            const EntryTimes et = EntryTimesOf(t, r);
            e += "@" + std::to_string(et.changed[0]) + "," + std::to_string(et.changed[2]) + "," +
                 std::to_string(et.changed[3]);
        }
        for (const OldPassword& old : PasswordHistory(t, r))
            e += "|" + std::string(old.text) + "@" + std::to_string(old.replaced);
        if (!OneTimeCodeOf(t, r).empty()) e += "#" + std::string(OneTimeCodeOf(t, r));
        if (t.Cell(0, r) != std::to_string(r)) e += " numbered " + std::string(t.Cell(0, r));
        out.push_back(e);
    }
    for (const Deletion& d : Deletions(t))
        out.push_back("-" + std::string(1, static_cast<char>(d.id[0])) + "@" + std::to_string(d.when));
    return out;
}

// Each scenario: the table on screen, the other version, and the merge, by
// rows against `base` (the version last read or written) or by ids; then the
// same merge again changes nothing.
TEST(VersionMerge, Scenarios) {
    const Rows base = {"Bank:jan:b1", "Mail:jan:m1", "Shop:ola:s1"};
    const Rows ids = {"A=Bank:jan:b1@1,1,1", "B=Mail:jan:m1@1,1,1", "C=Shop:ola:s1@1,1,1"};
    const bool kById = true;
    const struct {
        const char* name;
        Rows ours, theirs, merged;
        MergeSummary summary;
        bool byId = false;
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
        {"changed on each side, another entry each", {"Bank:janek:b1", "Mail:jan:m1", "Shop:ola:s1"},
         {"Bank:jan:b1", "Mail:jan:m2", "Shop:ola:s1"}, {"Bank:janek:b1", "Mail:jan:m2", "Shop:ola:s1"},
         {{}, {"Mail"}, {}, {}}},
        {"changed here, added there after it", {"Bank:janek:b1", "Mail:jan:m1", "Shop:ola:s1"},
         {"Bank:jan:b1", "Forum:nick:f1", "Mail:jan:m1", "Shop:ola:s1"},
         {"Bank:janek:b1", "Forum:nick:f1", "Mail:jan:m1", "Shop:ola:s1"}, {{"Forum"}, {}, {}, {}}},
        {"sorted there", base, {"Shop:ola:s1", "Mail:jan:m1", "Bank:jan:b1"}, base, {}},

        {"ids: nothing changed", ids, ids, ids, {}, kById},
        {"ids: different fields of one entry, one on each side",
         {"A=Bank:jan:b2@1,1,5|b1@5", "B=Mail:jan:m1@1,1,1"}, {"A=Bank:janek:b1@1,6,1", "B=Mail:jan:m1@1,1,1"},
         {"A=Bank:janek:b2@1,6,5|b1@5", "B=Mail:jan:m1@1,1,1"}, {{}, {"Bank"}, {}, {}}, kById},
        {"ids: the same field on both sides, newer there", {"A=Bank:jan:b2@1,1,5|b1@5"}, {"A=Bank:jan:b3@1,1,7|b1@7"},
         {"A=Bank:jan:b3@1,1,7|b2@7|b1@7"}, {{}, {"Bank"}, {}, {}}, kById},
        {"ids: the same field on both sides, newer here", {"A=Bank:jan:b2@1,1,8|b1@8"}, {"A=Bank:jan:b3@1,1,7|b1@7"},
         {"A=Bank:jan:b2@1,1,8|b3@8|b1@8"}, {}, kById},
        {"ids: edited here after the delete there", {"A=Bank:jan:b2@1,1,5|b1@5", "B=Mail:jan:m1@1,1,1"},
         {"B=Mail:jan:m1@1,1,1", "-A@3"}, {"A=Bank:jan:b2@1,1,5|b1@5", "B=Mail:jan:m1@1,1,1"}, {}, kById},
        {"ids: deleted there after the edit here", {"A=Bank:jan:b2@1,1,2|b1@2", "B=Mail:jan:m1@1,1,1"},
         {"B=Mail:jan:m1@1,1,1", "-A@3"}, {"B=Mail:jan:m1@1,1,1", "-A@3"}, {{}, {}, {"Bank"}, {}}, kById},
        {"ids: deleted here, edited there later", {"A=Bank:jan:b1@1,1,1", "-B@3"},
         {"A=Bank:jan:b1@1,1,1", "B=Mail:jan:m2@1,1,5|m1@5"}, {"A=Bank:jan:b1@1,1,1", "B=Mail:jan:m2@1,1,5|m1@5"},
         {{"Mail"}, {}, {}, {}}, kById},
        {"ids: deleted here, unchanged there", {"A=Bank:jan:b1@1,1,1", "-B@3"}, ids,
         {"A=Bank:jan:b1@1,1,1", "C=Shop:ola:s1@1,1,1", "-B@3"}, {{"Shop"}, {}, {}, {}}, kById},
        {"ids: an add on each side", {"A=Bank:jan:b1@1,1,1", "D=Auto:x:a1@2,2,2"},
         {"E=Forum:nick:f1@3,3,3", "A=Bank:jan:b1@1,1,1"},
         {"E=Forum:nick:f1@3,3,3", "A=Bank:jan:b1@1,1,1", "D=Auto:x:a1@2,2,2"}, {{"Forum"}, {}, {}, {}}, kById},
        {"ids: histories joined", {"A=Bank:jan:b1@1,1,1|x@1"}, {"A=Bank:jan:b1@1,1,1|y@2|x@1"},
         {"A=Bank:jan:b1@1,1,1|y@2|x@1"}, {}, kById},
        {"ids: the one-time code follows the newer side", {"A=Bank:jan:b1@1,1,1#otpauth://a", "B=Mail:jan:m1@1,1,4"},
         {"A=Bank:jan:b1@2,1,1#otpauth://b", "B=Mail:jan:m1@1,1,1#otpauth://c"},
         {"A=Bank:jan:b1@2,1,1#otpauth://b", "B=Mail:jan:m1@1,1,4"}, {{}, {"Bank"}, {}, {}}, kById},
    };
    test::CountingRandom random;
    RowBaseline baseline;
    auto merge = [&](bool byId, const CellStore& ours, const CellStore& theirs, CellStore& merged) {
        return byId ? MergeByIds(ours, theirs, merged) : MergeRows(baseline, ours, theirs, merged);
    };
    // The baseline hashed one way (SSE2 or plain) and the merge the other:
    // both must give the same hashes.
    for (const bool sse2 : {false, true})
    for (const auto& row : rows) {
        simd::AllowSse2(!sse2);
        baseline.Take(Table(base), random);
        simd::AllowSse2(sse2);
        const CellStore ours = Table(row.ours), theirs = Table(row.theirs);
        CellStore merged;
        const MergeSummary s = merge(row.byId, ours, theirs, merged);
        EXPECT_EQ(Entries(merged), row.merged) << row.name;
        EXPECT_EQ(s.added, row.summary.added) << row.name;
        EXPECT_EQ(s.changed, row.summary.changed) << row.name;
        EXPECT_EQ(s.deleted, row.summary.deleted) << row.name;
        EXPECT_EQ(s.keptTwice, row.summary.keptTwice) << row.name;
        EXPECT_EQ(merged.Cell(1, 0), "Name") << row.name;
        EXPECT_EQ(Entries(ours), row.ours) << row.name << ": ours untouched";

        CellStore again;
        EXPECT_TRUE(merge(row.byId, merged, theirs, again).Nothing()) << row.name << ", merged twice";
        EXPECT_EQ(Entries(again), row.merged) << row.name << ", merged twice";
    }
    simd::AllowSse2(true);
}

} // namespace
} // namespace velt
