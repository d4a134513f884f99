// One lookup in the Polish catalogue carried behind this program's image,
// as the program finds it: how many source texts it compares, how many
// allocations it makes, how long it takes. Every source text of the
// catalogue is looked up, and texts that are not there. Also one resource
// string fetched whole through the translation service, for scale.
//   mo_bench.exe
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "bench/bench_common.h"
#include "core/resource_strings.h"
#include "i18n/file_locator.h"
#include "i18n/localisation_win.h"
#include "i18n/mo_file.h"
#include "i18n/system_access_win.h"
#include "i18n/translator.h"

// Every allocation of the program is counted.
namespace {
unsigned long g_allocations = 0;
}

void* operator new(std::size_t size) {
    ++g_allocations;
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

using namespace velt;
using namespace velt::bench;

namespace {

// The source texts of a catalogue, read from its tables (little-endian, as
// the program's own catalogue is written).
std::vector<std::string> SourceTexts(const unsigned char* mo) {
    auto word = [mo](std::uint32_t at) {
        return std::uint32_t(mo[at]) | std::uint32_t(mo[at + 1]) << 8 | std::uint32_t(mo[at + 2]) << 16 |
               std::uint32_t(mo[at + 3]) << 24;
    };
    std::vector<std::string> texts;
    const std::uint32_t n = word(8), table = word(12);
    for (std::uint32_t i = 0; i < n; ++i)
        texts.emplace_back(reinterpret_cast<const char*>(mo + word(table + 8 * i + 4)), word(table + 8 * i));
    return texts;
}

} // namespace

int main() {
    SetEnvironmentVariableA("LANG", "pl");
    i18n::LocalisationModule localisation;
    const char* const name = "locale\\pl\\LC_MESSAGES\\default.mo";
    std::string path = i18n::Locator()->ExecutableDirectory();
    if (!path.empty() && path.back() != '\\') path += '\\';
    path += name;
    if (!i18n::Locator()->IsEmbedded(path)) {
        std::printf("mo_bench: no catalogue behind the image\n");
        return 1;
    }
    i18n::TMoFile* mo = i18n::Locator()->AcquireCatalogue(path);

    // The keys: every source text (read through a mapping of our own) and
    // a few that are not in the catalogue.
    i18n::WinFileAccess files;
    i18n::MapOutcome mapped = files.MapReadOnly(i18n::ExecutablePath());
    const i18n::TEmbeddedFileInfo& info = i18n::Locator()->EmbeddedFiles().at(name);
    std::vector<std::string> keys = SourceTexts(mapped.file->Data() + info.Offset);
    const size_t present = keys.size();
    for (const char* absent : {"!", "Zzz", "password", "Passwort", "Enter the password "}) keys.emplace_back(absent);

    std::uint64_t maxComparisons = 0, totalComparisons = 0;
    unsigned long maxAllocations = 0, totalAllocations = 0;
    size_t found = 0;
    for (const std::string& key : keys) {
        const std::uint64_t c0 = mo->Comparisons();
        const unsigned long a0 = g_allocations;
        bool hit = false;
        std::string result = mo->Lookup(key, &hit);
        const unsigned long allocations = g_allocations - a0;
        const std::uint64_t comparisons = mo->Comparisons() - c0;
        found += hit;
        maxComparisons = std::max(maxComparisons, comparisons);
        totalComparisons += comparisons;
        maxAllocations = std::max(maxAllocations, allocations);
        totalAllocations += allocations;
    }
    const std::uint32_t n = mo->EntryCount();
    std::uint32_t probe = 1, log2Probe = 0;
    while (probe * 2 <= n) probe *= 2, ++log2Probe;
    std::printf("mo_bench: %u entries, %zu keys looked up (%zu found of %zu present), first probe %u\n", n,
                keys.size(), found, present, probe);
    std::printf("comparisons: max %llu, mean %.2f; allocations: max %lu, mean %.2f\n",
                static_cast<unsigned long long>(maxComparisons), double(totalComparisons) / keys.size(),
                maxAllocations, double(totalAllocations) / keys.size());

    // Time per lookup over all keys, many times.
    const int rounds = 20000;
    std::string sink;
    const double seconds = Best(3, [&] {
        for (int r = 0; r < rounds; ++r)
            for (const std::string& key : keys) sink = mo->Lookup(key);
    });
    const double perLookup = seconds / (double(rounds) * keys.size());

    const unsigned a0 = g_allocations;
    std::string text = ResStr(IDS_INCORRECT_PASSWORD);
    const unsigned long resStrAllocations = g_allocations - a0;
    const double resStr = Best(3, [&] {
        for (int r = 0; r < 2000; ++r) text = ResStr(IDS_INCORRECT_PASSWORD);
    }) / 2000;

    Row("One MO lookup: source texts compared (worst of " + std::to_string(keys.size()) + " keys)",
        std::to_string(maxComparisons), Fmt("1 + log2(%.0f) = ", probe) + std::to_string(1 + log2Probe),
        "<= 1 + log2(first probe)", Verdict(found == present && maxComparisons <= 1 + log2Probe));
    Row("One MO lookup: allocations (worst)", std::to_string(maxAllocations), "the result only: 1", "<= 1",
        Verdict(maxAllocations <= 1));
    Row("One MO lookup: time (mean)", Fmt("%.0f ns", perLookup * 1e9), "", "", "");
    Row("One resource string through the service (\"Incorrect password!\")",
        Fmt("%.1f us, ", resStr * 1e6) + std::to_string(resStrAllocations) + " allocations", "", "", "");
    i18n::Locator()->ReleaseCatalogue(mo);
    return 0;
}
