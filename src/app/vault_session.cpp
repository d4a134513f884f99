#include "app/vault_session.h"

#include <windows.h>

#include "app/settings_command.h"
#include "core/resource_strings.h"
#include "platform/handle.h"
#include "platform/system_random.h"
#include "toolkit/dialogs.h"
#include "ui/password_query.h"
#include "vault/save_leftovers.h"
#include "vault/save_retry.h"
#include "vault/table_ops.h"
#include "vault/vault_file.h"

namespace velt {

namespace {

std::string& ProgramDirForTests() {
    static std::string dir;
    return dir;
}

VaultSession::SaveOpsFactory& SaveOps() {
    static VaultSession::SaveOpsFactory factory = &MakeWindowsSaveOps;
    return factory;
}

} // namespace

VaultSession::VaultSession() : protection_(crypto_, platform::SystemRandom()) {}

void VaultSession::SetProgramDirForTests(const std::string& dir) { ProgramDirForTests() = dir; }

void VaultSession::SetSaveOpsForTests(SaveOpsFactory factory) {
    SaveOps() = factory ? factory : &MakeWindowsSaveOps;
}

std::string VaultSession::ExecutableDir() {
    if (!ProgramDirForTests().empty()) return ProgramDirForTests();
    char path[MAX_PATH * 2];
    DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
    std::string p(path, n);
    size_t slash = p.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : p.substr(0, slash + 1);
}

bool VaultSession::QueryPassword(const std::string& caption, const std::string& prompt, std::string& password,
                                 bool& asterisk) {
    return PasswordQuery(caption, prompt, password, asterisk);
}

VaultLifecycle::Answer VaultSession::Ask(Box box, const std::string& text) {
    TModalResult r;
    const TMsgDlgCaption whose = box == Box::FrameworkErrorOk || box == Box::FrameworkWarningYesNo ||
                                         box == Box::FrameworkWarningYesNoCancel
                                     ? TMsgDlgCaption::Framework
                                     : TMsgDlgCaption::Own;
    switch (box) {
    case Box::ErrorOk:
    case Box::FrameworkErrorOk:
        MessageDlg(text, TMsgDlgType::mtError, TMsgDlgButtons::mbOK, whose);
        return Answer::Ok;
    case Box::WarningYesNo:
    case Box::FrameworkWarningYesNo:
        r = MessageDlg(text, TMsgDlgType::mtWarning, TMsgDlgButtons::mbYesNo, whose);
        break;
    case Box::ConfirmYesNo:
        r = MessageDlg(text, TMsgDlgType::mtConfirmation, TMsgDlgButtons::mbYesNo, whose);
        break;
    case Box::InformationOk:
        MessageDlg(text, TMsgDlgType::mtInformation, TMsgDlgButtons::mbOK, whose);
        return Answer::Ok;
    case Box::WarningMergeReplaceCancel:
        switch (MessageDlgChoice(text, TMsgDlgType::mtWarning,
                                 {ResStr(IDS_BTN_MERGE), ResStr(IDS_BTN_REPLACE),
                                  ResStrInContext(kOwnDialogs, IDS_BTN_CANCEL)})) {
        case 0: return Answer::Merge;
        case 1: return Answer::Yes;
        default: return Answer::Cancel;
        }
    default:
        r = MessageDlg(text, TMsgDlgType::mtWarning, TMsgDlgButtons::mbYesNoCancel, whose);
        break;
    }
    return r == mrYes ? Answer::Yes : r == mrNo ? Answer::No : Answer::Cancel;
}

void VaultSession::WriteVault() {
    std::unique_ptr<SaveFileOps> ops = SaveOps()();
    RetryingSaveOps retrying(*ops, [](int milliseconds) { Sleep(static_cast<DWORD>(milliseconds)); });
    StampingSaveOps stamping(retrying);
    ReplacedVault replaced = ReplacedVault::Backup;
    if (SavingOverOtherVersion())
        replaced = ReplacedVault::Keep;
    else if (SavingUnchanged() || (protection_.Strong() && VaultFileCompatible()))
        replaced = ReplacedVault::Drop;  // no backup of the same table, nor a readable one
    BackupSaveOps backups(stamping, BackupsToKeep, replaced,
                          RemovingCompatibleBackups() ? CompatibleBackupNumbers() : std::vector<int>{});
    protection_.Save(backups, VaultPath(), *table_, MasterPassword);
    stamp_ = ReadVaultFileStamp(VaultPath(), false);
    stamp_.hash = stamping.WrittenHash();
    TableIsTheFile(protection_.Strong());
    if (!backups.NotRemoved().empty()) {
        std::string list;
        for (const std::string& line : backups.NotRemoved()) list += (list.empty() ? "" : "\r\n") + line;
        Ask(Box::ErrorOk, FormatText(ResStr(IDS_BACKUPS_NOT_REMOVED), {list}));
    }
}

bool VaultSession::ReadVault() {
    VaultFileStamp read;
    if (LoadVaultFile(VaultPath(), MasterPassword, *table_, protection_, &read) != VaultLoadResult::Loaded)
        return false;
    stamp_ = read;
    TableIsTheFile(protection_.Strong() && protection_.Key().Kdf().kind == kStrongKdfArgon2id);
    return true;
}

void VaultSession::TableIsTheFile(bool idsFromFile) {
    baseline_.Take(*table_, platform::SystemRandom());
    idsFromFile_ = idsFromFile;
}

bool VaultSession::VaultChangedElsewhere() {
    const std::string path = VaultPath();
    return StampChanged(stamp_, ReadVaultFileStamp(path, false),
                        [&path] { return ReadVaultFileStamp(path, true).hash; });
}

bool VaultSession::VaultFileExists() { return GetFileAttributesA(VaultPath().c_str()) != INVALID_FILE_ATTRIBUTES; }

namespace {

// True when the file is there, can be opened, and is not strong.
bool FileCompatible(const std::string& path) {
    platform::UniqueHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;  // the read that follows reports why
    char magic[sizeof kStrongMagic] = {};
    DWORD got = 0;
    if (!ReadFile(file.Get(), magic, sizeof magic, &got, nullptr)) return false;
    return !IsStrongVault(std::string_view(magic, got));
}

} // namespace

bool VaultSession::VaultFileCompatible() { return FileCompatible(VaultPath()); }

std::vector<int> VaultSession::CompatibleBackupNumbers() {
    std::vector<int> numbers;
    for (int n = 1; n <= kMaxBackups; ++n)
        if (FileCompatible(BackupName(VaultPath(), n))) numbers.push_back(n);
    return numbers;
}

std::vector<std::string> VaultSession::CompatibleBackups() {
    std::vector<std::string> names;
    for (int n : CompatibleBackupNumbers()) names.push_back(BackupName("baza.pdb", n));
    return names;
}

void VaultSession::ResetTable() {
    if (!protection_.Strong()) {
        ClearTable(*table_);
        return;
    }
    // The entries that go are remembered, and the empty one left is new.
    const std::int64_t now = protection_.Time().UnixNow();
    for (int r = 1; r < table_->RowCount(); ++r) RecordDeletion(*table_, r, now);
    ClearTable(*table_);
    StampNewEntry(*table_, 1, protection_.Random(), now);
}

void VaultSession::RemoveSaveLeftovers() { velt::RemoveSaveLeftovers(VaultPath()); }

void VaultSession::ReadSettings() {
    settings_ = ReadSettingsFile(SettingsPath(ExecutableDir()));
    BackupsToKeep = settings_.keep;
    declined_.insert(settings_.declinedCopies.begin(), settings_.declinedCopies.end());
    protection_.SetHistoryKeep(settings_.historyKeep);
}

void VaultSession::RecordStrong(bool strong) {
    if (settings_.vaultStrong == strong) return;
    settings_.vaultStrong = strong;
    try {
        WriteSettings(*MakeWindowsSaveOps(), SettingsPath(ProgramDir), settings_);
    } catch (const Exception&) {
        // A folder that takes no velt.ini: the record holds for this run.
    }
}

} // namespace velt
