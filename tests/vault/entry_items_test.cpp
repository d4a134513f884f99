// What the table's editing records in a strong vault's items, and that
// every item it does not touch stays as and where it was.
#include "vault/entry_items.h"

#include <gtest/gtest.h>

#include "support/known_vault.h"
#include "support/stand_in_crypto.h"

namespace velt {
namespace {

std::string Passwords(const CellStore& t, int row) {
    std::string out;
    for (const OldPassword& old : PasswordHistory(t, row))
        out += std::string(old.text) + "@" + std::to_string(old.replaced - 1700000000) + " ";
    return out;
}

TEST(EntryItems, EditsRecordTimesAndHistoryAndKeepTheRest) {
    struct Case {
        const char* name;
        int col;
        const char* text;
        int keep;
        const char* passwords;  // entry 1's history after
        int changedField;       // whose time is now, -1 none
    } cases[] = {
        {"a new password heads the history", 4, "nowe", 10, "Has\xb3o#1@50 stare1@200 stare0@100 ", 3},
        {"the history keeps its newest", 4, "nowe", 2, "Has\xb3o#1@50 stare1@200 ", 3},
        {"no history kept", 4, "nowe", 0, "", 3},
        {"the same password: nothing", 4, "Has\xb3o#1", 10, "stare1@200 stare0@100 ", -1},
        {"another field: its time only", 2, "https://bank.example/new", 10, "stare1@200 stare0@100 ", 1},
        {"an emptied name", 1, "", 10, "stare1@200 stare0@100 ", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CellStore t = test::KnownTableV3();
        const EntryTimes before = EntryTimesOf(t, 1);
        const std::string old(t.Cell(c.col, 1));
        t.SetCell(c.col, 1, c.text);
        RecordFieldChange(t, 1, c.col, old, 1700000050, c.keep);
        EXPECT_EQ(Passwords(t, 1), c.passwords);
        for (int f = 0; f < 5; ++f)
            EXPECT_EQ(EntryTimesOf(t, 1).changed[f], f == c.changedField ? 1700000050 : before.changed[f]) << f;
        EXPECT_EQ(EntryIdOf(t, 1)[0], 0x10);
        EXPECT_EQ(test::HexOf(t.Items(1)).substr(test::HexOf(t.Items(1)).size() - 16), "c803000000010203");
        EXPECT_EQ(t.Items(2), test::KnownTableV3().Items(2));
    }
}

TEST(EntryItems, NewEntriesDeletionsAndTheOneTimeCode) {
    CellStore t = test::KnownTableV3();
    test::CountingRandom random;
    t.SetRowCount(4);
    StampNewEntry(t, 3, random, 1700000400);
    EXPECT_TRUE(EntryItemsSound(t.Items(3)));
    EXPECT_EQ(EntryIdOf(t, 3)[15], 15);
    EXPECT_EQ(EntryTimesOf(t, 3).changed[4], 1700000400);
    // Entry 2 has no times: StampMissing gives it the moment, and no new id.
    StampMissing(t, random, 1700000500);
    EXPECT_EQ(EntryTimesOf(t, 2).made, 1700000500);
    EXPECT_EQ(EntryIdOf(t, 2)[0], 0x20);
    EXPECT_EQ(EntryTimesOf(t, 3).made, 1700000400);

    SetOneTimeCode(t, 1, "otpauth://totp/Bank?secret=AB");
    SetOneTimeCode(t, 2, "");
    EXPECT_EQ(OneTimeCodeOf(t, 1), "otpauth://totp/Bank?secret=AB");
    EXPECT_TRUE(OneTimeCodeOf(t, 2).empty());
    EXPECT_THROW(SetOneTimeCode(t, 1, std::string(2049, 'a')), std::invalid_argument);
    EXPECT_THROW(SetOneTimeCode(t, 1, "otpauth://\xe9"), std::invalid_argument);
    for (int r = 1; r <= 3; ++r) EXPECT_TRUE(EntryItemsSound(t.Items(r))) << r;

    // Deleted entries are remembered 90 days, the vault's other items kept.
    RecordDeletion(t, 3, 1700000600);
    ASSERT_EQ(Deletions(t).size(), 2u);
    EXPECT_EQ(Deletions(t)[1].id, EntryIdOf(t, 3));
    ForgetOldDeletions(t, 1700000300 + kDeletionsKeptFor);
    EXPECT_EQ(Deletions(t).size(), 2u);
    ForgetOldDeletions(t, 1700000301 + kDeletionsKeptFor);
    ASSERT_EQ(Deletions(t).size(), 1u);
    EXPECT_EQ(Deletions(t)[0].when, 1700000600);
    EXPECT_TRUE(VaultItemsSound(t.Items(0)));
}

} // namespace
} // namespace velt
