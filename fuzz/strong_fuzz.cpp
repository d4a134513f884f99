// The strong vault reader: file bytes -> table, with stand-in primitives.
//
// Input: one flag byte, one password length byte n, n password bytes, then
// the file. Flag bit 0 seals the file's body afresh (as plaintext, under the
// key of the fuzzed password and the file's own header), so that most inputs
// get past the tag into the plaintext parser. Bit 1 loads with a key
// already derived for the file's salt, as Open/ Reopen does.
#include <cstring>

#include "../tests/support/known_vault.h"
#include "../tests/support/stand_in_crypto.h"
#include "fuzz_support.h"
#include "vault/strong_format.h"

using namespace velt;

namespace {

using test::SameCells;

const std::string kPath = "C:\\velt\\baza.pdb";

// Tables this large are still loaded but not saved again.
constexpr std::uint32_t kRoundTripLimit = 2048;

std::uint32_t Le(const std::string& s, size_t at, int bytes) {
    std::uint32_t v = 0;
    for (int k = bytes - 1; k >= 0; --k) v = v << 8 | static_cast<unsigned char>(s[at + k]);
    return v;
}

bool HeaderSound(const std::string& f) {
    if (f.size() < 60 || f.size() > kStrongMaxFileSize || f.compare(0, 4, "VLT2") != 0) return false;
    const std::uint32_t n = Le(f, 8, 4);
    return Le(f, 4, 2) == 1 && Le(f, 6, 2) == 1 && n >= 100000 && n <= 10000000;
}

// The plaintext as the format describes it: the records' fields, or false.
bool ReadPlaintext(const std::string& p, std::vector<std::string>& fields) {
    if (p.size() < 4) return false;
    const std::uint32_t count = Le(p, 0, 4);
    if (count > 65535) return false;
    size_t at = 4;
    for (std::uint64_t k = 0; k < std::uint64_t(count) * 5; ++k) {
        if (at >= p.size()) return false;
        const size_t len = static_cast<unsigned char>(p[at]);
        if (at + 1 + len > p.size()) return false;
        fields.push_back(p.substr(at + 1, len));
        at += 1 + len;
    }
    return at == p.size();
}

CellStore Sentinel() {
    CellStore t;
    t.SetRowCount(3);
    for (int c = 0; c < CellStore::kColumns; ++c) {
        t.SetCell(c, 0, "title" + std::to_string(c));
        t.SetCell(c, 1, "keep" + std::to_string(c));
    }
    return t;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const std::uint8_t flags = data[0];
    const std::size_t n = std::min<std::size_t>(data[1], size - 2);
    const std::string password(reinterpret_cast<const char*>(data) + 2, n);
    std::string file(reinterpret_cast<const char*>(data) + 2 + n, size - 2 - n);

    test::StandInCrypto crypto;
    const bool sound = HeaderSound(file);
    std::string plain;
    if ((flags & 1) && sound) {
        // The body becomes the plaintext, sealed under the file's own header.
        plain = file.substr(kStrongHeaderSize, file.size() - kStrongHeaderSize - kStrongTagSize);
        unsigned char key[kStrongKeySize];
        const auto* h = reinterpret_cast<const unsigned char*>(file.data());
        crypto.DeriveKey(password, h + 12, kStrongSaltSize, Le(file, 8, 4), key);
        auto* body = reinterpret_cast<unsigned char*>(&file[kStrongHeaderSize]);
        crypto.Seal(key, h + 28, std::string_view(file.data(), kStrongHeaderSize), body, plain.size(),
                    body + plain.size());
        crypto.derivations = 0;
    }
    StrongKey key;
    if ((flags & 2) && file.size() >= 28) {
        key.Derive(crypto, password, reinterpret_cast<const unsigned char*>(file.data()) + 12, Le(file, 8, 4));
        crypto.derivations = 0;
    }

    CellStore table = Sentinel();
    std::string bytes = file;
    VaultLoadResult result;
    try {
        result = LoadStrongImage(bytes, password, crypto, key, table, kPath);
    } catch (const EVaultDamaged& e) {
        CHECK(std::string(e.what()).find(kPath) != std::string::npos);
        CHECK(SameCells(table, Sentinel()));
        // Refused only for a bad header, before deriving anything, or for a
        // bad plaintext under a good tag.
        std::vector<std::string> fields;
        if (!sound) CHECK(crypto.derivations == 0);
        if (sound && (flags & 1)) CHECK(!ReadPlaintext(plain, fields));
        return 0;
    }
    CHECK(sound);
    // Whatever was opened is wiped from the buffer.
    if (result == VaultLoadResult::Loaded)
        CHECK(bytes.compare(kStrongHeaderSize, bytes.size() - kStrongHeaderSize - kStrongTagSize,
                            std::string(bytes.size() - kStrongHeaderSize - kStrongTagSize, '\0')) == 0);
    if (result == VaultLoadResult::IncorrectPassword) {
        CHECK(!(flags & 1));  // a body sealed under this password always opens
        CHECK(SameCells(table, Sentinel()));
        return 0;
    }
    CHECK(key.DerivedWith(reinterpret_cast<const unsigned char*>(file.data()) + 12, Le(file, 8, 4)));

    // The plaintext, opened apart: every entry row numbered afresh, every
    // field exactly its bytes.
    std::string opened = file;
    auto* body = reinterpret_cast<unsigned char*>(&opened[kStrongHeaderSize]);
    const size_t bodySize = opened.size() - kStrongHeaderSize - kStrongTagSize;
    CHECK(crypto.Open(key.Key(), body - kStrongNonceSize, std::string_view(opened.data(), kStrongHeaderSize), body,
                      bodySize, body + bodySize));
    if (flags & 1) CHECK(opened.compare(kStrongHeaderSize, bodySize, plain) == 0);
    std::vector<std::string> fields;
    CHECK(ReadPlaintext(opened.substr(kStrongHeaderSize, bodySize), fields));
    CHECK(table.RowCount() == static_cast<int>(fields.size() / 5) + 1);
    for (int r = 1; r < table.RowCount(); ++r) {
        CHECK(table.Cell(0, r) == std::to_string(r));
        for (int c = 1; c <= 5; ++c) CHECK(table.Cell(c, r) == fields[(r - 1) * 5 + (c - 1)]);
    }
    for (int c = 0; c < CellStore::kColumns; ++c) CHECK(table.Cell(c, 0) == "title" + std::to_string(c));

    // Saved under the same key and read back: the same table.
    if (static_cast<std::uint32_t>(table.EntryCount()) > kRoundTripLimit) return 0;
    test::CountingRandom random;
    std::string image = BuildStrongImage(table, key, crypto, random);
    CHECK(image.compare(0, 28, file, 0, 28) == 0);
    CellStore again = Sentinel();
    CHECK(LoadStrongImage(image, password, crypto, key, again, kPath) == VaultLoadResult::Loaded);
    CHECK(SameCells(again, table));
    return 0;
}
