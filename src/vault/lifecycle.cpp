#include "vault/lifecycle.h"

#include "core/resource_strings.h"
#include "core/secure_memory.h"

namespace velt {

VaultLifecycle::~VaultLifecycle() { WipeString(MasterPassword); }

namespace {
// Room for the longest password the prompt accepts, so that writing one into
// a working copy never moves it and leaves an unwiped copy behind in freed
// memory.
constexpr size_t kPasswordRoom = 256;
} // namespace

void VaultLifecycle::SetMasterPassword(const std::string& password) {
    WipeString(MasterPassword);
    MasterPassword.reserve(kPasswordRoom);
    MasterPassword = password;
}

void VaultLifecycle::StartUp() {
    ProgramDir = ExecutableDir();
    std::string entered;
    entered.reserve(kPasswordRoom);
    ScopedWipe wipe(entered);
    bool accepted = QueryPassword(ResStr(IDS_ENTER_THE_PASSWORD), ResStr(IDS_PASSWORD), entered,
                                  AsteriskPasswords);
    if (accepted && entered.size() >= kMinPasswordLength) {
        SetMasterPassword(entered);
        try {
            startingUp_ = true;
            const bool loaded = LoadChecked();
            startingUp_ = false;
            if (loaded) {
                RemoveSaveLeftovers();
                OfferConflictCopies();
            }
        } catch (const Exception& e) {
            startingUp_ = false;
            // First run: no file yet. The entered password keys the first save.
            vaultUnreadSinceStart_ = VaultFileExists();
            ReportError(e);
        }
    } else {
        Ask(Box::FrameworkErrorOk, ResStr(IDS_NEED_VALID_PASSWORD));
        Terminate();
    }
    LanguageStep();
}

void VaultLifecycle::Shown() { Modified = false; }

void VaultLifecycle::NoteStrong(bool strong) {
    strongThisRun_ = strong;
    RecordStrong(strong);
}

bool VaultLifecycle::LoadChecked() {
    // Replaced by an older copy, maybe by someone who read the password from it.
    const bool keepStrong = (strongThisRun_ || RecordedStrong()) && VaultFileCompatible();
    if (keepStrong && Ask(Box::WarningYesNo, ResStr(IDS_STRONG_DOWNGRADE)) != Answer::Yes) {
        if (startingUp_) Terminate();  // as a refused password
        return false;
    }
    bool read = false;
    try {
        read = ReadVault();
    } catch (const EVaultDamaged&) {
        // A file that is there but does not open is never saved over.
        vaultUnreadSinceStart_ = true;
        throw;
    }
    if (read) {
        vaultUnreadSinceStart_ = false;
        fileHoldsTable_ = true;
        if (keepStrong) Protection().TurnOn(MasterPassword);
        if (Protection().Strong()) NoteStrong(true);
        TableReplaced();
        return true;
    }
    Ask(Box::FrameworkErrorOk, ResStr(IDS_INCORRECT_PASSWORD));
    Terminate();
    return false;
}

bool VaultLifecycle::SaveChecked() {
    if (vaultUnreadSinceStart_ && VaultFileExists())
        throw EFileCreateError(FormatText(ResStr(IDS_VAULT_NOT_READ), {VaultPath()}));
    const bool other = VaultChangedElsewhere();
    if (other) {
        switch (Ask(Box::WarningMergeReplaceCancel, ResStr(IDS_VAULT_CHANGED_ELSEWHERE))) {
        case Answer::Merge:
            if (!MergeOtherVersion(VaultPath(), false)) return false;
            Saved();
            return true;
        case Answer::Yes: break;
        default: return false;
        }
    }
    savingOverOther_ = other;
    savingUnchanged_ = !other && !Modified && fileHoldsTable_;
    try {
        WriteVault();
    } catch (...) {
        savingOverOther_ = savingUnchanged_ = false;
        throw;
    }
    savingOverOther_ = savingUnchanged_ = false;
    Saved();
    return true;
}

void VaultLifecycle::Saved() {
    fileHoldsTable_ = true;
    if (Protection().Strong()) {
        NoteStrong(true);
        removeCompatible_ = false;
    }
}

void VaultLifecycle::OfferConflictCopies() {
    for (const std::string& name : ConflictCopies()) {
        // A merge saves: never over a version of the vault not yet read.
        if (VaultChangedElsewhere()) return;
        try {
            if (Ask(Box::ConfirmYesNo, FormatText(ResStr(IDS_CONFLICT_COPY_FOUND), {name})) != Answer::Yes) {
                ConflictCopyDeclined(name);
                continue;
            }
            if (!MergeOtherVersion(ProgramDir + name, true)) continue;
            Saved();
            ConflictCopyMerged(name);
        } catch (const Exception& e) {
            ReportError(e);
        }
    }
}

void VaultLifecycle::SaveCommand() {
    if (SaveChecked()) Modified = false;
}

void VaultLifecycle::ReopenCommand() {
    if (Modified) {
        switch (Ask(Box::FrameworkWarningYesNoCancel, ResStr(IDS_SAVE_CHANGES))) {
        case Answer::Yes:
            if (!SaveChecked()) return;
            break;
        case Answer::No: break;
        default: return;
        }
    }
    if (LoadChecked()) OfferConflictCopies();
}

void VaultLifecycle::ChangePasswordCommand() {
    std::string working;
    working.reserve(kPasswordRoom);
    working = MasterPassword;
    ScopedWipe wipe(working);
    bool asterisk = AsteriskPasswords;
    if (QueryPassword(ResStr(IDS_ENTER_THE_PASSWORD), ResStr(IDS_PASSWORD), working, asterisk)) {
        AsteriskPasswords = asterisk;
        // An empty key cannot encipher and a one-byte key leaves every byte as
        // it is: refuse both and keep the password the file was saved with.
        if (working.size() >= kMinPasswordLength) {
            // The new key first: if it cannot be made, the old password stays.
            Protection().PasswordChanged(working);
            SetMasterPassword(working);
            fileHoldsTable_ = false;
        } else
            Ask(Box::ErrorOk, ResStr(IDS_PASSWORD_TOO_SHORT));
    }
    RepaintGrid();
}

void VaultLifecycle::ClearCommand() {
    if (Ask(Box::FrameworkWarningYesNo, ResStr(IDS_CONFIRM_CLEAR)) != Answer::Yes) return;
    ResetTable();
    TableReplaced();
    Modified = true;
}

void VaultLifecycle::StrongCommand() {
    VaultProtection& protection = Protection();
    if (!protection.Strong()) {
        const std::vector<std::string> readable = CompatibleBackups();
        Answer answer;
        if (readable.empty()) {
            answer = Ask(Box::ConfirmYesNo, ResStr(IDS_STRONG_TURN_ON));
            if (answer != Answer::Yes) return;
        } else {
            std::string names;
            for (const std::string& name : readable) names += (names.empty() ? "" : "\r\n") + name;
            if (BackupsToKeep == 0) {
                // The first save deletes every backup: nothing to offer to keep.
                answer = Ask(Box::WarningYesNo, FormatText(ResStr(IDS_STRONG_TURN_ON_BACKUPS_GO), {names}));
                if (answer != Answer::Yes) return;
            } else {
                answer = Ask(Box::WarningYesNoCancel, FormatText(ResStr(IDS_STRONG_TURN_ON_BACKUPS), {names}));
                if (answer != Answer::Yes && answer != Answer::No) return;
            }
        }
        protection.TurnOn(MasterPassword);
        removeCompatible_ = !readable.empty() && answer == Answer::Yes;
    } else {
        if (Ask(Box::WarningYesNo, ResStr(IDS_STRONG_TURN_OFF)) != Answer::Yes) return;
        protection.TurnOff();
        NoteStrong(false);
        removeCompatible_ = false;
    }
    Modified = true;
}

bool VaultLifecycle::MayClose() {
    if (!Modified) return true;
    switch (Ask(Box::FrameworkWarningYesNoCancel, ResStr(IDS_SAVE_CHANGES))) {
    case Answer::Yes: return SaveChecked();
    case Answer::No: return true;
    default: return false;
    }
}

} // namespace velt
