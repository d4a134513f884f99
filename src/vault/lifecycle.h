// The open vault: the master password, the asterisk option, the program
// directory and the flag for unsaved changes, with the decisions of the File
// menu, the start-up unlock and the close prompt. The window supplies the
// dialogs, the file operations and the end of the program through the
// protected hooks, so every rule here runs without windows.
#pragma once
#include <string>
#include <vector>

#include "core/errors.h"
#include "vault/vault_protection.h"

namespace velt {

class VaultLifecycle {
public:
    // The Framework boxes are the messages Velt always had, whose captions
    // stay English; the others are captioned in the interface language.
    enum class Box {
        ErrorOk, WarningYesNoCancel, WarningYesNo, ConfirmYesNo,
        FrameworkErrorOk, FrameworkWarningYesNoCancel, FrameworkWarningYesNo,
        InformationOk,
        WarningMergeReplaceCancel  // Merge (the default), Replace (Yes) or Cancel
    };
    enum class Answer { Ok, Yes, No, Cancel, Merge };

    // Shortest master password accepted at start-up and by "Change password".
    static constexpr size_t kMinPasswordLength = 2;

    VaultLifecycle() = default;
    virtual ~VaultLifecycle();
    VaultLifecycle(const VaultLifecycle&) = delete;
    VaultLifecycle& operator=(const VaultLifecycle&) = delete;

    std::string MasterPassword;
    bool AsteriskPasswords = false;
    std::string ProgramDir;  // with a trailing separator
    bool Modified = false;
    // Backups Save keeps (0-9); the settings set it.
    int BackupsToKeep = 3;

    std::string VaultPath() const { return ProgramDir + "baza.pdb"; }
    // Replaces the master password, wiping the old one.
    void SetMasterPassword(const std::string& password);

protected:
    // The decisions, called by the window's handlers. Errors other than the
    // start-up open error leave through the caller to the error report.
    void StartUp();               // creation of the main window
    void Shown();                 // the window first shown
    void SaveCommand();           // "Save"
    void ReopenCommand();         // "Open/ Reopen"
    void ChangePasswordCommand(); // "Change password"
    void ClearCommand();          // "Clear database"
    void StrongCommand();         // "Strong encryption": ask, then turn it on or off
    bool MayClose();              // closing: true when the window may close
    void EditorChanged() { Modified = true; }
    // Load with the refusal of a wrong password; true when the table was
    // filled. A vault strong this run (or recorded so) that is now in the
    // compatible format is read only when the user agrees, and stays strong.
    bool LoadChecked();
    // Save, unless start-up met a vault file it could not read (held by
    // another program, say): saving then would replace the accounts in it with
    // the empty table on screen. Open/ Reopen lifts the guard once it loads.
    // A file another program changed since Velt read or saved it is merged
    // with the table (and the result saved), or replaced and then kept as a
    // backup, as the user answers. False when the user cancelled: nothing
    // was saved.
    bool SaveChecked();
    // Offers to merge each conflict copy a sync service left beside the
    // vault, one question each; a failure with one copy is reported and the
    // next is offered. Nothing is offered while the vault file holds a
    // version not yet read (the merge saves over it).
    void OfferConflictCopies();
    // True while the save in progress replaces another program's version.
    bool SavingOverOtherVersion() const noexcept { return savingOverOther_; }
    // True while the save in progress writes the table as the file already
    // holds it (nothing edited, the password unchanged): no new backup.
    bool SavingUnchanged() const noexcept { return savingUnchanged_; }
    // True from a Yes to deleting the compatible backups until the first
    // strong save.
    bool RemovingCompatibleBackups() const noexcept { return removeCompatible_; }

    // What the window supplies.
    virtual std::string ExecutableDir() = 0;
    virtual bool QueryPassword(const std::string& caption, const std::string& prompt,
                               std::string& password, bool& asterisk) = 0;
    virtual Answer Ask(Box box, const std::string& text) = 0;
    virtual void WriteVault() = 0;   // Save: the table under MasterPassword
    virtual bool ReadVault() = 0;    // Load: false when the check value differs
    virtual bool VaultFileExists() = 0;
    virtual void ResetTable() = 0;   // one empty row numbered 1
    virtual void TableReplaced() = 0; // after a load or a reset
    virtual void RepaintGrid() = 0;
    virtual void Terminate() = 0;    // ask the program to end
    virtual void ReportError(const Exception& e) = 0;
    virtual void LanguageStep() = 0;
    // After start-up has read the vault: remove what interrupted saves left.
    virtual void RemoveSaveLeftovers() {}
    // Whether the vault file is no longer the version last read or saved.
    virtual bool VaultChangedElsewhere() { return false; }
    // Which format Save writes; ReadVault sets it from the file.
    virtual VaultProtection& Protection() = 0;
    // True when the file is there, can be opened, and is not strong.
    virtual bool VaultFileCompatible() { return false; }
    // A record kept beyond this run that this folder's vault is strong:
    // nothing is recorded unless a window supplies one.
    virtual bool RecordedStrong() { return false; }
    virtual void RecordStrong(bool /*strong*/) {}
    // The names of the backups beside the vault in the compatible format.
    virtual std::vector<std::string> CompatibleBackups() { return {}; }
    // Reads the other version at `path` (the vault itself, or a conflict
    // copy), merges it into the table, saves the result and shows what the
    // merge did. False when the user gave up (the other version's password
    // not given): nothing changed. A failure changes neither file nor table.
    virtual bool MergeOtherVersion(const std::string& /*path*/, bool /*conflictCopy*/) { return false; }
    // The conflict copies beside the vault not declined since they last
    // changed (bare names).
    virtual std::vector<std::string> ConflictCopies() { return {}; }
    // A copy merged in goes to a backup name; a declined one is not offered
    // again until it changes.
    virtual void ConflictCopyMerged(const std::string& /*name*/) {}
    virtual void ConflictCopyDeclined(const std::string& /*name*/) {}

private:
    // Noted whenever a strong vault is read or saved; cleared by unticking.
    void NoteStrong(bool strong);
    // The file now holds the table.
    void Saved();

    bool vaultUnreadSinceStart_ = false;
    bool savingOverOther_ = false;
    bool savingUnchanged_ = false;
    bool fileHoldsTable_ = false;  // the file as last read or saved, same password
    bool removeCompatible_ = false;
    bool strongThisRun_ = false;
    bool startingUp_ = false;
};

} // namespace velt
