// Password health: one table of passwords and the findings each gives, reuse
// across entries, and the compiled-in lists.
#include "tools/password_health.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "core/text.h"
#include "core/sip_hash.h"
#include "support/freed_memory.h"
#include "support/stand_in_crypto.h"
#include "tools/common_lists.h"

namespace velt {
namespace {

using F = HealthFinding;

// cp1250's capital and small L with stroke, Z with dot above and S with acute.
class PolishL final : public AnsiCodePage {
public:
    std::u16string Widen(std::string_view bytes) const override {
        static const std::map<unsigned char, char16_t> polish = {{0xA3, 0x141}, {0xB3, 0x142}, {0xAF, 0x17B},
                                                                 {0xBF, 0x17C}, {0x8C, 0x15A}, {0x9C, 0x15B}};
        std::u16string out;
        for (unsigned char c : bytes) out += polish.count(c) ? polish.at(c) : char16_t(c);
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
    const struct {
        std::string password;
        std::vector<F> findings;
        std::string login = "", name = "Mail";
    } cases[] = {
        {"password", {F::Common, F::Weak}}, {"PaSsWoRd", {F::Common, F::Weak}}, {"QWERTYUIOP", {F::Common, F::Weak}},
        {"Katarzyna1!", {F::CommonWord}}, {"Piotr2024", {F::CommonWord, F::Weak}}, {"katarzyna!!!!", {F::CommonWord}},
        {"Katarzyna@1", {F::CommonWord}},
        {"1Katarzyna", {F::Weak}}, {"Katarzyna12345", {}},  // five digits after the name
        {"MA\xA3GORZATA7", {F::CommonWord}},              // cp1250 capital L with stroke
        {"\xAF" "ANETA#", {F::CommonWord, F::Weak}},       // capital Z with dot above; 7 x 8 bits
        {"\x8C" "WIAT2024", {F::CommonWord}},              // capital S with acute
        {"830275194620385716", {F::Weak}}, {"8302751946203857164", {}},  // 18 digits: 59.8 bits, 19: 63.1
        {"qzvxkjwpqmrt", {F::Weak}}, {"qzvxkjwpqmrtb", {}},              // 12 small letters: 56.4 bits, 13: 61.1
        {"qZ!x9#k", {F::Weak}}, {"qZ!x9#kW", {}},                        // any byte: 7 x 8 bits
        {"Xq!JSmith#42Lp", {F::LoginOrName}, "jsmith"},
        {"Xq!ab#42Lpzz", {}, "ab"},  // a login this short may be in anything
        {"Zx", {F::Weak, F::LoginOrName}, "zX"},
        {"MyBANK!x93kQ", {F::LoginOrName}, "", "Bank"},
        {"zORVEX", {F::Weak, F::LoginOrName}, "zq", "Zorvex"},
        {"", {F::Empty}, "bob"}, {"", {}}, {long255, {}}, {long255, {F::LoginOrName}, long255.substr(100, 3)},
    };
    static const PolishL polish;
    SetSystemCodePage(&polish);
    test::CountingRandom random;
    for (const auto& c : cases) {
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

TEST(PasswordHealth, LowerCasedCopiesAndKeyedHashesAreWiped) {
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
    // The reuse index's keyed hashes: the key is the first 16 bytes drawn.
    SipHash::Key key;
    test::CountingRandom().Fill(key, sizeof key);
    SipHash hash(key);
    hash.Update(shortOne);
    const std::uint64_t keyed = hash.Finish();
    test::FreedMemoryWatch watch(std::string_view(reinterpret_cast<const char*>(&keyed), sizeof keyed));
    test::CountingRandom fresh;
    CheckPasswordHealth(entries, false, fresh);
    EXPECT_EQ(watch.Hits(), 0u);
}

TEST(PasswordHealth, EntriesAndHeadingTexts) {
    std::vector<HealthEntry> entries(11, {"Site", "", "Zq7!xKp2#Lm9"});
    entries[2].name = "";
    entries.push_back({"Mail", "bob", ""});
    const struct {
        bool compatible;
        std::size_t count;  // entries checked
        std::string entriesText, heading;
    } cases[] = {
        {false, 11, "Site, Site, row 3, Site, Site, Site, Site, Site, Site, Site and 1 more",
         "Reused: 11   Common: 0   Word or name: 0   Weak: 0   Login or name: 0   Empty: 0"},
        {true, 12, "Site, Site, row 3, Site, Site, Site, Site, Site, Site, Site and 1 more",
         "Readable by anyone: 12   Reused: 11   Common: 0   Word or name: 0   Weak: 0   Login or name: 0   Empty: 1"},
        {false, 1, "", "Reused: 0   Common: 0   Word or name: 0   Weak: 0   Login or name: 0   Empty: 0"},
    };
    test::CountingRandom random;
    for (const auto& c : cases) {
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
