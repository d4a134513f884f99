#include "vault/vault_backup.h"

namespace velt {

std::string BackupName(const std::string& target, int n) { return target + "." + std::to_string(n) + ".bak"; }

BackupSaveOps::BackupSaveOps(SaveFileOps& inner, int keep, bool keepReplaced)
    : inner_(inner), keep_(keep < 0 ? 0 : keep > kMaxBackups ? kMaxBackups : keep) {
    if (keepReplaced && keep_ == 0) keep_ = 1;
}

FileOpStatus BackupSaveOps::Replace(const std::string& tempPath, const std::string& target) {
    if (keep_ == 0 || !inner_.Exists(target)) return inner_.Replace(tempPath, target);
    // Oldest first, so each rename only overwrites the one beyond `keep` or
    // a name just vacated.
    for (int n = keep_ - 1; n >= 1; --n) {
        const std::string from = BackupName(target, n);
        if (!inner_.Exists(from)) continue;
        FileOpStatus st = inner_.Rename(from, BackupName(target, n + 1));
        if (!st.ok) return st;
    }
    return inner_.ReplaceKeeping(tempPath, target, BackupName(target, 1));
}

std::uint64_t StampHash(std::uint64_t seed, std::string_view bytes) {
    for (unsigned char c : bytes) {
        seed ^= c;
        seed *= 1099511628211ull;
    }
    return seed;
}

bool StampChanged(const VaultFileStamp& known, const VaultFileStamp& now) {
    if (!now.exists) return false;  // nothing there to lose
    if (!known.exists) return true;
    return now.size != known.size || now.hash != known.hash;
}

} // namespace velt
