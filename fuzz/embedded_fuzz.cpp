// The embedded-file table: a fuzzed executable image whose marker points at
// a table of embedded files. The locator reads the table; every file it
// lists is then opened as a catalogue, where reads must stay inside that
// file's offset and size. Last, the build step that embeds a catalogue is
// run on the image, and the locator must find exactly what it wrote.
#include <algorithm>

#include "core/errors.h"
#include "fuzz_support.h"
#include "i18n/catalogue_embedding.h"
#include "i18n/file_locator.h"
#include "i18n/translator_errors.h"

using namespace velt::i18n;

namespace {

constexpr std::string_view kMarker = "F1D9D3E3-E45B-48C9-AB4E-0533E488CB94";
const std::string kExe = "C:\\Velt\\velt.exe";
const std::string kDir = "C:\\Velt\\";

// The number behind the first marker, as the program reads it from its own
// image (0 when there is no marker).
std::uint64_t TablePosition(const fuzz::Bytes& exe) {
    auto it = std::search(exe.begin(), exe.end(), kMarker.begin(), kMarker.end());
    std::size_t at = static_cast<std::size_t>(it - exe.begin()) + kMarker.size();
    if (it == exe.end() || at + 8 > exe.size()) return 0;
    return fuzz::Get64(exe.data() + at);
}

std::string Trim(std::string s) {
    while (!s.empty() && static_cast<unsigned char>(s.back()) <= ' ') s.pop_back();
    std::size_t first = 0;
    while (first < s.size() && static_cast<unsigned char>(s[first]) <= ' ') ++first;
    return s.substr(first);
}

// The table walked as the format describes it; the first damaged entry
// (numbers or name outside the file, a name that ends before it starts, a
// name already listed in any case) ends it.
std::vector<std::pair<std::string, TEmbeddedFileInfo>> RefTable(const fuzz::Bytes& exe, std::uint64_t position) {
    std::vector<std::pair<std::string, TEmbeddedFileInfo>> out;
    if (position == 0) return out;
    CaseInsensitiveLess less;
    for (std::uint64_t p = position; p <= exe.size() && exe.size() - p >= 8;) {
        std::uint64_t next = fuzz::Get64(exe.data() + p);
        if (next == 0 || next < p + 24 || next > exe.size()) break;
        std::string name = Trim(std::string(exe.begin() + p + 24, exe.begin() + next));
        bool duplicate = false;
        for (const auto& e : out) duplicate |= !less(e.first, name) && !less(name, e.first);
        if (duplicate) break;
        out.push_back({name, {fuzz::Get64(exe.data() + p + 8), fuzz::Get64(exe.data() + p + 16)}});
        p = next;
    }
    return out;
}

std::string FlipCase(std::string s) {
    for (char& c : s) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
        else if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    }
    return s;
}

// Opens every listed file as a catalogue, one at a time, with every byte
// outside it poisoned.
void AcquireEach(fuzz::PoisonedFiles& files, TFileLocator& locator, const fuzz::Bytes& exe) {
    int opened = 0;
    for (const auto& [name, info] : locator.EmbeddedFiles()) {
        if (++opened > 8) break;
        const std::string path = kDir + name;
        CHECK(locator.IsEmbedded(path));
        CHECK(locator.IsEmbedded(kDir + FlipCase(name)));
        const std::uint64_t begin = std::min<std::uint64_t>(info.Offset & 0xFFFFFFFFu, exe.size());
        const std::uint64_t end = info.Size && info.Size < exe.size() - begin ? begin + info.Size : exe.size();
        files.ExpectReadsWithin(begin, end);
        TMoFile* catalogue = nullptr;
        try {
            catalogue = locator.AcquireCatalogue(path);
        } catch (const ETranslatorIOError& e) {
            const fuzz::RefCatalogue ref = fuzz::ReadRefCatalogue(exe.data() + begin, end - begin);
            CHECK(!ref.isMo || exe.empty());
            CHECK(locator.OpenCatalogueCount() == 0);
            continue;
        }
        CHECK(catalogue->UserCount == 1);
        CHECK(locator.AcquireCatalogue(kDir + FlipCase(name)) == catalogue);  // one cache entry
        CHECK(catalogue->UserCount == 2);
        for (std::string_view key : {std::string_view(), std::string_view("Password"), std::string_view(name)}) {
            bool found = true;
            std::string answer = catalogue->Lookup(key, &found);
            if (!found) CHECK(answer == key);
        }
        locator.ReleaseCatalogue(catalogue);
        CHECK(locator.OpenCatalogueCount() == 1);
        locator.ReleaseCatalogue(catalogue);
        CHECK(locator.OpenCatalogueCount() == 0);
        CHECK(files.liveMappings == 0);
    }
}

const fuzz::Bytes& SmallCatalogue() {
    static const fuzz::Bytes mo = fuzz::WriteMo(
        {{"", "Content-Type: text/plain; charset=UTF-8\n"}, {"Password", "Has\xC5\x82o"}}, false);
    return mo;
}

// The build step on the same image: what it writes, the locator reads back.
void EmbedAndReadBack(fuzz::Bytes exe) {
    const std::string name = "locale\\pl\\LC_MESSAGES\\default.mo";
    EmbedLayout layout;
    try {
        layout = EmbedFile(exe, kMarker, SmallCatalogue(), name);
    } catch (const velt::Exception&) {
        return;  // not a PE image, or not exactly one marker in it
    }
    CHECK(TablePosition(exe) == layout.tablePosition);
    fuzz::PoisonedFiles files;
    files.files[kExe] = exe;
    TFileLocator locator(files, kExe, layout.tablePosition, MakeStdRwLock());
    locator.ReadEmbeddedTable();
    CHECK(locator.EmbeddedFiles().size() == 1);
    const TEmbeddedFileInfo& info = locator.EmbeddedFiles().begin()->second;
    CHECK(locator.EmbeddedFiles().begin()->first == name);
    CHECK(info.Offset == layout.imageEnd && info.Size == SmallCatalogue().size());
    files.ExpectReadsWithin(info.Offset, info.Offset + info.Size);
    TMoFile* catalogue = locator.AcquireCatalogue(kDir + name);
    bool found = false;
    CHECK(catalogue->Lookup("Password", &found) == "Has\xC5\x82o" && found);
    locator.ReleaseCatalogue(catalogue);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::PoisonedFiles files;
    fuzz::Bytes& exe = files.files[kExe];
    exe.assign(data, data + size);
    const std::uint64_t position = TablePosition(exe);

    TFileLocator locator(files, kExe, position, MakeStdRwLock());
    locator.ReadEmbeddedTable();
    CHECK(locator.ExecutableDirectory() == (position ? kDir : ""));
    const auto ref = RefTable(exe, position);
    CHECK(locator.EmbeddedFiles().size() == ref.size());
    for (const auto& [name, info] : ref) {
        auto it = locator.EmbeddedFiles().find(name);
        CHECK(it != locator.EmbeddedFiles().end() && it->first == name);
        CHECK(it->second.Offset == info.Offset && it->second.Size == info.Size);
    }
    AcquireEach(files, locator, exe);
    EmbedAndReadBack(exe);
    return 0;
}
