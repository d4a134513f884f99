// Save and Load of the vault file on Windows (implemented in
// vault_file_win.cpp; the byte format is vault_format.h, the safe-replace
// steps vault_save.h). TForm1's Save and Load call these with
// ProgramDir + "baza.pdb" and MasterPassword.
#pragma once
#include <memory>
#include <string>
#include <string_view>

#include "vault/cell_store.h"
#include "vault/vault_format.h"
#include "vault/vault_protection.h"
#include "vault/vault_save.h"

namespace velt {

// Writes the table's entry rows to `path` under `password`. The previous
// file survives any failure byte for byte. Raises:
//  - ETooManyEntries (more than 65535 entry rows; nothing is written),
//  - EFileCreateError "Cannot create file "<full path>". <reason>" (the file
//    is read-only, a directory, open elsewhere denying writers, the directory
//    is missing, the disk is full...).
// The password must not be empty (std::invalid_argument).
void SaveVault(const std::string& path, const CellStore& table, std::string_view password);

// Reads `path` (shared with readers, denying writers) into the table.
// Returns IncorrectPassword, table untouched, when the file's check value is
// not the password's. Raises EFileOpenError "Cannot open file "<full path>".
// <reason>" when the file cannot be opened or read; the table is untouched.
VaultLoadResult LoadVault(const std::string& path, std::string_view password, CellStore& table);

// Load of either format. A file that starts with "VLT2" is read whole and
// opened through `protection` (EVaultDamaged when it is not a sound strong
// file; never read as the old format); then `protection` is strong with the
// file's key. Any other file is read exactly as LoadVault does, and
// `protection` turns strong off once it has loaded.
VaultLoadResult LoadVaultFile(const std::string& path, std::string_view password, CellStore& table,
                              VaultProtection& protection);

// The real file operations behind SaveVault, for tests that wrap them.
std::unique_ptr<SaveFileOps> MakeWindowsSaveOps();

// The system's text for an error code (FormatMessageA, trailing line break
// removed).
std::string SystemErrorReason(unsigned long code);

} // namespace velt
