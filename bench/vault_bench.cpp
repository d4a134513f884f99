// The entry table at the vault's limit: 65,535 entries with every field 255
// bytes (84 MB on disk). Prints one line per figure, each with its target.
//
//   scripts/wine-run build/win32/vault_bench.exe [directory]
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <string>

#include "vault/cell_store.h"
#include "vault/collation_win.h"
#include "vault/table_ops.h"
#include "vault/vault_file.h"
#include "vault/vault_format.h"

using namespace velt;

namespace {

double Now() {
    LARGE_INTEGER f, c;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&c);
    return double(c.QuadPart) / double(f.QuadPart);
}

template <typename F>
double Time(F&& f) {
    const double t = Now();
    f();
    return Now() - t;
}

void Line(const char* what, double value, const char* unit, const char* note = "") {
    std::printf("%-44s %10.3f %-3s %s\n", what, value, unit, note);
    std::fflush(stdout);
}

CellStore BuildTable(int rows) {
    std::mt19937 rng(2024);
    const char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 .-_@";
    CellStore t;
    t.SetRowCount(rows + 1);
    t.Cell(0, 0) = "#";
    for (int r = 1; r <= rows; ++r) {
        t.Cell(0, r) = std::to_string(r);
        for (int c = 1; c < 6; ++c) {
            std::string& cell = t.Cell(c, r);
            cell.resize(255);
            for (char& ch : cell) ch = letters[rng() % (sizeof letters - 1)];
        }
    }
    return t;
}

double PlainWrite(const std::string& path, const std::string& bytes, bool flush) {
    return Time([&] {
        HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        DWORD n = 0;
        WriteFile(h, bytes.data(), DWORD(bytes.size()), &n, nullptr);
        if (flush) FlushFileBuffers(h);
        CloseHandle(h);
    });
}

double PlainRead(const std::string& path, size_t size) {
    return Time([&] {
        std::string buffer(size, '\0');
        HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        DWORD n = 0;
        ReadFile(h, &buffer[0], DWORD(size), &n, nullptr);
        CloseHandle(h);
    });
}

double Mb(SIZE_T bytes) { return double(bytes) / 1e6; }

} // namespace

int main(int argc, char** argv) {
    std::string dir;
    if (argc > 1) {
        dir = argv[1];
    } else {
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        dir = temp;
    }
    if (!dir.empty() && dir.back() != '\\' && dir.back() != '/') dir += '\\';
    const std::string vaultPath = dir + "velt_bench_baza.pdb";
    const std::string plainPath = dir + "velt_bench_plain.bin";
    const std::string password = "correct horse battery staple";
    const int rows = kVaultMaxEntries;
    const double fileMb = Mb(kVaultHeaderSize + kVaultRecordSize * rows);

    std::printf("vault_bench: %d entries, every field 255 bytes, file %.1f MB, code page %u\n", rows, fileMb, GetACP());
    CellStore table;
    Line("build table", Time([&] { table = BuildTable(rows); }), "s");
    PROCESS_MEMORY_COUNTERS pmc{};
    pmc.cb = sizeof pmc;
    GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof pmc);
    Line("working set with the table", Mb(pmc.WorkingSetSize), "MB");

    // Plain I/O of the same bytes, in the same run; best of three each, like
    // Save and Load below.
    double plainWrite = 1e9, plainWriteFlush = 1e9, plainRead = 1e9, build = 1e9;
    {
        std::string image;
        for (int i = 0; i < 3; ++i) {
            image.clear();
            image.shrink_to_fit();
            build = std::min(build, Time([&] { image = BuildVaultImage(table, password); }));
        }
        for (int i = 0; i < 3; ++i) {
            plainWrite = std::min(plainWrite, PlainWrite(plainPath, image, false));
            plainWriteFlush = std::min(plainWriteFlush, PlainWrite(plainPath, image, true));
        }
    }
    for (int i = 0; i < 3; ++i) plainRead = std::min(plainRead, PlainRead(plainPath, size_t(fileMb * 1e6 + 0.5)));
    DeleteFileA(plainPath.c_str());

    double save = 1e9, load = 1e9, loadFresh = 1e9;
    for (int i = 0; i < 3; ++i) save = std::min(save, Time([&] { SaveVault(vaultPath, table, password); }));
    // Start-up: the table holds one empty row when the vault is read.
    VaultLoadResult result{};
    for (int i = 0; i < 3; ++i) {
        table = CellStore();
        loadFresh = std::min(loadFresh, Time([&] { result = LoadVault(vaultPath, password, table); }));
    }
    // "Open/ Reopen": the full table is overwritten.
    for (int i = 0; i < 3; ++i) load = std::min(load, Time([&] { result = LoadVault(vaultPath, password, table); }));
    if (result != VaultLoadResult::Loaded || table.EntryCount() != rows) {
        std::printf("load failed\n");
        return 1;
    }
    DeleteFileA(vaultPath.c_str());

    char note[96];
    Line("plain write (no flush)", plainWrite, "s");
    Line("plain write + FlushFileBuffers", plainWriteFlush, "s");
    Line("  of which: building the file in memory", build, "s");
    std::snprintf(note, sizeof note, "%.2fx plain write+flush, %.2fx plain write (target <= 2x)",
                  save / plainWriteFlush, save / plainWrite);
    Line("Save (build, write, flush, replace)", save, "s", note);
    Line("plain read", plainRead, "s");
    std::snprintf(note, sizeof note, "%.2fx plain read (target <= 2x)", loadFresh / plainRead);
    Line("Load at start-up (into the initial table)", loadFresh, "s", note);
    std::snprintf(note, sizeof note, "%.2fx plain read (target <= 2x)", load / plainRead);
    Line("Load again (over the full table)", load, "s", note);

    const UserLocaleCollation collation;
    Line("sort by Name, 65,535 rows", Time([&] { SortByColumn(table, 1, collation); }), "s", "(target < 0.5 s)");
    Line("sort by #, 65,535 rows", Time([&] { SortByColumn(table, 0, collation); }), "s", "(target < 0.5 s)");
    Line("sort by Name again", Time([&] { SortByColumn(table, 1, collation); }), "s", "(target < 0.5 s)");
    Line("sort by Name when already sorted", Time([&] { SortByColumn(table, 1, collation); }), "s");
    SortByColumn(table, 0, collation);
    {
        CellStore small;
        small.SetRowCount(2001);
        for (int r = 1; r <= 2000; ++r) small.RowCells(r) = table.RowCells(r * 32);
        SortByColumn(small, 0, collation);
        CellStore literal = small;
        Line("sort by Name, 2,000 rows", Time([&] { SortByColumn(small, 1, collation); }), "s");
        Line("literal bubble sort by Name, 2,000 rows", Time([&] {
                 const int n = literal.EntryCount();
                 for (int p = 1; p <= n; ++p)
                     for (int j = 1; j <= n - p; ++j)
                         if (CompareCells(literal.Cell(1, j), literal.Cell(1, j + 1), 1, collation) > 0)
                             literal.MoveRow(j, j + 1);
             }), "s", "(for scale)");
    }

    bool found = false;
    auto find = [&](const char* text) {
        double best = 1e9;
        for (int i = 0; i < 5; ++i) best = std::min(best, Time([&] { found |= FindCell(table, text).has_value(); }));
        return 1000 * best;
    };
    for (const char* text : {"no such entry", "zq~", "~"}) {
        std::string what = std::string("find absent text \"") + text + "\"";
        Line(what.c_str(), find(text), "ms", "(target < 50 ms)");
    }
    SortByColumn(table, 2, collation);  // rows no longer in the order their cells were allocated
    Line("find absent text, rows sorted by Address", find("no such entry"), "ms", "(target < 50 ms)");
    if (found) std::printf("absent text was found?\n");

    GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof pmc);
    std::snprintf(note, sizeof note, "%.2fx the file (target < 2.5x)", Mb(pmc.PeakWorkingSetSize) / fileMb);
    Line("peak working set", Mb(pmc.PeakWorkingSetSize), "MB", note);
    std::snprintf(note, sizeof note, "%.2fx the file", Mb(pmc.PeakPagefileUsage) / fileMb);
    Line("peak pagefile usage (committed)", Mb(pmc.PeakPagefileUsage), "MB", note);
    return 0;
}
