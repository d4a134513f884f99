// Save and Load on real files under Wine: the old vault survives every
// failure, and locked, read-only or missing places fail with clear messages.
#include "support/vault_files_win.h"
#include "platform/system_error.h"
#include "vault/save_retry.h"
#include "vault/vault_backup.h"
#include "vault/vault_file.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <memory>

#include "core/errors.h"
#include "support/failing_save_ops_win.h"
#include "support/folder_listing_win.h"
#include "support/other_process_win.h"
#include "vault/table_helpers.h"

namespace velt {
namespace {

class Handle {
public:
    explicit Handle(HANDLE h) : h_(h) {}
    ~Handle() {
        if (h_ != INVALID_HANDLE_VALUE) CloseHandle(h_);
    }
    bool Valid() const { return h_ != INVALID_HANDLE_VALUE; }

private:
    HANDLE h_;
};

class VaultFile : public testing::Test {
protected:
    void SetUp() override {
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        dir_ = std::string(temp) + "velt_vault_" + std::to_string(GetCurrentProcessId()) + "_" +
               testing::UnitTest::GetInstance()->current_test_info()->name();
        CreateDirectoryA(dir_.c_str(), nullptr);
        path_ = dir_ + "\\baza.pdb";
    }
    void TearDown() override {
        SetFileAttributesA(path_.c_str(), FILE_ATTRIBUTE_NORMAL);
        for (const std::string& name : Listing()) {
            const std::string p = dir_ + "\\" + name;
            if (!DeleteFileA(p.c_str())) RemoveDirectoryA(p.c_str());
        }
        RemoveDirectoryA(dir_.c_str());
    }

    std::vector<std::string> Listing() const { return test::FolderListing(dir_); }

    static std::string ReadAll(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    static void WriteAll(const std::string& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary) << bytes;
    }

    static CellStore Sample() {
        CellStore t;
        t.SetRowCount(3);
        t.SetCell(0, 1, "1");
        t.SetCell(1, 1, "Bank");
        t.SetCell(4, 1, "S3cret\xB3");
        t.SetCell(0, 2, "2");
        t.SetCell(5, 2, std::string(300, 'd'));
        return t;
    }

    std::string Full(const std::string& path) const {
        char buf[MAX_PATH];
        GetFullPathNameA(path.c_str(), MAX_PATH, buf, nullptr);
        return buf;
    }

    // Save must fail with the create message naming the file, leave the old
    // bytes and no temporary file.
    void ExpectSaveRefused(const std::string& reasonIfKnown = "") {
        const std::string before = ReadAll(path_);
        const std::vector<std::string> listing = Listing();
        try {
            SaveVault(path_, Sample(), "pw");
            ADD_FAILURE() << "save succeeded";
        } catch (const EFileCreateError& e) {
            const std::string prefix = "Cannot create file \"" + Full(path_) + "\". ";
            const std::string msg = e.what();
            EXPECT_EQ(msg.substr(0, prefix.size()), prefix) << msg;
            EXPECT_GT(msg.size(), prefix.size()) << "a reason follows";
            EXPECT_NE(msg.back(), '\n');
            if (!reasonIfKnown.empty()) {
                EXPECT_EQ(msg.substr(prefix.size()), reasonIfKnown);
            }
        }
        EXPECT_TRUE(ReadAll(path_) == before) << "the old file changed";
        EXPECT_EQ(Listing(), listing);
    }

    std::string dir_;
    std::string path_;
};

TEST_F(VaultFile, SaveThenLoadRoundTrips) {
    WriteAll(path_, std::string(5000, 'o'));  // a longer old file is replaced whole
    SaveVault(path_, Sample(), "pw");
    EXPECT_EQ(ReadAll(path_), BuildVaultImage(Sample(), "pw"));
    EXPECT_EQ(Listing(), std::vector<std::string>{"baza.pdb"});

    CellStore loaded;
    ASSERT_EQ(LoadVault(path_, "pw", loaded), VaultLoadResult::Loaded);
    CellStore expected = Sample();
    expected.SetCell(5, 2, expected.Cell(5, 2).substr(0, 255));
    EXPECT_EQ(test::RowsOf(loaded), test::RowsOf(expected));
}

TEST_F(VaultFile, LoadRefusesAWrongPasswordWithoutTouchingTheTable) {
    SaveVault(path_, Sample(), "pw");
    CellStore t;
    t.SetCell(1, 1, "keep");
    EXPECT_EQ(LoadVault(path_, "pX", t), VaultLoadResult::IncorrectPassword);
    EXPECT_EQ(t.RowCount(), 2);
    EXPECT_EQ(t.Cell(1, 1), "keep");
}

TEST_F(VaultFile, LoadReportsWhyTheFileCannotBeOpened) {
    CreateDirectoryA((dir_ + "\\dir.pdb").c_str(), nullptr);
    WriteAll(dir_ + "\\busy.pdb", "x");
    Handle writer(CreateFileA((dir_ + "\\busy.pdb").c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(writer.Valid());
    struct Case {
        std::string path;
        DWORD code;
    } cases[] = {
        {dir_ + "\\baza.pdb", ERROR_FILE_NOT_FOUND},
        {dir_ + "\\missing\\baza.pdb", ERROR_PATH_NOT_FOUND},
        {dir_ + "\\dir.pdb", ERROR_ACCESS_DENIED},
        {dir_ + "\\busy.pdb", ERROR_SHARING_VIOLATION},  // someone is writing it
    };
    for (const Case& c : cases) {
        CellStore t;
        t.SetCell(1, 1, "keep");
        try {
            LoadVault(c.path, "pw", t);
            ADD_FAILURE() << c.path;
        } catch (const EFileOpenError& e) {
            EXPECT_EQ(std::string(e.what()),
                      "Cannot open file \"" + Full(c.path) + "\". " + platform::SystemErrorReason(c.code));
        }
        EXPECT_EQ(t.Cell(1, 1), "keep");
    }
    const std::string reason = platform::SystemErrorReason(ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(reason.empty());
    EXPECT_NE(reason.back(), '\n');
    EXPECT_NE(reason.back(), '\r');
}

TEST_F(VaultFile, SaveRefusesAFileHeldOpenElsewhere) {
    SaveVault(path_, Sample(), "old");
    // A reader that denies writers, as Load does; then one that shares
    // writing but not deletion, which Windows would not let us replace.
    for (DWORD share : {DWORD(FILE_SHARE_READ), DWORD(FILE_SHARE_READ | FILE_SHARE_WRITE)}) {
        Handle other(CreateFileA(path_.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(other.Valid());
        ExpectSaveRefused(platform::SystemErrorReason(ERROR_SHARING_VIOLATION));
        CellStore t;
        EXPECT_EQ(LoadVault(path_, "old", t), VaultLoadResult::Loaded) << "readers may share it";

        // Without the up-front check, the replace step itself refuses too.
        auto ops = MakeWindowsSaveOps();
        std::string temp;
        ASSERT_TRUE(ops->CreateTemp(Full(path_), temp).ok);
        ASSERT_TRUE(ops->Write("new", 3).ok && ops->Close().ok);
        EXPECT_FALSE(ops->Replace(temp, Full(path_)).ok);
        ops->Discard(temp);
        EXPECT_EQ(Listing(), std::vector<std::string>{"baza.pdb"});
    }
}

TEST_F(VaultFile, SaveRefusesAReadOnlyFile) {
    SaveVault(path_, Sample(), "old");
    ASSERT_TRUE(SetFileAttributesA(path_.c_str(), FILE_ATTRIBUTE_READONLY));
    ExpectSaveRefused(platform::SystemErrorReason(ERROR_ACCESS_DENIED));
    CellStore t;
    EXPECT_EQ(LoadVault(path_, "old", t), VaultLoadResult::Loaded);
}

TEST_F(VaultFile, SaveRefusesAMissingDirectoryOrADirectoryInPlaceOfTheFile) {
    const std::string missing = dir_ + "\\missing\\baza.pdb";
    EXPECT_THROW(SaveVault(missing, Sample(), "pw"), EFileCreateError);
    EXPECT_EQ(GetFileAttributesA((dir_ + "\\missing").c_str()), INVALID_FILE_ATTRIBUTES);

    ASSERT_TRUE(CreateDirectoryA(path_.c_str(), nullptr));
    ExpectSaveRefused();
    EXPECT_EQ(Listing(), std::vector<std::string>{"baza.pdb"});
}

// The real operations, with step n failing instead of running.
struct FailingOps {
    explicit FailingOps(int failAt) : ops(failAt, steps) {}
    int steps = 0;
    test::StepFailingSaveOps ops;
};

// Without backups, and with three backups there to move up: whichever step
// fails, the vault and every backup are as they were and no temporary file
// is left. Then the real steps run and everything moves up by one.
TEST_F(VaultFile, AFailureAtAnySaveStepKeepsEveryFile) {
    struct Case {
        int keep;
        int steps;
    };
    const std::vector<std::string> backupsBefore = {"newest", "older", "oldest"};
    for (const Case& c : {Case{0, 7}, Case{3, 10}}) {
        SaveVault(path_, Sample(), "old");
        const std::string old = ReadAll(path_);
        auto freshBackups = [&] {
            for (int k = 1; k <= kMaxBackups + 1; ++k) DeleteFileA(BackupName(path_, k).c_str());
            if (!c.keep) return;
            for (int k = 1; k <= 3; ++k) WriteAll(BackupName(path_, k), backupsBefore[k - 1]);
        };
        auto contents = [&] {
            std::vector<std::string> all;
            for (const std::string& name : Listing()) all.push_back(name + "=" + ReadAll(dir_ + "\\" + name));
            std::sort(all.begin(), all.end());
            return all;
        };
        CellStore bigger = Sample();
        bigger.SetRowCount(50);
        freshBackups();
        const std::vector<std::string> before = contents();
        for (int n = 1; n <= c.steps; ++n) {
            freshBackups();
            FailingOps ops(n);
            BackupSaveOps backups(ops.ops, c.keep, ReplacedVault::Backup);
            try {
                SaveVaultWith(backups, path_, bigger, "new");
                ADD_FAILURE() << "step " << n;
            } catch (const EFileCreateError& e) {
                EXPECT_EQ(std::string(e.what()), "Cannot create file \"" + Full(path_) + "\". " +
                                                     platform::SystemErrorReason(ERROR_DISK_FULL));
            }
            EXPECT_GE(ops.steps, n);
            EXPECT_EQ(contents(), before) << "step " << n;
        }
        freshBackups();
        FailingOps none(0);
        BackupSaveOps backups(none.ops, c.keep, ReplacedVault::Backup);
        SaveVaultWith(backups, path_, bigger, "new");
        EXPECT_EQ(none.steps, c.steps);
        EXPECT_EQ(ReadAll(path_), BuildVaultImage(bigger, "new"));
        if (c.keep) {
            EXPECT_EQ(ReadAll(BackupName(path_, 1)), old);
            EXPECT_EQ(ReadAll(BackupName(path_, 2)), "newest");
            EXPECT_EQ(ReadAll(BackupName(path_, 3)), "older");
        }
        EXPECT_EQ(Listing().size(), 1u + c.keep);
    }
}

// Another program (a virus scanner, a sync tool) opens the vault just as it
// is replaced: the replace is tried again, and while it stays held each
// save fails and leaves every file as it was; a save during which it lets
// go moves them up by one.
TEST_F(VaultFile, AVaultHeldAtTheReplaceCostsNoBackup) {
    class HeldAtReplace final : public ForwardingSaveOps {
    public:
        using ForwardingSaveOps::ForwardingSaveOps;
        FileOpStatus ReplaceKeeping(const std::string& temp, const std::string& target,
                                    const std::string& backup) override {
            if (armed_) {
                armed_ = false;
                scanner_ = std::make_unique<test::OtherProcess>("reader-denying-writers", target);
                EXPECT_EQ(scanner_->Reply(), "ready");
            }
            return inner_.ReplaceKeeping(temp, target, backup);
        }
        void Arm() { armed_ = true; }
        void LetGo() { scanner_.reset(); }

    private:
        bool armed_ = false;  // takes hold at the next replace
        std::unique_ptr<test::OtherProcess> scanner_;
    };
    WriteAll(path_, "v4");
    for (int k = 1; k <= 3; ++k) WriteAll(BackupName(path_, k), "v" + std::to_string(4 - k));
    auto real = MakeWindowsSaveOps();
    HeldAtReplace held(*real);
    for (int attempt = 1; attempt <= 2; ++attempt) {
        int pauses = 0;
        held.Arm();
        RetryingSaveOps retrying(held, [&](int) { ++pauses; });
        BackupSaveOps backups(retrying, 3, ReplacedVault::Backup);
        EXPECT_THROW(SaveVaultImage(backups, path_, "v5"), EFileCreateError) << attempt;
        EXPECT_EQ(pauses, RetryingSaveOps::kRetries) << attempt;
        held.LetGo();
        EXPECT_EQ(Listing().size(), 4u) << attempt;
        for (int k = 0; k <= 3; ++k)
            EXPECT_EQ(ReadAll(k ? BackupName(path_, k) : path_), "v" + std::to_string(4 - k)) << attempt;
    }
    int pauses = 0;
    held.Arm();
    RetryingSaveOps retrying(held, [&](int) {
        if (++pauses == 2) held.LetGo();
    });
    BackupSaveOps backups(retrying, 3, ReplacedVault::Backup);
    SaveVaultImage(backups, path_, "v5");
    EXPECT_EQ(pauses, 2);
    EXPECT_EQ(Listing().size(), 4u);
    for (int k = 0; k <= 3; ++k) EXPECT_EQ(ReadAll(k ? BackupName(path_, k) : path_), "v" + std::to_string(5 - k));
}

} // namespace
} // namespace velt
