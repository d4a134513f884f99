// The vault file baza.pdb, as bytes: a 12-byte header ("IMDF", 0, CRC-32 of
// the master password, entry count; little-endian, packed) followed by one
// 1280-byte record per entry row, five 256-byte slots of a length byte and
// the enciphered field. The file layer (vault_file.h) moves these bytes.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "vault/cell_store.h"

namespace velt {

inline constexpr size_t kVaultHeaderSize = 12;
inline constexpr size_t kVaultSlotSize = 256;
inline constexpr size_t kVaultFields = 5;
inline constexpr size_t kVaultRecordSize = kVaultSlotSize * kVaultFields;  // 1280
inline constexpr size_t kVaultMaxFieldLength = kVaultSlotSize - 1;         // 255
inline constexpr int kVaultMaxEntries = 65535;
inline constexpr char kVaultMagic[4] = {'I', 'M', 'D', 'F'};

// CRC-32/ISO-HDLC (IEEE 802.3, ZIP): "123456789" gives 0xCBF43926, "" gives 0.
std::uint32_t CRC32(std::string_view bytes);

// The position-keyed field cipher. Byte j (from 0) of a field is shifted by
// key byte j mod L, except where j mod L == L - 1, where it is shifted by 0:
// the key's last byte never enters the cipher (stored files rely on this).
// Both wrap in 8 bits and keep the length. An empty key raises
// std::invalid_argument: it cannot key the cipher.
std::string Encipher(std::string_view plain, std::string_view key);
std::string Decipher(std::string_view stored, std::string_view key);

struct VaultHeader {
    char magic[4];
    std::uint16_t reserved;
    std::uint32_t passwordCheck;
    std::uint16_t count;
};

// The whole file as Save writes it: header, then EntryCount() records, each
// field cut to its first 255 bytes. Raises ETooManyEntries beyond 65535 entry
// rows and std::invalid_argument for an empty password, before building.
std::string BuildVaultImage(const CellStore& table, std::string_view password);

// Reads a header from the file's first bytes; missing bytes count as 0 and
// bytes beyond 12 are ignored. The magic is not checked.
VaultHeader ParseVaultHeader(std::string_view bytes);
bool PasswordMatches(const VaultHeader& header, std::string_view password);

// Replaces the entry rows with `count` records read from `records` (missing
// bytes count as 0, extra ones are ignored): RowCount() becomes count + 1,
// row r is numbered r, every field deciphered. Row 0 is left alone.
void FillTableFromRecords(CellStore& table, std::uint16_t count, std::string_view records,
                          std::string_view password);

enum class VaultLoadResult {
    Loaded,
    // The check value differs: the caller shows "Incorrect password!"
    // (ResStr(IDS_INCORRECT_PASSWORD)) and ends the program. The table is
    // untouched.
    IncorrectPassword,
};

// The whole Load on bytes already read: header check, then the records.
VaultLoadResult LoadVaultImage(std::string_view file, std::string_view password, CellStore& table);

} // namespace velt
