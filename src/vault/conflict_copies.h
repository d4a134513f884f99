// The copies that sync services leave beside the vault when two computers
// saved it while apart, told by their names alone.
#pragma once
#include <string_view>

namespace velt {

enum class ConflictCopyKind { None, Dropbox, Nextcloud, OneDrive, GoogleDrive, Syncthing };

// Which service's conflict copy of the vault `vaultName` ("baza.pdb") the
// bare file name `name` is, if any. Letters compare without case, as Windows
// compares file names:
//   Dropbox     "baza (Jan's conflicted copy 2024-03-05).pdb"
//   Nextcloud   "baza (conflicted copy 2024-03-05 142233).pdb" (and ownCloud)
//   OneDrive    "baza-DESKTOP-4F2K9QL.pdb" (a computer's name)
//   Google      "baza (1).pdb"
//   Syncthing   "baza.sync-conflict-20240305-142233-ABCDEF7.pdb"
ConflictCopyKind ConflictCopyOf(std::string_view vaultName, std::string_view name);

} // namespace velt
