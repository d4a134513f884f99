// Password health: one table of passwords and the findings each gives, reuse
// across entries, and the compiled-in lists.
#include "tools/password_health.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "core/text.h"
#include "support/freed_memory.h"
#include "support/stand_in_crypto.h"
#include "tools/common_lists.h"

namespace velt {
namespace {

using F = HealthFinding;

// Polish letters where cp1250 has them: capital and small L with stroke, Z
// with dot above and S with acute.
class PolishL final : public AnsiCodePage {
public:
    std::u16string Widen(std::string_view bytes) const override {
        std::u16string out;
        for (unsigned char c : bytes) {
            const char16_t polish[] = {0xA3, 0x141, 0xB3, 0x142, 0xAF, 0x17B, 0xBF, 0x17C, 0x8C, 0x15A, 0x9C, 0x15B};
            char16_t wide = c;
            for (int i = 0; i < 12; i += 2)
                if (c == polish[i]) wide = polish[i + 1];
            out += wide;
        }
        return out;
    }
    std::string Narrow(std::u16string_view) const override { return {}; }
};

std::vector<F> FindingsOf(const HealthReport& report, int row) {
    std::vector<F> out;
    for (const HealthLine& line : report.lines)
        for (int r : report.RowsOf(line))
            if (r == row) out.push_back(line.finding);
    return out;
}

TEST(PasswordHealth, EachPasswordGivesItsFindings) {
    const std::string long255 = std::string(250, 'Q') + "x7!Zq";
    struct Case {
        std::string name, login, password;
        std::vector<F> findings;
    } cases[] = {
        {"Mail", "", "password", {F::Common, F::Weak}},
        {"Mail", "", "PaSsWoRd", {F::Common, F::Weak}},
        {"Mail", "", "QWERTYUIOP", {F::Common, F::Weak}},
        {"Mail", "", "Katarzyna1!", {F::CommonWord}},
        {"Mail", "", "Piotr2024", {F::CommonWord, F::Weak}},
        {"Mail", "", "katarzyna!!!!", {F::CommonWord}},
        {"Mail", "", "Katarzyna12345", {}},  // five digits after the name
        {"Mail", "", "1Katarzyna", {F::Weak}},
        {"Mail", "", "MA\xA3GORZATA7", {F::CommonWord}},  // cp1250 capital L with stroke
        {"Mail", "", "\xAF" "ANETA#", {F::CommonWord, F::Weak}},  // capital Z with dot above; 7 x 8 bits
        {"Mail", "", "\x8C" "WIAT2024", {F::CommonWord}},  // capital S with acute
        {"Mail", "", "830275194620385716", {F::Weak}},  // 18 digits: 59.8 bits
        {"Mail", "", "8302751946203857164", {}},        // 19 digits: 63.1 bits
        {"Mail", "", "qzvxkjwpqmrt", {F::Weak}},        // 12 small letters: 56.4 bits
        {"Mail", "", "qzvxkjwpqmrtb", {}},              // 13: 61.1 bits
        {"Mail", "", "qZ!x9#k", {F::Weak}},             // any byte: 7 x 8 bits
        {"Mail", "", "qZ!x9#kW", {}},
        {"Mail", "jsmith", "Xq!JSmith#42Lp", {F::LoginOrName}},
        {"Mail", "ab", "Xq!ab#42Lpzz", {}},  // a login this short may be in anything
        {"Mail", "zX", "Zx", {F::Weak, F::LoginOrName}},
        {"Bank", "", "MyBANK!x93kQ", {F::LoginOrName}},
        {"Zorvex", "zq", "zORVEX", {F::Weak, F::LoginOrName}},
        {"Mail", "bob", "", {F::Empty}},
        {"Mail", "", "", {}},
        {"Mail", "", long255, {}},
        {"Mail", long255.substr(100, 3), long255, {F::LoginOrName}},
    };
    static const PolishL polish;
    SetSystemCodePage(&polish);
    test::CountingRandom random;
    for (const Case& c : cases) {
        const std::vector<HealthEntry> entries = {{c.name, c.login, c.password}};
        EXPECT_EQ(FindingsOf(CheckPasswordHealth(entries, false, random), 1), c.findings) << c.password;
    }
    SetSystemCodePage(nullptr);
}

TEST(PasswordHealth, ReusedPasswordsGroupedMostSharedFirst) {
    const std::vector<HealthEntry> entries = {
        {"Bank", "", "Zq7!xKp2#Lm9"}, {"Mail", "", "Tv4$wQ8&nB1@"}, {"Forum", "", "Zq7!xKp2#Lm9"},
        {"Shop", "", "Tv4$wQ8&nB1@"}, {"Blog", "", "Zq7!xKp2#Lm9"}, {"Wiki", "", "zq7!xkp2#lm9"},
        {"News", "a", ""},            {"Chat", "b", ""},
    };
    for (const char* key : {"", "\x01", "\xDE\xAD\xBE\xEF"}) {
        test::CountingRandom random;
        random.script = key;
        const HealthReport report = CheckPasswordHealth(entries, true, random);
        ASSERT_GE(report.lines.size(), 3u);
        EXPECT_EQ(report.lines[0].finding, F::CompatibleFormat);
        EXPECT_EQ(report.RowsOf(report.lines[1]), (std::vector<int>{1, 3, 5}));  // the triple before the pair
        EXPECT_EQ(report.RowsOf(report.lines[2]), (std::vector<int>{2, 4}));
        EXPECT_EQ(report.counts[static_cast<int>(F::Reused)], 5);  // not Wiki: case differs; no empties
        EXPECT_EQ(EntriesText(entries, report, report.lines[1]), "Bank, Forum, Blog");
        EXPECT_EQ(FindingText(report.lines[1]), "Used by 3 entries");
    }
}

TEST(PasswordHealth, LowerCasedCopiesAreWiped) {
    // Long enough that the folded copies live on the heap, and grow once.
    const std::string shortOne = "Qm7#Vx2!Lp9$Tz4&Wk-MARKERTEXT-", longOne = shortOne + shortOne + shortOne;
    const std::vector<HealthEntry> entries = {{"Bank", "LOGINMARKER", shortOne}, {"Mail", "", longOne}};
    test::CountingRandom random;
    for (const char* marker : {"-markertext-", "loginmarker"}) {  // one watch at a time
        test::FreedMemoryWatch watch(marker);
        CheckPasswordHealth(entries, false, random);
        EXPECT_GT(watch.Freed(), 0u);
        EXPECT_EQ(watch.Hits(), 0u) << marker;
    }
}

TEST(PasswordHealth, EntriesAndHeadingTexts) {
    std::vector<HealthEntry> entries(11, {"Site", "", "Zq7!xKp2#Lm9"});
    entries[2].name = "";
    entries.push_back({"Mail", "bob", ""});
    struct Case {
        bool compatible;
        std::size_t count;  // entries checked
        std::string entriesText, heading;
    } cases[] = {
        {false, 11, "Site, Site, row 3, Site, Site, Site, Site, Site, Site, Site and 1 more",
         "Reused: 11   Common: 0   Word or name: 0   Weak: 0   Login or name: 0   Empty: 0"},
        {true, 12, "Site, Site, row 3, Site, Site, Site, Site, Site, Site, Site and 1 more",
         "Readable file: 1   Reused: 11   Common: 0   Word or name: 0   Weak: 0   Login or name: 0   Empty: 1"},
        {false, 1, "", "Reused: 0   Common: 0   Word or name: 0   Weak: 0   Login or name: 0   Empty: 0"},
    };
    test::CountingRandom random;
    for (const Case& c : cases) {
        const std::vector<HealthEntry> some(entries.begin(), entries.begin() + static_cast<std::ptrdiff_t>(c.count));
        const HealthReport report = CheckPasswordHealth(some, c.compatible, random);
        const HealthLine* reused = nullptr;
        for (const HealthLine& line : report.lines)
            if (line.finding == F::Reused) reused = &line;
        EXPECT_EQ(reused ? EntriesText(some, report, *reused) : "", c.entriesText);
        EXPECT_EQ(HealthHeading(report), c.heading);
    }
}

TEST(PasswordHealth, ListsAreSortedWholeAndFound) {
    for (const FrontCodedList* list : {&CommonPasswords(), &CommonWords()}) {
        const std::vector<std::string> all = Entries(*list);
        ASSERT_EQ(all.size(), list->count);
        EXPECT_TRUE(std::adjacent_find(all.begin(), all.end(), std::greater_equal<>()) == all.end());
        for (const std::string& e : {all.front(), all[all.size() / 2], all.back()}) EXPECT_TRUE(Contains(*list, e)) << e;
        EXPECT_FALSE(Contains(*list, all.front().substr(0, all.front().size() - 1) + "\x01"));
        EXPECT_FALSE(Contains(*list, all.back() + "~"));
        const IndexedList index(*list);
        for (std::size_t i = 0; i < all.size(); i += 97) EXPECT_TRUE(index.Contains(all[i])) << all[i];
        EXPECT_FALSE(index.Contains(all.back() + "~"));
    }
    EXPECT_EQ(CommonPasswords().count, 30000u);
    for (const char* w : {"123456", "zxcvbnm", "trustno1"}) EXPECT_TRUE(Contains(CommonPasswords(), w)) << w;
    for (const char* w : {"katarzyna", "piotr", "małgorzata", "house", "jennifer"})
        EXPECT_TRUE(Contains(CommonWords(), w)) << w;
}

} // namespace
} // namespace velt
