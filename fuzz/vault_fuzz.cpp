// The vault reader: file bytes -> table, under a fuzzed password.
//
// Input: one flag byte, one password length byte n, n password bytes, then
// the file. Flag bit 0 writes the password's CRC-32 into the file's check
// field first, so that most inputs get past the password check into the
// records. Unless bit 1 is set, the entry count keeps only its low byte, so
// that most inputs stay small and fast; bit 1 reaches up to 65535 rows.
#include <stdexcept>

#include "fuzz_support.h"
#include "vault/cell_store.h"
#include "vault/vault_format.h"

using namespace velt;

namespace {

// Tables this large are still loaded but not saved again: a save builds
// the whole 84 MB image.
constexpr int kRoundTripLimit = 2048;

CellStore Sentinel() {
    CellStore t;
    t.SetRowCount(3);
    for (int c = 0; c < CellStore::kColumns; ++c) {
        t.SetCell(c, 0, "title" + std::to_string(c));
        t.SetCell(c, 1, "keep" + std::to_string(c));
    }
    return t;
}

bool SameCells(const CellStore& a, const CellStore& b) {
    if (a.RowCount() != b.RowCount()) return false;
    for (int r = 0; r < a.RowCount(); ++r)
        if (a.RowCells(r) != b.RowCells(r)) return false;
    return true;
}

// The stored slot of entry row r (from 1), field f (from 0): the length
// byte and the enciphered bytes, completed with zeros where the file ends.
std::string StoredField(std::string_view file, int r, int f) {
    const std::size_t at = kVaultHeaderSize + kVaultRecordSize * std::size_t(r - 1) + kVaultSlotSize * f;
    auto byte = [&](std::size_t k) { return at + k < file.size() ? file[at + k] : '\0'; };
    std::string stored(static_cast<unsigned char>(byte(0)), '\0');
    for (std::size_t k = 0; k < stored.size(); ++k) stored[k] = byte(k + 1);
    return stored;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const std::uint8_t flags = data[0];
    const std::size_t n = std::min<std::size_t>(data[1], size - 2);
    const std::string password(reinterpret_cast<const char*>(data) + 2, n);
    std::string file(reinterpret_cast<const char*>(data) + 2 + n, size - 2 - n);
    if ((flags & 1) && file.size() >= 10) {
        const std::uint32_t crc = CRC32(password);
        for (int k = 0; k < 4; ++k) file[6 + k] = static_cast<char>(crc >> (8 * k));
    }
    if (!(flags & 2) && file.size() >= 12) file[11] = 0;

    const VaultHeader header = ParseVaultHeader(file);
    CellStore table = Sentinel();
    VaultLoadResult result;
    try {
        result = LoadVaultImage(file, password, table);
    } catch (const std::invalid_argument&) {
        // Only an empty password cannot key the cipher, and nothing changed.
        CHECK(password.empty() && header.count > 0);
        CHECK(SameCells(table, Sentinel()));
        return 0;
    }
    if (result == VaultLoadResult::IncorrectPassword) {
        CHECK(header.passwordCheck != CRC32(password));
        CHECK(SameCells(table, Sentinel()));
        return 0;
    }
    CHECK(header.passwordCheck == CRC32(password));

    // Every entry row numbered afresh, every field exactly its stored bytes
    // deciphered; the title row kept.
    CHECK(table.RowCount() == header.count + 1);
    CHECK(table.RowCells(0) == Sentinel().RowCells(0));
    const std::size_t recordsInFile = file.size() > kVaultHeaderSize
                                          ? (file.size() - kVaultHeaderSize + kVaultRecordSize - 1) / kVaultRecordSize
                                          : 0;
    for (int r = 1; r <= header.count; ++r) {
        CHECK(table.Cell(0, r) == std::to_string(r));
        if (std::size_t(r) > recordsInFile) {
            // Records missing from the file come up with five empty fields.
            for (int c = 1; c < CellStore::kColumns; ++c) CHECK(table.Cell(c, r).empty());
            continue;
        }
        for (int f = 0; f < 5; ++f) {
            const std::string_view cell = table.Cell(f + 1, r);
            CHECK(cell.size() <= kVaultMaxFieldLength);
            CHECK(Encipher(cell, password) == StoredField(file, r, f));
        }
    }

    // Saving what was loaded gives a file that loads to the same table.
    if (password.empty() || header.count > kRoundTripLimit) return 0;
    const std::string image = BuildVaultImage(table, password);
    CHECK(image.size() == kVaultHeaderSize + kVaultRecordSize * std::size_t(header.count));
    const VaultHeader saved = ParseVaultHeader(image);
    CHECK(std::string_view(saved.magic, 4) == "IMDF" && saved.reserved == 0);
    CHECK(saved.count == header.count && saved.passwordCheck == header.passwordCheck);
    CellStore again;
    CHECK(LoadVaultImage(image, password, again) == VaultLoadResult::Loaded);
    for (int r = 1; r <= header.count; ++r)
        for (int c = 0; c < CellStore::kColumns; ++c) CHECK(again.Cell(c, r) == table.Cell(c, r));
    return 0;
}
