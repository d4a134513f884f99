// The strong format's bytes and bound checks, with stand-in primitives (the
// known answer through the real CNG is in strong_vault_win_test.cpp).
#include "vault/strong_format.h"

#include <algorithm>
#include <gtest/gtest.h>

#include "core/byte_order.h"
#include "support/freed_memory.h"
#include "support/protected_image.h"
#include "support/known_vault.h"
#include "support/stand_in_crypto.h"
#include "vault/table_helpers.h"
#include "vault/vault_protection.h"

namespace velt {
namespace {

using test::CountingRandom;
using test::Hex;
using test::KnownTable;
using test::SameCells;
using test::RowsOf;
using test::StandInCrypto;

const std::string kPath = "C:\\velt\\baza.pdb";
constexpr std::string_view kMarker = "marker-pass-5170";
const std::string kDamaged =
    "The database file \"C:\\velt\\baza.pdb\" is damaged or was written by a newer version of Velt.";
const std::string kTampered =
    "The database file \"C:\\velt\\baza.pdb\" is damaged or has been changed. Velt will not save over it.";
const std::string kTooLarge =
    "The database file \"C:\\velt\\baza.pdb\" is larger than 256 MiB, more than Velt reads. It was not opened.";
const std::string kTooCostly = "The database file \"C:\\velt\\baza.pdb\" asks for more than 1 GiB of memory to "
                               "make its key, more than Velt gives. It was not opened.";

// Every field 255 bytes, walking through all byte values (0x80-0xFF too).
CellStore FullTable(int rows) {
    CellStore t;
    t.SetRowCount(rows + 1);
    for (int r = 1; r <= rows; ++r) {
        t.SetCell(0, r, std::to_string(r));
        for (int c = 1; c <= 5; ++c) {
            std::string text(255, '\0');
            for (size_t i = 0; i < text.size(); ++i) text[i] = static_cast<char>(r * 7 + c * 31 + i);
            t.SetCell(c, r, text);
        }
    }
    return t;
}

// The known answer's cost: cheap, and with the stand-in cheaper still.
const StrongKdf kV3 = StrongKdf::Argon2id(1, 64, 1);

struct Fixture {
    StandInCrypto crypto;
    CountingRandom random;
    StrongKey key;
    Fixture(std::uint32_t iterations = 100000, std::string_view password = "correct horse")
        : Fixture(StrongKdf::Pbkdf2(iterations), password) {}
    explicit Fixture(const StrongKdf& kdf, std::string_view password = "correct horse") {
        unsigned char salt[kStrongSaltSize];
        for (size_t i = 0; i < sizeof salt; ++i) salt[i] = static_cast<unsigned char>(i);
        key.Derive(crypto, password, salt, kdf);
        crypto.derivations = 0;
    }
    std::string Build(const CellStore& t, int keep = kHistoryKeepMax) {
        return BuildStrongImage(t, key, crypto, random, keep);
    }
    // Loads into a table holding one "keep" cell; the table's rows after.
    VaultLoadResult Load(std::string file, CellStore& table, std::string_view password = "correct horse") {
        StrongKey fresh;  // a program that starts: no key yet
        return LoadStrongImage(file, password, crypto, fresh, table, kPath);
    }
};

std::string Le32(size_t n) {
    std::string out(4, '\0');
    PutLE32(reinterpret_cast<unsigned char*>(&out[0]), static_cast<std::uint32_t>(n));
    return out;
}

CellStore Keeper() {
    CellStore t;
    t.SetCell(1, 1, "keep");
    return t;
}

// The same table as a version 1 file: the 40-byte header, sealed under K.
std::string AsVersion1(StrongCrypto& crypto, const StrongKey& key, std::string v2) {
    auto* body = reinterpret_cast<unsigned char*>(&v2[kStrongHeaderSize]);
    const size_t size = v2.size() - kStrongHeaderSize - kStrongTagSize;
    if (!crypto.Open(key.VaultKey(), body - 28, std::string_view(v2.data(), kStrongHeaderSize), body, size,
                     body + size))
        throw std::logic_error("not opened");
    std::string v1 = v2.substr(0, kStrongHeaderSizeV1) + v2.substr(kStrongHeaderSize);
    v1[kStrongVersionAt] = 1;
    auto* b1 = reinterpret_cast<unsigned char*>(&v1[kStrongHeaderSizeV1]);
    crypto.Seal(key.Key(), b1 - 12, std::string_view(v1.data(), kStrongHeaderSizeV1), b1, size, b1 + size);
    return v1;
}

// "loaded", "incorrect", "damaged" or "tampered", and whether a refusal
// changed the table.
std::string Outcome(Fixture& f, const std::string& file, std::string_view password = "correct horse") {
    CellStore t = Keeper();
    std::string result;
    try {
        result = f.Load(file, t, password) == VaultLoadResult::Loaded ? "loaded" : "incorrect";
    } catch (const EVaultDamaged& e) {
        result = e.what() == kDamaged    ? "damaged"
                 : e.what() == kTampered ? "tampered"
                 : e.what() == kTooCostly ? "refused"
                                          : e.what();
    }
    if (RowsOf(t) != RowsOf(Keeper()) && result != "loaded") result += ", table changed";
    return result;
}

TEST(StrongFormat, HeaderAndPlaintextLayout) {
    Fixture f;
    f.random.script = Hex(test::kKnownNonceHex);
    std::string image = f.Build(KnownTable());
    ASSERT_EQ(image.size(), 135u);
    EXPECT_EQ(image.substr(0, 40), Hex("564c543202000100a0860100000102030405060708090a0b0c0d0e0f"
                                       "a0a1a2a3a4a5a6a7a8a9aaab"));
    unsigned char mac[kStrongMacSize];
    f.crypto.Mac(f.key.Key(), "Velt key check", mac);
    EXPECT_EQ(image.substr(40, 16), std::string(reinterpret_cast<char*>(mac), 16));
    // Opened by hand: the plaintext is the count and the length-prefixed
    // fields, under HMAC(K, "Velt vault key").
    f.crypto.Mac(f.key.Key(), "Velt vault key", mac);
    unsigned char* body = reinterpret_cast<unsigned char*>(&image[56]);
    ASSERT_TRUE(f.crypto.Open(mac, body - 28, std::string_view(image.data(), 56), body, 63, body + 63));
    EXPECT_EQ(image.substr(56, 63), Hex("020000000942616e6b20a3f3649f1468747470733a2f2f62616e6b2e6578616d706c65036a"
                                        "616e07486173b36f2331046f706973044d61696c000002707700"));
}

TEST(StrongFormat, RoundTrips) {
    CellStore longField;
    longField.SetCell(0, 1, "1");
    longField.SetCell(3, 1, std::string(300, 'x'));
    CellStore longCut = longField;
    longCut.SetCell(3, 1, std::string(255, 'x'));
    CellStore none;
    none.SetRowCount(1);
    CellStore emptyRow, emptyRowNumbered;
    emptyRowNumbered.SetCell(0, 1, "1");
    const CellStore one = FullTable(1), full = FullTable(kVaultMaxEntries);
    struct Case {
        const char* name;
        const CellStore& table;
        const CellStore& expected;
        size_t size;
    } cases[] = {
        {"no entries", none, none, 76},
        {"one entry of five empty fields", emptyRow, emptyRowNumbered, 81},
        {"one entry, full fields", one, one, 76 + 5 * 256},
        {"a field of 300 bytes is cut to 255", longField, longCut, 76 + 5 + 255},
        {"65,535 entries, full fields", full, full, kStrongMaxFileSize},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Fixture f;
        const std::string image = f.Build(c.table);
        EXPECT_EQ(image.size(), c.size);
        CellStore loaded = Keeper();
        ASSERT_EQ(f.Load(image, loaded), VaultLoadResult::Loaded);
        EXPECT_TRUE(SameCells(loaded, c.expected));
        EXPECT_EQ(f.crypto.derivations, 1);
    }
}

TEST(StrongFormat, EveryNonceIsNew) {
    Fixture f;
    const std::string a = f.Build(KnownTable()), b = f.Build(KnownTable());
    EXPECT_EQ(a.substr(0, 28), b.substr(0, 28));  // same key: same salt and count
    EXPECT_NE(a.substr(28, 12), b.substr(28, 12));
    EXPECT_NE(a.substr(40), b.substr(40));
}

TEST(StrongFormat, DamagedHeadersAndCapsAreRefusedBeforeAnyKeyIsDerived) {
    Fixture f2, f3(kV3);
    const std::string v2 = f2.Build(KnownTable()), v3 = f3.Build(test::KnownTableV3());
    struct Case {
        const char* name;
        bool version3;
        size_t at;
        std::string bytes;
        const std::string& message;
    } cases[] = {
        {"version 0", false, 4, Hex("0000"), kDamaged},
        {"version 3 with PBKDF2", false, 4, Hex("0300"), kDamaged},
        {"version 256", false, 4, Hex("0001"), kDamaged},
        {"derivation 0", false, 6, Hex("0000"), kDamaged},
        {"derivation 2 in version 2", false, 6, Hex("0200"), kDamaged},
        {"iterations 0", false, 8, Hex("00000000"), kDamaged},
        {"iterations 99,999", false, 8, Hex("9f860100"), kDamaged},
        {"iterations 10,000,001", false, 8, Hex("81969800"), kDamaged},
        {"iterations 4,294,967,295", false, 8, Hex("ffffffff"), kDamaged},
        {"version 3, derivation 1", true, 6, Hex("0100"), kDamaged},
        {"version 4", true, 4, Hex("0400"), kDamaged},
        {"passes 0", true, 8, Hex("00000000"), kDamaged},
        {"passes 65", true, 8, Hex("41000000"), kDamaged},
        {"lanes 0", true, 16, Hex("00000000"), kDamaged},
        {"lanes 17", true, 16, Hex("11000000"), kDamaged},
        {"memory under 8 KiB a lane", true, 12, Hex("07000000"), kDamaged},
        {"4 lanes, memory 31 KiB", true, 12, Hex("1f00000004000000"), kDamaged},
        {"memory 1 GiB and 1 KiB", true, 12, Hex("01001000"), kTooCostly},
        {"memory 4 TiB", true, 12, Hex("ffffffff"), kTooCostly},
        {"over 256 MiB", true, kStrongMaxFileSizeV3, "x", kTooLarge},
        {"version 2, over 256 MiB", false, kStrongMaxFileSizeV3, "x", kTooLarge},
        {"version 2, a byte longer than its longest", false, kStrongMaxFileSize, "x", kDamaged},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Fixture& f = c.version3 ? f3 : f2;
        std::string file = c.version3 ? v3 : v2;
        if (c.at + c.bytes.size() > file.size()) file.resize(c.at + c.bytes.size());
        file.replace(c.at, c.bytes.size(), c.bytes);
        CellStore t = Keeper();
        try {
            f.Load(file, t);
            ADD_FAILURE() << "loaded";
        } catch (const EVaultDamaged& e) {
            EXPECT_EQ(std::string(e.what()), c.message);
        }
        EXPECT_EQ(f.crypto.derivations, 0);
        EXPECT_TRUE(RowsOf(t) == RowsOf(Keeper()));
    }
}

TEST(StrongFormat, ChangedBytesAndCutFilesWithTheRightAndAWrongPassword) {
    Fixture f;
    const std::string v2 = f.Build(KnownTable());
    const std::string v1 = AsVersion1(f.crypto, f.key, v2);
    // What one flipped bit of each field gives, with the right password and
    // a wrong one. A changed salt, count or key check makes another key:
    // no different from a wrong password. Version 1 has no key check.
    auto expected = [](bool version2, size_t bit, bool right) -> std::string {
        const size_t header = version2 ? kStrongHeaderSize : kStrongHeaderSizeV1;
        if (bit < 64) return "damaged";  // version and derivation allow one value
        if (bit < 96) {
            const std::uint32_t count = 100000u ^ (1u << (bit - 64));
            if (count < kStrongMinIterations || count > kStrongMaxIterations) return "damaged";
            return "incorrect";
        }
        if (!version2 || bit < 224 || (bit >= 320 && bit < header * 8)) return "incorrect";
        return right ? "tampered" : "incorrect";  // nonce, body, tag
    };
    for (bool version2 : {true, false}) {
        const std::string& good = version2 ? v2 : v1;
        for (size_t bit = 32; bit < good.size() * 8; ++bit) {
            std::string file = good;
            file[bit / 8] = static_cast<char>(file[bit / 8] ^ (1 << (bit % 8)));
            EXPECT_EQ(Outcome(f, file), expected(version2, bit, true)) << version2 << " bit " << bit;
            EXPECT_EQ(Outcome(f, file, "wrong horse"), expected(version2, bit, false)) << version2 << " bit " << bit;
        }
    }
    // Cut at every length: short of the key check damaged; after it, told
    // apart. Version 1: damaged short of the tag, then "incorrect".
    for (size_t n = 4; n < v2.size(); ++n) {
        EXPECT_EQ(Outcome(f, v2.substr(0, n)), n < 56 ? "damaged" : "tampered") << n;
        EXPECT_EQ(Outcome(f, v2.substr(0, n), "wrong horse"), n < 56 ? "damaged" : "incorrect") << n;
        if (n < v1.size()) {
            EXPECT_EQ(Outcome(f, v1.substr(0, n)), n < 60 ? "damaged" : "incorrect") << n;
        }
    }
    struct Case {
        const char* name;
        std::string file;
        const char* right;
        const char* wrong;
    } cases[] = {
        {"version 2 read as 1", std::string(v2).replace(4, 1, "\x01"), "incorrect", "incorrect"},
        {"version 1 read as 2", std::string(v1).replace(4, 1, "\x02"), "incorrect", "incorrect"},
        {"10,000,000 iterations", std::string(v2).replace(8, 4, Hex("80969800")), "incorrect", "incorrect"},
        {"a byte more", v2 + "x", "tampered", "incorrect"},
        {"version 1, a byte more", v1 + "x", "incorrect", "incorrect"},
        {"version 2", v2, "loaded", "incorrect"},
        {"version 1", v1, "loaded", "incorrect"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Outcome(f, c.file), c.right) << c.name;
        EXPECT_EQ(Outcome(f, c.file, "wrong horse"), c.wrong) << c.name;
    }
}

TEST(StrongFormat, Version3ChangedBitsAndCuts) {
    Fixture f(kV3);
    const std::string v3 = f.Build(test::KnownTableV3());
    // t = 1, m = 64, p = 1. A cost that stays in range makes another key.
    auto expected = [](size_t bit, bool right) -> std::string {
        auto flipped = [bit](std::uint32_t v, size_t from) { return v ^ (1u << (bit - from)); };
        if (bit < 64) return "damaged";
        if (bit < 96) return flipped(1, 64) >= 1 && flipped(1, 64) <= 64 ? "incorrect" : "damaged";
        if (bit < 128) {
            const std::uint32_t m = flipped(64, 96);
            return m > kStrongMaxMemoryKiB ? "refused" : m < 8 ? "damaged" : "incorrect";
        }
        if (bit < 160) return flipped(1, 128) >= 1 && flipped(1, 128) <= 8 ? "incorrect" : "damaged";
        if (bit < 288 || (bit >= 384 && bit < 512)) return "incorrect";  // salt, key check
        return right ? "tampered" : "incorrect";                         // nonce, body, tag
    };
    for (size_t bit = 32; bit < v3.size() * 8; ++bit) {
        std::string file = v3;
        file[bit / 8] = static_cast<char>(file[bit / 8] ^ (1 << (bit % 8)));
        EXPECT_EQ(Outcome(f, file), expected(bit, true)) << "bit " << bit;
        EXPECT_EQ(Outcome(f, file, "wrong horse"), expected(bit, false)) << "bit " << bit;
    }
    for (size_t n = 4; n < v3.size(); ++n) {
        EXPECT_EQ(Outcome(f, v3.substr(0, n)), n < 64 ? "damaged" : "tampered") << n;
        EXPECT_EQ(Outcome(f, v3.substr(0, n), "wrong horse"), n < 64 ? "damaged" : "incorrect") << n;
    }
    EXPECT_EQ(Outcome(f, v3 + "x"), "tampered");
    EXPECT_EQ(Outcome(f, v3), "loaded");
}

TEST(StrongFormat, Version3KeepsEveryItemInPlaceAndTrimsHistory) {
    const std::string id = Hex("0110000000101112131415161718191a1b1c1d1e1f");
    const std::string times = Hex(test::kKnownItems1Hex).substr(21, 53);
    const std::string stare1 = Hex("030e000000c8f1536500000000737461726531");
    const std::string stare0 = Hex("030e00000064f1536500000000737461726530");
    const std::string unknown = Hex("c803000000010203");
    struct Case {
        int keep;
        std::string items1;
    } cases[] = {
        {100, id + times + stare1 + stare0 + unknown},
        {2, id + times + stare1 + stare0 + unknown},
        {1, id + times + stare1 + unknown},
        {0, id + times + unknown},
    };
    ASSERT_EQ(cases[0].items1, Hex(test::kKnownItems1Hex));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.keep);
        Fixture f(kV3);
        CellStore loaded;
        ASSERT_EQ(f.Load(f.Build(test::KnownTableV3(), c.keep), loaded), VaultLoadResult::Loaded);
        EXPECT_TRUE(SameCells(loaded, KnownTable()));
        EXPECT_EQ(test::HexOf(loaded.Items(1)), test::HexOf(c.items1));
        EXPECT_EQ(test::HexOf(loaded.Items(2)), test::kKnownItems2Hex);
        EXPECT_EQ(test::HexOf(loaded.Items(0)), test::kKnownVaultItemsHex);
    }
    // What the other units read of them.
    const CellStore t = test::KnownTableV3();
    EXPECT_EQ(EntryTimesOf(t, 1).changed[1], 1700000100);
    ASSERT_EQ(PasswordHistory(t, 1).size(), 2u);
    EXPECT_EQ(PasswordHistory(t, 1)[0].text, "stare1");
    EXPECT_EQ(PasswordHistory(t, 1)[1].replaced, 1700000100);
    EXPECT_EQ(OneTimeCodeOf(t, 2), "otpauth://totp/Mail:jan?secret=GEZDGNBVGY3TQOJQ&issuer=Mail");
    ASSERT_EQ(Deletions(t).size(), 1u);
    EXPECT_EQ(Deletions(t)[0].when, 1700000300);
}

// A plaintext sealed under a good tag: read when sound, else refused as
// damaged with the table as it was.
void ExpectSealedPlaintextRead(const char* name, const std::string& plain, bool sound, const StrongKdf& kdf,
                               size_t headerSize) {
    SCOPED_TRACE(name);
    Fixture f(kdf);
    unsigned char nonce[kStrongNonceSize] = {};
    std::string file = StrongHeader(f.key, nonce) + plain + std::string(kStrongTagSize, '\0');
    auto* body = reinterpret_cast<unsigned char*>(&file[headerSize]);
    f.crypto.Seal(f.key.VaultKey(), nonce, std::string_view(file.data(), headerSize), body, plain.size(),
                  body + plain.size());
    CellStore t = Keeper();
    if (sound) {
        EXPECT_EQ(f.Load(file, t), VaultLoadResult::Loaded);
    } else {
        EXPECT_THROW(f.Load(file, t), EVaultDamaged);
        EXPECT_TRUE(RowsOf(t) == RowsOf(Keeper()));
    }
}

TEST(StrongFormat, Version3ItemsThatBreakTheRulesAreDamaged) {
    const std::string fields = Hex("0141") + Hex("00000000");  // "A" and four empty fields
    const std::string id = Hex("0110000000") + std::string(16, 'i');
    auto entry = [&](const std::string& items) { return fields + Hex("") + Le32(items.size()) + items; };
    const std::string noVault = Hex("00000000");
    struct Case {
        const char* name;
        std::string plain;
        bool sound;
    } cases[] = {
        {"no entries, no vault items", Hex("00000000") + noVault, true},
        {"an entry with its id", Hex("01000000") + entry(id) + noVault, true},
        {"unknown items, empty and not", Hex("01000000") + entry(Hex("0900000000") + id + Hex("ff01000000ff")) + noVault, true},
        {"times, old passwords of 0 and 255 bytes, a one-time code of 2,048",
         Hex("01000000") + entry(id + Hex("0230000000") + std::string(48, 't') + Hex("0308000000") + std::string(8, 't') +
                                 Hex("0307010000") + std::string(263, 'o') + Hex("0400080000") + std::string(2048, 'c')) +
             noVault,
         true},
        {"no id", Hex("01000000") + entry("") + noVault, false},
        {"two ids", Hex("01000000") + entry(id + id) + noVault, false},
        {"an id of 15 bytes", Hex("01000000") + entry(Hex("010f000000") + std::string(15, 'i')) + noVault, false},
        {"two times", Hex("01000000") + entry(id + (Hex("0230000000") + std::string(48, 't')) + (Hex("0230000000") + std::string(48, 't'))) + noVault, false},
        {"times of 40 bytes", Hex("01000000") + entry(id + Hex("0228000000") + std::string(40, 't')) + noVault, false},
        {"an old password without its time", Hex("01000000") + entry(id + Hex("0307000000") + std::string(7, 'o')) + noVault, false},
        {"an old password of 256 bytes", Hex("01000000") + entry(id + Hex("0308010000") + std::string(264, 'o')) + noVault, false},
        {"a one-time code of 2,049 bytes", Hex("01000000") + entry(id + Hex("0401080000") + std::string(2049, 'c')) + noVault, false},
        {"a one-time code not ASCII", Hex("01000000") + entry(id + Hex("0401000000e9")) + noVault, false},
        {"two one-time codes", Hex("01000000") + entry(id + Hex("0401000000610401000000") + "b") + noVault, false},
        {"an item's length past the entry's end", Hex("01000000") + entry(id + Hex("0905000000") + "abc") + noVault, false},
        {"an item's header cut", Hex("01000000") + entry(id + Hex("0901")) + noVault, false},
        {"the entry's items past the end", Hex("01000000") + fields + Le32(100) + id, false},
        {"no vault items length", Hex("01000000") + entry(id), false},
        {"a deleted entry of 23 bytes", Hex("00000000") + Le32(28) + Hex("0117000000") + std::string(23, 'd'), false},
        {"a deleted entry and an unknown vault item", Hex("00000000") + Le32(34) + Hex("0118000000") + std::string(24, 'd') + Hex("0700000000"), true},
        {"a byte after the vault items", Hex("00000000") + noVault + "x", false},
    };
    for (const Case& c : cases) ExpectSealedPlaintextRead(c.name, c.plain, c.sound, kV3, kStrongHeaderSizeV3);
}

TEST(StrongFormat, MalformedPlaintextUnderAGoodTagIsDamaged) {
    const std::string fields = Hex("0141") + Hex("00000000");  // "A" and four empty fields
    struct Case {
        const char* name;
        std::string plain;
        bool sound;
    } cases[] = {
        {"nothing but the count", Hex("00000000"), true},
        {"one record", Hex("01000000") + fields, true},
        {"count larger than the records", Hex("02000000") + fields, false},
        {"count smaller: bytes left over", Hex("00000000") + fields, false},
        {"a byte after the last record", Hex("01000000") + fields + "x", false},
        {"a field running past the end", Hex("01000000") + Hex("0541"), false},
        {"a length byte missing", Hex("01000000") + Hex("00000000"), false},
        {"65,536 entries", Hex("00000100") + std::string(5 * 65536, '\0'), false},
        {"count 4,294,967,295", Hex("ffffffff") + fields, false},
    };
    for (const Case& c : cases)
        ExpectSealedPlaintextRead(c.name, c.plain, c.sound, StrongKdf::Pbkdf2(100000), kStrongHeaderSize);
}

TEST(StrongFormat, KeyIsReusedOnlyForItsOwnSaltAndCount) {
    Fixture f;
    std::string file = f.Build(KnownTable());
    CellStore t;
    // The key in use opened its own file: nothing derived.
    std::string copy = file;
    EXPECT_EQ(LoadStrongImage(copy, "correct horse", f.crypto, f.key, t, kPath), VaultLoadResult::Loaded);
    EXPECT_EQ(f.crypto.derivations, 0);
    EXPECT_TRUE(copy.empty()) << "the plaintext is the table's, not left behind";
    size_t notZero = 0;  // the header, lengths and tag taken with it are zeroed
    for (std::string_view block : t.TextBlocks()) notZero += block.size() - std::count(block.begin(), block.end(), '\0');
    EXPECT_LE(notZero, t.TextBytes());

    // The same salt with another count: derived, not the key in use.
    copy = Fixture(123456).Build(KnownTable());
    EXPECT_EQ(LoadStrongImage(copy, "correct horse", f.crypto, f.key, t, kPath), VaultLoadResult::Loaded);
    EXPECT_EQ(f.crypto.derivations, 1);

    // Another file's salt: derived, and the key then holds the file's.
    Fixture other(100000, "correct horse");
    unsigned char salt[kStrongSaltSize] = {9};
    other.key.Derive(other.crypto, "correct horse", salt, StrongKdf::Pbkdf2(123456));
    copy = other.Build(KnownTable());
    EXPECT_EQ(LoadStrongImage(copy, "correct horse", f.crypto, f.key, t, kPath), VaultLoadResult::Loaded);
    EXPECT_EQ(f.crypto.derivations, 2);
    EXPECT_TRUE(f.key.DerivedWith(salt, StrongKdf::Pbkdf2(123456)));

    // A wrong password leaves the key in use as it was, derived ahead or not.
    StrongKey ahead;
    for (StrongKey* given : {static_cast<StrongKey*>(nullptr), &ahead}) {
        copy = file;
        if (given) DeriveStrongKeyAhead(copy.substr(0, 64), copy.size(), "wrong horse", f.crypto, f.key, ahead, kPath);
        EXPECT_EQ(LoadStrongImage(copy, "wrong horse", f.crypto, f.key, t, kPath, given), VaultLoadResult::IncorrectPassword);
        EXPECT_TRUE(f.key.DerivedWith(salt, StrongKdf::Pbkdf2(123456)));
    }
    // Derived ahead from the header alone: the load derives nothing more and
    // takes that key.
    const int before = f.crypto.derivations;
    copy = file;
    DeriveStrongKeyAhead(copy.substr(0, 64), copy.size(), "correct horse", f.crypto, f.key, ahead, kPath);
    EXPECT_EQ(LoadStrongImage(copy, "correct horse", f.crypto, f.key, t, kPath, &ahead), VaultLoadResult::Loaded);
    EXPECT_EQ(f.crypto.derivations, before + 1);
    EXPECT_FALSE(f.key.DerivedWith(salt, StrongKdf::Pbkdf2(123456)));
}

TEST(StrongFormat, SaveRefusesTooManyEntriesAndWipesOnFailure) {
    Fixture f;
    CellStore big;
    big.SetRowCount(kVaultMaxEntries + 2);
    EXPECT_THROW(f.Build(big), ETooManyEntries);
    CellStore secret = KnownTable();
    secret.SetCell(4, 1, kMarker);
    f.crypto.failNext = true;
    test::FreedMemoryWatch watch(kMarker);
    EXPECT_THROW(f.Build(secret), ECryptoError);
    EXPECT_GT(watch.Freed(), 0u);
    EXPECT_EQ(watch.Hits(), 0u) << "plaintext left in the freed image";
}

TEST(StrongFormat, GivenUpKeysAreZeros) {
    Fixture a, b;
    auto bytes = [](const StrongKey& k) {
        return std::string(reinterpret_cast<const char*>(k.Key()), kStrongKeySize) +
               std::string(reinterpret_cast<const char*>(k.VaultKey()), kStrongKeySize);
    };
    const std::string zeros(2 * kStrongKeySize, '\0');
    StrongKey taker;
    taker.Take(a.key);
    EXPECT_EQ(bytes(taker).find(std::string(kStrongKeySize, '\0')), std::string::npos);
    EXPECT_EQ(bytes(a.key), zeros);
    b.key.Wipe();
    EXPECT_EQ(bytes(b.key), zeros);
}

TEST(VaultProtectionTest, FormatFollowsTheCommandsAndTheFile) {
    StandInCrypto crypto;
    CountingRandom random;
    VaultProtection p(crypto, random);
    p.SetKdfForTests(kV3);
    CellStore table = test::KnownTableV3();
    auto image = [&](std::string_view password) { return ProtectedImage(p, crypto, random, table, password); };

    std::string old = image("pw");
    EXPECT_EQ(old, BuildVaultImage(table, "pw"));

    p.TurnOn("pw");
    EXPECT_TRUE(p.Strong());
    EXPECT_EQ(crypto.derivations, 1);
    std::string strong = image("pw");
    EXPECT_TRUE(IsStrongVault(strong));
    EXPECT_EQ(strong.substr(4, 16), Hex("03000200010000004000000001000000"));
    const std::string firstSalt = strong.substr(20, 16);

    // Reading the old file turns it off; reading the strong one back on, with
    // the file's key and without deriving again for the key in use.
    CellStore t;
    std::string bytes = old;
    ASSERT_EQ(p.Load(bytes, "pw", t, kPath), VaultLoadResult::Loaded);
    EXPECT_FALSE(p.Strong());
    EXPECT_FALSE(p.Key().Valid());
    bytes = strong;
    ASSERT_EQ(p.Load(bytes, "pw", t, kPath), VaultLoadResult::Loaded);
    EXPECT_TRUE(p.Strong());
    EXPECT_EQ(crypto.derivations, 2);
    EXPECT_EQ(image("pw").substr(20, 16), firstSalt) << "saves keep the file's salt";

    // A new password: new salt, new key. A failure keeps the old key.
    p.PasswordChanged("pw2");
    EXPECT_EQ(crypto.derivations, 3);
    EXPECT_NE(image("pw2").substr(20, 16), firstSalt);
    const std::string before = image("pw2").substr(0, 36);
    crypto.failNext = true;
    EXPECT_THROW(p.PasswordChanged("pw3"), ECryptoError);
    crypto.outOfMemoryNext = true;
    EXPECT_THROW(p.PasswordChanged("pw3"), EKeyOutOfMemory);
    EXPECT_EQ(image("pw2").substr(0, 36), before);

    // Off: the old format, key wiped; a password change then derives nothing.
    p.TurnOff();
    EXPECT_FALSE(p.Key().Valid());
    EXPECT_EQ(image("pw2"), BuildVaultImage(table, "pw2"));
    p.PasswordChanged("pw4");
    EXPECT_EQ(crypto.derivations, 3);
    crypto.failNext = true;
    EXPECT_THROW(p.TurnOn("pw4"), ECryptoError);
    EXPECT_FALSE(p.Strong());

    // A wrong password or a damaged file changes nothing.
    p.TurnOn("pw4");
    bytes = strong;
    EXPECT_EQ(p.Load(bytes, "wrong", t, kPath), VaultLoadResult::IncorrectPassword);
    bytes = old;
    EXPECT_EQ(p.Load(bytes, "wrong", t, kPath), VaultLoadResult::IncorrectPassword);
    bytes = strong.substr(0, 59);
    EXPECT_THROW(p.Load(bytes, "pw", t, kPath), EVaultDamaged);
    EXPECT_TRUE(p.Strong());
}

// Save's bytes, kept in memory.
struct WrittenBytes final : SaveFileOps {
    std::string bytes;
    std::string FullPath(const std::string& path) override { return path; }
    FileOpStatus CheckReplaceable(const std::string&) override { return {}; }
    FileOpStatus CreateTemp(const std::string&, std::string& temp) override {
        temp = "temp";
        bytes.clear();
        return {};
    }
    FileOpStatus Write(const char* data, size_t size) override {
        bytes.append(data, size);
        return {};
    }
    FileOpStatus Flush() override { return {}; }
    FileOpStatus Close() override { return {}; }
    FileOpStatus Replace(const std::string&, const std::string&) override { return {}; }
    void Discard(const std::string&) noexcept override {}
};

TEST(VaultProtectionTest, SavesAfterAReadWriteVersion3AndRenewWeakerKeys) {
    const StrongKdf today = StrongKdf::Argon2id(2, 64, 1);
    struct Case {
        const char* name;
        bool version1;
        StrongKdf file;
        bool newSalt;
    } cases[] = {
        {"version 1: new salt and key", true, StrongKdf::Pbkdf2(600000), true},
        {"version 2: new salt and key", false, StrongKdf::Pbkdf2(10000000), true},
        {"version 3 of today's cost: same key", false, today, false},
        {"version 3 of fewer passes: new key", false, StrongKdf::Argon2id(1, 64, 1), true},
        {"version 3 of less memory: new key", false, StrongKdf::Argon2id(2, 32, 1), true},
        {"version 3 of more of each: same key", false, StrongKdf::Argon2id(3, 128, 2), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Fixture f(c.file, "pw");
        const CellStore table = c.file.kind == kStrongKdfArgon2id ? test::KnownTableV3() : KnownTable();
        std::string file = f.Build(table);
        if (c.version1) file = AsVersion1(f.crypto, f.key, file);
        test::FixedClock clock;
        VaultProtection p(f.crypto, f.random, clock);
        p.SetKdfForTests(today);
        CellStore t;
        std::string bytes = file;
        ASSERT_EQ(p.Load(bytes, "pw", t, kPath), VaultLoadResult::Loaded);
        f.crypto.derivations = 0;
        clock.now += 60;
        WrittenBytes ops;
        p.Save(ops, kPath, t, "pw");
        const std::string& saved = ops.bytes;
        const StrongKdf kept = c.newSalt ? today : c.file;
        EXPECT_EQ(saved.substr(4, 4), Hex("03000200"));
        EXPECT_EQ(GetLE32(reinterpret_cast<const unsigned char*>(saved.data()) + 8), kept.passes);
        EXPECT_EQ(GetLE32(reinterpret_cast<const unsigned char*>(saved.data()) + 12), kept.memoryKiB);
        EXPECT_EQ(f.crypto.derivations, c.newSalt ? 1 : 0);
        EXPECT_EQ(saved.substr(20, 16) != file.substr(c.file.kind == kStrongKdfArgon2id ? 20 : 12, 16), c.newSalt);
        CellStore back;
        Fixture reader(today, "pw");
        bytes = saved;
        EXPECT_EQ(LoadStrongImage(bytes, "pw", reader.crypto, reader.key, back, kPath), VaultLoadResult::Loaded);
        EXPECT_TRUE(SameCells(back, table));
        if (c.file.kind == kStrongKdfArgon2id) {
            // Kept as they were; the entry without times gets them.
            EXPECT_EQ(back.Items(1), table.Items(1));
            EXPECT_EQ(back.Items(0), table.Items(0));
            EXPECT_EQ(OneTimeCodeOf(back, 2), OneTimeCodeOf(table, 2));
            EXPECT_EQ(EntryTimesOf(back, 2).made, clock.now - 60);
        } else {
            // Ids and times of the moment the file was read.
            EXPECT_TRUE(HasEntryId(back, 1) && HasEntryId(back, 2));
            EXPECT_NE(EntryIdOf(back, 1), EntryIdOf(back, 2));
            EXPECT_EQ(EntryTimesOf(back, 2).made, clock.now - 60);
            EXPECT_EQ(EntryTimesOf(back, 2).changed[3], clock.now - 60);
        }
    }
}

TEST(VaultProtectionTest, ShortFilesWithoutTheWholeMagicReadAsTheOldFormat) {
    StandInCrypto crypto;
    CountingRandom random;
    VaultProtection p(crypto, random);
    for (std::string file : {std::string(), std::string("V"), std::string("VLT")}) {
        CellStore t = Keeper();
        EXPECT_EQ(p.Load(file, "pw", t, kPath), VaultLoadResult::IncorrectPassword) << file;
        EXPECT_EQ(crypto.derivations, 0);
    }
}

} // namespace
} // namespace velt
