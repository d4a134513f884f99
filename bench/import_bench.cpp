// Import of a 65,535-row Chrome CSV (realistic names, addresses, logins and
// notes, in UTF-8) beside Load of a vault that holds the same rows, and the
// same for a hostile file: 65,535 rows built to share one value of a fixed,
// public hash. Both read their file from disk; each figure is the median of
// several runs, with the fastest and slowest. Run in a Polish locale, so
// that the letters of the table fit the code page.
//
//   LC_ALL=pl_PL.UTF-8 scripts/wine-run build/win32/import_bench.exe [directory]
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/support/colliding_rows.h"
#include "tests/support/vault_files_win.h"
#include "bench/bench_common.h"
#include "import/csv_import.h"
#include "import/import_file.h"
#include "import/windows_code_page.h"
#include "platform/system_random.h"
#include "vault/vault_file.h"

using namespace velt;
using namespace velt::bench;

namespace {

constexpr int kRuns = 7;

// Code page 1250 bytes as UTF-8.
std::string Utf8(std::string_view cp1250) {
    std::wstring wide(cp1250.size(), L'\0');
    wide.resize(static_cast<size_t>(MultiByteToWideChar(1250, 0, cp1250.data(), static_cast<int>(cp1250.size()),
                                                        wide.data(), static_cast<int>(wide.size()))));
    std::string out(wide.size() * 3, '\0');
    out.resize(static_cast<size_t>(WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                                       out.data(), static_cast<int>(out.size()), nullptr, nullptr)));
    return out;
}

std::string CsvField(std::string_view text) {
    if (text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
    std::string q = "\"";
    for (char c : text) q += c == '"' ? std::string("\"\"") : std::string(1, c);
    return q + "\"";
}

std::string ChromeCsv(const CellStore& t) {
    std::string csv = "name,url,username,password,note\r\n";
    for (int r = 1; r < t.RowCount(); ++r) {
        for (int c = 1; c <= 5; ++c) csv += CsvField(Utf8(t.Cell(c, r))) + (c < 5 ? "," : "\r\n");
    }
    return csv;
}

void Write(const std::string& path, const std::string& bytes) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD done = 0;
    WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr);
    CloseHandle(h);
}

struct Figures {
    double median, low, high;
};

template <typename F>
Figures Measure(F&& f) {
    std::vector<double> runs;
    for (int i = 0; i < kRuns; ++i) runs.push_back(Time(f));
    return {Median(runs), *std::min_element(runs.begin(), runs.end()), *std::max_element(runs.begin(), runs.end())};
}

std::string Spread(const Figures& f) { return Ms(f.median) + " (" + Ms(f.low) + "-" + Ms(f.high) + ")"; }

struct Pair {
    Figures import, load;
    import::ImportSummary summary;
    int loaded;
};

// Imports the file at csvPath, saves what it gave and loads that back.
Pair ImportBesideLoad(const std::string& csvPath, const std::string& vaultPath) {
    const import::WindowsImportCodePage codePage;
    Pair p;
    CellStore imported;
    p.import = Measure([&] {
        imported = CellStore();
        std::string bytes = import::ReadImportFile(csvPath);
        p.summary = import::ImportCsv(bytes, csvPath, imported, codePage, platform::SystemRandom());
    });
    // The vault holds exactly the rows the import gave.
    SaveVault(vaultPath, imported, kBenchPassword);
    CellStore loaded;
    p.load = Measure([&] {
        loaded = CellStore();
        LoadVault(vaultPath, kBenchPassword, loaded);
    });
    p.loaded = loaded.EntryCount();
    return p;
}

void Report(const char* what, const std::string& csv, const Pair& p) {
    std::printf("%s: code page %u, CSV %.1f MB, %d entries imported (%d duplicates, %zu with \"?\"), %d loaded, "
                "%zu index probes\n",
                what, GetACP(), csv.size() / 1e6, p.summary.imported, p.summary.duplicates, p.summary.replaced.size(),
                p.loaded, p.summary.probes);
    std::printf("import %s, load %s, ratio %.2f, median of %d runs (fastest-slowest)\n", Spread(p.import).c_str(),
                Spread(p.load).c_str(), p.import.median / p.load.median, kRuns);
}

} // namespace

int main(int argc, char** argv) {
    const std::string folder = BenchFolder(argc, argv);
    const std::string csvPath = folder + "import_bench.csv", vaultPath = folder + "import_bench.pdb";
    const std::string csv = ChromeCsv(RealisticTable(kVaultMaxEntries));
    Write(csvPath, csv);
    const Pair normal = ImportBesideLoad(csvPath, vaultPath);
    Report("normal file", csv, normal);

    const std::string hostile = "name,url,username,password\r\n" + test::CollidingRows(kVaultMaxEntries);
    Write(csvPath, hostile);
    const Pair colliding = ImportBesideLoad(csvPath, vaultPath);
    Report("rows colliding in a fixed hash", hostile, colliding);

    Row("Import of a 65,535-row Chrome CSV", Spread(normal.import), "Load of the same rows: " + Spread(normal.load),
        "<= 2x reference", Verdict(normal.import.median <= 2 * normal.load.median));
    Row("Import of 65,535 rows colliding in a fixed hash", Spread(colliding.import),
        "Load of the same rows: " + Spread(colliding.load), "<= 2x reference",
        Verdict(colliding.import.median <= 2 * colliding.load.median));
    DeleteFileA(csvPath.c_str());
    DeleteFileA(vaultPath.c_str());
    return 0;
}
