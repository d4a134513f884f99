// The open vault's merge of another version: the vault file another program
// changed, or a conflict copy a sync service left beside it.
#include <windows.h>

#include <algorithm>
#include <utility>

#include "app/vault_session.h"
#include "core/resource_strings.h"
#include "core/secure_memory.h"
#include "platform/system_random.h"
#include "vault/conflict_copies.h"
#include "app/settings_command.h"
#include "vault/id_merge.h"
#include "vault/vault_file.h"

namespace velt {

namespace {

constexpr char kVaultName[] = "baza.pdb";
// Names a summary line lists before "and N more".
constexpr size_t kNamesShown = 10;

std::string BareName(const std::string& path) {
    const size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

void AddLine(std::string& text, int id, const std::vector<std::string>& names) {
    if (names.empty()) return;
    std::string list;
    for (size_t i = 0; i < names.size() && i < kNamesShown; ++i)
        list += (i ? ", " : "") + (names[i].empty() ? std::string("\"\"") : names[i]);
    if (names.size() > kNamesShown)
        list += " " + FormatText(ResStr(IDS_IMPORT_AND_MORE), {static_cast<int>(names.size() - kNamesShown)});
    text += "\r\n" + FormatText(ResStr(id), {list});
}

std::string SummaryText(const std::string& name, const MergeSummary& summary) {
    std::string text = FormatText(ResStr(IDS_MERGE_DONE), {name});
    if (summary.Nothing()) return text + "\r\n" + ResStr(IDS_MERGE_NOTHING);
    AddLine(text, IDS_MERGE_ADDED, summary.added);
    AddLine(text, IDS_MERGE_CHANGED, summary.changed);
    AddLine(text, IDS_MERGE_DELETED, summary.deleted);
    AddLine(text, IDS_MERGE_KEPT_TWICE, summary.keptTwice);
    return text;
}

// A copy as it is now, so that a declined one is offered again once it changes.
std::string CopyState(const WIN32_FIND_DATAA& found) {
    return std::string(found.cFileName) + "|" + std::to_string(found.nFileSizeHigh) + ":" +
           std::to_string(found.nFileSizeLow) + "|" + std::to_string(found.ftLastWriteTime.dwHighDateTime) + ":" +
           std::to_string(found.ftLastWriteTime.dwLowDateTime);
}

// The conflict copies beside the vault, by name, with their states.
std::vector<std::pair<std::string, std::string>> FindCopies(const std::string& dir) {
    std::vector<std::pair<std::string, std::string>> copies;
    WIN32_FIND_DATAA found;
    const HANDLE search = FindFirstFileA((dir + "*.pdb").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return copies;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        if (ConflictCopyOf(kVaultName, found.cFileName) != ConflictCopyKind::None)
            copies.emplace_back(found.cFileName, CopyState(found));
    } while (FindNextFileA(search, &found));
    FindClose(search);
    std::sort(copies.begin(), copies.end());
    return copies;
}

} // namespace

bool VaultSession::ReadOtherVersion(const std::string& path, CellStore& theirs, VaultProtection& reader) {
    if (LoadVaultFile(path, MasterPassword, theirs, reader) == VaultLoadResult::Loaded) return true;
    // The other computer may have changed the master password.
    std::string password;
    password.reserve(256);
    ScopedWipe wipe(password);
    for (;;) {
        bool asterisk = true;
        password.clear();
        if (!QueryPassword(FormatText(ResStr(IDS_OTHER_VERSION_PASSWORD), {BareName(path)}), ResStr(IDS_PASSWORD),
                           password, asterisk))
            return false;
        if (!password.empty() && LoadVaultFile(path, password, theirs, reader) == VaultLoadResult::Loaded)
            return true;
        Ask(Box::ErrorOk, ResStr(IDS_INCORRECT_PASSWORD));
    }
}

bool VaultSession::MergeOtherVersion(const std::string& path, bool conflictCopy) {
    VaultProtection reader(crypto_, platform::SystemRandom());
    CellStore theirs;
    if (!ReadOtherVersion(path, theirs, reader)) return false;
    const bool theirsHaveIds = reader.Strong() && reader.Key().Kdf().kind == kStrongKdfArgon2id;

    CellStore merged;
    MergeSummary summary;
    if (theirsHaveIds && idsFromFile_ && protection_.Strong()) {
        summary = MergeByIds(*table_, std::move(theirs), merged);
    } else if (conflictCopy || !baseline_.Taken()) {
        // No common version known: every row of either side stays, and a
        // row changed on one side is kept in both versions.
        CellStore none;
        none.SetRowCount(1);
        RowBaseline nothing;
        nothing.Take(none, platform::SystemRandom());
        summary = MergeRows(nothing, *table_, std::move(theirs), merged);
    } else {
        summary = MergeRows(baseline_, *table_, std::move(theirs), merged);
    }

    // Saved before it is shown: a save that fails leaves the table as it was.
    // A vault the other computer made strong stays strong.
    const bool turnOn = reader.Strong() && !protection_.Strong();
    if (turnOn) protection_.TurnOn(MasterPassword);
    std::swap(*table_, merged);
    try {
        WriteVault();
    } catch (...) {
        std::swap(*table_, merged);
        if (turnOn) protection_.TurnOff();
        TableReplaced();
        throw;
    }
    TableReplaced();
    Ask(Box::InformationOk, SummaryText(BareName(path), summary));
    return true;
}

std::vector<std::string> VaultSession::ConflictCopies() {
    std::vector<std::string> names;
    for (const auto& [name, state] : FindCopies(ProgramDir))
        if (!declined_.count(state)) names.push_back(name);
    return names;
}

void VaultSession::ConflictCopyMerged(const std::string& name) {
    // Kept as a backup is, under the first free backup name.
    const std::string from = ProgramDir + name;
    for (int n = 1; n <= kMaxBackups; ++n) {
        const std::string to = BackupName(from, n);
        if (GetFileAttributesA(to.c_str()) != INVALID_FILE_ATTRIBUTES) continue;
        if (MoveFileA(from.c_str(), to.c_str())) return;
        break;
    }
    // Not moved: merging it again changes nothing, but it is not offered again this run.
    ConflictCopyDeclined(name);
}

void VaultSession::ConflictCopyDeclined(const std::string& name) {
    // Remembered in velt.ini, with those still there and declined before.
    std::vector<std::string> remembered;
    for (const auto& [found, state] : FindCopies(ProgramDir)) {
        if (found == name) declined_.insert(state);
        if (declined_.count(state)) remembered.push_back(state);
    }
    if (remembered == settings_.declinedCopies) return;
    settings_.declinedCopies = remembered;
    try {
        WriteSettings(*MakeWindowsSaveOps(), SettingsPath(ProgramDir), settings_);
    } catch (const Exception&) {
        // A folder that takes no velt.ini: declined for this run.
    }
}

} // namespace velt
