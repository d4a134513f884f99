#include "vault/conflict_copies.h"

#include "core/text.h"

namespace velt {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsAlnum(char c) { return IsDigit(c) || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

bool AllOf(std::string_view s, bool (*ok)(char)) {
    for (char c : s)
        if (!ok(c)) return false;
    return !s.empty();
}

// Takes `prefix` off the front of `s` when it is there, without case.
bool Consume(std::string_view& s, std::string_view prefix) {
    if (s.size() < prefix.size() || !SameAsciiNoCase(s.substr(0, prefix.size()), prefix)) return false;
    s.remove_prefix(prefix.size());
    return true;
}

bool ContainsNoCase(std::string_view s, std::string_view part) {
    for (size_t at = 0; at + part.size() <= s.size(); ++at)
        if (SameAsciiNoCase(s.substr(at, part.size()), part)) return true;
    return false;
}

// A computer's name: letters, digits, '-' and '_', as Windows allows them.
bool ComputerName(std::string_view s) {
    if (s.size() > 63) return false;
    for (char c : s)
        if (!IsAlnum(c) && c != '-' && c != '_') return false;
    return !s.empty() && s.front() != '-';
}

// "sync-conflict-YYYYMMDD-HHMMSS-<device>": the device is the first seven
// letters and digits of its id.
bool SyncthingTag(std::string_view s) {
    if (!Consume(s, "sync-conflict-") || s.size() < 8 + 1 + 6 + 1 + 1) return false;
    return AllOf(s.substr(0, 8), IsDigit) && s[8] == '-' && AllOf(s.substr(9, 6), IsDigit) && s[15] == '-' &&
           AllOf(s.substr(16), IsAlnum);
}

} // namespace

ConflictCopyKind ConflictCopyOf(std::string_view vaultName, std::string_view name) {
    const size_t dot = vaultName.rfind('.');
    const std::string_view stem = vaultName.substr(0, dot);
    const std::string_view ext = dot == std::string_view::npos ? std::string_view() : vaultName.substr(dot);
    if (!Consume(name, stem) || name.size() <= ext.size() ||
        !SameAsciiNoCase(name.substr(name.size() - ext.size()), ext))
        return ConflictCopyKind::None;
    std::string_view tag = name.substr(0, name.size() - ext.size());  // between the stem and the extension
    if (Consume(tag, " (")) {
        if (tag.empty() || tag.back() != ')') return ConflictCopyKind::None;
        tag.remove_suffix(1);
        if (tag.size() <= 3 && AllOf(tag, IsDigit) && tag[0] != '0') return ConflictCopyKind::GoogleDrive;
        // Nextcloud's starts with the words; Dropbox's puts who and where first.
        if (Consume(tag, "conflicted copy ") && !tag.empty()) return ConflictCopyKind::Nextcloud;
        if (ContainsNoCase(tag, " conflicted copy")) return ConflictCopyKind::Dropbox;
        return ConflictCopyKind::None;
    }
    if (Consume(tag, "-")) return ComputerName(tag) ? ConflictCopyKind::OneDrive : ConflictCopyKind::None;
    if (Consume(tag, ".") && SyncthingTag(tag)) return ConflictCopyKind::Syncthing;
    return ConflictCopyKind::None;
}

} // namespace velt
