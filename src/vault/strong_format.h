// The strong vault file ("VLT2"): the table sealed with AES-256-GCM under a
// key made from the master password. Integers are little-endian. Version 3,
// which every save writes, derives K with Argon2id:
//
//   0   4  magic "VLT2"          20  16  salt
//   4   2  format version, 3     36  12  nonce
//   6   2  key derivation, 2     48  16  key check: HMAC-SHA256(K, "Velt key check"), first 16 bytes
//   8   4  passes t              64   n  ciphertext under HMAC-SHA256(K, "Velt vault key")
//  12   4  memory m, KiB        64+n 16  GCM tag
//  16   4  lanes p
//
// Version 2, still read, derives K with PBKDF2-HMAC-SHA256: its header is
// the magic, version 2, derivation 1, the 4-byte iteration count, salt
// (12), nonce (28) and key check (40), 56 bytes. Version 1 has no key check:
// the ciphertext starts at 40 and is sealed under K itself. The header bytes
// are the additional authenticated data. The key check tells a wrong
// password from a damaged or changed file.
//
// The plaintext of versions 1 and 2 is a 32-bit entry count C, then C
// records of five fields (Name, Address, Login, Password, Description), each
// a length byte L and L bytes, and nothing after. Version 3 follows each
// record with a 32-bit length E and E bytes of the entry's items, and the
// last record with a 32-bit length V and V bytes of the vault's items (see
// entry_items.h).
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
#include "vault/entry_items.h"
#include "vault/vault_format.h"

namespace velt {

inline constexpr char kStrongMagic[4] = {'V', 'L', 'T', '2'};
// Where each header field starts (version 2; version 3 below).
inline constexpr size_t kStrongMagicAt = 0;
inline constexpr size_t kStrongVersionAt = 4;
inline constexpr size_t kStrongKdfAt = 6;
inline constexpr size_t kStrongIterationsAt = 8;
inline constexpr size_t kStrongSaltAt = 12;
inline constexpr size_t kStrongNonceAt = 28;
inline constexpr size_t kStrongKeyCheckAt = 40;
inline constexpr size_t kStrongPassesAt = 8;
inline constexpr size_t kStrongMemoryAt = 12;
inline constexpr size_t kStrongLanesAt = 16;
inline constexpr size_t kStrongSaltAtV3 = 20;
inline constexpr size_t kStrongNonceAtV3 = 36;
inline constexpr size_t kStrongKeyCheckAtV3 = 48;
inline constexpr std::uint16_t kStrongVersion3 = 3;
inline constexpr std::uint16_t kStrongVersion = 2;
inline constexpr std::uint16_t kStrongVersion1 = 1;
inline constexpr std::uint16_t kStrongKdfPbkdf2Sha256 = 1;
inline constexpr std::uint16_t kStrongKdfArgon2id = 2;
inline constexpr std::uint32_t kStrongIterations = 600000;  // PBKDF2 keys of version 2
inline constexpr std::uint32_t kStrongMinIterations = 100000;
inline constexpr std::uint32_t kStrongMaxIterations = 10000000;
// Argon2id: every new key, and what a file may ask for.
inline constexpr std::uint32_t kStrongPasses = 3;
inline constexpr std::uint32_t kStrongMemoryKiB = 65536;  // 64 MiB
inline constexpr std::uint32_t kStrongLanes = 4;
inline constexpr std::uint32_t kStrongMaxPasses = 64;
inline constexpr std::uint32_t kStrongMaxLanes = 16;
inline constexpr std::uint32_t kStrongMaxMemoryKiB = 1048576;  // 1 GiB
// No file over 256 MiB is read, and no save writes one.
inline constexpr size_t kStrongMaxFileSizeV3 = size_t(256) << 20;
inline constexpr size_t kStrongSaltSize = 16;
inline constexpr size_t kStrongNonceSize = 12;
inline constexpr size_t kStrongKeySize = 32;
inline constexpr size_t kStrongTagSize = 16;
inline constexpr size_t kStrongMacSize = 32;       // HMAC-SHA256
inline constexpr size_t kStrongKeyCheckSize = 16;
inline constexpr size_t kStrongHeaderSize = 56;
inline constexpr size_t kStrongHeaderSizeV1 = 40;
inline constexpr size_t kStrongHeaderSizeV3 = 64;
inline constexpr size_t kStrongCountSize = 4;
// Header, the entry count and the tag: the shortest file there can be.
inline constexpr size_t kStrongMinFileSize = kStrongHeaderSize + kStrongCountSize + kStrongTagSize;  // 76
inline constexpr size_t kStrongMinFileSizeV1 = kStrongHeaderSizeV1 + kStrongCountSize + kStrongTagSize;  // 60
// 65,535 entries of five 255-byte fields: the longest file of version 1 or 2.
inline constexpr size_t kStrongMaxFileSize =
    kStrongMinFileSize + static_cast<size_t>(kVaultMaxEntries) * kVaultFields * (kVaultMaxFieldLength + 1);

// The file could not be read as a vault: too short, an unknown version or
// key derivation, an iteration count out of range, or a plaintext that is
// not the layout above. Never read as the old format instead.
class EVaultDamaged : public Exception { using Exception::Exception; };
// A file that asks for more than Velt gives: over 256 MiB, or a key of more
// than 1 GiB of memory. Refused before any key is derived.
class EVaultRefused : public EVaultDamaged { using EVaultDamaged::EVaultDamaged; };
// The right password (the key check matched) but the file does not open: it
// was cut short or changed. Velt does not save over it.
class EVaultTampered : public EVaultDamaged { using EVaultDamaged::EVaultDamaged; };
// The system's cryptography failed (not a wrong password).
class ECryptoError : public Exception { using Exception::Exception; };
// A save would write a file larger than Velt reads (256 MiB).
class EVaultTooLarge : public Exception { using Exception::Exception; };
// The memory the key derivation asks for could not be had: the password was
// not checked, and nothing changed.
class EKeyOutOfMemory : public Exception { using Exception::Exception; };

// True when the file starts with "VLT2".
bool IsStrongVault(std::string_view file);

// How K is made: PBKDF2-HMAC-SHA256 of `iterations` rounds (version 1 and
// 2), or Argon2id of t passes over m KiB in p lanes (version 3).
struct StrongKdf {
    std::uint16_t kind = kStrongKdfArgon2id;
    std::uint32_t iterations = 0;
    std::uint32_t passes = 0, memoryKiB = 0, lanes = 0;

    static StrongKdf Pbkdf2(std::uint32_t iterations) { return {kStrongKdfPbkdf2Sha256, iterations, 0, 0, 0}; }
    static StrongKdf Argon2id(std::uint32_t t, std::uint32_t m, std::uint32_t p) {
        return {kStrongKdfArgon2id, 0, t, m, p};
    }
    static StrongKdf Defaults() { return Argon2id(kStrongPasses, kStrongMemoryKiB, kStrongLanes); }
    bool operator==(const StrongKdf& o) const noexcept {
        return kind == o.kind && iterations == o.iterations && passes == o.passes && memoryKiB == o.memoryKiB &&
               lanes == o.lanes;
    }
    // Fewer rounds, passes or memory than `floor`, or another, older kind.
    bool WeakerThan(const StrongKdf& floor) const noexcept;
};

// The primitives. Failures of the primitives themselves raise
// ECryptoError; a tag that does not match is no failure, Open says false.
class StrongCrypto {
public:
    virtual ~StrongCrypto() = default;
    // PBKDF2-HMAC-SHA256 of the password's bytes; kStrongKeySize bytes.
    virtual void DeriveKey(std::string_view password, const unsigned char* salt, size_t saltSize,
                           std::uint32_t iterations, unsigned char* key) = 0;
    // Argon2id of the password's bytes, no secret and no associated data;
    // kStrongKeySize bytes. The reference code's unless replaced (tests).
    // EKeyOutOfMemory when its memory cannot be had.
    virtual void DeriveArgon2id(std::string_view password, const unsigned char* salt, size_t saltSize,
                                std::uint32_t passes, std::uint32_t memoryKiB, std::uint32_t lanes,
                                unsigned char* key);
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

// Key material: the derived key K with the salt and derivation it came
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
    const StrongKdf& Kdf() const noexcept { return kdf_; }
    std::uint32_t Iterations() const noexcept { return kdf_.iterations; }
    bool DerivedWith(const unsigned char* salt, const StrongKdf& kdf) const noexcept;

    // Replaces the key by the one of this password, salt and derivation.
    void Derive(StrongCrypto& crypto, std::string_view password, const unsigned char* salt, const StrongKdf& kdf);
    // Takes the other key's material; the other is wiped.
    void Take(StrongKey& other) noexcept;
    void Wipe() noexcept;

private:
    unsigned char key_[kStrongKeySize] = {};
    unsigned char vaultKey_[kStrongKeySize] = {};
    unsigned char check_[kStrongKeyCheckSize] = {};
    unsigned char salt_[kStrongSaltSize] = {};
    StrongKdf kdf_{0, 0, 0, 0, 0};
    bool valid_ = false;
};

// The header bytes of a key and nonce: version 3 (64 bytes) for an Argon2id
// key, version 2 (56) for a PBKDF2 one.
std::string StrongHeader(const StrongKey& key, const unsigned char* nonce);

// The whole file under `key`, with a new nonce from `random`: version 3 for
// an Argon2id key (VaultProtection saves with no other), with each entry's
// items and the newest `historyKeep` of its old passwords; version 2 for a
// PBKDF2 key, which carries the five fields alone. Fields longer than 255
// bytes are cut to their first 255, as in the old format. Raises
// ETooManyEntries beyond 65,535 entry rows and EVaultTooLarge for a file
// over 256 MiB, before anything is built; std::logic_error for an entry
// without an id (VaultProtection gives every entry one first). The
// plaintext is built in place of the ciphertext, so no copy of it outlives
// the call, also when sealing fails.
std::string BuildStrongImage(const CellStore& table, const StrongKey& key, StrongCrypto& crypto,
                             RandomByteSource& random, int historyKeep = kHistoryKeepMax);

// Reads a strong file of any version into the table, with the items of
// version 3. The key is `key` itself when it was derived with the file's
// salt and derivation; otherwise one is
// derived, and `key` takes it once the file has opened. Returns
// IncorrectPassword (table and key untouched) when the key check (version 2)
// or the tag (version 1) does not match. Raises EVaultDamaged ("The database
// file "<fullPath>" is damaged...") before deriving anything for a bad or cut
// header, and after opening for a bad plaintext or items that break their
// rules; EVaultRefused, deriving nothing, for a file over 256 MiB or a key
// over 1 GiB; EVaultTampered when the key
// check matched but the file is cut short or fails its tag. The table is
// then untouched. The body of `file` is decrypted in place and wiped before
// returning, on every path.
// `ahead`: a key derived before the file was read whole (see below), used
// when it is the one the file needs, and then taken into `key`.
VaultLoadResult LoadStrongImage(std::string& file, std::string_view password, StrongCrypto& crypto, StrongKey& key,
                                CellStore& table, const std::string& fullPath, StrongKey* ahead = nullptr);

// Derives into `ahead`, from the file's header and size alone, the key its
// load will need unless `key` already is it: a reader that does
// this before reading the rest never holds the key derivation's memory and
// the whole file at once. Refuses and reports damage as LoadStrongImage does.
void DeriveStrongKeyAhead(std::string_view head, size_t fileSize, std::string_view password, StrongCrypto& crypto,
                          const StrongKey& key, StrongKey& ahead, const std::string& fullPath);

} // namespace velt
