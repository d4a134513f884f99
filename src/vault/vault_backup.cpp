#include "vault/vault_backup.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "core/resource_strings.h"
#include "vault/byte_simd.h"

namespace velt {

std::string BackupName(const std::string& target, int n) { return target + "." + std::to_string(n) + ".bak"; }

BackupSaveOps::BackupSaveOps(SaveFileOps& inner, int keep, ReplacedVault replaced, std::vector<int> alsoRemove)
    : ForwardingSaveOps(inner),
      keep_(keep < 0 ? 0 : keep > kMaxBackups ? kMaxBackups : keep),
      replaced_(replaced),
      alsoRemove_(std::move(alsoRemove)) {
    if (replaced_ == ReplacedVault::Keep && keep_ == 0) keep_ = 1;
}

FileOpStatus BackupSaveOps::Replace(const std::string& tempPath, const std::string& target) {
    notRemoved_.clear();
    firstFree_ = 1;
    const bool shift = keep_ > 0 && replaced_ != ReplacedVault::Drop && inner_.Exists(target);
    const FileOpStatus st = shift ? ShiftAndReplace(tempPath, target) : inner_.Replace(tempPath, target);
    if (!st.ok) return st;
    for (int n : alsoRemove_) {
        const int now = n < firstFree_ ? n + 1 : n;
        if (now >= 1 && now <= keep_) Remove(BackupName(target, now));
    }
    // The spare name is one above the last backup, so this also removes a
    // spare left by a save that was cut short.
    for (int n = keep_ + 1; n <= kMaxBackups + 1; ++n) Remove(BackupName(target, n));
    return st;
}

FileOpStatus BackupSaveOps::RestoreSpare(const std::string& target) {
    // A spare holds the oldest backup of a shift cut short: back to the end
    // of the chain, where the save's clean-up finds it beyond Keep.
    const std::string spare = BackupName(target, kMaxBackups + 1);
    if (!inner_.Exists(spare)) return FileOpStatus::Ok();
    int last = kMaxBackups;
    while (last > 0 && !inner_.Exists(BackupName(target, last))) --last;
    if (last < kMaxBackups) return inner_.Rename(spare, BackupName(target, last + 1));
    for (int n = 1; n < kMaxBackups; ++n)
        if (!inner_.Exists(BackupName(target, n))) return FileOpStatus::Ok();  // the shift fills that gap instead
    // Every name taken: the spare is what a finished save did not delete,
    // one beyond the most that can be kept.
    return inner_.Delete(spare);
}

FileOpStatus BackupSaveOps::ShiftAndReplace(const std::string& tempPath, const std::string& target) {
    FileOpStatus st = RestoreSpare(target);
    if (!st.ok) return st;
    // Only the backups below the first free name move up, each to the name
    // just vacated, so a gap is filled rather than shifted on, and undoing
    // the moves in reverse gives every file back its name.
    while (firstFree_ <= kMaxBackups && inner_.Exists(BackupName(target, firstFree_))) ++firstFree_;
    std::vector<std::pair<std::string, std::string>> moved;
    for (int n = firstFree_ - 1; n >= 1 && st.ok; --n) {
        st = inner_.Rename(BackupName(target, n), BackupName(target, n + 1));
        if (st.ok) moved.emplace_back(BackupName(target, n), BackupName(target, n + 1));
    }
    const std::string first = BackupName(target, 1);
    if (st.ok) st = inner_.ReplaceKeeping(tempPath, target, first);
    if (st.ok) return st;
    // A replace that failed half way can leave the old vault as .1.bak: its
    // own name comes before anything else.
    if (!inner_.Exists(target) && inner_.Exists(first)) {
        const FileOpStatus back = inner_.Rename(first, target);
        if (!back.ok) {
            st.reason += " " + FmtLoadStr(IDS_VAULT_NOT_PUT_BACK, {target, first, back.reason});
            return st;
        }
    }
    for (auto it = moved.rbegin(); it != moved.rend(); ++it) {
        const FileOpStatus back = inner_.Rename(it->second, it->first);
        if (!back.ok) {
            // Stop here: a later undo would need a name still taken.
            st.reason += " " + FmtLoadStr(IDS_BACKUP_NOT_PUT_BACK, {it->first, it->second, back.reason});
            break;
        }
    }
    return st;
}

void BackupSaveOps::Remove(const std::string& path) {
    if (!inner_.Exists(path)) return;
    const FileOpStatus st = inner_.Delete(path);
    if (!st.ok) notRemoved_.push_back(path + ": " + st.reason);
}

StampHasher::StampHasher() noexcept {
    for (std::uint32_t k = 0; k < 16; ++k) lanes_[k] = 0x811C9DC5u + k * 0x9E3779B9u;
}

void StampHasher::Add(const void* data, size_t size) noexcept {
    auto p = static_cast<const unsigned char*>(data);
    total_ += size;
    if (pendingSize_ > 0) {
        const size_t take = std::min(size, sizeof pending_ - pendingSize_);
        std::memcpy(pending_ + pendingSize_, p, take);
        pendingSize_ += take;
        p += take;
        size -= take;
        if (pendingSize_ < sizeof pending_) return;
        simd::MixBlocks(lanes_, pending_, 1);
        pendingSize_ = 0;
    }
    const size_t blocks = size / sizeof pending_;
    simd::MixBlocks(lanes_, p, blocks);
    p += blocks * sizeof pending_;
    size -= blocks * sizeof pending_;
    std::memcpy(pending_, p, size);
    pendingSize_ = size;
}

std::uint64_t StampHasher::Value() const noexcept {
    StampHasher last = *this;
    if (last.pendingSize_ > 0) {
        std::memset(last.pending_ + last.pendingSize_, 0, sizeof pending_ - last.pendingSize_);
        simd::MixBlocks(last.lanes_, last.pending_, 1);
    }
    // Each step is one-to-one in the lane it takes, so a changed lane always
    // changes the value.
    std::uint64_t value = 0xCBF29CE484222325ull;
    for (std::uint32_t lane : last.lanes_) value = (value ^ lane) * 0x100000001B3ull;
    return value ^ (total_ * 0x9E3779B97F4A7C15ull);
}

bool StampChanged(const VaultFileStamp& known, const VaultFileStamp& now, const std::function<std::uint64_t()>& hashNow) {
    if (!now.exists) return false;  // nothing there to lose
    if (!known.exists) return true;
    if (now.size != known.size) return true;
    if (now.writeTime == known.writeTime) return false;
    return hashNow() != known.hash;
}

} // namespace velt
