#include "vault/table_ops.h"

#include <gtest/gtest.h>

#include <random>

#include "core/errors.h"
#include "vault/byte_simd.h"
#include "vault/table_helpers.h"

namespace velt {
namespace {

using test::BubbleSortByColumn;
using test::CaselessCollation;
using test::FailingCollation;
using test::RandomTable;
using test::RowsOf;
using test::WordCollation;

CellStore Table(const std::vector<std::array<const char*, 6>>& rows) {
    CellStore t;
    t.SetRowCount(static_cast<int>(rows.size()) + 1);
    for (size_t r = 0; r < rows.size(); ++r)
        for (int c = 0; c < 6; ++c) t.SetCell(c, static_cast<int>(r) + 1, rows[r][static_cast<size_t>(c)]);
    return t;
}

std::string Column(const CellStore& t, int c) {
    std::string s;
    for (int r = 1; r < t.RowCount(); ++r) s += std::string(t.Cell(c, r)) + (r + 1 < t.RowCount() ? "," : "");
    return s;
}

TEST(AddRowOnTab, AddsANumberedRowOnlyFromTheLastCell) {
    struct Case {
        int rows, left, top;
        bool added;
    } cases[] = {
        {1, 5, 1, true},   // the initial table
        {3, 5, 3, true},
        {3, 5, 2, false},  // not the last row
        {3, 4, 3, false},  // not the last column
        {3, 5, 0, false},
    };
    for (const Case& c : cases) {
        CellStore t;
        t.SetRowCount(c.rows + 1);
        EXPECT_EQ(AddRowOnTab(t, c.left, c.top), c.added);
        EXPECT_EQ(t.EntryCount(), c.rows + (c.added ? 1 : 0));
        if (c.added) {
            const int last = t.RowCount() - 1;
            EXPECT_EQ(t.Cell(0, last), std::to_string(last));
            EXPECT_TRUE(t.Cell(0, 1).empty()) << "the first row keeps its empty number";
        }
    }
}

TEST(CellNumber, AcceptsSignedDecimalsWithinThirtyTwoBits) {
    struct Case {
        const char* text;
        bool ok;
        std::int32_t value;
    } cases[] = {
        {"0", true, 0},           {"42", true, 42},         {"+7", true, 7},
        {"-7", true, -7},         {"007", true, 7},         {"2147483647", true, 2147483647},
        {"-2147483648", true, INT32_MIN},                   {"2147483648", false, 0},
        {"-2147483649", false, 0}, {"99999999999999999999", false, 0},
        {"", false, 0},           {"+", false, 0},          {"-", false, 0},
        {" 1", false, 0},         {"1 ", false, 0},         {"0x10", false, 0},
        {"1.5", false, 0},        {"+-1", false, 0},        {"\xD9\xA1", false, 0},
    };
    for (const Case& c : cases) {
        std::int32_t v = 12345;
        EXPECT_EQ(TryParseCellNumber(c.text, v), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(v, c.value) << c.text;
        }
    }
    try {
        CellNumber("abc");
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), "'abc' is not a valid integer value");
    }
}

TEST(CompareCells, NumbersAndCollation) {
    const CaselessCollation locale;
    const FailingCollation failing;
    EXPECT_EQ(CompareCells("10", "3", 0, locale), 1);
    EXPECT_EQ(CompareCells("-3", "2", 0, locale), -1);
    EXPECT_EQ(CompareCells("+2", "2", 0, locale), 0);
    EXPECT_EQ(CompareCells("apple", "Banana", 1, locale), -1);
    EXPECT_EQ(CompareCells("b", "a", 5, locale), 1);
    EXPECT_EQ(CompareCells("x", "x", 3, locale), 0);
    EXPECT_EQ(CompareCells("x!", "a", 2, failing), -2);
    EXPECT_THROW(CompareCells("", "1", 0, locale), EConvertError);
}

TEST(SortByColumn, ExamplesOfTheTable) {
    const CaselessCollation locale;
    {
        CellStore t = Table({{"1", "Banana", "", "", "", ""}, {"2", "apple", "", "", "", ""}});
        ASSERT_TRUE(SortByColumn(t, 1, locale));
        EXPECT_EQ(Column(t, 1), "apple,Banana") << "collation, not bytes";
        EXPECT_EQ(Column(t, 0), "2,1") << "numbers travel with their rows";
    }
    {
        CellStore t = Table({{"3", "", "", "", "", ""}, {"10", "", "", "", "", ""}, {"2", "", "", "", "", ""}});
        SortByColumn(t, 0, locale);
        EXPECT_EQ(Column(t, 0), "2,3,10");
    }
    {
        CellStore t = Table({{"1", "b", "x", "", "", ""}, {"2", "a", "y", "", "", ""}, {"3", "b", "z", "", "", ""}});
        SortByColumn(t, 1, locale);
        EXPECT_EQ(Column(t, 2), "y,x,z") << "equal names keep their order";
        SortByColumn(t, 1, locale);
        EXPECT_EQ(Column(t, 2), "y,x,z") << "sorting again changes nothing";
        SortByColumn(t, 0, locale);
        EXPECT_EQ(Column(t, 0), "1,2,3") << "# restores the numbered order";
    }
}

TEST(SortByColumn, ColumnsOutsideTheGridSortNothing) {
    const CaselessCollation locale;
    for (int column : {-1, 6, 100, -5}) {
        CellStore t = Table({{"2", "b", "", "", "", ""}, {"1", "a", "", "", "", ""}});
        EXPECT_FALSE(SortByColumn(t, column, locale));
        EXPECT_EQ(Column(t, 0), "2,1");
    }
}

TEST(SortByColumn, BadNumberRaisesAndLeavesTheOrder) {
    const CaselessCollation locale;
    struct Case {
        std::vector<const char*> numbers;
        const char* message;
    } cases[] = {
        {{"3", "1", "x", "2"}, "'x' is not a valid integer value"},
        {{"5", "4", "3", ""}, "'' is not a valid integer value"},  // a late bad cell
        {{"9", "1 ", "y"}, "'1 ' is not a valid integer value"},    // the first one met
    };
    for (const Case& c : cases) {
        CellStore t;
        t.SetRowCount(static_cast<int>(c.numbers.size()) + 1);
        for (size_t r = 0; r < c.numbers.size(); ++r) t.SetCell(0, static_cast<int>(r) + 1, c.numbers[r]);
        const auto before = RowsOf(t);
        try {
            SortByColumn(t, 0, locale);
            ADD_FAILURE() << c.message;
        } catch (const EConvertError& e) {
            EXPECT_STREQ(e.what(), c.message);
        }
        EXPECT_EQ(RowsOf(t), before);
    }
    // One entry row is compared with nothing, so its empty number is never read.
    CellStore initial;
    EXPECT_TRUE(SortByColumn(initial, 0, locale));
}

// The fast sort must give exactly the order of the pass-by-pass swaps,
// including for equal keys and for texts the collation cannot handle.
TEST(SortByColumn, SameOrderAsTheBubbleSort) {
    const CaselessCollation locale;
    const FailingCollation failing;
    const ByteCollation bytes;
    const std::vector<std::string> fewKeys = {"a", "A", "b", "B", "", "ab", "Ab", "a "};
    const std::vector<std::string> failingKeys = {"a", "B", "b", "!", "c!", "A", ""};
    std::vector<std::string> manyKeys;
    for (int i = 0; i < 60; ++i) manyKeys.push_back(std::string(1, static_cast<char>('A' + i % 26)) + std::to_string(i % 7));
    // Texts that tie on their first weights, differ only beyond them, in
    // case, or in hyphens and apostrophes: every way the keys can run out.
    const WordCollation keyed;
    std::vector<std::string> nearKeys = {"", "-", "'", "a", "A", "a-", "-a", "co-op", "coop", "Co-op", "co'op"};
    for (const char* stem : {"abcdefgh", "abcdefghijklmnop", "abcdefghijklmnopq", "ABCDEFGHIJKLMNOP", "abcdefgh-ijklmnop",
                             "abcdefghijklmno'p"})
        for (const char* tail : {"", "a", "b", "B", "-b", "ab", "aa"}) nearKeys.push_back(std::string(stem) + tail);
    nearKeys.push_back("a!b");
    const std::vector<std::string> unweighedKeys = {"a", "b", "~b", "~a", "c", "c~"};
    struct Case {
        const Collation* collation;
        const std::vector<std::string>* pool;
    } cases[] = {{&locale, &fewKeys},   {&bytes, &fewKeys},    {&locale, &manyKeys}, {&failing, &failingKeys},
                 {&keyed, &fewKeys},    {&keyed, &manyKeys},   {&keyed, &nearKeys},  {&keyed, &failingKeys},
                 {&keyed, &unweighedKeys}};
    std::mt19937 rng(20240);
    for (const Case& c : cases) {
        for (int round = 0; round < 40; ++round) {
            const int rows = static_cast<int>(rng() % 60);
            CellStore fast = RandomTable(rng, rows, *c.pool);
            CellStore slow = fast;
            const int column = 1 + static_cast<int>(rng() % 5);
            SortByColumn(fast, column, *c.collation);
            BubbleSortByColumn(slow, column, *c.collation);
            ASSERT_EQ(RowsOf(fast), RowsOf(slow)) << "column " << column << " rows " << rows;
        }
    }
    // Numbers with many ties, including signs and leading zeros.
    for (int round = 0; round < 40; ++round) {
        CellStore fast = RandomTable(rng, static_cast<int>(rng() % 60), fewKeys);
        for (int r = 1; r < fast.RowCount(); ++r) {
            static const char* numbers[] = {"1", "01", "+1", "-1", "0", "10", "-10", "2147483647"};
            fast.SetCell(0, r, numbers[rng() % 8]);
        }
        CellStore slow = fast;
        SortByColumn(fast, 0, locale);
        BubbleSortByColumn(slow, 0, locale);
        ASSERT_EQ(RowsOf(fast), RowsOf(slow));
    }
}

TEST(FindCell, WalksRowsThenColumnsFoldingOnlyAToZ) {
    // Rows: number, name, address, login, password, description.
    CellStore t = Table({
        {"1", "Bank", "https://bank.example", "jan", "S3cret", "Webmail account"},
        {"2", "\xA3\xD3" "D\x8F", "", "JAN", "", "11"},  // "ŁÓDŹ" in cp1250
    });
    struct Case {
        const char* text;
        std::optional<CellPos> at;
    } cases[] = {
        {"MAIL", CellPos{5, 1}},
        {"webMAIL ACC", CellPos{5, 1}},
        {"1", CellPos{0, 1}},                         // the number cell comes first
        {"11", CellPos{5, 2}},
        {"jan", CellPos{3, 1}},
        {"BANK", CellPos{1, 1}},
        {"\xB3\xF3" "d\x9F", std::nullopt},           // "łódź" does not fold to "ŁÓDŹ"
        {"\xA3\xD3" "d\x8F", CellPos{1, 2}},          // A-Z fold, Ł Ó Ź match as they are
        {"", std::nullopt},
        {"absent", std::nullopt},
        {"account!", std::nullopt},
        {"Webmail account and more", std::nullopt},  // longer than the cell
    };
    for (const Case& c : cases) EXPECT_EQ(FindCell(t, c.text), c.at) << c.text;
    t.SetCell(0, 0, "#");
    t.SetCell(1, 0, "Name");
    EXPECT_EQ(FindCell(t, "name"), std::nullopt) << "the title row is never searched";
}

// Both the SSE2 and the plain scan, on cells long enough for the 16-byte
// steps and their tails, with matches at every offset.
TEST(FindCell, AgreesWithAPlainSearch) {
    auto fold = [](std::string s) {
        for (char& ch : s)
            if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch + 32);
        return s;
    };
    const std::string letters = "aAbB~\xB3\xA3";
    std::mt19937 rng(7);
    auto text = [&](size_t len) {
        std::string s(len, ' ');
        for (char& ch : s) ch = letters[rng() % letters.size()];
        return s;
    };
    for (bool sse2 : {true, false}) {
        simd::AllowSse2(sse2);
        for (int round = 0; round < 300; ++round) {
            CellStore t;
            t.SetRowCount(3);
            for (int r = 1; r < 3; ++r)
                for (int c = 0; c < 6; ++c) t.SetCell(c, r, text(rng() % 70));
            // Texts given up stay behind in the store's memory, wiped; rows
            // move away from the order their texts were written in.
            if (round % 3 == 1) t.SetCell(static_cast<int>(rng() % 6), 1 + static_cast<int>(rng() % 2), text(rng() % 90));
            if (round % 2 == 1) t.SwapRows(1, 2);
            const std::string needle = text(1 + rng() % 6);
            std::optional<CellPos> expected;
            for (int r = 1; r < 3 && !expected; ++r)
                for (int c = 0; c < 6 && !expected; ++c)
                    if (fold(std::string(t.Cell(c, r))).find(fold(needle)) != std::string::npos) expected = CellPos{c, r};
            ASSERT_EQ(FindCell(t, needle), expected) << needle << (sse2 ? " sse2" : " plain");
        }
    }
    simd::AllowSse2(true);
    // Neighbours in memory do not make a match across their border, and a
    // title alone is no match.
    CellStore t;
    t.SetCell(0, 0, "Name");
    t.SetCell(4, 1, "ab");
    t.SetCell(5, 1, "cd");
    EXPECT_EQ(FindCell(t, "bc"), std::nullopt);
    EXPECT_EQ(FindCell(t, "name"), std::nullopt);
    EXPECT_EQ(FindCell(t, "D"), (CellPos{5, 1}));
}

TEST(ClearTable, LeavesOneEmptyRowNumberedOne) {
    for (int rows : {0, 1, 5}) {
        std::mt19937 rng(static_cast<unsigned>(rows));
        CellStore t = RandomTable(rng, rows, {"x", "y"});
        t.SetCell(1, 0, "Name");
        ClearTable(t);
        EXPECT_EQ(t.RowCount(), 2);
        EXPECT_EQ(t.Cell(0, 1), "1");
        for (int c = 1; c < 6; ++c) EXPECT_TRUE(t.Cell(c, 1).empty());
        EXPECT_EQ(t.Cell(1, 0), "Name");
    }
}

TEST(WriteColumnTitles, FillsRowZeroOfTheFieldColumns) {
    CellStore t;
    t.SetCell(0, 0, kNumberTitle);
    WriteColumnTitles(t, {"Nazwa", "Adres", "Login", "Has\xB3o", "Opis"});
    EXPECT_EQ(RowsOf(t)[0], "#|Nazwa|Adres|Login|Has\xB3o|Opis|");
    EXPECT_EQ(RowsOf(t)[1], "||||||");
}

} // namespace
} // namespace velt

namespace velt {
namespace {

// The importer's scan: the first stop byte at any place in and past a
// 16-byte step, with and without SSE2, as a plain loop finds it.
TEST(ByteScan, RunWithoutStopsWhereAPlainLoopStops) {
    std::mt19937 rng(11);
    const unsigned char pool[] = {'a', ',', '\r', '\n', 0, 0x7F, 0x80, 0xC5, 0xFF};
    for (bool sse2 : {true, false}) {
        simd::AllowSse2(sse2);
        for (int round = 0; round < 2000; ++round) {
            std::vector<unsigned char> bytes(rng() % 40);
            for (unsigned char& b : bytes) b = rng() % 4 ? 'x' : pool[rng() % sizeof pool];
            const bool high = round % 2;
            size_t expected = 0;
            while (expected < bytes.size() && bytes[expected] != ',' && bytes[expected] != '\r' &&
                   bytes[expected] != '\n' && !(high && bytes[expected] >= 0x80))
                ++expected;
            ASSERT_EQ(simd::RunWithout(bytes.data(), bytes.size(), ',', '\r', '\n', high), expected)
                << round << (sse2 ? " sse2" : " plain");
        }
    }
    simd::AllowSse2(true);
}

} // namespace
} // namespace velt
