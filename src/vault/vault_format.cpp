#include "vault/vault_format.h"

#include <algorithm>
#include <array>
#include <memory>
#include <cstring>
#include <stdexcept>

#include "core/byte_order.h"
#include "core/errors.h"
#include "core/resource_strings.h"
#include "core/secure_memory.h"
#include "vault/byte_simd.h"

namespace velt {

namespace {

struct CrcTable {
    std::uint32_t t[256];
    CrcTable() {
        for (std::uint32_t n = 0; n < 256; ++n) {
            std::uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
    }
};
const CrcTable kCrc;

// The key value of every position. Fields restart at position 0 and hold at
// most 255 bytes, so the first 255 values are kept spelled out: a field is
// then one subtraction per byte.
class KeyStream {
public:
    explicit KeyStream(std::string_view key) : values_(key) {
        if (key.empty()) throw std::invalid_argument("the cipher key must not be empty");
        values_.back() = '\0';
        for (size_t j = 0; j < kVaultMaxFieldLength; ++j)
            head_[j] = static_cast<unsigned char>(values_[j % values_.size()]);
    }
    void Encipher(const unsigned char* in, unsigned char* out, size_t n) const {
        if (n <= kVaultMaxFieldLength) {
            simd::AddBytes(in, head_, out, n);
        } else {
            Long(in, out, n, +1);
        }
    }
    void Decipher(const unsigned char* in, unsigned char* out, size_t n) const {
        if (n <= kVaultMaxFieldLength) {
            simd::SubBytes(in, head_, out, n);
        } else {
            Long(in, out, n, -1);
        }
    }

private:
    void Long(const unsigned char* in, unsigned char* out, size_t n, int sign) const {
        const auto* v = reinterpret_cast<const unsigned char*>(values_.data());
        const size_t period = values_.size();
        size_t k = 0;
        for (size_t i = 0; i < n; ++i) {
            out[i] = static_cast<unsigned char>(in[i] + sign * v[k]);
            if (++k == period) k = 0;
        }
    }
    std::string values_;
    unsigned char head_[kVaultMaxFieldLength];

public:
    void Head(unsigned char* out) const { std::memcpy(out, head_, sizeof head_); }
    ~KeyStream() {
        WipeBytes(head_, sizeof head_);
        WipeBytes(&values_[0], values_.size());
    }
};

const unsigned char* Bytes(std::string_view s) { return reinterpret_cast<const unsigned char*>(s.data()); }
unsigned char* Bytes(std::string& s) { return reinterpret_cast<unsigned char*>(&s[0]); }

} // namespace

std::uint32_t CRC32(std::string_view bytes) {
    std::uint32_t r = 0xFFFFFFFFu;
    for (unsigned char b : bytes) r = kCrc.t[(r ^ b) & 0xFF] ^ (r >> 8);
    return ~r;
}

std::string Encipher(std::string_view plain, std::string_view key) {
    const KeyStream stream(key);
    std::string out(plain.size(), '\0');
    if (!out.empty()) stream.Encipher(Bytes(plain), Bytes(out), plain.size());
    return out;
}

std::string Decipher(std::string_view stored, std::string_view key) {
    const KeyStream stream(key);
    std::string out(stored.size(), '\0');
    if (!out.empty()) stream.Decipher(Bytes(stored), Bytes(out), stored.size());
    return out;
}

void CheckVaultSavable(const CellStore& table, std::string_view password) {
    const int count = table.EntryCount();
    // Formatted after translation: the catalogue knows the text with its %d.
    if (count > kVaultMaxEntries) throw ETooManyEntries(FormatText(ResStr(IDS_TOO_MANY_ENTRIES), {count}));
    if (password.empty()) throw std::invalid_argument("the cipher key must not be empty");
}

void WriteVaultImage(const CellStore& table, std::string_view password,
                     const std::function<bool(const char* bytes, size_t size)>& sink) {
    CheckVaultSavable(table, password);
    const int count = table.EntryCount();
    const KeyStream stream(password);

    unsigned char header[kVaultHeaderSize];
    std::memcpy(header + kVaultMagicAt, kVaultMagic, sizeof kVaultMagic);
    PutLE16(header + kVaultReservedAt, 0);
    PutLE32(header + kVaultCheckAt, CRC32(password));
    PutLE16(header + kVaultCountAt, static_cast<std::uint16_t>(count));
    if (!sink(reinterpret_cast<const char*>(header), sizeof header)) return;

    const int chunk = std::min(count, kVaultChunkRecords);
    std::unique_ptr<unsigned char[]> buffer(new unsigned char[kVaultRecordSize * static_cast<size_t>(chunk) + 1]);
    ScopedWipe wipe(buffer.get(), kVaultRecordSize * static_cast<size_t>(chunk));
    for (int first = 1; first <= count; first += chunk) {
        const int last = std::min(count, first + chunk - 1);
        unsigned char* record = buffer.get();
        for (int r = first; r <= last; ++r, record += kVaultRecordSize) {
            const CellStore::RowView cells = table.RowCells(r);
            for (size_t f = 0; f < kVaultFields; ++f) {
                const std::string_view text = cells[f + 1];
                const size_t len = std::min(text.size(), kVaultMaxFieldLength);
                unsigned char* slot = record + f * kVaultSlotSize;
                slot[0] = static_cast<unsigned char>(len);
                stream.Encipher(Bytes(text), slot + 1, len);
                // The unused rest of a slot is written as zeros.
                std::memset(slot + 1 + len, 0, kVaultMaxFieldLength - len);
            }
        }
        if (!sink(reinterpret_cast<const char*>(buffer.get()), static_cast<size_t>(record - buffer.get()))) return;
    }
}

std::string BuildVaultImage(const CellStore& table, std::string_view password) {
    CheckVaultSavable(table, password);
    std::string image;
    image.reserve(kVaultHeaderSize + kVaultRecordSize * static_cast<size_t>(table.EntryCount()));
    WriteVaultImage(table, password, [&](const char* bytes, size_t size) {
        image.append(bytes, size);
        return true;
    });
    return image;
}

VaultHeader ParseVaultHeader(std::string_view bytes) {
    unsigned char raw[kVaultHeaderSize] = {};
    std::memcpy(raw, bytes.data(), std::min(bytes.size(), kVaultHeaderSize));
    VaultHeader h{};
    std::memcpy(h.magic, raw + kVaultMagicAt, sizeof h.magic);
    h.reserved = GetLE16(raw + kVaultReservedAt);
    h.passwordCheck = GetLE32(raw + kVaultCheckAt);
    h.count = GetLE16(raw + kVaultCountAt);
    return h;
}

bool PasswordMatches(const VaultHeader& header, std::string_view password) {
    return header.passwordCheck == CRC32(password);
}

VaultTableBuilder::VaultTableBuilder(std::uint16_t count, std::string_view password) : count_(count) {
    // A count of 0 needs no key; anything else does.
    if (count > 0 && password.empty()) throw std::invalid_argument("the cipher key must not be empty");
    const KeyStream stream(password.empty() ? std::string_view("\0", 1) : password);
    stream.Head(key_);
    rows_.SetRowCount(count + 1);
}

VaultTableBuilder::~VaultTableBuilder() {
    WipeBytes(key_, sizeof key_);
    WipeBytes(pending_, sizeof pending_);
}

void VaultTableBuilder::AddRecord(const unsigned char* record) {
    const int r = next_++;
    char number[8];
    char* end = number + sizeof number;
    char* p = end;
    for (unsigned v = static_cast<unsigned>(r); p == end || v != 0; v /= 10) *--p = static_cast<char>('0' + v % 10);
    // The row's texts go one after another, in one piece of the store.
    std::array<size_t, CellStore::kColumns> sizes{static_cast<size_t>(end - p)};
    for (size_t f = 0; f < kVaultFields; ++f) sizes[f + 1] = record[f * kVaultSlotSize];
    auto* out = reinterpret_cast<unsigned char*>(rows_.ResizeRow(r, sizes));
    std::memcpy(out, p, sizes[0]);
    out += sizes[0];
    for (size_t f = 0; f < kVaultFields; ++f) {
        simd::SubBytes(record + f * kVaultSlotSize + 1, key_, out, sizes[f + 1]);
        out += sizes[f + 1];
    }
}

void VaultTableBuilder::Add(const char* bytes, size_t size) {
    auto in = reinterpret_cast<const unsigned char*>(bytes);
    while (size > 0 && next_ <= count_) {
        if (pendingSize_ > 0 || size < kVaultRecordSize) {
            const size_t take = std::min(size, kVaultRecordSize - pendingSize_);
            std::memcpy(pending_ + pendingSize_, in, take);
            pendingSize_ += take;
            in += take;
            size -= take;
            if (pendingSize_ == kVaultRecordSize) {
                AddRecord(pending_);
                pendingSize_ = 0;
            }
            continue;
        }
        AddRecord(in);
        in += kVaultRecordSize;
        size -= kVaultRecordSize;
    }
}

void VaultTableBuilder::Finish(CellStore& table) {
    // A record cut short is completed with zeros; missing ones are zeros.
    if (next_ <= count_) {
        std::memset(pending_ + pendingSize_, 0, kVaultRecordSize - pendingSize_);
        pendingSize_ = 0;
        AddRecord(pending_);
        std::memset(pending_, 0, sizeof pending_);
        while (next_ <= count_) AddRecord(pending_);
    }
    const CellStore::RowView titles = table.RowCells(0);
    for (int c = 0; c < CellStore::kColumns; ++c) rows_.SetCell(c, 0, titles[static_cast<size_t>(c)]);
    table = std::move(rows_);
}

void FillTableFromRecords(CellStore& table, std::uint16_t count, std::string_view records,
                          std::string_view password) {
    VaultTableBuilder builder(count, password);
    builder.Add(records.data(), std::min(records.size(), kVaultRecordSize * count));
    builder.Finish(table);
}

VaultLoadResult LoadVaultImage(std::string_view file, std::string_view password, CellStore& table) {
    const VaultHeader header = ParseVaultHeader(file);
    if (!PasswordMatches(header, password)) return VaultLoadResult::IncorrectPassword;
    const std::string_view records = file.size() > kVaultHeaderSize ? file.substr(kVaultHeaderSize) : std::string_view();
    FillTableFromRecords(table, header.count, records, password);
    return VaultLoadResult::Loaded;
}

} // namespace velt
