// The strong format's bytes and bound checks, with stand-in primitives (the
// known answer through the real CNG is in strong_vault_win_test.cpp).
#include "vault/strong_format.h"

#include <gtest/gtest.h>

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

struct Fixture {
    StandInCrypto crypto;
    CountingRandom random;
    StrongKey key;
    Fixture(std::uint32_t iterations = 100000, std::string_view password = "correct horse") {
        unsigned char salt[kStrongSaltSize];
        for (size_t i = 0; i < sizeof salt; ++i) salt[i] = static_cast<unsigned char>(i);
        key.Derive(crypto, password, salt, iterations);
        crypto.derivations = 0;
    }
    std::string Build(const CellStore& t) { return BuildStrongImage(t, key, crypto, random); }
    // Loads into a table holding one "keep" cell; the table's rows after.
    VaultLoadResult Load(std::string file, CellStore& table, std::string_view password = "correct horse") {
        StrongKey fresh;  // a program that starts: no key yet
        return LoadStrongImage(file, password, crypto, fresh, table, kPath);
    }
};

CellStore Keeper() {
    CellStore t;
    t.SetCell(1, 1, "keep");
    return t;
}

TEST(StrongFormat, HeaderAndPlaintextLayout) {
    Fixture f;
    f.random.script = Hex(test::kKnownNonceHex);
    std::string image = f.Build(KnownTable());
    ASSERT_EQ(image.size(), 119u);
    EXPECT_EQ(image.substr(0, 40), Hex("564c543201000100a0860100000102030405060708090a0b0c0d0e0f"
                                       "a0a1a2a3a4a5a6a7a8a9aaab"));
    // Opened by hand: the plaintext is the count and the length-prefixed fields.
    unsigned char* body = reinterpret_cast<unsigned char*>(&image[40]);
    ASSERT_TRUE(f.crypto.Open(f.key.Key(), body - 12, std::string_view(image.data(), 40), body, 63, body + 63));
    EXPECT_EQ(image.substr(40, 63), Hex("020000000942616e6b20a3f3649f1468747470733a2f2f62616e6b2e6578616d706c65036a"
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
        {"no entries", none, none, 60},
        {"one entry of five empty fields", emptyRow, emptyRowNumbered, 65},
        {"one entry, full fields", one, one, 60 + 5 * 256},
        {"a field of 300 bytes is cut to 255", longField, longCut, 60 + 5 + 255},
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

TEST(StrongFormat, DamagedHeadersAreRefusedBeforeAnyKeyIsDerived) {
    Fixture f;
    const std::string good = f.Build(KnownTable());
    struct Case {
        const char* name;
        size_t at;
        std::string bytes;
    } cases[] = {
        {"version 0", 4, Hex("0000")},
        {"version 2", 4, Hex("0200")},
        {"version 256", 4, Hex("0001")},
        {"derivation 0", 6, Hex("0000")},
        {"derivation 2", 6, Hex("0200")},
        {"iterations 0", 8, Hex("00000000")},
        {"iterations 99,999", 8, Hex("9f860100")},
        {"iterations 10,000,001", 8, Hex("81969800")},
        {"iterations 4,294,967,295", 8, Hex("ffffffff")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string file = good;
        file.replace(c.at, c.bytes.size(), c.bytes);
        CellStore t = Keeper();
        try {
            f.Load(file, t);
            ADD_FAILURE() << "loaded";
        } catch (const EVaultDamaged& e) {
            EXPECT_EQ(std::string(e.what()), kDamaged);
        }
        EXPECT_EQ(f.crypto.derivations, 0);
        EXPECT_TRUE(RowsOf(t) == RowsOf(Keeper()));
    }
}

TEST(StrongFormat, ChangedBytesAndCutFilesAreRefused) {
    Fixture f;
    const std::string good = f.Build(KnownTable());
    auto outcome = [&](const std::string& file) {
        CellStore t = Keeper();
        std::string result;
        try {
            result = f.Load(file, t) == VaultLoadResult::Loaded ? "loaded" : "incorrect";
        } catch (const EVaultDamaged& e) {
            result = e.what() == kDamaged ? "damaged" : e.what();
        }
        if (RowsOf(t) != RowsOf(Keeper()) && result != "loaded") result += ", table changed";
        return result;
    };
    // Header fields that stay in range are covered by the tag.
    EXPECT_EQ(outcome(std::string(good).replace(8, 4, Hex("a1860100"))), "incorrect");  // 100,001 iterations
    EXPECT_EQ(outcome(std::string(good).replace(8, 4, Hex("80969800"))), "incorrect");  // 10,000,000
    for (size_t at : {12u, 27u, 28u, 39u}) EXPECT_EQ(outcome(std::string(good).replace(at, 1, "\x55")), "incorrect");
    // One flipped bit anywhere after the magic: version and derivation allow
    // one value; a count still in range fails the tag like every other byte.
    for (size_t bit = 32; bit < good.size() * 8; ++bit) {
        std::string file = good;
        file[bit / 8] = static_cast<char>(file[bit / 8] ^ (1 << (bit % 8)));
        const std::uint32_t count = 100000u ^ (bit >= 64 && bit < 96 ? 1u << (bit - 64) : 0u);
        const bool damaged = bit < 64 || count < kStrongMinIterations || count > kStrongMaxIterations;
        EXPECT_EQ(outcome(file), damaged ? "damaged" : "incorrect") << "bit " << bit;
    }
    // Cut at every length below the shortest file, and short of its tag.
    for (size_t n = 4; n < kStrongMinFileSize; ++n) EXPECT_EQ(outcome(good.substr(0, n)), "damaged") << n;
    for (size_t n : {good.size() - 1, good.size() - 16, size_t(60)}) EXPECT_EQ(outcome(good.substr(0, n)), "incorrect") << n;
    EXPECT_EQ(outcome(good + "x"), "incorrect");
    EXPECT_EQ(outcome(good), "loaded");
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
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Fixture f;
        unsigned char nonce[kStrongNonceSize] = {};
        std::string file = StrongHeader(f.key, nonce) + c.plain + std::string(kStrongTagSize, '\0');
        auto* body = reinterpret_cast<unsigned char*>(&file[kStrongHeaderSize]);
        f.crypto.Seal(f.key.Key(), nonce, std::string_view(file.data(), kStrongHeaderSize), body, c.plain.size(),
                      body + c.plain.size());
        CellStore t = Keeper();
        if (c.sound) {
            EXPECT_EQ(f.Load(file, t), VaultLoadResult::Loaded);
        } else {
            EXPECT_THROW(f.Load(file, t), EVaultDamaged);
            EXPECT_TRUE(RowsOf(t) == RowsOf(Keeper()));
        }
    }
}

TEST(StrongFormat, TooLargeFileIsRefusedUnread) {
    Fixture f;
    std::string file = f.Build(KnownTable());
    file.resize(kStrongMaxFileSize + 1);
    CellStore t;
    EXPECT_THROW(f.Load(file, t), EVaultDamaged);
    EXPECT_EQ(f.crypto.derivations, 0);
}

TEST(StrongFormat, KeyIsReusedOnlyForItsOwnSaltAndCount) {
    Fixture f;
    std::string file = f.Build(KnownTable());
    CellStore t;
    // The key in use opened its own file: nothing derived.
    std::string copy = file;
    EXPECT_EQ(LoadStrongImage(copy, "correct horse", f.crypto, f.key, t, kPath), VaultLoadResult::Loaded);
    EXPECT_EQ(f.crypto.derivations, 0);
    EXPECT_EQ(copy.substr(kStrongHeaderSize, 63), std::string(63, '\0')) << "the plaintext is wiped";

    // The same salt with another count: derived, not the key in use.
    copy = Fixture(123456).Build(KnownTable());
    EXPECT_EQ(LoadStrongImage(copy, "correct horse", f.crypto, f.key, t, kPath), VaultLoadResult::Loaded);
    EXPECT_EQ(f.crypto.derivations, 1);

    // Another file's salt: derived, and the key then holds the file's.
    Fixture other(100000, "correct horse");
    unsigned char salt[kStrongSaltSize] = {9};
    other.key.Derive(other.crypto, "correct horse", salt, 123456);
    copy = other.Build(KnownTable());
    EXPECT_EQ(LoadStrongImage(copy, "correct horse", f.crypto, f.key, t, kPath), VaultLoadResult::Loaded);
    EXPECT_EQ(f.crypto.derivations, 2);
    EXPECT_TRUE(f.key.DerivedWith(salt, 123456));

    // A wrong password leaves the key in use as it was.
    copy = file;
    EXPECT_EQ(LoadStrongImage(copy, "wrong horse", f.crypto, f.key, t, kPath), VaultLoadResult::IncorrectPassword);
    EXPECT_TRUE(f.key.DerivedWith(salt, 123456));
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
    auto bytes = [](const StrongKey& k) { return std::string(reinterpret_cast<const char*>(k.Key()), kStrongKeySize); };
    const std::string zeros(kStrongKeySize, '\0');
    StrongKey taker;
    taker.Take(a.key);
    EXPECT_NE(bytes(taker), zeros);
    EXPECT_EQ(bytes(a.key), zeros);
    b.key.Wipe();
    EXPECT_EQ(bytes(b.key), zeros);
}

TEST(VaultProtectionTest, FormatFollowsTheCommandsAndTheFile) {
    StandInCrypto crypto;
    CountingRandom random;
    VaultProtection p(crypto, random);
    p.SetIterationsForTests(kStrongMinIterations);
    const CellStore table = KnownTable();
    auto image = [&](std::string_view password) { return ProtectedImage(p, crypto, random, table, password); };

    std::string old = image("pw");
    EXPECT_EQ(old, BuildVaultImage(table, "pw"));

    p.TurnOn("pw");
    EXPECT_TRUE(p.Strong());
    EXPECT_EQ(crypto.derivations, 1);
    std::string strong = image("pw");
    EXPECT_TRUE(IsStrongVault(strong));
    EXPECT_EQ(strong.substr(8, 4), Hex("a0860100"));
    const std::string firstSalt = strong.substr(12, 16);

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
    EXPECT_EQ(image("pw").substr(12, 16), firstSalt) << "saves keep the file's salt";

    // A new password: new salt, new key. A failure keeps the old key.
    p.PasswordChanged("pw2");
    EXPECT_EQ(crypto.derivations, 3);
    EXPECT_NE(image("pw2").substr(12, 16), firstSalt);
    const std::string before = image("pw2").substr(0, 28);
    crypto.failNext = true;
    EXPECT_THROW(p.PasswordChanged("pw3"), ECryptoError);
    EXPECT_EQ(image("pw2").substr(0, 28), before);

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
