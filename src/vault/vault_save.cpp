#include "vault/vault_save.h"

#include "core/errors.h"
#include "core/resource_strings.h"
#include "vault/vault_format.h"

namespace velt {

namespace {

[[noreturn]] void RaiseCreateError(const std::string& fullPath, const std::string& reason) {
    throw EFileCreateError(FmtLoadStr(IDS_CANNOT_CREATE_FILE, {fullPath, reason}));
}

} // namespace

namespace {

// The steps around the writing: check, temporary file, `write` (which
// returns the first failure), flush, close, replace; a failure discards the
// temporary file and raises.
template <typename WriteAll>
void SaveThrough(SaveFileOps& ops, const std::string& path, WriteAll&& writeAll) {
    const std::string fullPath = ops.FullPath(path);

    FileOpStatus st = ops.CheckReplaceable(fullPath);
    if (!st.ok) RaiseCreateError(fullPath, st.reason);

    std::string tempPath;
    st = ops.CreateTemp(fullPath, tempPath);
    if (!st.ok) RaiseCreateError(fullPath, st.reason);

    // Make it durable before the old file goes.
    try {
        st = writeAll();
    } catch (...) {
        ops.Discard(tempPath);
        throw;
    }
    if (st.ok) st = ops.Flush();
    if (st.ok) st = ops.Close();
    if (st.ok) st = ops.Replace(tempPath, fullPath);
    if (!st.ok) {
        ops.Discard(tempPath);
        RaiseCreateError(fullPath, st.reason);
    }
}

} // namespace

void SaveVaultImage(SaveFileOps& ops, const std::string& path, std::string_view image) {
    // Header and record area, two writes.
    SaveThrough(ops, path, [&] {
        const size_t headerSize = image.size() < kVaultHeaderSize ? image.size() : kVaultHeaderSize;
        FileOpStatus st = ops.Write(image.data(), headerSize);
        if (st.ok && image.size() > headerSize) st = ops.Write(image.data() + headerSize, image.size() - headerSize);
        return st;
    });
}

void SaveVaultWith(SaveFileOps& ops, const std::string& path, const CellStore& table,
                   std::string_view password) {
    CheckVaultSavable(table, password);
    SaveThrough(ops, path, [&] {
        FileOpStatus st;
        WriteVaultImage(table, password, [&](const char* bytes, size_t size) {
            st = ops.Write(bytes, size);
            return st.ok;
        });
        return st;
    });
}

} // namespace velt
