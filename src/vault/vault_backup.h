// Backups on save: the replaced vault becomes baza.pdb.1.bak and the older
// ones move up, by renames only, as part of the replace step. BackupSaveOps
// wraps the real file operations, so both vault formats get backups through
// the same Save.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "vault/vault_save.h"

namespace velt {

// Most backups kept.
constexpr int kMaxBackups = 9;

// "<target>.<n>.bak".
std::string BackupName(const std::string& target, int n);

class BackupSaveOps final : public SaveFileOps {
public:
    // Keeps `keep` backups (0: none). `keepReplaced` keeps the replaced file
    // as .1.bak even when `keep` is 0: it is a version Velt never showed.
    BackupSaveOps(SaveFileOps& inner, int keep, bool keepReplaced);

    std::string FullPath(const std::string& path) override { return inner_.FullPath(path); }
    FileOpStatus CheckReplaceable(const std::string& target) override { return inner_.CheckReplaceable(target); }
    FileOpStatus CreateTemp(const std::string& target, std::string& tempPath) override {
        return inner_.CreateTemp(target, tempPath);
    }
    FileOpStatus Write(const char* data, size_t size) override { return inner_.Write(data, size); }
    FileOpStatus Flush() override { return inner_.Flush(); }
    FileOpStatus Close() override { return inner_.Close(); }
    // Shifts .1.bak … up (the last one falls off), then replaces the target
    // keeping it as .1.bak. No backup is removed before the new file is in
    // place except the one beyond `keep`.
    FileOpStatus Replace(const std::string& tempPath, const std::string& target) override;
    void Discard(const std::string& tempPath) noexcept override { inner_.Discard(tempPath); }
    bool Exists(const std::string& path) override { return inner_.Exists(path); }
    FileOpStatus Rename(const std::string& from, const std::string& to) override { return inner_.Rename(from, to); }
    FileOpStatus ReplaceKeeping(const std::string& tempPath, const std::string& target,
                                const std::string& backup) override {
        return inner_.ReplaceKeeping(tempPath, target, backup);
    }

private:
    SaveFileOps& inner_;
    int keep_;
};

// What Velt knows of the vault file as it last read or saved it, to notice
// another program's version before replacing it.
struct VaultFileStamp {
    bool exists = false;
    std::uint64_t size = 0;
    std::uint64_t writeTime = 0;
    std::uint64_t hash = 0;
};

// A 64-bit FNV-1a hash, continued from `seed` over `bytes`.
constexpr std::uint64_t kStampHashSeed = 14695981039346656037ull;
std::uint64_t StampHash(std::uint64_t seed, std::string_view bytes);

// True when `now` is another version than `known`: it appeared, or its size
// or bytes differ. A new write time over the same bytes is the same version.
bool StampChanged(const VaultFileStamp& known, const VaultFileStamp& now);

} // namespace velt
