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

void SaveVaultImage(SaveFileOps& ops, const std::string& path, std::string_view image) {
    const std::string fullPath = ops.FullPath(path);

    FileOpStatus st = ops.CheckReplaceable(fullPath);
    if (!st.ok) RaiseCreateError(fullPath, st.reason);

    std::string tempPath;
    st = ops.CreateTemp(fullPath, tempPath);
    if (!st.ok) RaiseCreateError(fullPath, st.reason);

    // Header and record area, two writes; then make it durable before the
    // old file goes.
    const size_t headerSize = image.size() < kVaultHeaderSize ? image.size() : kVaultHeaderSize;
    st = ops.Write(image.data(), headerSize);
    if (st.ok && image.size() > headerSize) st = ops.Write(image.data() + headerSize, image.size() - headerSize);
    if (st.ok) st = ops.Flush();
    if (st.ok) st = ops.Close();
    if (st.ok) st = ops.Replace(tempPath, fullPath);
    if (!st.ok) {
        ops.Discard(tempPath);
        RaiseCreateError(fullPath, st.reason);
    }
}

void SaveVaultWith(SaveFileOps& ops, const std::string& path, const CellStore& table,
                   std::string_view password) {
    const std::string image = BuildVaultImage(table, password);
    SaveVaultImage(ops, path, image);
}

} // namespace velt
