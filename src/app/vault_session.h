// The open vault on Windows: the lifecycle's decisions with the real prompt,
// message boxes and files. It holds the protection and its key and reads and
// writes the table itself; the main window only shows what changed.
#pragma once
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "app/wait_cursor_crypto.h"
#include "vault/cell_store.h"
#include "vault/lifecycle.h"
#include "vault/row_merge.h"
#include "vault/settings.h"
#include "vault/vault_backup.h"
#include "vault/vault_protection.h"
#include "vault/vault_save.h"

namespace velt {

class VaultSession : public VaultLifecycle {
public:
    // Tests run windows side by side, each with its vault in its own folder
    // instead of beside the test program ("" restores the program's folder).
    static void SetProgramDirForTests(const std::string& dir);
    // Tests fail chosen steps of Save through these file operations (null
    // restores the real ones).
    using SaveOpsFactory = std::unique_ptr<SaveFileOps> (*)();
    static void SetSaveOpsForTests(SaveOpsFactory factory);

    bool StrongProtection() const noexcept { return protection_.Strong(); }
    // The strong vault's clock, random source and history length, for what an edit records.
    const VaultProtection& CurrentProtection() const noexcept { return protection_; }
    const Settings& CurrentSettings() const noexcept { return settings_; }

protected:
    VaultSession();
    // The table the vault is read into and saved from: the grid's store,
    // which exists only once the window has built its controls.
    void AttachTable(CellStore& table) { table_ = &table; }
    // velt.ini beside the program, read once before start-up.
    void ReadSettings();

    std::string ExecutableDir() override;
    bool QueryPassword(const std::string& caption, const std::string& prompt, std::string& password,
                       bool& asterisk) override;
    Answer Ask(Box box, const std::string& text) override;
    void WriteVault() override;
    bool ReadVault() override;
    bool VaultFileExists() override;
    bool VaultFileCompatible() override;
    void ResetTable() override;
    void RemoveSaveLeftovers() override;
    VaultProtection& Protection() override { return protection_; }
    bool VaultChangedElsewhere() override;
    bool RecordedStrong() override { return settings_.vaultStrong; }
    void RecordStrong(bool strong) override;
    std::vector<std::string> CompatibleBackups() override;
    bool MergeOtherVersion(const std::string& path, bool conflictCopy) override;
    std::vector<std::string> ConflictCopies() override;
    void ConflictCopyMerged(const std::string& name) override;
    void ConflictCopyDeclined(const std::string& name) override;

    Settings settings_;

private:
    // The numbers of the backups in the compatible format.
    std::vector<int> CompatibleBackupNumbers();
    // The table as the file now holds it: the row merge's baseline, and
    // whether its ids came from the file (version 3) and so match the
    // other computer's.
    void TableIsTheFile(bool idsFromFile);
    // Reads the other version into `theirs`, asking for its password when
    // the one in use does not open it; false when the user gave up.
    bool ReadOtherVersion(const std::string& path, CellStore& theirs, VaultProtection& reader);

    WaitCursorCrypto crypto_;
    VaultProtection protection_;
    CellStore* table_ = nullptr;
    VaultFileStamp stamp_;  // the file as last read or saved
    RowBaseline baseline_;  // its rows
    bool idsFromFile_ = false;
    // Conflict copies declined, by name, size and write time.
    std::set<std::string> declined_;
};

} // namespace velt
