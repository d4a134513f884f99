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
        random_.script = Hex(test::kKnownSaltHex) + Hex(test::kKnownNonceHex);
        protection_.SetIterationsForTests(kStrongMinIterations);
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
        protection_.Save(*ops, path_, table, password);
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
            return e.what() == file + "or has been changed. Velt will not save over it." ? "tampered" : e.what();
        }
    }

    std::string dir_, path_;
    CngCrypto crypto_;
    test::CountingRandom random_;
    VaultProtection protection_{crypto_, random_};
};

TEST_F(StrongVaultWin, KnownAnswerWrittenAndRead) {
    protection_.TurnOn(kPassword);
    Save(KnownTable());
    EXPECT_EQ(ReadAll(), kKnownAnswer);
    EXPECT_EQ(test::FolderListing(dir_), std::vector<std::string>{"baza.pdb"});

    CellStore loaded;
    EXPECT_EQ(Outcome(kPassword, &loaded), "strong");
    EXPECT_TRUE(SameCells(loaded, KnownTable()));

    // Version 1 reads as before and becomes version 2 at the next save,
    // under the same key: only the nonce is new.
    WriteAll(kKnownAnswerV1);
    CellStore v1;
    EXPECT_EQ(Outcome(kPassword, &v1), "strong");
    EXPECT_TRUE(SameCells(v1, KnownTable()));
    VaultProtection reader(crypto_, random_);
    reader.SetIterationsForTests(kStrongMinIterations);
    ASSERT_EQ(LoadVaultFile(path_, kPassword, v1, reader), VaultLoadResult::Loaded);
    random_.script = Hex(test::kKnownNonceHex);
    auto ops = MakeWindowsSaveOps();
    reader.Save(*ops, path_, v1, kPassword);
    EXPECT_EQ(ReadAll(), kKnownAnswer);
}

TEST_F(StrongVaultWin, KnownAnswerThroughThePrimitives) {
    CngCrypto crypto;
    StrongKey key;
    const std::string salt = Hex(test::kKnownSaltHex);
    key.Derive(crypto, kPassword, reinterpret_cast<const unsigned char*>(salt.data()), 100000);
    test::CountingRandom nonce;
    nonce.script = Hex(test::kKnownNonceHex);
    EXPECT_EQ(BuildStrongImage(KnownTable(), key, crypto, nonce), kKnownAnswer);

    // PBKDF2-HMAC-SHA256's published vector: "password", "salt", one round.
    unsigned char out[kStrongKeySize];
    crypto.DeriveKey("password", reinterpret_cast<const unsigned char*>("salt"), 4, 1, out);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(out), 32),
              Hex("120fb6cffcf8b32c43e7225256c4f837a86548c92ccc35480805987cb70be17b"));
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
    EXPECT_EQ(ReadAll().size(), kStrongMinFileSize);
}

TEST_F(StrongVaultWin, ChangedBitsAreRefusedAndLeaveTheFile) {
    // Every bit of ciphertext and tag (the header's are the host tests'):
    // version 2 says damaged with the right password, version 1 cannot.
    {
        CngCrypto crypto;
        StrongKey key;
        const std::string salt = Hex(test::kKnownSaltHex);
        key.Derive(crypto, kPassword, reinterpret_cast<const unsigned char*>(salt.data()), 100000);
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
    };
    for (const Case& c : cases) {
        WriteAll(c.file);
        EXPECT_EQ(Outcome(), c.right) << c.name;
        EXPECT_EQ(Outcome("correct horsE"), c.wrong) << c.name;
        EXPECT_EQ(ReadAll(), c.file) << c.name;
    }
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
