// Backups on save: the replaced vault becomes baza.pdb.1.bak and the older
// ones move up, by renames only, as part of the replace step. BackupSaveOps
// wraps the real file operations, so both vault formats get backups through
// the same Save.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "vault/vault_save.h"

namespace velt {

// Most backups kept.
constexpr int kMaxBackups = 9;

// "<target>.<n>.bak".
std::string BackupName(const std::string& target, int n);

// Passes every step to other operations; the wrappers below change only
// the steps they are about.
class ForwardingSaveOps : public SaveFileOps {
public:
    explicit ForwardingSaveOps(SaveFileOps& inner) : inner_(inner) {}

    std::string FullPath(const std::string& path) override { return inner_.FullPath(path); }
    FileOpStatus CheckReplaceable(const std::string& target) override { return inner_.CheckReplaceable(target); }
    FileOpStatus CreateTemp(const std::string& target, std::string& tempPath) override {
        return inner_.CreateTemp(target, tempPath);
    }
    FileOpStatus Write(const char* data, size_t size) override { return inner_.Write(data, size); }
    FileOpStatus Flush() override { return inner_.Flush(); }
    FileOpStatus Close() override { return inner_.Close(); }
    FileOpStatus Replace(const std::string& tempPath, const std::string& target) override {
        return inner_.Replace(tempPath, target);
    }
    void Discard(const std::string& tempPath) noexcept override { inner_.Discard(tempPath); }
    bool Exists(const std::string& path) override { return inner_.Exists(path); }
    FileOpStatus Rename(const std::string& from, const std::string& to) override { return inner_.Rename(from, to); }
    FileOpStatus ReplaceKeeping(const std::string& tempPath, const std::string& target,
                                const std::string& backup) override {
        return inner_.ReplaceKeeping(tempPath, target, backup);
    }

protected:
    SaveFileOps& inner_;
};

class BackupSaveOps final : public ForwardingSaveOps {
public:
    // Keeps `keep` backups (0: none). `keepReplaced` keeps the replaced file
    // as .1.bak even when `keep` is 0: it is a version Velt never showed.
    BackupSaveOps(SaveFileOps& inner, int keep, bool keepReplaced);

    // Shifts .1.bak … up (the last one falls off), then replaces the target
    // keeping it as .1.bak. No backup is removed before the new file is in
    // place except the one beyond `keep`.
    FileOpStatus Replace(const std::string& tempPath, const std::string& target) override;

private:
    int keep_;
};

// What Velt knows of the vault file as it last read or saved it, to notice
// another program's version before replacing it.
struct VaultFileStamp {
    bool exists = false;
    std::uint64_t size = 0;
    std::uint64_t writeTime = 0;
    std::uint64_t hash = 0;  // StampHasher's value of the bytes
};

// A fast hash of a file's bytes, fed in pieces of any size: it tells one
// version from another, nothing more. Sixteen bytes a step in four
// independent 32-bit lanes, so hashing a full vault costs little beside
// writing or reading it.
class StampHasher {
public:
    void Add(const void* data, size_t size) noexcept;
    std::uint64_t Value() const noexcept;

private:
    void Mix(const unsigned char* block) noexcept;

    std::uint32_t lanes_[4] = {0x811C9DC5u, 0x9E3779B9u, 0x85EBCA6Bu, 0xC2B2AE35u};
    unsigned char pending_[16] = {};
    size_t pendingSize_ = 0;
    std::uint64_t total_ = 0;
};

// Whether the file now is another version than `known`. `now` carries size
// and write time only; the same size and write time are the same version
// without reading a byte, and `hashNow` (the file's StampHasher value) is
// asked only when they differ but the size does not, so that a file
// rewritten with the same bytes does not count as changed.
bool StampChanged(const VaultFileStamp& known, const VaultFileStamp& now, const std::function<std::uint64_t()>& hashNow);

// Passes every step to the real operations and hashes what is written, so
// the new file's stamp needs no second read.
class StampingSaveOps final : public ForwardingSaveOps {
public:
    explicit StampingSaveOps(SaveFileOps& inner) : ForwardingSaveOps(inner) {}
    std::uint64_t WrittenHash() const noexcept { return hasher_.Value(); }

    FileOpStatus CreateTemp(const std::string& target, std::string& tempPath) override {
        hasher_ = StampHasher();
        return inner_.CreateTemp(target, tempPath);
    }
    FileOpStatus Write(const char* data, size_t size) override {
        hasher_.Add(data, size);
        return inner_.Write(data, size);
    }

private:
    StampHasher hasher_;
};

} // namespace velt
