// The MO catalogue: open a fuzzed catalogue at a fuzzed offset (and size)
// inside a larger file, then look fuzzed keys up.
//
// Input: flag byte; prefix length P (16 bits, little-endian); catalogue
// length C (16 bits); C catalogue bytes; the rest, which also follows the
// catalogue in the file, split at zero bytes into keys. The file is P filler
// bytes, the catalogue and the rest.
// Flags: bit 0 passes C as the catalogue's size; bit 1 makes that size run
// past the end of the file; bit 2 sets high bits of the 64-bit offset (only
// the low 32 address the data); bit 3 puts the offset beyond the file; bit 4
// also checks the same catalogue written in the other byte order.
#include "fuzz_support.h"
#include "i18n/mo_file.h"
#include "i18n/translator_errors.h"

using namespace velt::i18n;

namespace {

using fuzz::Get32;

const std::string kName = "C:\\Velt\\locale\\pl\\LC_MESSAGES\\default.mo";
const std::string kTwin = "C:\\Velt\\twin.mo";

// Entry i (from 0) of a catalogue, read with every bound checked; false
// when its table entry or either text lies outside the data.
bool RefEntry(const unsigned char* data, std::uint64_t size, bool be, std::uint64_t i, std::string_view* source,
              std::string_view* translation) {
    if (size < 28) return false;
    std::uint64_t tables[2] = {Get32(data + 12, be), Get32(data + 16, be)};
    std::string_view* out[2] = {source, translation};
    for (int k = 0; k < 2; ++k) {
        std::uint64_t at = tables[k] + 8 * i;
        if (at + 8 > size) return false;
        std::uint64_t len = Get32(data + at, be), start = Get32(data + at + 4, be);
        if (start + len > size) return false;
        *out[k] = std::string_view(reinterpret_cast<const char*>(data) + start, len);
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 5) return 0;
    const std::uint8_t flags = data[0];
    const std::size_t prefix = data[1] | data[2] << 8;
    const std::size_t catalogueLength = std::min<std::size_t>(data[3] | data[4] << 8, size - 5);
    const std::string rest(reinterpret_cast<const char*>(data) + 5 + catalogueLength, size - 5 - catalogueLength);

    fuzz::PoisonedFiles files;
    fuzz::Bytes& file = files.files[kName];
    file.assign(prefix, 0xA5);
    file.insert(file.end(), data + 5, data + size);

    std::uint64_t offset = prefix;
    if (flags & 8) offset = file.size() + (flags >> 5);
    if (flags & 4) offset |= std::uint64_t(flags | 1) << 32;
    std::uint64_t catalogueSize = 0;
    if (flags & 1) catalogueSize = catalogueLength + ((flags & 2) ? file.size() + 7 : 0);

    // What the reader may see: from the offset to the end of the file, or
    // of the catalogue when its size is given.
    const std::uint64_t start = std::min<std::uint64_t>(offset & 0xFFFFFFFFu, file.size());
    std::uint64_t visible = file.size() - start;
    if (catalogueSize != 0) visible = std::min(visible, catalogueSize);
    files.ExpectReadsWithin(start, start + visible);
    const unsigned char* view = file.data() + start;
    const fuzz::RefCatalogue ref = fuzz::ReadRefCatalogue(view, visible);

    std::unique_ptr<TMoFile> mo;
    try {
        mo = std::make_unique<TMoFile>(files, kName, offset, catalogueSize);
    } catch (const ETranslatorIOError& e) {
        CHECK(!ref.isMo);
        // An empty file cannot be mapped at all, as on Windows.
        CHECK(e.Message() == (file.empty() ? "Cannot create memory map on file " + kName
                                           : "This file is not a valid GNU gettext mo file: " + kName));
        CHECK(files.liveMappings == 0);
        return 0;
    }
    CHECK(ref.isMo);
    CHECK(mo->ByteSwapped() == ref.swapped);
    CHECK(mo->EntryCount() == (visible >= 28 ? ref.n : 0));

    std::vector<std::string> keys = fuzz::SplitAtZero(rest);
    if (keys.size() > 16) keys.resize(16);
    keys.push_back("");
    for (std::size_t i = 0; i < ref.entries.size() && i < 64; ++i) {
        keys.emplace_back(ref.entries[i].first);
        keys.push_back(std::string(ref.entries[i].first) + '\x01');
    }

    const bool exact = ref.complete && ref.sorted;
    std::unique_ptr<TMoFile> twin;
    if (exact && (flags & 16)) {
        std::vector<std::pair<std::string, std::string>> entries(ref.entries.begin(), ref.entries.end());
        files.files[kTwin] = fuzz::WriteMo(entries, !ref.swapped);
        twin = std::make_unique<TMoFile>(files, kTwin, 0, 0);
        CHECK(twin->ByteSwapped() == !ref.swapped);
    }

    for (const std::string& key : keys) {
        bool found = true;
        const std::string answer = mo->Lookup(key, &found);
        if (!found) CHECK(answer == key);
        if (exact) {
            // A well-formed catalogue answers exactly as a linear search would.
            const std::pair<std::string_view, std::string_view>* hit = nullptr;
            for (const auto& e : ref.entries)
                if (e.first == key) hit = &e;
            CHECK(found == (hit != nullptr));
            if (hit) CHECK(answer == hit->second);
        } else if (found) {
            // A damaged one may miss entries, but what it finds is real.
            bool real = false;
            const std::uint64_t limit = std::min<std::uint64_t>(ref.n, visible / 8 + 1);
            for (std::uint64_t i = 0; i < limit && !real; ++i) {
                std::string_view s, t;
                real = RefEntry(view, visible, ref.swapped, i, &s, &t) && s == key && t == answer;
            }
            CHECK(real);
        }
        if (twin) {
            bool twinFound = true;
            CHECK(twin->Lookup(key, &twinFound) == answer);
            CHECK(twinFound == found);
        }
    }
    twin.reset();
    mo.reset();
    CHECK(files.liveMappings == 0);
    return 0;
}
