// The strong vault file ("VLT2"): the table sealed with AES-256-GCM under a
// key made from the master password's PBKDF2-HMAC-SHA256 key K. Integers are
// little-endian. Version 2, which every save writes:
//
//   0   4  magic "VLT2"          12  16  salt
//   4   2  format version, 2     28  12  nonce
//   6   2  key derivation, 1     40  16  key check: HMAC-SHA256(K, "Velt key check"), first 16 bytes
//   8   4  iteration count       56   n  ciphertext under HMAC-SHA256(K, "Velt vault key")
//                                56+n 16 GCM tag
//
// Version 1, still read, has no key check: the ciphertext starts at 40 and
// is sealed under K itself. The header bytes (56 or 40) are the additional
// authenticated data. The key check tells a wrong password from a damaged
// or changed file. The plaintext
// is a 32-bit entry count C, then C records of five fields (Name, Address,
// Login, Password, Description), each a length byte L and L bytes, and
// nothing after the last record.
//
// This unit owns the bytes and every bound check; the primitives come in
// through StrongCrypto (CNG on Windows, a stand-in in tests and fuzzing).
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/errors.h"
#include "core/random_source.h"
#include "vault/cell_store.h"
#include "vault/vault_format.h"

namespace velt {

inline constexpr char kStrongMagic[4] = {'V', 'L', 'T', '2'};
// Where each header field starts.
inline constexpr size_t kStrongMagicAt = 0;
inline constexpr size_t kStrongVersionAt = 4;
inline constexpr size_t kStrongKdfAt = 6;
inline constexpr size_t kStrongIterationsAt = 8;
inline constexpr size_t kStrongSaltAt = 12;
inline constexpr size_t kStrongNonceAt = 28;
inline constexpr size_t kStrongKeyCheckAt = 40;
inline constexpr std::uint16_t kStrongVersion = 2;
inline constexpr std::uint16_t kStrongVersion1 = 1;
inline constexpr std::uint16_t kStrongKdfPbkdf2Sha256 = 1;
inline constexpr std::uint32_t kStrongIterations = 600000;  // every new key
inline constexpr std::uint32_t kStrongMinIterations = 100000;
inline constexpr std::uint32_t kStrongMaxIterations = 10000000;
inline constexpr size_t kStrongSaltSize = 16;
inline constexpr size_t kStrongNonceSize = 12;
inline constexpr size_t kStrongKeySize = 32;
inline constexpr size_t kStrongTagSize = 16;
inline constexpr size_t kStrongMacSize = 32;       // HMAC-SHA256
inline constexpr size_t kStrongKeyCheckSize = 16;
inline constexpr size_t kStrongHeaderSize = 56;
inline constexpr size_t kStrongHeaderSizeV1 = 40;
inline constexpr size_t kStrongCountSize = 4;
// Header, the entry count and the tag: the shortest file there can be.
inline constexpr size_t kStrongMinFileSize = kStrongHeaderSize + kStrongCountSize + kStrongTagSize;  // 76
inline constexpr size_t kStrongMinFileSizeV1 = kStrongHeaderSizeV1 + kStrongCountSize + kStrongTagSize;  // 60
// 65,535 entries of five 255-byte fields: the longest file Velt reads.
inline constexpr size_t kStrongMaxFileSize =
    kStrongMinFileSize + static_cast<size_t>(kVaultMaxEntries) * kVaultFields * (kVaultMaxFieldLength + 1);

// The file could not be read as a vault: too short, an unknown version or
// key derivation, an iteration count out of range, or a plaintext that is
// not the layout above. Never read as the old format instead.
class EVaultDamaged : public Exception { using Exception::Exception; };
// The right password (the key check matched) but the file does not open: it
// was cut short or changed. Velt does not save over it.
class EVaultTampered : public EVaultDamaged { using EVaultDamaged::EVaultDamaged; };
// The system's cryptography failed (not a wrong password).
class ECryptoError : public Exception { using Exception::Exception; };

// True when the file starts with "VLT2".
bool IsStrongVault(std::string_view file);

// The four primitives. Failures of the primitives themselves raise
// ECryptoError; a tag that does not match is no failure, Open says false.
class StrongCrypto {
public:
    virtual ~StrongCrypto() = default;
    // PBKDF2-HMAC-SHA256 of the password's bytes; kStrongKeySize bytes.
    virtual void DeriveKey(std::string_view password, const unsigned char* salt, size_t saltSize,
                           std::uint32_t iterations, unsigned char* key) = 0;
    // AES-256-GCM, in place: data becomes the ciphertext, tag receives
    // kStrongTagSize bytes.
    virtual void Seal(const unsigned char* key, const unsigned char* nonce, std::string_view aad,
                      unsigned char* data, size_t size, unsigned char* tag) = 0;
    // In place; false (and data unspecified) when the tag does not match.
    virtual bool Open(const unsigned char* key, const unsigned char* nonce, std::string_view aad,
                      unsigned char* data, size_t size, const unsigned char* tag) = 0;
    // HMAC-SHA256 under a kStrongKeySize key; mac receives kStrongMacSize bytes.
    virtual void Mac(const unsigned char* key, std::string_view message, unsigned char* mac) = 0;
};

// Key material: the derived key K with the salt and iteration count it came
// from, and the vault key and key check made from it. Fixed-size, never
// copied to the heap, wiped when replaced or freed.
class StrongKey {
public:
    StrongKey() = default;
    ~StrongKey() { Wipe(); }
    StrongKey(const StrongKey&) = delete;
    StrongKey& operator=(const StrongKey&) = delete;

    bool Valid() const noexcept { return valid_; }
    const unsigned char* Key() const noexcept { return key_; }  // K: version 1 seals under it
    const unsigned char* VaultKey() const noexcept { return vaultKey_; }
    const unsigned char* KeyCheck() const noexcept { return check_; }
    const unsigned char* Salt() const noexcept { return salt_; }
    std::uint32_t Iterations() const noexcept { return iterations_; }
    bool DerivedWith(const unsigned char* salt, std::uint32_t iterations) const noexcept;

    // Replaces the key by the one of this password, salt and count.
    void Derive(StrongCrypto& crypto, std::string_view password, const unsigned char* salt,
                std::uint32_t iterations);
    // Takes the other key's material; the other is wiped.
    void Take(StrongKey& other) noexcept;
    void Wipe() noexcept;

private:
    unsigned char key_[kStrongKeySize] = {};
    unsigned char vaultKey_[kStrongKeySize] = {};
    unsigned char check_[kStrongKeyCheckSize] = {};
    unsigned char salt_[kStrongSaltSize] = {};
    std::uint32_t iterations_ = 0;
    bool valid_ = false;
};

// The 56 header bytes (version 2) of a key and nonce.
std::string StrongHeader(const StrongKey& key, const unsigned char* nonce);

// The whole file under `key`, with a new nonce from `random`. Fields longer
// than 255 bytes are cut to their first 255, as in the old format. Raises
// ETooManyEntries beyond 65,535 entry rows, before anything is built. The
// plaintext is built in place of the ciphertext, so no copy of it outlives
// the call, also when sealing fails.
std::string BuildStrongImage(const CellStore& table, const StrongKey& key, StrongCrypto& crypto,
                             RandomByteSource& random);

// Reads a strong file of either version into the table. The key is `key`
// itself when it was derived with the file's salt and count; otherwise one is
// derived, and `key` takes it once the file has opened. Returns
// IncorrectPassword (table and key untouched) when the key check (version 2)
// or the tag (version 1) does not match. Raises EVaultDamaged ("The database
// file "<fullPath>" is damaged...") before deriving anything for a bad or cut
// header, and after opening for a bad plaintext; EVaultTampered when the key
// check matched but the file is cut short or fails its tag. The table is
// then untouched. The body of `file` is decrypted in place and wiped before
// returning, on every path.
VaultLoadResult LoadStrongImage(std::string& file, std::string_view password, StrongCrypto& crypto, StrongKey& key,
                                CellStore& table, const std::string& fullPath);

} // namespace velt
