// The sorting path of UserLocaleCollation (keys of primary weights, then
// CompareStringA) must give exactly CompareStringA's results, in the English
// and Polish locales.
#include "vault/collation_win.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <random>

#include "vault/table_helpers.h"

namespace velt {
namespace {

std::vector<std::string> VariedTexts() {
    std::vector<std::string> t = {
        "", "a", "A", "b", "B", "apple", "Apple", "APPLE", "Banana", "banana", "ban", "bank", "bank ",
        "co-op", "coop", "co op", "it's", "its", "-", "'", "a-b", "ab", "a b", "1", "10", "2", "01", "a1", "a10",
        "a2", "x.y", "x,y", "_", "~", "Z", "z", "zz", std::string("a\0b", 3), std::string(1, '\0'),
        // cp1250: ą ć ę ł ń ó ś ź ż and capitals
        "\xB9", "\xA5", "\xE6", "\xC6", "\xEA", "\xCA", "\xB3", "\xA3", "\xF1", "\xD1", "\xF3", "\xD3",
        "\x9C", "\x8C", "\x9F", "\x8F", "\xBF", "\xAF", "\xB3\xF3" "d\x9F", "\xA3\xD3" "D\x8F", "lody", "lz",
        "\xB9ka", "ala", "bela", "\xBF" "aba", "zebra", "\x9Cwit", "swit", "Zolw", "\xAF\xF3\xB3w",
        // cp1252 accents, and bytes without a character in some code pages
        "\xE9t\xE9", "ete", "\xC9t\xE9", "stra\xDF" "e", "strasse", "\x81", "\x90", "\x98", "\xA0", "\xAD", "\xFF",
    };
    std::mt19937 rng(5);
    const std::string letters = "aAbBcCzZlL\xB9\xA5\xB3\xA3\xBF\xAF\xF3\xD3 -'0";
    for (int i = 0; i < 120; ++i) {
        std::string s(rng() % 8, ' ');
        for (char& ch : s) ch = letters[rng() % letters.size()];
        t.push_back(s);
    }
    for (int i = 0; i < 40; ++i) {
        std::string s(rng() % 12, ' ');
        for (char& ch : s) ch = static_cast<char>(rng());
        t.push_back(s);
    }
    t.push_back(std::string(255, 'x'));
    t.push_back(std::string(254, 'x') + "y");
    // Texts that tie on their first letters and differ after the sort keys'
    // first bytes: in a letter, its case or accent, a hyphen or apostrophe.
    for (const char* stem : {"Kowalski", "kowalski", "Kowalski-Nowak", "Kowalska £", "O'Brien", "OBrien",
                             "abcdefghijklmnop", "abcdefghijklmno-p", "ABCDEFGHIJKLMNOP", "abcdefgh'ijklmnop",
                             "Kowalski Jan Maria", "Kowalski Jan Mari\xB9", "abcdefghijklmnopqrstuvw"})
        for (const char* tail : {"", " ", "a", "A", "¹", "¥", "-a", "'a", "a-", "ab", "³z", "lz", "e", "é"})
            t.push_back(std::string(stem) + tail);
    // Realistic fields: names, logins, addresses and notes, Polish letters included.
    const char* first[] = {"Jan", "Anna", "£ukasz", "¯" "aneta", "Zbigniew", "" "wiatos³" "aw", "Ola", "ola"};
    const char* last[] = {"Kowalski", "Nowak", "Wójcik", "£¹" "cka", "Zieliñska", "Kowalska", "Nowak-Jeziorañski"};
    for (int i = 0; i < 60; ++i) {
        const std::string f = first[rng() % 8], l = last[rng() % 7];
        switch (i % 4) {
            case 0: t.push_back(f + " " + l); break;
            case 1: t.push_back(l + ", " + f); break;
            case 2: t.push_back("https://www." + l + ".pl/" + f); break;
            default: t.push_back(f + "." + l + "@poczta.pl"); break;
        }
    }
    return t;
}

void ExpectBatchMatchesCompareStringA() {
    const UserLocaleCollation collation;
    const std::vector<std::string> texts = VariedTexts();
    const std::vector<std::string_view> views(texts.begin(), texts.end());
    const auto batch = collation.Prepare(views);
    int mismatches = 0;
    for (size_t i = 0; i < texts.size(); ++i) {
        ASSERT_TRUE(batch->Collatable(i));
        for (size_t j = 0; j < texts.size(); ++j) {
            const int direct = CompareStringA(LOCALE_USER_DEFAULT, 0, texts[i].data(), static_cast<int>(texts[i].size()),
                                              texts[j].data(), static_cast<int>(texts[j].size()));
            ASSERT_NE(direct, 0);
            EXPECT_EQ(collation.Compare(texts[i], texts[j]), direct);
            if (batch->Compare(i, j) != direct && ++mismatches < 10)
                ADD_FAILURE() << "texts " << i << " and " << j << ": " << batch->Compare(i, j) << " vs " << direct;
        }
    }
    EXPECT_EQ(mismatches, 0);
}

void ExpectSortMatchesBubbleSort() {
    const UserLocaleCollation collation;
    // The proof is about the keyed path: it must be the one in use.
    EXPECT_TRUE(collation.HasExactKeys());
    const std::vector<std::string> texts = VariedTexts();
    std::mt19937 rng(11);
    for (int round = 0; round < 10; ++round) {
        CellStore fast = test::RandomTable(rng, 200, texts);
        CellStore slow = fast;
        const int column = 1 + round % 5;
        SortByColumn(fast, column, collation);
        test::BubbleSortByColumn(slow, column, collation);
        ASSERT_EQ(test::RowsOf(fast), test::RowsOf(slow)) << column;
    }
}

TEST(UserLocaleCollation, SortingPathMatchesCompareStringA) { ExpectBatchMatchesCompareStringA(); }
TEST(UserLocaleCollation, SortMatchesBubbleSort) { ExpectSortMatchesBubbleSort(); }
TEST(UserLocaleCollation, SortsByLocaleNotBytes) {
    const UserLocaleCollation collation;
    CellStore t;
    t.SetRowCount(4);
    t.SetCell(1, 1, "banana");
    t.SetCell(1, 2, "Banana");
    t.SetCell(1, 3, "apple");
    SortByColumn(t, 1, collation);
    EXPECT_EQ(t.Cell(1, 1), "apple");
    EXPECT_EQ(t.Cell(1, 2), "banana");
    EXPECT_EQ(t.Cell(1, 3), "Banana");
}

TEST(UserLocaleCollationPlLocale, RunsInCodePage1250) {
    EXPECT_EQ(GetACP(), 1250u);
    EXPECT_EQ(UserLocaleCollation().CodePage(), 1250u);
}
TEST(UserLocaleCollationPlLocale, SortingPathMatchesCompareStringA) { ExpectBatchMatchesCompareStringA(); }
TEST(UserLocaleCollationPlLocale, SortMatchesBubbleSort) { ExpectSortMatchesBubbleSort(); }
TEST(UserLocaleCollationPlLocale, PolishLettersSortAfterTheirBaseLetters) {
    const UserLocaleCollation collation;
    CellStore t;
    t.SetRowCount(6);
    const char* names[] = {"bela", "\xB9ka", "lz", "ala", "\xB3za"};  // ąka, łza
    for (int r = 1; r <= 5; ++r) t.SetCell(1, r, names[r - 1]);
    SortByColumn(t, 1, collation);
    std::string order;
    for (int r = 1; r <= 5; ++r) order += std::string(t.Cell(1, r)) + ",";
    EXPECT_EQ(order, "ala,\xB9ka,bela,lz,\xB3za,");
}

} // namespace
} // namespace velt
