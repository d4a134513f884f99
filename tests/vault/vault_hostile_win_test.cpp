// Save and Load on real files under Wine against another process that holds
// the vault, and at the format's limits: 65,535 entry rows save and reload
// exactly, 65,536 are refused with the file untouched, and an oversized
// field keeps its first 255 bytes.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "support/vault_files_win.h"
#include "platform/system_error.h"
#include "core/errors.h"
#include "support/folder_listing_win.h"
#include "support/other_process_win.h"
#include "vault/table_helpers.h"
#include "vault/vault_file.h"

namespace velt {
namespace {

using test::OtherProcess;

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string Full(const std::string& path) {
    char buf[MAX_PATH];
    GetFullPathNameA(path.c_str(), MAX_PATH, buf, nullptr);
    return buf;
}

CellStore Table(int rows, const std::string& tag) {
    CellStore t;
    t.SetRowCount(rows + 1);
    for (int r = 1; r <= rows; ++r) {
        t.SetCell(0, r, std::to_string(r));
        t.SetCell(1, r, tag + " " + std::to_string(r));
        t.SetCell(2, r, "https://example.org/" + std::to_string(r % 977));
        t.SetCell(3, r, "login\xB3" + std::to_string(r * 31));
        t.SetCell(4, r, std::string(1 + r % 40, static_cast<char>('!' + r % 90)));
        t.SetCell(5, r, r % 1000 == 0 ? std::string(255, static_cast<char>(0x80 + r % 100)) : "");
    }
    return t;
}

class VaultHostile : public testing::Test {
protected:
    void SetUp() override {
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        base_ = std::string(temp) + "velt_hostile_" + std::to_string(GetCurrentProcessId()) + "_" +
                testing::UnitTest::GetInstance()->current_test_info()->name();
        CreateDirectoryA(base_.c_str(), nullptr);
    }
    void TearDown() override { RemoveTree(base_); }

    // A fresh directory for one case.
    std::string Dir(const std::string& name) {
        std::string dir = base_ + "\\" + name;
        CreateDirectoryA(dir.c_str(), nullptr);
        return dir;
    }

    static std::vector<std::string> Listing(const std::string& dir) { return test::FolderListing(dir); }

    static void RemoveTree(const std::string& dir) {
        for (const std::string& name : Listing(dir)) {
            const std::string p = dir + "\\" + name;
            SetFileAttributesA(p.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (!DeleteFileA(p.c_str())) RemoveTree(p);
        }
        RemoveDirectoryA(dir.c_str());
    }

    std::string base_;
};

TEST_F(VaultHostile, SaveAndLoadAgainstAnotherProcess) {
    struct Case {
        const char* mode;
        DWORD saveReason;  // why Save is refused
        DWORD loadReason;  // why Load is refused; 0: it loads
        bool holds;        // the hold ends with the process
    } cases[] = {
        {"reader-denying-writers", ERROR_SHARING_VIOLATION, 0, true},
        {"writer", ERROR_SHARING_VIOLATION, ERROR_SHARING_VIOLATION, true},
        {"exclusive", ERROR_SHARING_VIOLATION, ERROR_SHARING_VIOLATION, true},
        {"read-only", ERROR_ACCESS_DENIED, 0, false},
        {"directory", ERROR_ACCESS_DENIED, ERROR_ACCESS_DENIED, false},
    };
    const CellStore old = Table(3, "old"), edited = Table(5, "edited");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        const std::string dir = Dir(c.mode), path = dir + "\\baza.pdb";
        if (std::string(c.mode) != "directory") SaveVault(path, old, "master");
        const std::string before = ReadAll(path);
        OtherProcess other(c.mode, path);
        ASSERT_EQ(other.Reply(), "ready");
        const std::vector<std::string> listing = Listing(dir);

        try {
            SaveVault(path, edited, "master");
            ADD_FAILURE() << "Save succeeded";
        } catch (const EFileCreateError& e) {
            EXPECT_EQ(std::string(e.what()),
                      "Cannot create file \"" + Full(path) + "\". " + platform::SystemErrorReason(c.saveReason));
        }
        EXPECT_EQ(Listing(dir), listing) << "a temporary file was left behind";

        CellStore loaded;
        loaded.SetCell(1, 1, "unsaved");
        if (c.loadReason) {
            try {
                LoadVault(path, "master", loaded);
                ADD_FAILURE() << "Load succeeded";
            } catch (const EFileOpenError& e) {
                EXPECT_EQ(std::string(e.what()),
                          "Cannot open file \"" + Full(path) + "\". " + platform::SystemErrorReason(c.loadReason));
            }
            EXPECT_EQ(loaded.RowCount(), 2);
            EXPECT_EQ(loaded.Cell(1, 1), "unsaved");
        } else {
            ASSERT_EQ(LoadVault(path, "master", loaded), VaultLoadResult::Loaded);
            EXPECT_EQ(test::RowsOf(loaded), test::RowsOf(old));
        }

        other.Release();
        EXPECT_TRUE(ReadAll(path) == before) << "the vault changed";  // an exclusive holder lets no one read
        if (c.holds) {
            SaveVault(path, edited, "master");
            ASSERT_EQ(LoadVault(path, "master", loaded), VaultLoadResult::Loaded);
            EXPECT_EQ(test::RowsOf(loaded), test::RowsOf(edited));
        }
    }
}

TEST_F(VaultHostile, The65535thRowSavesAndThe65536thIsRefused) {
    const std::string path = Dir("limit") + "\\baza.pdb";
    CellStore full = Table(kVaultMaxEntries, "row");
    SaveVault(path, full, "master");
    const std::string saved = ReadAll(path);
    ASSERT_EQ(saved.size(), 12u + 1280u * 65535u);
    EXPECT_EQ(saved.substr(10, 2), "\xFF\xFF");

    CellStore loaded;
    ASSERT_EQ(LoadVault(path, "master", loaded), VaultLoadResult::Loaded);
    ASSERT_EQ(loaded.RowCount(), 65536);
    for (int r = 1; r <= kVaultMaxEntries; ++r) {
        if (loaded.RowCells(r) != full.RowCells(r)) {
            ADD_FAILURE() << "row " << r << " differs";
            break;
        }
    }

    full.SetRowCount(65537);
    full.SetCell(1, 65536, "one too many");
    try {
        SaveVault(path, full, "master");
        ADD_FAILURE() << "65536 rows were saved";
    } catch (const ETooManyEntries& e) {
        EXPECT_STREQ(e.what(), "The database can hold at most 65535 entries; this table has 65536. Nothing was saved.");
    }
    EXPECT_TRUE(ReadAll(path) == saved) << "the vault changed";
    EXPECT_EQ(Listing(base_ + "\\limit"), std::vector<std::string>{"baza.pdb"});
}

TEST_F(VaultHostile, AFieldOf10000CharactersKeepsItsFirst255Bytes) {
    const std::string path = Dir("long") + "\\baza.pdb";
    std::string longText;
    for (int i = 0; i < 10000; ++i) longText += static_cast<char>(i % 7 == 0 ? '\xEA' : 'a' + i % 26);
    CellStore t;
    for (int c = 1; c < CellStore::kColumns; ++c) t.SetCell(c, 1, longText.substr(c, 10000 - c));
    SaveVault(path, t, "a master password");
    EXPECT_EQ(ReadAll(path).size(), 12u + 1280u);

    CellStore loaded;
    ASSERT_EQ(LoadVault(path, "a master password", loaded), VaultLoadResult::Loaded);
    ASSERT_EQ(loaded.RowCount(), 2);
    for (int c = 1; c < CellStore::kColumns; ++c) EXPECT_EQ(loaded.Cell(c, 1), longText.substr(c, 255)) << c;
}

} // namespace
} // namespace velt
