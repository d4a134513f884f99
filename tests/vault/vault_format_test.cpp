#include "vault/vault_format.h"

#include <gtest/gtest.h>

#include <random>
#include <stdexcept>

#include "core/errors.h"
#include "vault/byte_simd.h"
#include "vault/table_helpers.h"

namespace velt {
namespace {

using test::RowsOf;

std::string Bytes(std::initializer_list<int> values) {
    std::string s;
    for (int v : values) s += static_cast<char>(v);
    return s;
}

std::string Le32(std::uint32_t v) { return Bytes({int(v & 0xFF), int(v >> 8 & 0xFF), int(v >> 16 & 0xFF), int(v >> 24)}); }

std::string Header(std::uint32_t check, std::uint16_t count, const char* magic = "IMDF") {
    return std::string(magic, 4) + Bytes({0, 0}) + Le32(check) + Bytes({count & 0xFF, count >> 8});
}

CellStore OneRow(std::array<std::string, 5> fields) {
    CellStore t;
    for (int c = 1; c < 6; ++c) t.SetCell(c, 1, fields[static_cast<size_t>(c - 1)]);
    return t;
}

TEST(CRC32, StandardCheckValues) {
    struct Case {
        std::string in;
        std::uint32_t crc;
    } cases[] = {
        {"", 0},
        {"123456789", 0xCBF43926u},
        {"a", 0xE8B7BE43u},
        {"abc", 0x352441C2u},
        {"The quick brown fox jumps over the lazy dog", 0x414FA339u},
        {std::string(1, '\0'), 0xD202EF8Du},
        {Bytes({0xFF}), 0xFF000000u},
    };
    for (const Case& c : cases) EXPECT_EQ(CRC32(c.in), c.crc) << c.in;
}

TEST(Cipher, KnownAnswers) {
    const std::string zeros(7, '\0');
    struct Case {
        std::string plain, key, stored;
    } cases[] = {
        // Byte j takes key byte j mod L; where j mod L == L - 1 it takes 0.
        {zeros, "AB", Bytes({0x41, 0, 0x41, 0, 0x41, 0, 0x41})},
        {zeros, "abc", Bytes({'a', 'b', 0, 'a', 'b', 0, 'a'})},
        {zeros, "k", zeros},                                // one-character key: unchanged
        {"secret", "x", "secret"},
        {Bytes({0xF0, 0xF0}), Bytes({0x20, 0x58}), Bytes({0x10, 0xF0})},  // 8-bit wrap
        {"", "anything", ""},
        {"Hi", std::string(255, 'K'), Bytes({'H' + 'K', 'i' + 'K'})},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Encipher(c.plain, c.key), c.stored) << c.key;
        EXPECT_EQ(Decipher(c.stored, c.key), c.plain) << c.key;
    }
}

TEST(Cipher, KeysDifferingOnlyInTheLastCharacter) {
    const std::string plain = "Password for the bank, 2024!";
    for (auto [a, b] : {std::pair<const char*, const char*>{"secret1", "secret2"}, {"ab", "aZ"}, {"q", "r"}}) {
        EXPECT_EQ(Encipher(plain, a), Encipher(plain, b)) << a << " " << b;
        EXPECT_NE(CRC32(a), CRC32(b));
    }
}

TEST(Cipher, EmptyKeyIsRefused) {
    EXPECT_THROW(Encipher("abc", ""), std::invalid_argument);
    EXPECT_THROW(Decipher("abc", ""), std::invalid_argument);
    CellStore t;
    EXPECT_THROW(BuildVaultImage(t, ""), std::invalid_argument);
}

TEST(VaultImage, LayoutOfOneEmptyRow) {
    CellStore t;
    const std::string image = BuildVaultImage(t, "pw");
    ASSERT_EQ(image.size(), 12u + 1280u);
    EXPECT_EQ(image.substr(0, 12), Header(CRC32("pw"), 1));
    EXPECT_EQ(image.substr(12), std::string(1280, '\0'));
}

TEST(VaultImage, FieldsGoToTheirSlotsEnciphered) {
    CellStore t = OneRow({"Bank", "https://x", "jan", "S3cret", std::string(300, 'd')});
    t.Cell(0, 1) = "77";  // not stored
    const std::string key = "ky";
    const std::string image = BuildVaultImage(t, key);
    ASSERT_EQ(image.size(), 12u + 1280u);
    const std::string fields[] = {"Bank", "https://x", "jan", "S3cret", std::string(255, 'd')};
    for (size_t f = 0; f < 5; ++f) {
        const std::string slot = image.substr(12 + 256 * f, 256);
        ASSERT_EQ(static_cast<unsigned char>(slot[0]), fields[f].size()) << f;
        EXPECT_EQ(slot.substr(1, fields[f].size()), Encipher(fields[f], key)) << f;
        EXPECT_EQ(slot.substr(1 + fields[f].size()), std::string(255 - fields[f].size(), '\0')) << f;
    }
}

TEST(VaultImage, NoEntryRowsIsJustTheHeader) {
    CellStore t;
    t.SetRowCount(1);
    const std::string image = BuildVaultImage(t, "pw");
    EXPECT_EQ(image, Header(CRC32("pw"), 0));

    CellStore loaded;
    ASSERT_EQ(LoadVaultImage(image, "pw", loaded), VaultLoadResult::Loaded);
    EXPECT_EQ(loaded.RowCount(), 1);
}

TEST(VaultImage, MoreThan65535EntriesAreRefused) {
    CellStore t;
    t.SetRowCount(65535 + 1);
    EXPECT_EQ(BuildVaultImage(t, "pw").size(), 12u + 1280u * 65535u);
    t.SetRowCount(65536 + 1);
    try {
        BuildVaultImage(t, "pw");
        FAIL();
    } catch (const ETooManyEntries& e) {
        EXPECT_STREQ(e.what(), "The database can hold at most 65535 entries; this table has 65536. Nothing was saved.");
    }
}

TEST(VaultLoad, DamagedAndOddFiles) {
    const std::string pw = "master";
    const std::uint32_t check = CRC32(pw);
    const std::string full = BuildVaultImage(OneRow({"n", "a", "l", "p", "d"}), pw);
    const std::string hello = Encipher("hello", pw);
    std::string slotCut = Header(check, 1) + Bytes({5}) + hello.substr(0, 3);  // record ends inside a field
    struct Case {
        const char* what;
        std::string file;
        VaultLoadResult result;
        std::vector<std::string> rows;  // after the title row
    } cases[] = {
        {"wrong magic", std::string("XXXX") + full.substr(4), VaultLoadResult::Loaded, {"1|n|a|l|p|d|"}},
        {"extra bytes", full + "garbage", VaultLoadResult::Loaded, {"1|n|a|l|p|d|"}},
        {"count 3, two records", Header(check, 3) + full.substr(12) + full.substr(12), VaultLoadResult::Loaded,
         {"1|n|a|l|p|d|", "2|n|a|l|p|d|", "3||||||"}},
        {"cut inside a field", slotCut, VaultLoadResult::Loaded,
         {"1|" + Decipher(hello.substr(0, 3) + std::string(2, '\0'), pw) + "|||||"}},
        {"wrong password", Header(check ^ 1, 1) + full.substr(12), VaultLoadResult::IncorrectPassword, {"old|x|||||"}},
        {"empty file", "", VaultLoadResult::IncorrectPassword, {"old|x|||||"}},
        {"short header", full.substr(0, 7), VaultLoadResult::IncorrectPassword, {"old|x|||||"}},
    };
    for (const Case& c : cases) {
        CellStore t;
        t.SetCell(1, 0, "Name");
        t.SetCell(0, 1, "old");
        t.SetCell(1, 1, "x");
        EXPECT_EQ(LoadVaultImage(c.file, pw, t), c.result) << c.what;
        std::vector<std::string> expected = {"|Name|||||"};
        expected.insert(expected.end(), c.rows.begin(), c.rows.end());
        EXPECT_EQ(RowsOf(t), expected) << c.what;
    }
}

TEST(VaultLoad, RowsAreNumberedAfreshInFileOrder) {
    CellStore t;
    t.SetRowCount(4);
    const char* numbers[] = {"", "7", "3", "12"};
    for (int r = 1; r <= 3; ++r) {
        t.SetCell(0, r, numbers[r]);
        t.SetCell(1, r, std::string("name") + numbers[r]);
    }
    CellStore loaded;
    loaded.SetRowCount(10);  // a longer table shrinks to the file's rows
    ASSERT_EQ(LoadVaultImage(BuildVaultImage(t, "pw"), "pw", loaded), VaultLoadResult::Loaded);
    EXPECT_EQ(RowsOf(loaded), (std::vector<std::string>{"||||||", "1|name7|||||", "2|name3|||||", "3|name12|||||"}));
}

TEST(VaultLoad, RoundTripsAnyBytes) {
    std::mt19937 rng(99);
    for (int round = 0; round < 50; ++round) {
        simd::AllowSse2(round % 2 == 0);  // the SSE2 and the plain cipher loops
        CellStore t;
        // Some tables span several of the pieces the image is written in.
        const int rows = static_cast<int>(round % 10 == 0 ? 500 + rng() % 700 : rng() % 20);
        t.SetRowCount(rows + 1);
        for (int r = 1; r <= rows; ++r) {
            t.SetCell(0, r, std::to_string(r));
            for (int c = 1; c < 6; ++c) {
                std::string cell(rng() % 300, '\0');
                for (char& ch : cell) ch = static_cast<char>(rng());
                t.SetCell(c, r, cell);
            }
        }
        std::string key(1 + rng() % 255, '\0');
        for (char& ch : key) ch = static_cast<char>(rng());
        CellStore loaded;
        ASSERT_EQ(LoadVaultImage(BuildVaultImage(t, key), key, loaded), VaultLoadResult::Loaded);
        ASSERT_EQ(loaded.RowCount(), t.RowCount());
        for (int r = 1; r <= rows; ++r)
            for (int c = 0; c < 6; ++c) ASSERT_EQ(loaded.Cell(c, r), t.Cell(c, r).substr(0, 255)) << r << "," << c;
        // Against the rule itself, byte by byte.
        const std::string image = BuildVaultImage(t, key);
        // Written in pieces: the header, then whole runs of records.
        std::vector<size_t> pieces;
        WriteVaultImage(t, key, [&](const char*, size_t size) {
            pieces.push_back(size);
            return true;
        });
        ASSERT_EQ(pieces.front(), kVaultHeaderSize);
        for (size_t k = 1; k < pieces.size(); ++k)
            ASSERT_EQ(pieces[k], kVaultRecordSize * std::min<size_t>(kVaultChunkRecords, rows - (k - 1) * kVaultChunkRecords));
        // Read in pieces of any size, as the file arrives.
        VaultTableBuilder builder(static_cast<std::uint16_t>(rows), key);
        for (size_t at = kVaultHeaderSize; at < image.size();) {
            const size_t n = std::min(image.size() - at, static_cast<size_t>(1 + rng() % 3000));
            builder.Add(image.data() + at, n);
            at += n;
        }
        CellStore pieced;
        builder.Finish(pieced);
        ASSERT_EQ(pieced, loaded);
        for (int r = 1; r <= rows; ++r)
            for (size_t f = 0; f < 5; ++f) {
                const std::string field(t.Cell(static_cast<int>(f) + 1, r).substr(0, 255));
                const size_t at = 12 + 1280 * static_cast<size_t>(r - 1) + 256 * f + 1;
                for (size_t j = 0; j < field.size(); ++j) {
                    const unsigned char v = j % key.size() == key.size() - 1 ? 0 : static_cast<unsigned char>(key[j % key.size()]);
                    ASSERT_EQ(static_cast<unsigned char>(image[at + j]), static_cast<unsigned char>(field[j] + v));
                }
            }
    }
    simd::AllowSse2(true);
}

} // namespace
} // namespace velt
