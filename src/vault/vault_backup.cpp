#include "vault/vault_backup.h"

#include <algorithm>
#include <cstring>

namespace velt {

std::string BackupName(const std::string& target, int n) { return target + "." + std::to_string(n) + ".bak"; }

BackupSaveOps::BackupSaveOps(SaveFileOps& inner, int keep, bool keepReplaced)
    : ForwardingSaveOps(inner), keep_(keep < 0 ? 0 : keep > kMaxBackups ? kMaxBackups : keep) {
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

void StampHasher::Mix(const unsigned char* block) noexcept {
    for (int i = 0; i < 4; ++i) {
        std::uint32_t word;
        std::memcpy(&word, block + 4 * i, 4);
        // Odd multipliers: each step is one-to-one, so a changed word always
        // changes its lane.
        lanes_[i] = (lanes_[i] ^ word) * 0x01000193u;
        lanes_[i] ^= lanes_[i] >> 15;
    }
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
        Mix(pending_);
        pendingSize_ = 0;
    }
    for (; size >= sizeof pending_; p += sizeof pending_, size -= sizeof pending_) Mix(p);
    std::memcpy(pending_, p, size);
    pendingSize_ = size;
}

std::uint64_t StampHasher::Value() const noexcept {
    StampHasher last = *this;
    if (last.pendingSize_ > 0) {
        std::memset(last.pending_ + last.pendingSize_, 0, sizeof pending_ - last.pendingSize_);
        last.Mix(last.pending_);
    }
    const std::uint32_t high = last.lanes_[0] ^ (last.lanes_[2] * 0x5BD1E995u);
    const std::uint32_t low = last.lanes_[1] ^ (last.lanes_[3] * 0x5BD1E995u);
    return ((static_cast<std::uint64_t>(high) << 32) | low) ^ (total_ * 0x9E3779B97F4A7C15ull);
}

bool StampChanged(const VaultFileStamp& known, const VaultFileStamp& now, const std::function<std::uint64_t()>& hashNow) {
    if (!now.exists) return false;  // nothing there to lose
    if (!known.exists) return true;
    if (now.size != known.size) return true;
    if (now.writeTime == known.writeTime) return false;
    return hashNow() != known.hash;
}

} // namespace velt
