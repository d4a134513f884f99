// The strong format through the real CNG under Wine and the real file
// layer: the known answer both ways, round trips, changed bits, cut files.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "vault/cng_crypto_win.h"
#include "support/folder_listing_win.h"
#include "support/known_vault.h"
#include "support/stand_in_crypto.h"
#include "vault/vault_file.h"
#include "vault/vault_protection.h"

namespace velt {
namespace {

using test::Hex;
using test::KnownTable;
using test::SameCells;
const char* const kPassword = test::kKnownPassword;
const std::string kKnownAnswer = Hex(test::kKnownAnswerHex);
const std::string kKnownAnswerV3 = Hex(test::kKnownAnswerV3Hex);
const std::string kKnownAnswerV1 = Hex(test::kKnownAnswerV1Hex);

class StrongVaultWin : public testing::Test {
protected:
    void SetUp() override {
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        dir_ = std::string(temp) + "velt_strong_" + std::to_string(GetCurrentProcessId()) + "_" +
               testing::UnitTest::GetInstance()->current_test_info()->name();
        CreateDirectoryA(dir_.c_str(), nullptr);
        char full[MAX_PATH];
        GetFullPathNameA((dir_ + "\\baza.pdb").c_str(), MAX_PATH, full, nullptr);
        path_ = full;
        // The known answer's salt, then its nonce, then counting bytes.
        random_.script = Hex(test::kKnownSaltV3Hex) + Hex(test::kKnownNonceHex);
        protection_.SetKdfForTests(kCheap);
    }
    void TearDown() override {
        for (const std::string& name : test::FolderListing(dir_)) DeleteFileA((dir_ + "\\" + name).c_str());
        RemoveDirectoryA(dir_.c_str());
    }
    std::string ReadAll() const {
        std::ifstream in(path_, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    void WriteAll(const std::string& bytes) const { std::ofstream(path_, std::ios::binary) << bytes; }
    void Save(const CellStore& table, const char* password = kPassword) {
        auto ops = MakeWindowsSaveOps();
        CellStore copy = table;
        protection_.Save(*ops, path_, copy, password);
    }
    // Loads with a fresh protection, as a program that starts.
    std::string Outcome(const char* password = kPassword, CellStore* into = nullptr) {
        CngCrypto crypto;
        test::CountingRandom random;
        VaultProtection fresh(crypto, random);
        CellStore keep;
        keep.SetCell(1, 1, "keep");
        CellStore& table = into ? *into : keep;
        try {
            const VaultLoadResult r = LoadVaultFile(path_, password, table, fresh);
            if (r == VaultLoadResult::Loaded) return fresh.Strong() ? "strong" : "old";
            return table.Cell(1, 1) == "keep" || into ? "incorrect" : "incorrect, table changed";
        } catch (const EVaultDamaged& e) {
            const std::string file = "The database file \"" + path_ + "\" is damaged ";
            if (e.what() == file + "or was written by a newer version of Velt.") return "damaged";
            if (std::string(e.what()).find("more than Velt") != std::string::npos) return "refused";
            return e.what() == file + "or has been changed. Velt will not save over it." ? "tampered" : e.what();
        }
    }

    static inline const StrongKdf kCheap = StrongKdf::Argon2id(1, 64, 1);
    std::string dir_, path_;
    CngCrypto crypto_;
    test::CountingRandom random_;
    VaultProtection protection_{crypto_, random_};
};

TEST_F(StrongVaultWin, KnownAnswersReadAndSavedAsVersion3) {
    // Every version reads, and its next save is version 3 with the same rows:
    // under the same key for version 3, a new one of today's cost otherwise.
    struct Case {
        const char* name;
        const std::string& file;
    } cases[] = {{"version 3", kKnownAnswerV3}, {"version 2", kKnownAnswer}, {"version 1", kKnownAnswerV1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteAll(c.file);
        CellStore read;
        EXPECT_EQ(Outcome(kPassword, &read), "strong");
        EXPECT_TRUE(SameCells(read, KnownTable()));
        VaultProtection reader(crypto_, random_);
        reader.SetKdfForTests(kCheap);
        ASSERT_EQ(LoadVaultFile(path_, kPassword, read, reader), VaultLoadResult::Loaded);
        auto ops = MakeWindowsSaveOps();
        reader.Save(*ops, path_, read, kPassword);
        const std::string saved = ReadAll();
        EXPECT_EQ(saved.substr(0, 20), kKnownAnswerV3.substr(0, 20));
        EXPECT_EQ(saved.substr(20, 16) == kKnownAnswerV3.substr(20, 16), c.file == kKnownAnswerV3);
        CellStore back;
        EXPECT_EQ(Outcome(kPassword, &back), "strong");
        EXPECT_TRUE(SameCells(back, KnownTable()));
        EXPECT_EQ(PasswordHistory(back, 1).size(), c.file == kKnownAnswerV3 ? 2u : 0u);
        EXPECT_TRUE(HasEntryId(back, 1) && HasEntryId(back, 2));
    }
}

TEST_F(StrongVaultWin, KnownAnswerThroughThePrimitives) {
    CngCrypto crypto;
    struct Case {
        const char* saltHex;
        StrongKdf kdf;
        CellStore table;
        const std::string& file;
    } cases[] = {{test::kKnownSaltV3Hex, kCheap, test::KnownTableV3(), kKnownAnswerV3},
                 {test::kKnownSaltHex, StrongKdf::Pbkdf2(100000), KnownTable(), kKnownAnswer}};
    for (const Case& c : cases) {
        StrongKey key;
        const std::string salt = Hex(c.saltHex);
        key.Derive(crypto, kPassword, reinterpret_cast<const unsigned char*>(salt.data()), c.kdf);
        test::CountingRandom nonce;
        nonce.script = Hex(test::kKnownNonceHex);
        EXPECT_EQ(BuildStrongImage(c.table, key, crypto, nonce), c.file);
    }

    // PBKDF2-HMAC-SHA256's published vector: "password", "salt", one round.
    unsigned char out[kStrongKeySize];
    crypto.DeriveKey("password", reinterpret_cast<const unsigned char*>("salt"), 4, 1, out);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(out), 32),
              Hex("120fb6cffcf8b32c43e7225256c4f837a86548c92ccc35480805987cb70be17b"));
    // Argon2id at 64 MiB in four lanes on Windows threads, as Debian's argon2
    // command makes it.
    crypto.DeriveArgon2id("password", reinterpret_cast<const unsigned char*>("somesalt"), 8, 2, 65536, 4, out);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(out), 32),
              Hex("1a9677b0afe81fda7b548895e7a1bfeb8668ffc19a530e37e088a668fab1c02a"));
}

TEST_F(StrongVaultWin, RoundTripsAtTheLimits) {
    CellStore none;
    none.SetRowCount(1);
    CellStore full;
    full.SetRowCount(kVaultMaxEntries + 1);
    for (int r = 1; r <= kVaultMaxEntries; ++r) {
        full.SetCell(0, r, std::to_string(r));
        for (int c = 1; c <= 5; ++c) {
            std::string text(255, '\0');
            for (size_t i = 0; i < text.size(); ++i) text[i] = static_cast<char>(0x80 + (r + c + i) % 128);
            full.SetCell(c, r, text);
        }
    }
    CellStore one;
    one.SetCell(0, 1, "1");
    for (int c = 1; c <= 5; ++c) one.SetCell(c, 1, full.Cell(c, kVaultMaxEntries));
    protection_.TurnOn(kPassword);
    for (const CellStore* table : {&none, &one, &full, &none}) {
        Save(*table);
        CellStore loaded;
        EXPECT_EQ(Outcome(kPassword, &loaded), "strong");
        EXPECT_TRUE(SameCells(loaded, *table)) << table->EntryCount();
    }
    EXPECT_EQ(ReadAll().size(), kStrongHeaderSizeV3 + 8 + kStrongTagSize);
}

TEST_F(StrongVaultWin, ChangedBitsAreRefusedAndLeaveTheFile) {
    // Every bit of ciphertext and tag (the header's are the host tests'):
    // version 2 says damaged with the right password, version 1 cannot.
    {
        CngCrypto crypto;
        StrongKey key;
        const std::string salt = Hex(test::kKnownSaltHex);
        key.Derive(crypto, kPassword, reinterpret_cast<const unsigned char*>(salt.data()), StrongKdf::Pbkdf2(100000));
        StrongKey argon;
        const std::string saltV3 = Hex(test::kKnownSaltV3Hex);
        argon.Derive(crypto, kPassword, reinterpret_cast<const unsigned char*>(saltV3.data()), kCheap);
        for (size_t bit = kStrongHeaderSizeV3 * 8; bit < kKnownAnswerV3.size() * 8; bit += 3) {
            std::string file = kKnownAnswerV3;
            file[bit / 8] = static_cast<char>(file[bit / 8] ^ (1 << (bit % 8)));
            CellStore t;
            EXPECT_THROW(LoadStrongImage(file, kPassword, crypto, argon, t, path_), EVaultTampered) << "bit " << bit;
        }
        for (size_t bit = kStrongHeaderSize * 8; bit < kKnownAnswer.size() * 8; ++bit) {
            std::string file = kKnownAnswer;
            file[bit / 8] = static_cast<char>(file[bit / 8] ^ (1 << (bit % 8)));
            CellStore t;
            EXPECT_THROW(LoadStrongImage(file, kPassword, crypto, key, t, path_), EVaultTampered) << "bit " << bit;
        }
        for (size_t bit = kStrongHeaderSizeV1 * 8; bit < kKnownAnswerV1.size() * 8; bit += 7) {
            std::string file = kKnownAnswerV1;
            file[bit / 8] = static_cast<char>(file[bit / 8] ^ (1 << (bit % 8)));
            CellStore t;
            EXPECT_EQ(LoadStrongImage(file, kPassword, crypto, key, t, path_), VaultLoadResult::IncorrectPassword)
                << "bit " << bit;
        }
    }
    struct Case {
        const char* name;
        std::string file;
        const char* right;
        const char* wrong;
    } cases[] = {
        {"as written", kKnownAnswer, "strong", "incorrect"},
        {"version 1", kKnownAnswerV1, "strong", "incorrect"},
        // The header is authenticated by the real GCM too.
        {"version 3", std::string(kKnownAnswer).replace(4, 1, "\x03"), "damaged", "damaged"},
        {"100,001 iterations", std::string(kKnownAnswer).replace(8, 4, Hex("a1860100")), "incorrect", "incorrect"},
        {"salt", std::string(kKnownAnswer).replace(20, 1, "x"), "incorrect", "incorrect"},
        {"nonce", std::string(kKnownAnswer).replace(30, 1, "x"), "tampered", "incorrect"},
        {"key check", std::string(kKnownAnswer).replace(45, 1, "x"), "incorrect", "incorrect"},
        {"magic", std::string(kKnownAnswer).replace(3, 1, "3"), "incorrect", "incorrect"},  // the old format
        {"a byte more", kKnownAnswer + "x", "tampered", "incorrect"},
        {"cut to 75 bytes", kKnownAnswer.substr(0, 75), "tampered", "incorrect"},
        {"cut to 55 bytes", kKnownAnswer.substr(0, 55), "damaged", "damaged"},
        {"version 1 cut to 59 bytes", kKnownAnswerV1.substr(0, 59), "damaged", "damaged"},
        {"version 3", kKnownAnswerV3, "strong", "incorrect"},
        {"version 3, two passes", std::string(kKnownAnswerV3).replace(8, 1, "\x02"), "incorrect", "incorrect"},
        {"version 3, nonce", std::string(kKnownAnswerV3).replace(40, 1, "x"), "tampered", "incorrect"},
        {"version 3, a key of 2 GiB", std::string(kKnownAnswerV3).replace(12, 4, Hex("00002000")), "refused", "refused"},
        {"version 3 cut to 63 bytes", kKnownAnswerV3.substr(0, 63), "damaged", "damaged"},
    };
    for (const Case& c : cases) {
        WriteAll(c.file);
        EXPECT_EQ(Outcome(), c.right) << c.name;
        EXPECT_EQ(Outcome("correct horsE"), c.wrong) << c.name;
        EXPECT_EQ(ReadAll(), c.file) << c.name;
    }
    // Over 256 MiB: refused by its size, unread.
    WriteAll(kKnownAnswerV3);
    HANDLE h = CreateFileA(path_.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    LARGE_INTEGER end;
    end.QuadPart = kStrongMaxFileSizeV3 + 1;
    EXPECT_TRUE(SetFilePointerEx(h, end, nullptr, FILE_BEGIN) && SetEndOfFile(h));
    CloseHandle(h);
    EXPECT_EQ(Outcome(), "refused");
}

TEST_F(StrongVaultWin, UntickedSavesTheOldFormatAgain) {
    protection_.TurnOn(kPassword);
    Save(KnownTable());
    EXPECT_EQ(Outcome(), "strong");
    protection_.TurnOff();
    Save(KnownTable());
    EXPECT_EQ(ReadAll(), BuildVaultImage(KnownTable(), kPassword));
    EXPECT_EQ(Outcome(), "old");
}

} // namespace
} // namespace velt
