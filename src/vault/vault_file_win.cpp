#include "vault/vault_file.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "core/errors.h"
#include "core/resource_strings.h"
#include "core/secure_memory.h"
#include "platform/handle.h"
#include "platform/system_error.h"
#include "vault/save_leftovers.h"
#include "vault/vault_format.h"

namespace velt {

namespace {

using platform::UniqueHandle;

std::string LastReason() { return platform::LastErrorReason(); }

// The last error with its number, for the steps a save retries.
FileOpStatus LastFailure() {
    const DWORD err = GetLastError();
    return FileOpStatus::Fail(platform::SystemErrorReason(err), err);
}

std::string FullPathOf(const std::string& path) {
    const DWORD need = GetFullPathNameA(path.c_str(), 0, nullptr, nullptr);
    if (need == 0) return path;
    std::string full(need, '\0');
    const DWORD got = GetFullPathNameA(path.c_str(), need, &full[0], nullptr);
    if (got == 0 || got >= need) return path;
    full.resize(got);
    return full;
}

class WindowsSaveOps final : public SaveFileOps {
public:
    ~WindowsSaveOps() override {
        if (file_.Valid()) Discard(tempPath_);
    }

    std::string FullPath(const std::string& path) override { return FullPathOf(path); }

    FileOpStatus CheckReplaceable(const std::string& target) override {
        const DWORD attrs = GetFileAttributesA(target.c_str());
        if (attrs == INVALID_FILE_ATTRIBUTES) {
            const DWORD err = GetLastError();
            if (err == ERROR_FILE_NOT_FOUND || err == ERROR_PATH_NOT_FOUND) return FileOpStatus::Ok();
            return FileOpStatus::Fail(platform::SystemErrorReason(err));
        }
        // Replacing must fail wherever rewriting the file in place would.
        // Wine's MoveFileEx replaces a read-only file (and a process running
        // as root may open one for writing), so test the attribute itself.
        if (attrs & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY))
            return FileOpStatus::Fail(platform::SystemErrorReason(ERROR_ACCESS_DENIED));
        // A file held open elsewhere: asking for write and delete access
        // refuses it up front, before anything is written.
        UniqueHandle probe(CreateFileA(target.c_str(), GENERIC_WRITE | DELETE,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!probe.Valid()) return FileOpStatus::Fail(LastReason());
        return FileOpStatus::Ok();
    }

    FileOpStatus CreateTemp(const std::string& target, std::string& tempPath) override {
        for (unsigned n = 0; n < 100; ++n) {
            const std::string candidate = SaveTempName(target, GetCurrentProcessId(), n);
            HANDLE h = CreateFileA(candidate.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                   FILE_ATTRIBUTE_NORMAL, nullptr);
            if (h != INVALID_HANDLE_VALUE) {
                file_.Reset(h);
                tempPath_ = tempPath = candidate;
                return FileOpStatus::Ok();
            }
            const DWORD err = GetLastError();
            if (err != ERROR_FILE_EXISTS && err != ERROR_ALREADY_EXISTS) return FileOpStatus::Fail(platform::SystemErrorReason(err));
        }
        return FileOpStatus::Fail(platform::SystemErrorReason(ERROR_FILE_EXISTS));
    }

    FileOpStatus Write(const char* data, size_t size) override {
        while (size > 0) {
            const DWORD chunk = size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size);
            DWORD written = 0;
            if (!WriteFile(file_.Get(), data, chunk, &written, nullptr)) return FileOpStatus::Fail(LastReason());
            // A write that stops short without an error means the disk is full.
            if (written != chunk) return FileOpStatus::Fail(platform::SystemErrorReason(ERROR_DISK_FULL));
            data += chunk;
            size -= chunk;
        }
        return FileOpStatus::Ok();
    }

    FileOpStatus Flush() override {
        if (!FlushFileBuffers(file_.Get())) return FileOpStatus::Fail(LastReason());
        return FileOpStatus::Ok();
    }

    FileOpStatus Close() override {
        if (!file_.Close()) return FileOpStatus::Fail(LastReason());
        return FileOpStatus::Ok();
    }

    FileOpStatus Replace(const std::string& tempPath, const std::string& target) override {
        if (!MoveFileExA(tempPath.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return LastFailure();
        tempPath_.clear();
        return FileOpStatus::Ok();
    }

    bool Exists(const std::string& path) override {
        const DWORD attrs = GetFileAttributesA(path.c_str());
        return attrs != INVALID_FILE_ATTRIBUTES && !(attrs & FILE_ATTRIBUTE_DIRECTORY);
    }

    bool ReadOnly(const std::string& path) override {
        const DWORD attrs = GetFileAttributesA(path.c_str());
        return attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_READONLY);
    }

    FileOpStatus Rename(const std::string& from, const std::string& to) override {
        if (!MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH)) return LastFailure();
        return FileOpStatus::Ok();
    }

    FileOpStatus Delete(const std::string& path) override {
        if (!DeleteFileA(path.c_str())) return FileOpStatus::Fail(LastReason());
        return FileOpStatus::Ok();
    }

    FileOpStatus ReplaceKeeping(const std::string& tempPath, const std::string& target,
                                const std::string& backup) override {
        // ReplaceFile renames the old file to the backup name and the new one
        // into place; neither is copied.
        if (!ReplaceFileA(target.c_str(), tempPath.c_str(), backup.c_str(), REPLACEFILE_WRITE_THROUGH, nullptr,
                          nullptr)) {
            const DWORD err = GetLastError();
            // The old file already carries the backup name: put it back so
            // the vault is never missing.
            if (err == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2 && !Exists(target))
                MoveFileExA(backup.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH);
            return FileOpStatus::Fail(platform::SystemErrorReason(err), err);
        }
        tempPath_.clear();
        return FileOpStatus::Ok();
    }

    void Discard(const std::string& tempPath) noexcept override {
        file_.Close();
        if (!tempPath.empty()) DeleteFileA(tempPath.c_str());
        if (tempPath == tempPath_) tempPath_.clear();
    }

private:
    UniqueHandle file_;
    std::string tempPath_;
};

// Reads up to `size` bytes; `got` tells how many the file had.
bool ReadUpTo(HANDLE h, char* buffer, size_t size, size_t& got) {
    got = 0;
    while (got < size) {
        const size_t left = size - got;
        const DWORD chunk = left > (1u << 30) ? (1u << 30) : static_cast<DWORD>(left);
        DWORD n = 0;
        if (!ReadFile(h, buffer + got, chunk, &n, nullptr)) return false;
        if (n == 0) break;
        got += n;
    }
    return true;
}

} // namespace

std::unique_ptr<SaveFileOps> MakeWindowsSaveOps() { return std::make_unique<WindowsSaveOps>(); }

namespace {

void StampMetadata(HANDLE file, VaultFileStamp& stamp) {
    stamp.exists = true;
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(file, &info)) return;
    stamp.size = (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    stamp.writeTime = (static_cast<std::uint64_t>(info.ftLastWriteTime.dwHighDateTime) << 32) |
                      info.ftLastWriteTime.dwLowDateTime;
}

} // namespace

VaultFileStamp ReadVaultFileStamp(const std::string& path, bool withHash) {
    VaultFileStamp stamp;
    UniqueHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    // A file that cannot be read now (held elsewhere) is left to Save's own
    // check, which reports why.
    if (!file.Valid()) return stamp;
    StampMetadata(file.Get(), stamp);
    if (!withHash) return stamp;
    StampHasher hasher;
    const size_t piece = size_t(1) << 20;
    std::unique_ptr<char[]> buffer(new char[piece]);
    for (;;) {
        size_t got = 0;
        if (!ReadUpTo(file.Get(), buffer.get(), piece, got)) {
            stamp.hash = ~0ull;  // unreadable now: never taken for Velt's own version
            return stamp;
        }
        hasher.Add(buffer.get(), got);
        if (got < piece) break;
    }
    stamp.hash = hasher.Value();
    return stamp;
}

namespace {

// The rest of a strong file, after its first bytes; no more than one byte
// beyond the longest sound file is read, so a huge file costs no more.
std::string ReadStrongFile(HANDLE file, const std::string& fullPath, std::string head) {
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file, &size)) throw EFileOpenError(FmtLoadStr(IDS_CANNOT_OPEN_FILE, {fullPath, LastReason()}));
    // Refused unread: no key is derived and no memory taken for it.
    if (static_cast<unsigned long long>(size.QuadPart) > kStrongMaxFileSizeV3)
        throw EVaultRefused(FormatText(ResStr(IDS_VAULT_TOO_LARGE), {fullPath}));
    const size_t want = static_cast<size_t>(size.QuadPart);
    std::string bytes = std::move(head);
    if (want > bytes.size()) {
        const size_t had = bytes.size();
        bytes.resize(want);
        size_t got = 0;
        if (!ReadUpTo(file, &bytes[had], want - had, got))
            throw EFileOpenError(FmtLoadStr(IDS_CANNOT_OPEN_FILE, {fullPath, LastReason()}));
        bytes.resize(had + got);
    }
    return bytes;
}

} // namespace

VaultLoadResult LoadVaultFile(const std::string& path, std::string_view password, CellStore& table,
                              VaultProtection& protection, VaultFileStamp* stamp) {
    const std::string fullPath = FullPathOf(path);
    auto fail = [&](const std::string& reason) {
        return EFileOpenError(FmtLoadStr(IDS_CANNOT_OPEN_FILE, {fullPath, reason}));
    };
    auto open = [&] {
        return CreateFileA(fullPath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    };
    UniqueHandle file(open());
    if (!file.Valid()) throw fail(LastReason());

    char headerBytes[kVaultHeaderSize] = {};
    size_t got = 0;
    if (!ReadUpTo(file.Get(), headerBytes, sizeof headerBytes, got)) throw fail(LastReason());
    if (IsStrongVault(std::string_view(headerBytes, got))) {
        // The key is derived from the header alone, with the file closed:
        // the derivation takes a while, and its memory goes back before the
        // file's is taken. The file is then read whole; one changed meanwhile
        // gets its own key as it loads.
        std::string head(kStrongHeaderSizeV3, '\0');
        std::memcpy(&head[0], headerBytes, got);
        size_t more = 0;
        if (!ReadUpTo(file.Get(), &head[got], head.size() - got, more)) throw fail(LastReason());
        head.resize(got + more);
        LARGE_INTEGER size{};
        if (!GetFileSizeEx(file.Get(), &size)) throw fail(LastReason());
        file.Close();
        protection.DeriveKeyAhead(head, static_cast<size_t>(std::min<long long>(size.QuadPart, SIZE_MAX)), password,
                                  fullPath);
        file.Reset(open());
        if (!file.Valid()) throw fail(LastReason());
        std::string bytes = ReadStrongFile(file.Get(), fullPath, std::string());
        if (stamp) {
            StampMetadata(file.Get(), *stamp);
            StampHasher hasher;
            hasher.Add(bytes.data(), bytes.size());
            stamp->hash = hasher.Value();
        }
        file.Close();
        return protection.Load(bytes, password, table, fullPath);
    }
    const VaultHeader header = ParseVaultHeader(std::string_view(headerBytes, sizeof headerBytes));
    if (!PasswordMatches(header, password)) return VaultLoadResult::IncorrectPassword;

    // The rows are built on the side as the file is read, a piece at a time
    // into one buffer, and replace the table only when all is read: a failed
    // read leaves it. What the file lacks reads as zeros.
    StampHasher hasher;
    hasher.Add(headerBytes, got);
    VaultTableBuilder builder(header.count, password);
    const size_t size = kVaultRecordSize * header.count;
    const size_t piece = kVaultRecordSize * static_cast<size_t>(kVaultChunkRecords);
    std::unique_ptr<char[]> buffer(new char[piece]);
    ScopedWipe wipe(buffer.get(), piece);
    for (size_t done = 0; done < size;) {
        const size_t want = size - done < piece ? size - done : piece;
        if (!ReadUpTo(file.Get(), buffer.get(), want, got)) throw fail(LastReason());
        builder.Add(buffer.get(), got);
        hasher.Add(buffer.get(), got);
        done += got;
        if (got < want) break;
    }
    if (stamp) {
        StampMetadata(file.Get(), *stamp);
        stamp->hash = hasher.Value();
    }
    file.Close();
    builder.Finish(table);
    protection.TurnOff();
    return VaultLoadResult::Loaded;
}

} // namespace velt
