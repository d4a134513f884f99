#include "vault/strong_format.h"

#include <algorithm>
#include <cstring>

#include "core/byte_order.h"
#include "core/resource_strings.h"
#include "core/secure_memory.h"

namespace velt {

namespace {

unsigned char* Bytes(std::string& s) { return reinterpret_cast<unsigned char*>(&s[0]); }

size_t FieldLength(std::string_view text) { return std::min(text.size(), kVaultMaxFieldLength); }

[[noreturn]] void RaiseDamaged(const std::string& fullPath) {
    // Formatted after translation: the catalogue knows the text with its %s.
    throw EVaultDamaged(FormatText(ResStr(IDS_VAULT_DAMAGED), {fullPath}));
}

[[noreturn]] void RaiseTampered(const std::string& fullPath) {
    throw EVaultTampered(FormatText(ResStr(IDS_VAULT_TAMPERED), {fullPath}));
}

// Not stopping at the first difference, so the time says nothing of where.
bool SameBytes(const unsigned char* a, const unsigned char* b, size_t size) {
    unsigned char diff = 0;
    for (size_t i = 0; i < size; ++i) diff = static_cast<unsigned char>(diff | (a[i] ^ b[i]));
    return diff == 0;
}

// Offsets of the plaintext's fields, checked against its length: the count
// of entries, or -1 when the plaintext is not the layout.
long CheckPlaintext(const unsigned char* p, size_t size) {
    if (size < kStrongCountSize) return -1;
    const std::uint32_t count = GetLE32(p);
    // Every record takes at least five length bytes.
    if (count > static_cast<std::uint32_t>(kVaultMaxEntries) || count > (size - kStrongCountSize) / kVaultFields)
        return -1;
    size_t at = kStrongCountSize;
    for (std::uint32_t r = 0; r < count; ++r)
        for (size_t f = 0; f < kVaultFields; ++f) {
            if (at >= size) return -1;
            const size_t len = p[at];
            if (len > size - at - 1) return -1;
            at += 1 + len;
        }
    return at == size ? static_cast<long>(count) : -1;
}

} // namespace

bool IsStrongVault(std::string_view file) {
    return file.size() >= sizeof kStrongMagic && std::memcmp(file.data(), kStrongMagic, sizeof kStrongMagic) == 0;
}

bool StrongKey::DerivedWith(const unsigned char* salt, std::uint32_t iterations) const noexcept {
    return valid_ && iterations_ == iterations && std::memcmp(salt_, salt, kStrongSaltSize) == 0;
}

void StrongKey::Derive(StrongCrypto& crypto, std::string_view password, const unsigned char* salt,
                       std::uint32_t iterations) {
    Wipe();
    crypto.DeriveKey(password, salt, kStrongSaltSize, iterations, key_);
    crypto.Mac(key_, "Velt vault key", vaultKey_);
    unsigned char mac[kStrongMacSize];
    ScopedWipe wipeMac(mac, sizeof mac);
    crypto.Mac(key_, "Velt key check", mac);
    std::memcpy(check_, mac, kStrongKeyCheckSize);
    std::memcpy(salt_, salt, kStrongSaltSize);
    iterations_ = iterations;
    valid_ = true;
}

void StrongKey::Take(StrongKey& other) noexcept {
    if (&other == this) return;
    Wipe();
    std::memcpy(key_, other.key_, kStrongKeySize);
    std::memcpy(vaultKey_, other.vaultKey_, kStrongKeySize);
    std::memcpy(check_, other.check_, kStrongKeyCheckSize);
    std::memcpy(salt_, other.salt_, kStrongSaltSize);
    iterations_ = other.iterations_;
    valid_ = other.valid_;
    other.Wipe();
}

void StrongKey::Wipe() noexcept {
    WipeBytes(key_, sizeof key_);
    WipeBytes(vaultKey_, sizeof vaultKey_);
    WipeBytes(check_, sizeof check_);
    WipeBytes(salt_, sizeof salt_);
    iterations_ = 0;
    valid_ = false;
}

std::string StrongHeader(const StrongKey& key, const unsigned char* nonce) {
    std::string header(kStrongHeaderSize, '\0');
    unsigned char* h = Bytes(header);
    std::memcpy(h + kStrongMagicAt, kStrongMagic, sizeof kStrongMagic);
    PutLE16(h + kStrongVersionAt, kStrongVersion);
    PutLE16(h + kStrongKdfAt, kStrongKdfPbkdf2Sha256);
    PutLE32(h + kStrongIterationsAt, key.Iterations());
    std::memcpy(h + kStrongSaltAt, key.Salt(), kStrongSaltSize);
    std::memcpy(h + kStrongNonceAt, nonce, kStrongNonceSize);
    std::memcpy(h + kStrongKeyCheckAt, key.KeyCheck(), kStrongKeyCheckSize);
    return header;
}

std::string BuildStrongImage(const CellStore& table, const StrongKey& key, StrongCrypto& crypto,
                             RandomByteSource& random) {
    const int count = table.EntryCount();
    if (count > kVaultMaxEntries) throw ETooManyEntries(FormatText(ResStr(IDS_TOO_MANY_ENTRIES), {count}));
    if (!key.Valid()) throw std::logic_error("no strong key to save with");

    size_t plainSize = kStrongCountSize;
    for (int r = 1; r <= count; ++r)
        for (int c = 1; c <= static_cast<int>(kVaultFields); ++c) {
            std::string_view text = table.Cell(c, r);
            plainSize += 1 + FieldLength(text);
        }

    unsigned char nonce[kStrongNonceSize];
    random.Fill(nonce, sizeof nonce);
    std::string image = StrongHeader(key, nonce);
    image.resize(kStrongHeaderSize + plainSize + kStrongTagSize, '\0');
    unsigned char* body = Bytes(image) + kStrongHeaderSize;
    // Until sealed, the body is plaintext: wiped if anything fails.
    ScopedWipe unsealed(body, plainSize);

    PutLE32(body, static_cast<std::uint32_t>(count));
    unsigned char* out = body + kStrongCountSize;
    for (int r = 1; r <= count; ++r)
        for (int c = 1; c <= static_cast<int>(kVaultFields); ++c) {
            std::string_view text = table.Cell(c, r);
            const size_t len = FieldLength(text);
            *out++ = static_cast<unsigned char>(len);
            if (len) std::memcpy(out, text.data(), len);
            out += len;
        }
    crypto.Seal(key.VaultKey(), nonce, std::string_view(image.data(), kStrongHeaderSize), body, plainSize,
                body + plainSize);
    unsealed.Release();
    return image;
}

VaultLoadResult LoadStrongImage(std::string& file, std::string_view password, StrongCrypto& crypto, StrongKey& key,
                                CellStore& table, const std::string& fullPath) {
    if (file.size() < kStrongIterationsAt + 4 || file.size() > kStrongMaxFileSize || !IsStrongVault(file))
        RaiseDamaged(fullPath);
    const unsigned char* h = Bytes(file);
    const std::uint16_t version = GetLE16(h + kStrongVersionAt);
    const std::uint32_t iterations = GetLE32(h + kStrongIterationsAt);
    const size_t headerSize = version == kStrongVersion1 ? kStrongHeaderSizeV1 : kStrongHeaderSize;
    // Version 1 has no key check: a file cut short of its tag is damaged.
    const size_t readable = version == kStrongVersion1 ? kStrongMinFileSizeV1 : kStrongHeaderSize;
    if ((version != kStrongVersion && version != kStrongVersion1) || file.size() < readable ||
        GetLE16(h + kStrongKdfAt) != kStrongKdfPbkdf2Sha256 || iterations < kStrongMinIterations ||
        iterations > kStrongMaxIterations)
        RaiseDamaged(fullPath);
    const unsigned char* salt = h + kStrongSaltAt;
    const unsigned char* nonce = h + kStrongNonceAt;

    StrongKey fresh;
    const StrongKey* use = &key;
    if (!key.DerivedWith(salt, iterations)) {
        fresh.Derive(crypto, password, salt, iterations);
        use = &fresh;
    }
    if (version == kStrongVersion) {
        if (!SameBytes(h + kStrongKeyCheckAt, use->KeyCheck(), kStrongKeyCheckSize))
            return VaultLoadResult::IncorrectPassword;
        if (file.size() < kStrongMinFileSize) RaiseTampered(fullPath);
    }

    unsigned char* body = Bytes(file) + headerSize;
    const size_t size = file.size() - headerSize - kStrongTagSize;
    ScopedWipe wipe(body, size);
    const unsigned char* sealKey = version == kStrongVersion ? use->VaultKey() : use->Key();
    if (!crypto.Open(sealKey, nonce, std::string_view(file.data(), headerSize), body, size, body + size)) {
        if (version == kStrongVersion) RaiseTampered(fullPath);
        return VaultLoadResult::IncorrectPassword;
    }
    const long count = CheckPlaintext(body, size);
    if (count < 0) RaiseDamaged(fullPath);

    // Built aside and swapped in whole, so a failure part-way leaves the
    // table as it was; fields go straight from the plaintext into the cells.
    CellStore loaded;
    loaded.SetRowCount(static_cast<int>(count) + 1);
    const CellStore::RowView titles = table.RowCells(0);
    for (int c = 0; c < CellStore::kColumns; ++c) loaded.SetCell(c, 0, titles[static_cast<size_t>(c)]);
    const unsigned char* in = body + kStrongCountSize;
    for (int r = 1; r <= count; ++r) {
        loaded.SetCell(0, r, std::to_string(r));
        for (int c = 1; c <= static_cast<int>(kVaultFields); ++c) {
            const size_t len = *in++;
            loaded.SetCell(c, r, std::string_view(reinterpret_cast<const char*>(in), len));
            in += len;
        }
    }
    table = std::move(loaded);
    if (use == &fresh) key.Take(fresh);
    return VaultLoadResult::Loaded;
}

} // namespace velt
