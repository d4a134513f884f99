#include "vault/conflict_copies.h"

#include <gtest/gtest.h>

namespace velt {
namespace {

// Names as each service writes them, and names that only look alike.
TEST(ConflictCopies, NamesOfEachServiceAndNearMisses) {
    using K = ConflictCopyKind;
    const struct {
        const char* name;
        K kind;
    } rows[] = {
        {"baza (Jan Kowalski's conflicted copy 2024-03-05).pdb", K::Dropbox},
        {"baza (DESKTOP-4F2K9QL's conflicted copy 2024-03-05 (1)).pdb", K::Dropbox},
        {"BAZA (jan's Conflicted Copy 2024-03-05).PDB", K::Dropbox},
        {"baza (conflicted copy 2024-03-05 142233).pdb", K::Nextcloud},
        {"baza (conflicted copy jan 2024-03-05 142233).pdb", K::Nextcloud},
        {"baza-DESKTOP-4F2K9QL.pdb", K::OneDrive},
        {"baza-LAPTOP_JAN-2.pdb", K::OneDrive},
        {"baza (1).pdb", K::GoogleDrive},
        {"baza (12).pdb", K::GoogleDrive},
        {"baza.sync-conflict-20240305-142233-ABCDEF7.pdb", K::Syncthing},
        {"baza.pdb", K::None},
        {"baza (copy).pdb", K::None},
        {"baza.pdb.1.bak", K::None},
        {"baza.pdb.0000abcd-0.tmp", K::None},
        {"baza (0).pdb", K::None},
        {"baza (1234).pdb", K::None},
        {"baza ().pdb", K::None},
        {"baza (1).pdb.bak", K::None},
        {"baza (conflicted copy 2024-03-05).txt", K::None},
        {"bazar (1).pdb", K::None},
        {"old baza (1).pdb", K::None},
        {"baza (conflicted copy).pdb", K::None},
        {"baza-.pdb", K::None},
        {"baza-DESKTOP 1.pdb", K::None},
        {"baza-.sync.pdb", K::None},
        {"baza.sync-conflict-2024-03-05-ABCDEF7.pdb", K::None},
        {"baza.sync-conflict-20240305-142233-.pdb", K::None},
        {"baza.1.pdb", K::None},
    };
    for (const auto& row : rows) EXPECT_EQ(ConflictCopyOf("baza.pdb", row.name), row.kind) << row.name;
}

} // namespace
} // namespace velt
