// Backups on save: the replaced vault becomes baza.pdb.1.bak and the older
// ones move up, by renames only, as part of the replace step. BackupSaveOps
// wraps the real file operations, so both vault formats get backups through
// the same Save. A failed save leaves every file as it was; the backups
// move up only with the new vault in place.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

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
    bool ReadOnly(const std::string& path) override { return inner_.ReadOnly(path); }
    FileOpStatus Rename(const std::string& from, const std::string& to) override { return inner_.Rename(from, to); }
    FileOpStatus Delete(const std::string& path) override { return inner_.Delete(path); }
    FileOpStatus ReplaceKeeping(const std::string& tempPath, const std::string& target,
                                const std::string& backup) override {
        return inner_.ReplaceKeeping(tempPath, target, backup);
    }

protected:
    SaveFileOps& inner_;
};

// What a save does with the file it replaces.
enum class ReplacedVault {
    Backup,  // becomes .1.bak, the older backups move up
    Drop,    // not kept and nothing moves up: the same table again, or a
             // readable copy of a vault that is now strong
    Keep,    // another program's version: a backup even when Keep is 0
};

class BackupSaveOps final : public ForwardingSaveOps {
public:
    // Keeps `keep` backups (0: none). After the new vault is in place,
    // backups numbered above `keep` are deleted, and so are those numbered
    // in `alsoRemove` (as numbered before the save).
    BackupSaveOps(SaveFileOps& inner, int keep, ReplacedVault replaced, std::vector<int> alsoRemove = {});

    // Moves each backup below the first free number up one (the last one
    // free is the spare, one above the most kept), then replaces the target
    // keeping it as .1.bak. A spare or a gap that a save cut short left is
    // taken into the chain first, so no backup is lost. When a step fails,
    // the vault gets its name back first, then the moves are undone in
    // reverse, never onto a taken name; a move that cannot be undone is
    // named in the failure's reason.
    FileOpStatus Replace(const std::string& tempPath, const std::string& target) override;

    // The files that should have gone after a save but could not be deleted,
    // each as "<path>: <reason>".
    const std::vector<std::string>& NotRemoved() const noexcept { return notRemoved_; }

private:
    FileOpStatus ShiftAndReplace(const std::string& tempPath, const std::string& target);
    FileOpStatus RestoreSpare(const std::string& target);
    void Remove(const std::string& path);

    int keep_;
    ReplacedVault replaced_;
    std::vector<int> alsoRemove_;
    std::vector<std::string> notRemoved_;
    int firstFree_ = 1;  // the backups below it moved up one
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
// version from another, nothing more, and is never stored. Sixty-four bytes
// a step in sixteen independent 32-bit lanes (four SSE2 registers), so
// hashing a full vault costs little beside writing or reading it.
class StampHasher {
public:
    StampHasher() noexcept;
    void Add(const void* data, size_t size) noexcept;
    std::uint64_t Value() const noexcept;

private:
    std::uint32_t lanes_[16];
    unsigned char pending_[64] = {};
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
