#include "vault/vault_save.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "core/errors.h"
#include "vault/byte_simd.h"
#include "vault/save_retry.h"
#include "vault/vault_backup.h"
#include "vault/vault_format.h"

namespace velt {
namespace {

// A save killed at that moment.
struct Killed {};

// Files in memory; operation number failAt (1-based) fails, and so do the
// steps named failStep after the first failSkip of them, failTimes times;
// at operation dieAt the program is killed.
class FakeFiles final : public SaveFileOps {
public:
    std::map<std::string, std::string> files;
    int failAt = 0, failSkip = 0, failTimes = 0, dieAt = 0;
    std::string failStep;
    bool shortWrite = false;  // the failing write stores half its bytes
    bool keepMovesAway = false;  // a failing keep leaves the target as the backup
    unsigned long failError = 0;  // the system error of each failure
    bool readOnly = false;  // every file
    std::vector<std::string> log;

    std::string FullPath(const std::string& path) override { return "C:\\velt\\" + path; }
    FileOpStatus CheckReplaceable(const std::string&) override { return Step("check"); }
    FileOpStatus CreateTemp(const std::string& target, std::string& tempPath) override {
        return Then(Step("create"), [&] { files[tempPath = open_ = target + ".tmp"]; });
    }
    FileOpStatus Write(const char* data, size_t size) override {
        FileOpStatus st = Step("write");
        if (st.ok || shortWrite) files[open_].append(data, st.ok ? size : size / 2);
        return st;
    }
    FileOpStatus Flush() override { return Step("flush"); }
    FileOpStatus Close() override { return Then(Step("close"), [&] { open_.clear(); }); }
    FileOpStatus Replace(const std::string& temp, const std::string& target) override {
        return Then(Step("replace"), [&] { Move(temp, target); });
    }
    void Discard(const std::string& temp) noexcept override {
        log.push_back("discard");
        open_.clear();
        files.erase(temp);
    }
    bool Exists(const std::string& path) override { return files.count(path) != 0; }
    bool ReadOnly(const std::string& path) override { return readOnly && Exists(path); }
    FileOpStatus Rename(const std::string& from, const std::string& to) override {
        FileOpStatus st = Step("rename");
        if (st.ok && files.count(to)) return FileOpStatus::Fail(to + " exists.");
        return Then(st, [&] { Move(from, to); });
    }
    FileOpStatus Delete(const std::string& path) override { return Then(Step("delete"), [&] { files.erase(path); }); }
    FileOpStatus ReplaceKeeping(const std::string& temp, const std::string& target, const std::string& backup) override {
        FileOpStatus st = Step("keep");
        if (!st.ok && keepMovesAway) Move(target, backup);
        return Then(st, [&] { Move(target, backup); Move(temp, target); });
    }

private:
    template <class F> static FileOpStatus Then(FileOpStatus st, F onSuccess) {
        if (st.ok) onSuccess();
        return st;
    }
    void Move(const std::string& from, const std::string& to) {
        files[to] = files[from];
        files.erase(from);
    }
    FileOpStatus Step(const char* name) {
        log.push_back(name);
        if (static_cast<int>(log.size()) == dieAt) throw Killed{};
        const bool named = name == failStep && failTimes > 0 && failSkip-- <= 0;
        if (named) --failTimes;
        if (named || static_cast<int>(log.size()) == failAt)
            return FileOpStatus::Fail(std::string("Reason of ") + name + ".", failError);
        return FileOpStatus::Ok();
    }
    std::string open_;
};

const char kTarget[] = "C:\\velt\\baza.pdb";

CellStore SomeTable() {
    CellStore t;
    t.SetRowCount(3);
    t.SetCell(1, 1, "Bank");
    t.SetCell(4, 2, "pass");
    return t;
}

const std::string kCannotCreate = "Cannot create file \"C:\\velt\\baza.pdb\". Reason of ";

// Runs a save that must fail and compares the message it gives.
template <class Save> void ExpectCreateError(Save save, const std::string& message, const std::string& at) {
    try {
        save();
        ADD_FAILURE() << at << ": the save did not fail";
    } catch (const EFileCreateError& e) {
        EXPECT_EQ(std::string(e.what()), message) << at;
    }
}

// A table beyond one piece goes out in runs of records, never whole.
TEST(SaveVault, WritesTheImageInPiecesThenReplaces) {
    CellStore large;
    large.SetRowCount(kVaultChunkRecords * 2 + 10 + 1);
    large.SetCell(4, kVaultChunkRecords + 3, "secret");
    const struct {
        CellStore table;
        int writes;
    } rows[] = {{SomeTable(), 2}, {large, 4}};
    for (const auto& row : rows) {
        FakeFiles fs;
        fs.files[kTarget] = "old vault";
        SaveVaultWith(fs, "baza.pdb", row.table, "pw");
        std::vector<std::string> steps{"check", "create"};
        steps.insert(steps.end(), row.writes, "write");
        steps.insert(steps.end(), {"flush", "close", "replace"});
        EXPECT_EQ(fs.log, steps) << row.writes << " writes";
        EXPECT_EQ(fs.files, (std::map<std::string, std::string>{{kTarget, BuildVaultImage(row.table, "pw")}}))
            << row.writes << " writes";
    }
}

// Whichever step fails, the old file stays as it was and no temporary file
// is left behind.
TEST(SaveVault, AFailureAtAnyStepKeepsTheOldFile) {
    const char* steps[] = {"check", "create", "write", "write", "flush", "close", "replace"};
    for (bool shortWrite : {false, true}) {
        for (int n = 1; n <= 7; ++n) {
            const std::string at = "step " + std::to_string(n);
            FakeFiles fs;
            fs.files[kTarget] = "old vault";
            fs.failAt = n;
            fs.shortWrite = shortWrite;
            ExpectCreateError([&] { SaveVaultWith(fs, "baza.pdb", SomeTable(), "pw"); },
                              kCannotCreate + steps[n - 1] + ".", at);
            EXPECT_EQ(fs.files, (std::map<std::string, std::string>{{kTarget, "old vault"}})) << at;
            EXPECT_EQ(fs.log.back(), n <= 2 ? steps[n - 1] : "discard") << at;
        }
    }
}

TEST(SaveVault, TooManyEntriesTouchesNoFile) {
    FakeFiles fs;
    fs.files[kTarget] = "old vault";
    CellStore t;
    t.SetRowCount(65537);
    EXPECT_THROW(SaveVaultWith(fs, "baza.pdb", t, "pw"), ETooManyEntries);
    EXPECT_TRUE(fs.log.empty());
    EXPECT_EQ(fs.files[kTarget], "old vault");
}

// Several saves under each number of backups: .n.bak holds the version n
// saves back, none beyond `keep`; a version Velt never showed is kept even
// with backups off.
TEST(SaveVault, BackupsShiftUpAndTheOldestFallsOff) {
    struct Row { int keep; bool keepReplaced; int saves; };
    const auto Replaced = [](bool keep) { return keep ? ReplacedVault::Keep : ReplacedVault::Backup; };
    const Row rows[] = {{0, false, 4}, {1, false, 4}, {3, false, 2}, {3, false, 6}, {9, false, 12},
                        {0, true, 3},  {2, true, 5}};
    for (const Row& row : rows) {
        FakeFiles fs;
        for (int v = 1; v <= row.saves; ++v) {
            BackupSaveOps ops(fs, row.keep, Replaced(row.keepReplaced));
            SaveVaultImage(ops, "baza.pdb", "version " + std::to_string(v));
        }
        const std::string at = "keep " + std::to_string(row.keep) + ", " + std::to_string(row.saves) + " saves";
        EXPECT_EQ(fs.files[kTarget], "version " + std::to_string(row.saves)) << at;
        const int kept = std::max(row.keep, row.keepReplaced ? 1 : 0);
        for (int n = 1; n <= kMaxBackups + 1; ++n) {
            const std::string name = BackupName(kTarget, n);
            if (n <= kept && n < row.saves)
                EXPECT_EQ(fs.files[name], "version " + std::to_string(row.saves - n)) << at << ", " << name;
            else
                EXPECT_EQ(fs.files.count(name), 0u) << at << ", " << name;
        }
        EXPECT_EQ(fs.files.size(), 1u + std::min(kept, row.saves - 1)) << at;
    }
}

// The vault "b0" and backups .1 … .have holding "b1" … .
void Populate(FakeFiles& fs, int have) {
    fs.files[kTarget] = "b0";
    for (int n = 1; n <= have; ++n) fs.files[BackupName(kTarget, n)] = "b" + std::to_string(n);
}

// "<vault> <.1> <.2> …" up to the last backup there, "-" for a missing
// one; any other file after "+".
std::string Layout(FakeFiles& fs) {
    std::string out = fs.files.count(kTarget) ? fs.files[kTarget] : "-";
    size_t shown = fs.files.count(kTarget);
    for (int n = 1; n <= kMaxBackups + 1; ++n) {
        const bool there = fs.files.count(BackupName(kTarget, n)) != 0;
        out += " " + (there ? fs.files[BackupName(kTarget, n)] : "-");
        shown += there;
    }
    while (out.size() > 2 && out.compare(out.size() - 2, 2, " -") == 0) out.resize(out.size() - 2);
    return shown == fs.files.size() ? out : out + " +";
}

// Backups above Keep go at each save; a save of the same table, or one that
// makes a compatible vault strong, keeps no copy of the file it replaces.
TEST(SaveVault, WhatASaveKeeps) {
    struct Row {
        const char* name;
        int keep;
        ReplacedVault replaced;
        int have;
        std::vector<int> remove;
        const char* after;
        bool deleteFails = false;  // and is reported
    };
    const Row rows[] = {
        {"keep 3", 3, ReplacedVault::Backup, 3, {}, "new b0 b1 b2"},
        {"keep lowered", 1, ReplacedVault::Backup, 5, {}, "new b0"},
        {"keep 0", 0, ReplacedVault::Backup, 4, {}, "new"},
        {"a spare left by a cut save", 9, ReplacedVault::Backup, 10, {}, "new b0 b1 b2 b3 b4 b5 b6 b7 b8"},
        {"unchanged", 3, ReplacedVault::Drop, 5, {}, "new b1 b2 b3"},
        {"strong, No", 3, ReplacedVault::Drop, 2, {}, "new b1 b2"},
        {"strong, Yes", 3, ReplacedVault::Drop, 2, {1, 2}, "new"},
        {"strong, keep 0", 0, ReplacedVault::Drop, 2, {1, 2}, "new"},
        {"strong over strong, Yes", 3, ReplacedVault::Backup, 2, {2}, "new b0 b1"},
        {"another program's version, keep 0", 0, ReplacedVault::Keep, 2, {}, "new b0"},
        {"a backup that cannot be deleted", 1, ReplacedVault::Backup, 2, {}, "new b0 b1", true},
    };
    for (const Row& row : rows) {
        FakeFiles fs;
        Populate(fs, row.have);
        fs.failStep = "delete";
        fs.failTimes = row.deleteFails;
        BackupSaveOps ops(fs, row.keep, row.replaced, row.remove);
        SaveVaultImage(ops, "baza.pdb", "new");
        EXPECT_EQ(Layout(fs), row.after) << row.name;
        EXPECT_EQ(ops.NotRemoved().size(), row.deleteFails ? 1u : 0u) << row.name;
    }
}

// A save that fails, however often, leaves every file as it was; the first
// that succeeds moves them up by one.
TEST(SaveVault, AFailedSaveCostsNoBackup) {
    struct Row {
        int keep;
        const char* step;
        int skip;  // steps of that name that pass first
        int failures;
    };
    const Row rows[] = {{1, "keep", 0, 1},   {3, "keep", 0, 2},   {9, "keep", 0, 3},
                        {3, "rename", 0, 1}, {3, "rename", 1, 2}, {9, "rename", 7, 1}};
    for (const Row& row : rows) {
        const std::string at = "keep " + std::to_string(row.keep) + ", " + row.step + " " + std::to_string(row.skip);
        FakeFiles fs;
        Populate(fs, row.keep);
        const std::string before = Layout(fs);
        for (int n = 0; n < row.failures; ++n) {
            fs.failStep = row.step;
            fs.failSkip = row.skip;
            fs.failTimes = 1;
            BackupSaveOps ops(fs, row.keep, ReplacedVault::Backup);
            ExpectCreateError([&] { SaveVaultImage(ops, "baza.pdb", "new"); }, kCannotCreate + row.step + ".", at);
            EXPECT_EQ(Layout(fs), before) << at;
        }
        BackupSaveOps ops(fs, row.keep, ReplacedVault::Backup);
        SaveVaultImage(ops, "baza.pdb", "new");
        std::string shifted = "new b0";
        for (int n = 1; n < row.keep; ++n) shifted += " b" + std::to_string(n);
        EXPECT_EQ(Layout(fs), shifted) << at;
    }

    // An undo renames nothing onto a taken name, and the vault's own name
    // comes first: a failed undo stops there and names both files. A replace
    // that left the vault as .1.bak is not tried again; putting it back is,
    // past a scanner that holds .1.bak for a moment.
    const std::string notBack = " could not be given its name back and is now \"C:\\velt\\baza.pdb.";
    const struct {
        const char* name;
        bool movedAway;  // the replace failed after moving the vault to .1.bak
        int failAt;      // the undo's rename that fails
        const char* after;
        std::string also;
        unsigned long error = 0;  // of each failure; 32 is tried again
    } undos[] = {
        {"vault moved away, put back", true, 0, "b0 b1 b2 b3", ""},
        {"a backup's undo fails", false, 10, "b0 - b1 b2 b3",
         " The backup \"C:\\velt\\baza.pdb.1.bak\"" + notBack + "2.bak\": Reason of rename."},
        {"vault moved away, its put-back fails", true, 10, "- b0 b1 b2 b3",
         " The database \"C:\\velt\\baza.pdb\"" + notBack + "1.bak\": Reason of rename."},
        {"vault moved away, its put-back held for a moment", true, 10, "b0 b1 b2 b3", "", 32},
    };
    for (const auto& row : undos) {
        FakeFiles fs;
        Populate(fs, 3);
        fs.failStep = "keep";
        fs.failTimes = 1;
        fs.keepMovesAway = row.movedAway;
        fs.failAt = row.failAt;
        fs.failError = row.error;
        int pauses = 0;
        RetryingSaveOps retrying(fs, [&](int) { ++pauses; });
        BackupSaveOps ops(retrying, 3, ReplacedVault::Backup);
        ExpectCreateError([&] { SaveVaultImage(ops, "baza.pdb", "new"); }, kCannotCreate + "keep." + row.also, row.name);
        EXPECT_EQ(Layout(fs), row.after) << row.name;
        EXPECT_EQ(pauses, row.error ? 1 : 0) << row.name;
    }
}

// Lays out the vault and backups .1 … .10 from "<vault> <.1> …", "-" for none.
void Place(FakeFiles& fs, const std::string& layout) {
    fs.files.clear();
    size_t at = 0;
    for (int n = 0; at < layout.size(); ++n) {
        const size_t end = std::min(layout.find(' ', at), layout.size());
        const std::string content = layout.substr(at, end - at);
        if (content != "-") fs.files[n ? BackupName(kTarget, n) : kTarget] = content;
        at = end + 1;
    }
}

// A save killed while it moves the backups up is finished by the next one:
// Keep backups remain, each with its own content, and a save that fails
// from such a state moves nothing for good.
TEST(SaveVault, ASaveCutShortCostsNoBackup) {
    const struct {
        int keep;
        const char* before;
        int dieAt;  // 0: the layout a save cut short left, as before
        const char* after;
    } rows[] = {
        {3, "b0 b1 b2 b3", 6, "new b0 b1 b2"},       {3, "b0 b1 b2 b3", 7, "new b0 b1 b2"},
        {3, "b0 b1 b2 b3", 8, "new b0 b1 b2"},       {3, "b0 b1 b2 b3", 9, "new b0 b1 b2"},
        {3, "b0 b1 b2 b3", 10, "new cut b0 b1"},     {3, "b0 b1 b2", 7, "new b0 b1 b2"},
        {9, "b0 b1 b2 b3 b4 b5 b6 b7 b8 b9", 12, "new b0 b1 b2 b3 b4 b5 b6 b7 b8"},
        {3, "b0 b1 - b2 - - - - - - b3", 0, "new b0 b1 b2"},
        {9, "b0 b1 b2 - - - - - - - b3", 0, "new b0 b1 b2 b3"},  // Keep raised since
        {9, "b0 b1 b2 b3 b4 b5 b6 b7 - b8 b9", 0, "new b0 b1 b2 b3 b4 b5 b6 b7 b8"},
        {9, "b0 b1 b2 b3 b4 b5 b6 b7 b8 b9 b10", 0, "new b0 b1 b2 b3 b4 b5 b6 b7 b8"},
    };
    for (const auto& row : rows) {
        const std::string at = std::string(row.before) + ", killed at " + std::to_string(row.dieAt);
        FakeFiles fs;
        Place(fs, row.before);
        if (row.dieAt) {
            fs.dieAt = row.dieAt;
            BackupSaveOps cut(fs, row.keep, ReplacedVault::Backup);
            EXPECT_THROW(SaveVaultImage(cut, "baza.pdb", "cut"), Killed) << at;
            fs.files.erase(std::string(kTarget) + ".tmp");  // start-up's tidying
            fs.dieAt = 0;
        }
        const std::string cutShort = Layout(fs);
        fs.failStep = "keep";
        fs.failTimes = 1;
        BackupSaveOps failing(fs, row.keep, ReplacedVault::Backup);
        EXPECT_THROW(SaveVaultImage(failing, "baza.pdb", "new"), EFileCreateError) << at;
        const std::string failed = Layout(fs);
        BackupSaveOps ops(fs, row.keep, ReplacedVault::Backup);
        SaveVaultImage(ops, "baza.pdb", "new");
        EXPECT_EQ(Layout(fs), row.after) << at << ", cut short: " << cutShort << ", failed: " << failed;
    }
}

// A file held for a moment (a sync client, a scanner) is tried again up to
// five times, a little later each time; any other failure, and access denied
// on a read-only file, is final at once.
TEST(SaveVault, ABriefLockIsRiddenOut) {
    const struct {
        const char* step;
        unsigned long error;
        bool readOnly;
        int failures;
        bool saved;
    } rows[] = {
        {"rename", 32, false, 1, true},   {"rename", 33, false, 5, true},   {"rename", 32, false, 6, false},
        {"keep", 1175, false, 2, true},   {"keep", 1176, false, 5, true},   {"keep", 5, false, 3, true},
        {"keep", 5, true, 1, false},      {"keep", 112, false, 1, false},   {"replace", 32, false, 4, true},
        {"replace", 5, true, 1, false},   {"rename", 183, false, 1, false}, {"replace", 1176, false, 6, false},
    };
    for (const auto& row : rows) {
        const std::string at = std::string(row.step) + " " + std::to_string(row.error) + " x" +
                               std::to_string(row.failures) + (row.readOnly ? ", read-only" : "");
        FakeFiles fs;
        Populate(fs, 3);
        fs.failStep = row.step;
        fs.failTimes = row.failures;
        fs.failError = row.error;
        fs.readOnly = row.readOnly;
        std::vector<int> waits;
        RetryingSaveOps retrying(fs, [&](int ms) { waits.push_back(ms); });
        const bool replace = std::string(row.step) == "replace";  // no backups: one plain replace
        BackupSaveOps ops(retrying, replace ? 0 : 3, ReplacedVault::Backup);
        if (row.saved) {
            SaveVaultImage(ops, "baza.pdb", "new");
            EXPECT_EQ(Layout(fs), replace ? "new" : "new b0 b1 b2") << at;
        } else {
            EXPECT_THROW(SaveVaultImage(ops, "baza.pdb", "new"), EFileCreateError) << at;
            EXPECT_EQ(Layout(fs), "b0 b1 b2 b3") << at;
        }
        const bool held = HeldForAMoment(row.error, row.readOnly);
        const std::vector<int> pauses{50, 100, 150, 200, 200};
        EXPECT_EQ(waits, std::vector<int>(pauses.begin(), pauses.begin() + (held ? std::min(row.failures, 5) : 0)))
            << at;
    }
}

// Another version is noticed by size, then write time, then bytes; the
// bytes are read only when size and time cannot tell.
TEST(SaveVault, StampTellsAnotherVersion) {
    std::string bytes = "IMDF and a few records, not a multiple of eight";
    for (int i = 0; i < 50; ++i) bytes += static_cast<char>(i * 37);  // over one step of the hash
    StampHasher whole, pieces;
    whole.Add(bytes.data(), bytes.size());
    for (size_t at = 0, n = 1; at < bytes.size(); at += n, ++n) pieces.Add(&bytes[at], std::min(n, bytes.size() - at));
    ASSERT_EQ(whole.Value(), pieces.Value());
    for (const bool sse2 : {false, true}) {  // both ways of hashing give one value
        simd::AllowSse2(sse2);
        StampHasher again;
        again.Add(bytes.data(), bytes.size());
        EXPECT_EQ(again.Value(), whole.Value()) << sse2;
    }
    std::string firstStep = bytes;
    firstStep[5] ^= 1;
    StampHasher changedEarly;
    changedEarly.Add(firstStep.data(), firstStep.size());
    EXPECT_NE(changedEarly.Value(), whole.Value());
    StampHasher shorter;
    shorter.Add(bytes.data(), bytes.size() - 1);
    EXPECT_NE(shorter.Value(), whole.Value());
    std::string lastByte = bytes;
    lastByte.back() ^= 1;
    StampHasher other;
    other.Add(lastByte.data(), lastByte.size());
    EXPECT_NE(other.Value(), whole.Value()) << "the last partial block counts";

    const VaultFileStamp known{true, 100, 7, whole.Value()};
    struct Row {
        const char* name;
        VaultFileStamp now;
        std::uint64_t hashNow;
        bool changed;
        bool hashed;
    } rows[] = {
        {"same size and time", {true, 100, 7, 0}, 1, false, false},
        {"gone", {false, 0, 0, 0}, 1, false, false},
        {"other size", {true, 101, 7, 0}, 1, true, false},
        {"rewritten with the same bytes", {true, 100, 8, 0}, whole.Value(), false, true},
        {"same size, other bytes", {true, 100, 8, 0}, shorter.Value(), true, true},
    };
    for (const Row& r : rows) {
        bool hashed = false;
        EXPECT_EQ(StampChanged(known, r.now, [&] { hashed = true; return r.hashNow; }), r.changed) << r.name;
        EXPECT_EQ(hashed, r.hashed) << r.name;
    }
    EXPECT_TRUE(StampChanged(VaultFileStamp{}, VaultFileStamp{true, 1, 1, 0}, [] { return 0ull; }));
}

} // namespace
} // namespace velt
