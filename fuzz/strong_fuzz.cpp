// The strong vault reader: file bytes -> table, with stand-in primitives.
//
// Input: one flag byte, one password length byte n, n password bytes, then
// the file (version 1, 2 or 3). Flag bit 0 seals the file's body afresh (as
// plaintext, under the key of the fuzzed password and the file's own header,
// with the password's key check), so that most inputs get past the key check
// and the tag into the plaintext parser. Bit 1 loads with a key
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

// The header's size by its version (1: no key check).
size_t HeaderSize(const std::string& f) { return Le(f, 4, 2) == 1 ? 40 : 56; }

// A header that is read: the key check (version 2) or the tag (version 1)
// then decides.
bool HeaderSound(const std::string& f) {
    if (f.size() < 12 || f.size() > kStrongMaxFileSize || f.compare(0, 4, "VLT2") != 0) return false;
    const std::uint32_t n = Le(f, 8, 4), version = Le(f, 4, 2);
    return (version == 1 || version == 2) && f.size() >= (version == 1 ? 60u : 56u) && Le(f, 6, 2) == 1 &&
           n >= 100000 && n <= 10000000;
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
    // Version 3 (its items, caps and key derivation) is read for what must
    // hold whatever the bytes: refused or opened, never half-read.
    if (file.size() >= 6 && file.compare(0, 4, "VLT2") == 0 && Le(file, 4, 2) == kStrongVersion3) {
        CellStore table = Sentinel();
        StrongKey key;
        try {
            if (LoadStrongImage(file, password, crypto, key, table, kPath) != VaultLoadResult::Loaded)
                CHECK(SameCells(table, Sentinel()));
        } catch (const EVaultDamaged& e) {
            CHECK(std::string(e.what()).find(kPath) != std::string::npos);
            CHECK(SameCells(table, Sentinel()));
        }
        return 0;
    }
    const bool sound = HeaderSound(file);
    const size_t header = HeaderSize(file);
    const bool version2 = header == 56;
    // The password's own key for the file's salt and count, apart.
    StrongKey own;
    if (file.size() >= 28) {
        own.Derive(crypto, password, reinterpret_cast<const unsigned char*>(file.data()) + 12, StrongKdf::Pbkdf2(Le(file, 8, 4)));
        crypto.derivations = 0;
    }
    std::string plain;
    const bool reseal = (flags & 1) && sound && file.size() >= header + kStrongCountSize + kStrongTagSize;
    if (reseal) {
        // The body becomes the plaintext, sealed under the file's own header
        // with the password's key check.
        plain = file.substr(header, file.size() - header - kStrongTagSize);
        if (version2) file.replace(40, 16, reinterpret_cast<const char*>(own.KeyCheck()), 16);
        const auto* h = reinterpret_cast<const unsigned char*>(file.data());
        auto* body = reinterpret_cast<unsigned char*>(&file[header]);
        crypto.Seal(version2 ? own.VaultKey() : own.Key(), h + 28, std::string_view(file.data(), header), body,
                    plain.size(), body + plain.size());
    }
    const bool checkMatches = !version2 || (file.size() >= 56 && file.compare(40, 16, reinterpret_cast<const char*>(
                                                                                            own.KeyCheck()), 16) == 0);
    StrongKey key;
    if ((flags & 2) && file.size() >= 28) {
        key.Derive(crypto, password, reinterpret_cast<const unsigned char*>(file.data()) + 12, StrongKdf::Pbkdf2(Le(file, 8, 4)));
        crypto.derivations = 0;
    }

    CellStore table = Sentinel();
    std::string bytes = file;
    VaultLoadResult result;
    try {
        result = LoadStrongImage(bytes, password, crypto, key, table, kPath);
    } catch (const EVaultTampered& e) {
        // The right password, but a cut file or a failed tag.
        CHECK(std::string(e.what()).find(kPath) != std::string::npos);
        CHECK(SameCells(table, Sentinel()));
        CHECK(sound && version2 && checkMatches);
        CHECK(!reseal);
        return 0;
    } catch (const EVaultDamaged& e) {
        CHECK(std::string(e.what()).find(kPath) != std::string::npos);
        CHECK(SameCells(table, Sentinel()));
        // Refused only for a bad header, before deriving anything, or for a
        // bad plaintext under a good tag.
        std::vector<std::string> fields;
        if (!sound) CHECK(crypto.derivations == 0);
        if (reseal) CHECK(!ReadPlaintext(plain, fields));
        return 0;
    }
    CHECK(sound);
    const size_t bodySize = file.size() - header - kStrongTagSize;
    if (result == VaultLoadResult::IncorrectPassword) {
        CHECK(!reseal);  // a body sealed under this password always opens
        CHECK(!version2 || !checkMatches);
        CHECK(SameCells(table, Sentinel()));
        return 0;
    }
    CHECK(checkMatches);
    // What was opened is the table's now: nothing of it is left in the buffer.
    CHECK(bytes.empty());
    CHECK(key.DerivedWith(reinterpret_cast<const unsigned char*>(file.data()) + 12, StrongKdf::Pbkdf2(Le(file, 8, 4))));

    // The plaintext, opened apart: every entry row numbered afresh, every
    // field exactly its bytes.
    std::string opened = file;
    auto* body = reinterpret_cast<unsigned char*>(&opened[header]);
    CHECK(crypto.Open(version2 ? key.VaultKey() : key.Key(), body - (header - 28),
                      std::string_view(opened.data(), header), body, bodySize, body + bodySize));
    if (reseal) CHECK(opened.compare(header, bodySize, plain) == 0);
    std::vector<std::string> fields;
    CHECK(ReadPlaintext(opened.substr(header, bodySize), fields));
    CHECK(table.RowCount() == static_cast<int>(fields.size() / 5) + 1);
    for (int r = 1; r < table.RowCount(); ++r) {
        CHECK(table.Cell(0, r) == std::to_string(r));
        for (int c = 1; c <= 5; ++c) CHECK(table.Cell(c, r) == fields[(r - 1) * 5 + (c - 1)]);
    }
    for (int c = 0; c < CellStore::kColumns; ++c) CHECK(table.Cell(c, 0) == "title" + std::to_string(c));

    // Saved under the same key, always as version 2, and read back: the
    // same table.
    if (static_cast<std::uint32_t>(table.EntryCount()) > kRoundTripLimit) return 0;
    test::CountingRandom random;
    std::string image = BuildStrongImage(table, key, crypto, random);
    CHECK(Le(image, 4, 2) == 2);
    CHECK(image.compare(6, 22, file, 6, 22) == 0);
    CellStore again = Sentinel();
    CHECK(LoadStrongImage(image, password, crypto, key, again, kPath) == VaultLoadResult::Loaded);
    CHECK(SameCells(again, table));
    return 0;
}
