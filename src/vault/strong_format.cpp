#include "vault/strong_format.h"

#include <algorithm>
#include <cstring>

#include "core/resource_strings.h"

namespace velt {

namespace {

unsigned char* Bytes(std::string& s) { return reinterpret_cast<unsigned char*>(&s[0]); }

void Put16(unsigned char* p, std::uint16_t v) {
    p[0] = static_cast<unsigned char>(v);
    p[1] = static_cast<unsigned char>(v >> 8);
}
void Put32(unsigned char* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>(v >> (8 * i));
}
std::uint32_t Get(const unsigned char* p, int bytes) {
    std::uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | p[i];
    return v;
}

void WipeBytes(unsigned char* p, size_t n) noexcept {
    volatile unsigned char* v = p;
    for (size_t i = 0; i < n; ++i) v[i] = 0;
}

// Wipes a range of a buffer on every way out.
struct WipeRange {
    unsigned char* data;
    size_t size;
    ~WipeRange() { WipeBytes(data, size); }
};

size_t FieldLength(std::string_view text) { return std::min(text.size(), kVaultMaxFieldLength); }

[[noreturn]] void RaiseDamaged(const std::string& fullPath) {
    // Formatted after translation: the catalogue knows the text with its %s.
    throw EVaultDamaged(FormatText(ResStr(IDS_VAULT_DAMAGED), {fullPath}));
}

// Offsets of the plaintext's fields, checked against its length: the count
// of entries, or -1 when the plaintext is not the layout.
long CheckPlaintext(const unsigned char* p, size_t size) {
    if (size < kStrongCountSize) return -1;
    const std::uint32_t count = Get(p, 4);
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
    std::memcpy(salt_, salt, kStrongSaltSize);
    iterations_ = iterations;
    valid_ = true;
}

void StrongKey::Take(StrongKey& other) noexcept {
    if (&other == this) return;
    Wipe();
    std::memcpy(key_, other.key_, kStrongKeySize);
    std::memcpy(salt_, other.salt_, kStrongSaltSize);
    iterations_ = other.iterations_;
    valid_ = other.valid_;
    other.Wipe();
}

void StrongKey::Wipe() noexcept {
    WipeBytes(key_, sizeof key_);
    WipeBytes(salt_, sizeof salt_);
    iterations_ = 0;
    valid_ = false;
}

std::string StrongHeader(const StrongKey& key, const unsigned char* nonce) {
    std::string header(kStrongHeaderSize, '\0');
    unsigned char* h = Bytes(header);
    std::memcpy(h, kStrongMagic, 4);
    Put16(h + 4, kStrongVersion);
    Put16(h + 6, kStrongKdfPbkdf2Sha256);
    Put32(h + 8, key.Iterations());
    std::memcpy(h + 12, key.Salt(), kStrongSaltSize);
    std::memcpy(h + 28, nonce, kStrongNonceSize);
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
    bool sealed = false;
    struct WipeUnlessSealed {
        unsigned char* data;
        size_t size;
        const bool& sealed;
        ~WipeUnlessSealed() {
            if (!sealed) WipeBytes(data, size);
        }
    } guard{body, plainSize, sealed};

    Put32(body, static_cast<std::uint32_t>(count));
    unsigned char* out = body + kStrongCountSize;
    for (int r = 1; r <= count; ++r)
        for (int c = 1; c <= static_cast<int>(kVaultFields); ++c) {
            std::string_view text = table.Cell(c, r);
            const size_t len = FieldLength(text);
            *out++ = static_cast<unsigned char>(len);
            if (len) std::memcpy(out, text.data(), len);
            out += len;
        }
    crypto.Seal(key.Key(), nonce, std::string_view(image.data(), kStrongHeaderSize), body, plainSize,
                body + plainSize);
    sealed = true;
    return image;
}

VaultLoadResult LoadStrongImage(std::string& file, std::string_view password, StrongCrypto& crypto, StrongKey& key,
                                CellStore& table, const std::string& fullPath) {
    if (file.size() < kStrongMinFileSize || file.size() > kStrongMaxFileSize || !IsStrongVault(file))
        RaiseDamaged(fullPath);
    const unsigned char* h = Bytes(file);
    const std::uint32_t iterations = Get(h + 8, 4);
    if (Get(h + 4, 2) != kStrongVersion || Get(h + 6, 2) != kStrongKdfPbkdf2Sha256 ||
        iterations < kStrongMinIterations || iterations > kStrongMaxIterations)
        RaiseDamaged(fullPath);
    const unsigned char* salt = h + 12;
    const unsigned char* nonce = h + 28;

    StrongKey fresh;
    const StrongKey* use = &key;
    if (!key.DerivedWith(salt, iterations)) {
        fresh.Derive(crypto, password, salt, iterations);
        use = &fresh;
    }

    unsigned char* body = Bytes(file) + kStrongHeaderSize;
    const size_t size = file.size() - kStrongHeaderSize - kStrongTagSize;
    WipeRange wipe{body, size};
    if (!crypto.Open(use->Key(), nonce, std::string_view(file.data(), kStrongHeaderSize), body, size, body + size))
        return VaultLoadResult::IncorrectPassword;
    const long count = CheckPlaintext(body, size);
    if (count < 0) RaiseDamaged(fullPath);

    table.SetRowCount(static_cast<int>(count) + 1);
    const unsigned char* in = body + kStrongCountSize;
    for (int r = 1; r <= count; ++r) {
        table.SetCell(0, r, std::to_string(r));
        for (int c = 1; c <= static_cast<int>(kVaultFields); ++c) {
            const size_t len = *in++;
            table.SetCell(c, r, std::string(reinterpret_cast<const char*>(in), len));
            in += len;
        }
    }
    if (use == &fresh) key.Take(fresh);
    return VaultLoadResult::Loaded;
}

} // namespace velt
