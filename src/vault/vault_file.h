// Save and Load of the vault file on Windows (implemented in
// vault_file_win.cpp; the byte format is vault_format.h, the safe-replace
// steps vault_save.h). TForm1's Save and Load call these with
// ProgramDir + "baza.pdb" and MasterPassword.
#pragma once
#include <memory>
#include <string>
#include <string_view>

#include "vault/cell_store.h"
#include "vault/vault_backup.h"
#include "vault/vault_format.h"
#include "vault/vault_protection.h"
#include "vault/vault_save.h"

namespace velt {

// Reads `path` (shared with readers, denying writers) into the table.
// Returns IncorrectPassword, table untouched, when the file's check value is
// not the password's. Raises EFileOpenError "Cannot open file "<full path>".
// <reason>" when the file cannot be opened or read; the table is untouched.
// Either format: A file that starts with "VLT2" is read whole and
// opened through `protection` (EVaultDamaged when it is not a sound strong
// file; never read as the old format); then `protection` is strong with the
// file's key. Any other file is read in the compatible format, and
// `protection` turns strong off once it has loaded.
// `stamp`, when given, receives the size, write time and StampHasher value
// of the bytes read, so the loaded version needs no second read.
VaultLoadResult LoadVaultFile(const std::string& path, std::string_view password, CellStore& table,
                              VaultProtection& protection, VaultFileStamp* stamp = nullptr);

// The real file operations of Save: write a temporary file, flush, replace.
std::unique_ptr<SaveFileOps> MakeWindowsSaveOps();

// Size and write time of `path` now, and with `withHash` the StampHasher
// value of its bytes (exists false when it cannot be opened).
VaultFileStamp ReadVaultFileStamp(const std::string& path, bool withHash);

} // namespace velt
