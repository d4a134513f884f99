// Writing the vault without ever losing the previous one: the complete file
// goes to a temporary file beside the target, is flushed, and then replaces
// the target in one step. Any failure removes the temporary file and leaves
// the old vault byte for byte.
//
// The file operations come through SaveFileOps so that tests can fail any
// single step; Windows supplies the real ones (vault_file.h).
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

#include "vault/cell_store.h"

namespace velt {

// Outcome of one file operation: ok, or the system's reason for the failure
// (a sentence such as "Access is denied.") and its error number (0: none).
struct FileOpStatus {
    bool ok = true;
    std::string reason;
    unsigned long error = 0;
    static FileOpStatus Ok() { return {}; }
    static FileOpStatus Fail(std::string why, unsigned long error = 0) { return {false, std::move(why), error}; }
};

// The steps of a safe save, in the order SaveVaultImage uses them. One
// temporary file at a time.
class SaveFileOps {
public:
    virtual ~SaveFileOps() = default;
    // Absolute form of `path` (the path itself when it cannot be resolved).
    virtual std::string FullPath(const std::string& path) = 0;
    // Fails when `target` exists but could not be replaced (open elsewhere,
    // read-only, a directory); a missing target is fine.
    virtual FileOpStatus CheckReplaceable(const std::string& target) = 0;
    // Creates a new temporary file in the directory of `target`, opened with
    // no sharing; sets tempPath.
    virtual FileOpStatus CreateTemp(const std::string& target, std::string& tempPath) = 0;
    // Writes all bytes to the temporary file; a short write is a failure.
    virtual FileOpStatus Write(const char* data, size_t size) = 0;
    virtual FileOpStatus Flush() = 0;
    virtual FileOpStatus Close() = 0;
    // Puts the closed temporary file in place of `target` in one step.
    virtual FileOpStatus Replace(const std::string& tempPath, const std::string& target) = 0;
    // Cleanup after a failure: closes the temporary file if still open and
    // deletes it. Must not throw.
    virtual void Discard(const std::string& tempPath) noexcept = 0;

    // For backups (vault_backup.h). Whether `path` exists as a file.
    virtual bool Exists(const std::string&) { return false; }
    // Whether `path` is a read-only file.
    virtual bool ReadOnly(const std::string&) { return false; }
    // Renames `from` to `to`; fails when `to` exists, never replacing it.
    virtual FileOpStatus Rename(const std::string& from, const std::string& to) {
        return FileOpStatus::Fail("Backups are not supported: " + from + " -> " + to);
    }
    // Deletes the file `path`.
    virtual FileOpStatus Delete(const std::string& path) {
        return FileOpStatus::Fail("Backups are not supported: " + path);
    }
    // Like Replace, but the replaced `target` becomes `backup` (replacing it).
    // On failure `target` is still the old file.
    virtual FileOpStatus ReplaceKeeping(const std::string& tempPath, const std::string& target,
                                        const std::string& backup) {
        return FileOpStatus::Fail("Backups are not supported: " + tempPath + " -> " + target + " -> " + backup);
    }
};

// Writes `image` (header, then record area) to `path` through `ops`.
// Raises EFileCreateError "Cannot create file "<full path>". <reason>".
void SaveVaultImage(SaveFileOps& ops, const std::string& path, std::string_view image);

// Save: the same steps, the file written piece by piece as WriteVaultImage
// builds it (header, then runs of records), never whole in memory.
// ETooManyEntries is raised before any file is touched.
void SaveVaultWith(SaveFileOps& ops, const std::string& path, const CellStore& table,
                   std::string_view password);

} // namespace velt
