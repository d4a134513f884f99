// The vault file baza.pdb, as bytes: a 12-byte header ("IMDF", 0, CRC-32 of
// the master password, entry count; little-endian, packed) followed by one
// 1280-byte record per entry row, five 256-byte slots of a length byte and
// the enciphered field. The file layer (vault_file.h) moves these bytes.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
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
// Where each header field starts.
inline constexpr size_t kVaultMagicAt = 0;
inline constexpr size_t kVaultReservedAt = 4;
inline constexpr size_t kVaultCheckAt = 6;
inline constexpr size_t kVaultCountAt = 10;

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

// Raises ETooManyEntries beyond 65535 entry rows and std::invalid_argument
// for an empty password: what makes a table unsavable.
void CheckVaultSavable(const CellStore& table, std::string_view password);

// Records per piece of WriteVaultImage: 640 KB, small enough to stay in the
// cache, large enough that the calls do not count.
inline constexpr int kVaultChunkRecords = 512;

// The file as Save writes it, in pieces: the header, then the records in runs
// of at most kVaultChunkRecords, each handed to `sink` before the next one is
// built over the same buffer, so the whole file never sits in memory. Stops
// when `sink` returns false. Checks as CheckVaultSavable first.
void WriteVaultImage(const CellStore& table, std::string_view password,
                     const std::function<bool(const char* bytes, size_t size)>& sink);

// The whole file in one string: header, then EntryCount() records, each
// field cut to its first 255 bytes. Same checks.
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

// The same, fed as the file is read: the entry rows are built in a table of
// their own, and only Finish touches the target, so a read that fails half
// way leaves it as it was.
class VaultTableBuilder {
public:
    // std::invalid_argument for an empty password when count > 0.
    VaultTableBuilder(std::uint16_t count, std::string_view password);
    ~VaultTableBuilder();
    // The next bytes of the record area, in any pieces; bytes beyond the
    // count's records are ignored.
    void Add(const char* bytes, size_t size);
    // Records not (fully) given read as zeros. Row 0 of `table` stays.
    void Finish(CellStore& table);

private:
    void AddRecord(const unsigned char* record);
    std::uint16_t count_;
    unsigned char key_[kVaultMaxFieldLength];  // the key value of each position of a field
    int next_ = 1;
    CellStore rows_;
    unsigned char pending_[kVaultRecordSize];
    size_t pendingSize_ = 0;
};

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
