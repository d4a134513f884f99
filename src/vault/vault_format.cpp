#include "vault/vault_format.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "core/errors.h"
#include "core/resource_strings.h"
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
};

const unsigned char* Bytes(std::string_view s) { return reinterpret_cast<const unsigned char*>(s.data()); }
unsigned char* Bytes(std::string& s) { return reinterpret_cast<unsigned char*>(&s[0]); }

void Put16(char* p, std::uint16_t v) {
    p[0] = static_cast<char>(v & 0xFF);
    p[1] = static_cast<char>(v >> 8);
}
void Put32(char* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}
std::uint32_t Get(const unsigned char* p, int bytes) {
    std::uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | p[i];
    return v;
}

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

std::string BuildVaultImage(const CellStore& table, std::string_view password) {
    const int count = table.EntryCount();
    // Formatted after translation: the catalogue knows the text with its %d.
    if (count > kVaultMaxEntries) throw ETooManyEntries(FormatText(ResStr(IDS_TOO_MANY_ENTRIES), {count}));
    const KeyStream stream(password);

    std::string image(kVaultHeaderSize + kVaultRecordSize * static_cast<size_t>(count), '\0');
    std::memcpy(&image[0], kVaultMagic, sizeof kVaultMagic);
    Put16(&image[4], 0);
    Put32(&image[6], CRC32(password));
    Put16(&image[10], static_cast<std::uint16_t>(count));

    unsigned char* record = Bytes(image) + kVaultHeaderSize;
    for (int r = 1; r <= count; ++r, record += kVaultRecordSize) {
        const CellStore::Row& cells = table.RowCells(r);
        for (size_t f = 0; f < kVaultFields; ++f) {
            const std::string& text = cells[f + 1];
            const size_t len = std::min(text.size(), kVaultMaxFieldLength);
            unsigned char* slot = record + f * kVaultSlotSize;
            slot[0] = static_cast<unsigned char>(len);
            stream.Encipher(Bytes(text), slot + 1, len);
        }
    }
    return image;
}

VaultHeader ParseVaultHeader(std::string_view bytes) {
    unsigned char raw[kVaultHeaderSize] = {};
    std::memcpy(raw, bytes.data(), std::min(bytes.size(), kVaultHeaderSize));
    VaultHeader h{};
    std::memcpy(h.magic, raw, 4);
    h.reserved = static_cast<std::uint16_t>(Get(raw + 4, 2));
    h.passwordCheck = Get(raw + 6, 4);
    h.count = static_cast<std::uint16_t>(Get(raw + 10, 2));
    return h;
}

bool PasswordMatches(const VaultHeader& header, std::string_view password) {
    return header.passwordCheck == CRC32(password);
}

void FillTableFromRecords(CellStore& table, std::uint16_t count, std::string_view records,
                          std::string_view password) {
    // A count of 0 needs no key; anything else does.
    if (count > 0 && password.empty()) throw std::invalid_argument("the cipher key must not be empty");
    const KeyStream stream(password.empty() ? std::string_view("\0", 1) : password);

    table.SetRowCount(count + 1);
    unsigned char zeroRecord[kVaultRecordSize] = {};
    for (int r = 1; r <= count; ++r) {
        // Records past the end of the data read as zeros; one cut short is
        // completed with zeros.
        const size_t offset = kVaultRecordSize * static_cast<size_t>(r - 1);
        const unsigned char* record = zeroRecord;
        if (offset + kVaultRecordSize <= records.size()) {
            record = Bytes(records) + offset;
        } else if (offset < records.size()) {
            std::memcpy(zeroRecord, Bytes(records) + offset, records.size() - offset);
        }
        CellStore::Row& cells = table.RowCells(r);
        cells[0] = std::to_string(r);
        for (size_t f = 0; f < kVaultFields; ++f) {
            const unsigned char* slot = record + f * kVaultSlotSize;
            std::string& cell = cells[f + 1];
            cell.resize(slot[0]);
            if (!cell.empty()) stream.Decipher(slot + 1, Bytes(cell), cell.size());
        }
        if (record == zeroRecord) std::memset(zeroRecord, 0, sizeof zeroRecord);
    }
}

VaultLoadResult LoadVaultImage(std::string_view file, std::string_view password, CellStore& table) {
    const VaultHeader header = ParseVaultHeader(file);
    if (!PasswordMatches(header, password)) return VaultLoadResult::IncorrectPassword;
    const std::string_view records = file.size() > kVaultHeaderSize ? file.substr(kVaultHeaderSize) : std::string_view();
    FillTableFromRecords(table, header.count, records, password);
    return VaultLoadResult::Loaded;
}

} // namespace velt
