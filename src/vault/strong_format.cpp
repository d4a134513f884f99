#include "vault/strong_format.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <stdexcept>

#include "core/byte_order.h"
#include "core/resource_strings.h"
#include "core/secure_memory.h"
#include "vault/argon2id.h"

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

// Where a version's header keeps what, and how long it is.
struct Layout {
    size_t salt, nonce, check, header;
};

Layout LayoutOf(std::uint16_t version) {
    if (version == kStrongVersion3) return {kStrongSaltAtV3, kStrongNonceAtV3, kStrongKeyCheckAtV3, kStrongHeaderSizeV3};
    if (version == kStrongVersion1) return {kStrongSaltAt, kStrongNonceAt, 0, kStrongHeaderSizeV1};
    return {kStrongSaltAt, kStrongNonceAt, kStrongKeyCheckAt, kStrongHeaderSize};
}

// The five length-prefixed fields from `at`; false when one runs past the end.
bool SkipFields(const unsigned char* p, size_t size, size_t& at) {
    for (size_t f = 0; f < kVaultFields; ++f) {
        if (at >= size) return false;
        const size_t len = p[at];
        if (len > size - at - 1) return false;
        at += 1 + len;
    }
    return true;
}

// A 32-bit length and that many bytes from `at`; false past the end.
bool TakeItems(const unsigned char* p, size_t size, size_t& at, std::string_view& items) {
    if (size - at < 4) return false;
    const size_t len = GetLE32(p + at);
    if (len > size - at - 4) return false;
    items = std::string_view(reinterpret_cast<const char*>(p + at + 4), len);
    at += 4 + len;
    return true;
}

// The plaintext checked against its layout: the count of entries, or -1
// when it is not the layout (or, in version 3, items break their rules).
long CheckPlaintext(const unsigned char* p, size_t size, bool items) {
    if (size < kStrongCountSize) return -1;
    const std::uint32_t count = GetLE32(p);
    // Every record takes at least five length bytes (and four more of items).
    const size_t least = kVaultFields + (items ? 4 : 0);
    if (count > static_cast<std::uint32_t>(kVaultMaxEntries) || count > (size - kStrongCountSize) / least) return -1;
    size_t at = kStrongCountSize;
    std::string_view bytes;
    for (std::uint32_t r = 0; r < count; ++r) {
        if (!SkipFields(p, size, at)) return -1;
        if (items && (!TakeItems(p, size, at, bytes) || !EntryItemsSound(bytes))) return -1;
    }
    if (items && (!TakeItems(p, size, at, bytes) || !VaultItemsSound(bytes))) return -1;
    return at == size ? static_cast<long>(count) : -1;
}

// The row's items as version 3 writes them: all of them, but only the
// newest `keep` old passwords. Calls `put` with each item kept.
template <typename Put>
void KeptItems(std::string_view items, int keep, Put put) {
    int old = 0;
    for (ItemWalk w(items); w.Next();)
        if (w.Type() != kItemOldPassword || old++ < keep) put(w.Whole());
}

} // namespace

bool IsStrongVault(std::string_view file) {
    return file.size() >= sizeof kStrongMagic && std::memcmp(file.data(), kStrongMagic, sizeof kStrongMagic) == 0;
}

bool StrongKdf::WeakerThan(const StrongKdf& floor) const noexcept {
    if (kind != floor.kind) return kind < floor.kind;
    if (kind == kStrongKdfPbkdf2Sha256) return iterations < floor.iterations;
    return passes < floor.passes || memoryKiB < floor.memoryKiB;
}

void StrongCrypto::DeriveArgon2id(std::string_view password, const unsigned char* salt, size_t saltSize,
                                  std::uint32_t passes, std::uint32_t memoryKiB, std::uint32_t lanes,
                                  unsigned char* key) {
    Argon2id(password, std::string_view(reinterpret_cast<const char*>(salt), saltSize), {passes, memoryKiB, lanes},
             key, kStrongKeySize);
}

bool StrongKey::DerivedWith(const unsigned char* salt, const StrongKdf& kdf) const noexcept {
    return valid_ && kdf_ == kdf && std::memcmp(salt_, salt, kStrongSaltSize) == 0;
}

void StrongKey::Derive(StrongCrypto& crypto, std::string_view password, const unsigned char* salt,
                       const StrongKdf& kdf) {
    Wipe();
    if (kdf.kind == kStrongKdfPbkdf2Sha256)
        crypto.DeriveKey(password, salt, kStrongSaltSize, kdf.iterations, key_);
    else
        crypto.DeriveArgon2id(password, salt, kStrongSaltSize, kdf.passes, kdf.memoryKiB, kdf.lanes, key_);
    crypto.Mac(key_, "Velt vault key", vaultKey_);
    unsigned char mac[kStrongMacSize];
    ScopedWipe wipeMac(mac, sizeof mac);
    crypto.Mac(key_, "Velt key check", mac);
    std::memcpy(check_, mac, kStrongKeyCheckSize);
    std::memcpy(salt_, salt, kStrongSaltSize);
    kdf_ = kdf;
    valid_ = true;
}

void StrongKey::Take(StrongKey& other) noexcept {
    if (&other == this) return;
    Wipe();
    std::memcpy(key_, other.key_, kStrongKeySize);
    std::memcpy(vaultKey_, other.vaultKey_, kStrongKeySize);
    std::memcpy(check_, other.check_, kStrongKeyCheckSize);
    std::memcpy(salt_, other.salt_, kStrongSaltSize);
    kdf_ = other.kdf_;
    valid_ = other.valid_;
    other.Wipe();
}

void StrongKey::Wipe() noexcept {
    WipeBytes(key_, sizeof key_);
    WipeBytes(vaultKey_, sizeof vaultKey_);
    WipeBytes(check_, sizeof check_);
    WipeBytes(salt_, sizeof salt_);
    kdf_ = StrongKdf{0, 0, 0, 0, 0};
    valid_ = false;
}

std::string StrongHeader(const StrongKey& key, const unsigned char* nonce) {
    const bool v3 = key.Kdf().kind == kStrongKdfArgon2id;
    const Layout at = LayoutOf(v3 ? kStrongVersion3 : kStrongVersion);
    std::string header(at.header, '\0');
    unsigned char* h = Bytes(header);
    std::memcpy(h + kStrongMagicAt, kStrongMagic, sizeof kStrongMagic);
    PutLE16(h + kStrongVersionAt, v3 ? kStrongVersion3 : kStrongVersion);
    PutLE16(h + kStrongKdfAt, key.Kdf().kind);
    if (v3) {
        PutLE32(h + kStrongPassesAt, key.Kdf().passes);
        PutLE32(h + kStrongMemoryAt, key.Kdf().memoryKiB);
        PutLE32(h + kStrongLanesAt, key.Kdf().lanes);
    } else {
        PutLE32(h + kStrongIterationsAt, key.Kdf().iterations);
    }
    std::memcpy(h + at.salt, key.Salt(), kStrongSaltSize);
    std::memcpy(h + at.nonce, nonce, kStrongNonceSize);
    std::memcpy(h + at.check, key.KeyCheck(), kStrongKeyCheckSize);
    return header;
}

std::string BuildStrongImage(const CellStore& table, const StrongKey& key, StrongCrypto& crypto,
                             RandomByteSource& random, int historyKeep) {
    const int count = table.EntryCount();
    if (count > kVaultMaxEntries) throw ETooManyEntries(FormatText(ResStr(IDS_TOO_MANY_ENTRIES), {count}));
    if (!key.Valid()) throw std::logic_error("no strong key to save with");
    const bool v3 = key.Kdf().kind == kStrongKdfArgon2id;
    const size_t headerSize = v3 ? kStrongHeaderSizeV3 : kStrongHeaderSize;

    std::uint64_t plainSize = kStrongCountSize + (v3 ? 4 + table.Items(0).size() : 0);
    for (int r = 1; r <= count; ++r) {
        for (int c = 1; c <= static_cast<int>(kVaultFields); ++c) plainSize += 1 + FieldLength(table.Cell(c, r));
        if (!v3) continue;
        if (!EntryItemsSound(table.Items(r))) throw std::logic_error("an entry's items break their rules");
        plainSize += 4;
        KeptItems(table.Items(r), historyKeep, [&](std::string_view item) { plainSize += item.size(); });
    }
    if (v3 && headerSize + plainSize + kStrongTagSize > kStrongMaxFileSizeV3)
        throw EVaultTooLarge(ResStr(IDS_VAULT_TOO_LARGE_TO_SAVE));

    unsigned char nonce[kStrongNonceSize];
    random.Fill(nonce, sizeof nonce);
    std::string image = StrongHeader(key, nonce);
    image.resize(headerSize + plainSize + kStrongTagSize, '\0');
    unsigned char* body = Bytes(image) + headerSize;
    // Until sealed, the body is plaintext: wiped if anything fails.
    ScopedWipe unsealed(body, plainSize);

    PutLE32(body, static_cast<std::uint32_t>(count));
    unsigned char* out = body + kStrongCountSize;
    auto putItems = [&](std::string_view items, int keep) {
        unsigned char* length = out;
        out += 4;
        KeptItems(items, keep, [&](std::string_view item) {
            std::memcpy(out, item.data(), item.size());
            out += item.size();
        });
        PutLE32(length, static_cast<std::uint32_t>(out - length - 4));
    };
    for (int r = 1; r <= count; ++r) {
        for (int c = 1; c <= static_cast<int>(kVaultFields); ++c) {
            std::string_view text = table.Cell(c, r);
            const size_t len = FieldLength(text);
            *out++ = static_cast<unsigned char>(len);
            if (len) std::memcpy(out, text.data(), len);
            out += len;
        }
        if (v3) putItems(table.Items(r), historyKeep);
    }
    if (v3) putItems(table.Items(0), 0);
    crypto.Seal(key.VaultKey(), nonce, std::string_view(image.data(), headerSize), body,
                static_cast<size_t>(plainSize), body + plainSize);
    unsealed.Release();
    return image;
}

namespace {

// What a strong file's header says, checked against the file's size.
struct HeaderFields {
    std::uint16_t version;
    Layout at;
    StrongKdf kdf;
};

HeaderFields ReadHeaderFields(std::string_view head, size_t fileSize, const std::string& fullPath) {
    if (fileSize > kStrongMaxFileSizeV3) throw EVaultRefused(FormatText(ResStr(IDS_VAULT_TOO_LARGE), {fullPath}));
    if (fileSize < kStrongIterationsAt + 4 || head.size() < kStrongIterationsAt + 4 || !IsStrongVault(head))
        RaiseDamaged(fullPath);
    const auto* h = reinterpret_cast<const unsigned char*>(head.data());
    HeaderFields header{GetLE16(h + kStrongVersionAt), LayoutOf(GetLE16(h + kStrongVersionAt)), {}};
    const std::uint16_t kind = GetLE16(h + kStrongKdfAt);
    if (header.version == kStrongVersion3) {
        if (fileSize < header.at.header || head.size() < header.at.header || kind != kStrongKdfArgon2id)
            RaiseDamaged(fullPath);
        StrongKdf& kdf = header.kdf;
        kdf = StrongKdf::Argon2id(GetLE32(h + kStrongPassesAt), GetLE32(h + kStrongMemoryAt), GetLE32(h + kStrongLanesAt));
        if (kdf.passes < 1 || kdf.passes > kStrongMaxPasses || kdf.lanes < 1 || kdf.lanes > kStrongMaxLanes ||
            kdf.memoryKiB < 8 * kdf.lanes)
            RaiseDamaged(fullPath);
        if (kdf.memoryKiB > kStrongMaxMemoryKiB)
            throw EVaultRefused(FormatText(ResStr(IDS_VAULT_KEY_TOO_COSTLY), {fullPath}));
    } else {
        // Version 1 has no key check: a file cut short of its tag is damaged.
        const size_t readable = header.version == kStrongVersion1 ? kStrongMinFileSizeV1 : kStrongHeaderSize;
        header.kdf = StrongKdf::Pbkdf2(GetLE32(h + kStrongIterationsAt));
        if ((header.version != kStrongVersion && header.version != kStrongVersion1) || fileSize < readable ||
            fileSize > kStrongMaxFileSize || kind != kStrongKdfPbkdf2Sha256 ||
            header.kdf.iterations < kStrongMinIterations || header.kdf.iterations > kStrongMaxIterations ||
            head.size() < header.at.header)
            RaiseDamaged(fullPath);
    }
    return header;
}

} // namespace

void DeriveStrongKeyAhead(std::string_view head, size_t fileSize, std::string_view password, StrongCrypto& crypto,
                          const StrongKey& key, StrongKey& ahead, const std::string& fullPath) {
    const HeaderFields header = ReadHeaderFields(head, fileSize, fullPath);
    const auto* salt = reinterpret_cast<const unsigned char*>(head.data()) + header.at.salt;
    // Derived again even for the same salt: the password may not be the same.
    if (!key.DerivedWith(salt, header.kdf)) ahead.Derive(crypto, password, salt, header.kdf);
}

VaultLoadResult LoadStrongImage(std::string& file, std::string_view password, StrongCrypto& crypto, StrongKey& key,
                                CellStore& table, const std::string& fullPath, StrongKey* ahead) {
    const HeaderFields header = ReadHeaderFields(file, file.size(), fullPath);
    const std::uint16_t version = header.version;
    const Layout at = header.at;
    const StrongKdf& kdf = header.kdf;
    const unsigned char* h = Bytes(file);
    const unsigned char* salt = h + at.salt;
    const unsigned char* nonce = h + at.nonce;

    StrongKey fresh;
    StrongKey* use = &key;
    if (!key.DerivedWith(salt, kdf)) {
        if (ahead && ahead->DerivedWith(salt, kdf)) {
            use = ahead;
        } else {
            fresh.Derive(crypto, password, salt, kdf);
            use = &fresh;
        }
    }
    if (version != kStrongVersion1) {
        if (!SameBytes(h + at.check, use->KeyCheck(), kStrongKeyCheckSize)) return VaultLoadResult::IncorrectPassword;
        if (file.size() < at.header + kStrongCountSize + kStrongTagSize) RaiseTampered(fullPath);
    }

    unsigned char* body = Bytes(file) + at.header;
    const size_t size = file.size() - at.header - kStrongTagSize;
    ScopedWipe wipe(body, size);
    const unsigned char* sealKey = version == kStrongVersion1 ? use->Key() : use->VaultKey();
    if (!crypto.Open(sealKey, nonce, std::string_view(file.data(), at.header), body, size, body + size)) {
        if (version != kStrongVersion1) RaiseTampered(fullPath);
        return VaultLoadResult::IncorrectPassword;
    }
    const bool items = version == kStrongVersion3;
    const long count = CheckPlaintext(body, size, items);
    if (count < 0) RaiseDamaged(fullPath);

    // Built aside and swapped in whole, so a failure part-way leaves the
    // table as it was. The plaintext becomes the table's own block where it
    // lies, a copy would double what Load holds at its peak; what is not a
    // text (the header, the lengths, the tag) is zeroed, as the table wants.
    CellStore loaded;
    loaded.SetRowCount(static_cast<int>(count) + 1);
    const CellStore::RowView titles = table.RowCells(0);
    for (int c = 0; c < CellStore::kColumns; ++c) loaded.SetCell(c, 0, titles[static_cast<size_t>(c)]);
    char number[12];
    for (int r = 1; r <= count; ++r) {
        const int digits = std::snprintf(number, sizeof number, "%d", r);
        loaded.SetCell(0, r, std::string_view(number, static_cast<size_t>(digits)));
    }
    const size_t bodyAt = at.header;
    std::memset(&file[0], 0, bodyAt + kStrongCountSize);
    std::memset(&file[bodyAt + size], 0, kStrongTagSize);
    char* const base = loaded.AdoptBlock(std::move(file));
    wipe.Release();  // the table's now, wiped as its texts are
    unsigned char* in = reinterpret_cast<unsigned char*>(base) + bodyAt + kStrongCountSize;
    auto take = [&](size_t length, size_t prefix) {
        char* text = reinterpret_cast<char*>(in + prefix);
        std::memset(in, 0, prefix);
        in += prefix + length;
        return text;
    };
    for (int r = 1; r <= count; ++r) {
        for (int c = 1; c <= static_cast<int>(kVaultFields); ++c) {
            const size_t length = *in;
            loaded.PlaceCell(c, r, take(length, 1), length);
        }
        if (items) {
            const size_t length = GetLE32(in);
            loaded.PlaceItems(r, take(length, 4), length);
        }
    }
    if (items) {
        const size_t length = GetLE32(in);
        loaded.PlaceItems(0, take(length, 4), length);
    }
    table = std::move(loaded);
    if (use != &key) key.Take(*use);
    return VaultLoadResult::Loaded;
}

} // namespace velt
