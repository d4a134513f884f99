// The entry table at the vault's limit: 65,535 entries with every field 255
// bytes (84 MB on disk). Save and Load against plain file I/O of the same
// bytes, sorting by every column (and, at 2,000 rows, against the literal
// bubble sort it must agree with), and find. Prints one line per figure;
// lines starting with "@|" are the rows scripts/bench.sh gathers.
//
//   scripts/wine-run build/win32/vault_bench.exe [directory]
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <string>

#include "tests/support/vault_files_win.h"
#include "bench/bench_common.h"
#include "platform/system_random.h"
#include "vault/collation_win.h"
#include "vault/entry_items.h"
#include "vault/id_merge.h"
#include "vault/row_merge.h"
#include "vault/table_ops.h"
#include "vault/vault_file.h"
#include "vault/vault_format.h"

using namespace velt;
using namespace velt::bench;

namespace {

void Line(const char* what, double value, const char* unit, const char* note = "") {
    std::printf("%-44s %10.3f %-3s %s\n", what, value, unit, note);
    std::fflush(stdout);
}

const char* const kTitles[] = {"#", "Name", "Address", "Login", "Password", "Description"};

// The sort exactly as first written: N passes, neighbours swapped when the
// first is greater.
void LiteralBubbleSort(CellStore& t, int col, const Collation& collation) {
    const int n = t.EntryCount();
    for (int p = 1; p <= n; ++p)
        for (int j = 1; j <= n - p; ++j)
            if (CompareCells(t.Cell(col, j), t.Cell(col, j + 1), col, collation) > 0) t.MoveRow(j, j + 1);
}

bool SameRows(const CellStore& a, const CellStore& b) {
    if (a.RowCount() != b.RowCount()) return false;
    for (int r = 0; r < a.RowCount(); ++r)
        if (a.RowCells(r) != b.RowCells(r)) return false;
    return true;
}

// The reference for find: every cell searched for the text as it stands,
// with no folding.
bool PlainScan(const CellStore& t, const std::string& text) {
    for (int r = 1; r < t.RowCount(); ++r)
        for (int c = 0; c < CellStore::kColumns; ++c)
            if (t.Cell(c, r).find(text) != std::string::npos) return true;
    return false;
}

// The realistic table: sorting it by Name at full size, and at 2,000 rows
// against the literal bubble sort.
// A sort of `start`, best of three runs, each from `start`; `sorted` keeps
// the last result for the order check.
template <typename Sort>
double BestOf3Sort(const CellStore& start, CellStore& sorted, Sort sort) {
    double best = 1e9;
    for (int i = 0; i < 3; ++i) {
        sorted = start;
        best = std::min(best, Time([&] { sort(sorted); }));
    }
    return best;
}

// Velt's sort and the literal bubble sort of `start` by `col`, one row of
// the table: the same order, and both times.
void CompareWithBubbleSort(const CellStore& start, int col, const Collation& collation, const std::string& what) {
    CellStore fast, literal;
    const double t = BestOf3Sort(start, fast, [&](CellStore& t) { SortByColumn(t, col, collation); });
    const double reference = BestOf3Sort(start, literal, [&](CellStore& t) { LiteralBubbleSort(t, col, collation); });
    Row(std::string("Sort by ") + kTitles[col] + ", " + what + " (best of 3)", Ms(t),
        "literal bubble sort (best of 3): " + Sec(reference), "same order as the reference",
        Verdict(SameRows(fast, literal)));
}

void RealisticSort(const Collation& collation) {
    const std::string where = Fmt("code page %.0f", GetACP());
    CellStore table = RealisticTable(kVaultMaxEntries);
    double t = 1e9;
    for (int i = 0; i < 3; ++i) {
        SortByColumn(table, 0, collation);
        t = std::min(t, Time([&] { SortByColumn(table, 1, collation); }));
    }
    Row("Sort by Name, realistic table, 65,535 rows, " + where + " (best of 3)", Sec(t), "", "<= 0.1 s",
        Verdict(t <= 0.1));
    SortByColumn(table, 0, collation);
    CellStore small;
    small.SetRowCount(2001);
    for (int r = 1; r <= 2000; ++r)
        for (int c = 0; c < CellStore::kColumns; ++c) small.SetCell(c, r, table.Cell(c, r * 32));
    for (int col = 1; col < CellStore::kColumns; ++col)
        CompareWithBubbleSort(small, col, collation, "realistic table, 2,000 rows, " + where);
}

} // namespace

int main(int argc, char** argv) {
    const std::string dir = BenchFolder(argc, argv);
    const UserLocaleCollation collation;
    std::printf("vault_bench: sort keys %s in this locale\n", collation.HasExactKeys() ? "exact" : "not used");
    if (argc > 2 && std::string(argv[2]) == "realistic") {
        RealisticSort(collation);
        return 0;
    }
    const std::string vaultPath = dir + "velt_bench_baza.pdb";
    const std::string plainPath = dir + "velt_bench_plain.bin";
    const std::string password = kBenchPassword;
    const int rows = kVaultMaxEntries;
    const double fileBytes = double(kVaultHeaderSize) + double(kVaultRecordSize) * rows;

    std::printf("vault_bench: %d entries, every field 255 bytes, file %.1f MB, code page %u\n", rows, fileBytes / 1e6,
                GetACP());
    CellStore table;
    Line("build table", Time([&] { table = VaultSizedTable(rows); }), "s");

    // Plain I/O of the same bytes, in the same run, round by round beside
    // Save and Load (a busy machine slows all four alike); best of each.
    // "files" runs only these, in more rounds.
    const bool filesOnly = argc > 2 && std::string(argv[2]) == "files";
    const int rounds = filesOnly ? 7 : 3;
    double plainWrite = 1e9, plainWriteFlush = 1e9, plainRead = 1e9, build = 1e9, save = 1e9, loadFresh = 1e9;
    VaultLoadResult result{};
    for (int i = 0; i < rounds; ++i) {
        {
            std::string image;
            build = std::min(build, Time([&] { image = BuildVaultImage(table, password); }));
            plainWrite = std::min(plainWrite, PlainWrite(plainPath, image, false));
            plainWriteFlush = std::min(plainWriteFlush, PlainWrite(plainPath, image, true));
        }
        save = std::min(save, Time([&] { SaveVault(vaultPath, table, password); }));
        plainRead = std::min(plainRead, PlainRead(plainPath, size_t(fileBytes)));
        // Start-up: the table holds one empty row when the vault is read.
        CellStore fresh;
        loadFresh = std::min(loadFresh, Time([&] { result = LoadVault(vaultPath, password, fresh); }));
    }
    DeleteFileA(plainPath.c_str());
    // "Open/ Reopen": the full table is overwritten.
    const double load = Best(3, [&] { result = LoadVault(vaultPath, password, table); });
    if (result != VaultLoadResult::Loaded || table.EntryCount() != rows) {
        std::printf("load failed\n");
        return 1;
    }
    DeleteFileA(vaultPath.c_str());

    // A merge by rows of another version that differs in 1,000 entries; with
    // the read of that version, at most twice a Load.
    double merge = 1e9;
    {
        RowBaseline baseline;
        Line("hash every row (merge's baseline)", Time([&] { baseline.Take(table, platform::SystemRandom()); }), "s");
        CellStore theirs = table;
        for (int r = 1; r <= 1000; ++r) theirs.SetCell(4, r * (rows / 1000), "changed elsewhere");
        // The other version is read afresh for each merge, which builds in it.
        for (int i = 0; i < 3; ++i) {
            CellStore read = theirs, merged;
            merge = std::min(merge, Time([&] { MergeRows(baseline, table, std::move(read), merged); }));
        }
    }
    // The same by entry ids (a strong vault of version 3): 1,000 passwords
    // changed there a second later, each old one going to the history.
    double idMerge = 1e9;
    {
        CellStore ours = table;
        StampMissing(ours, platform::SystemRandom(), 1700000000);
        CellStore theirs = ours;
        for (int r = 1; r <= 1000; ++r) {
            const int row = r * (rows / 1000);
            const std::string before(theirs.Cell(4, row));
            theirs.SetCell(4, row, "changed elsewhere");
            RecordFieldChange(theirs, row, 4, before, 1700000001, kHistoryKeepDefault);
        }
        for (int i = 0; i < 3; ++i) {
            CellStore read = theirs, merged;
            idMerge = std::min(idMerge, Time([&] { MergeByIds(ours, std::move(read), merged); }));
        }
    }

    Line("plain write (no flush)", plainWrite, "s");
    Line("plain write + FlushFileBuffers", plainWriteFlush, "s");
    Line("  of which: building the file in memory", build, "s");
    Line("Save (build, write, flush, replace)", save, "s");
    Line("plain read", plainRead, "s");
    Line("Load at start-up (into the initial table)", loadFresh, "s");
    Line("Load again (over the full table)", load, "s");
    Line("merge by rows (1,000 entries differ)", merge, "s");
    Line("merge by ids (1,000 entries differ)", idMerge, "s");
    // Save makes its file durable before it replaces the old one, so its
    // reference is a write that is flushed too.
    Row("Save, 84 MB vault", Sec(save), "plain write + flush: " + Sec(plainWriteFlush), "<= 1.3x reference",
        Verdict(save <= 1.3 * plainWriteFlush));
    Row("Load at start-up, 84 MB vault", Sec(loadFresh), "plain read: " + Sec(plainRead), "<= 1.3x reference",
        Verdict(loadFresh <= 1.3 * plainRead));
    Row("Load over the full table (Open/ Reopen)", Sec(load), "plain read: " + Sec(plainRead), "<= 1.5x reference",
        Verdict(load <= 1.5 * plainRead));
    Row("Merge by rows, 65,535 entries, 1,000 differ (read + merge)", Sec(loadFresh + merge),
        "Load: " + Sec(loadFresh), "<= 2x reference", Verdict(merge <= loadFresh));
    Row("Merge by ids, 65,535 entries, 1,000 differ (read + merge)", Sec(loadFresh + idMerge),
        "Load: " + Sec(loadFresh), "<= 2x reference", Verdict(idMerge <= loadFresh));
    if (filesOnly) return 0;

    // Best of three, each from the order of the entries as loaded (random
    // for every other column's values; for # itself, the order by Name).
    for (int col : {1, 2, 3, 4, 5, 0}) {
        double t = 1e9;
        for (int i = 0; i < 3; ++i) {
            SortByColumn(table, col == 0 ? 1 : 0, collation);
            t = std::min(t, Time([&] { SortByColumn(table, col, collation); }));
        }
        const double target = col == 0 ? 0.5 : 0.2;
        Row(std::string("Sort by ") + kTitles[col] + ", 65,535 rows (best of 3)", Sec(t), "",
            col == 0 ? "< 0.5 s" : "<= 0.2 s", Verdict(col == 0 ? t < target : t <= target));
    }
    Line("sort by Name when already sorted", Time([&] {
             SortByColumn(table, 1, collation);
             SortByColumn(table, 1, collation);
         }) / 2,
         "s");
    SortByColumn(table, 0, collation);

    // 2,000 rows: the same sort against the literal bubble sort, which must
    // leave exactly the same order.
    {
        CellStore small;
        small.SetRowCount(2001);
        for (int r = 1; r <= 2000; ++r)
            for (int c = 0; c < CellStore::kColumns; ++c) small.SetCell(c, r, table.Cell(c, r * 32));
        SortByColumn(small, 0, collation);
        for (int col = 0; col < CellStore::kColumns; ++col) {
            // Start from the order of another column, so there is work to do.
            CellStore start = small;
            SortByColumn(start, (col + 1) % 6, collation);
            CompareWithBubbleSort(start, col, collation, "2,000 rows");
        }
    }

    // Find: absent texts scan every cell; the worst case.
    auto best = [&](auto&& f) { return Best(5, f); };
    bool found = false;
    double worstFind = 0, plainScan = 0;
    for (const char* text : {"no such entry", "zq~", "~"}) {
        worstFind = std::max(worstFind, best([&] { found |= FindCell(table, text).has_value(); }));
        plainScan = std::max(plainScan, best([&] { found |= PlainScan(table, text); }));
    }
    SortByColumn(table, 2, collation);  // rows no longer in the order their cells were allocated
    const double findSorted = best([&] { found |= FindCell(table, "no such entry").has_value(); });
    const double scanSorted = best([&] { found |= PlainScan(table, "no such entry"); });
    if (found) std::printf("absent text was found?\n");
    Row("Find an absent text, 65,535 rows", Ms(worstFind), "plain scan, no folding: " + Ms(plainScan), "<= 20 ms",
        Verdict(worstFind <= 0.020));
    Row("Find an absent text, rows sorted by Address", Ms(findSorted), "plain scan, no folding: " + Ms(scanSorted),
        "<= 20 ms", Verdict(findSorted <= 0.020));

    RealisticSort(collation);

    PROCESS_MEMORY_COUNTERS pmc{};
    pmc.cb = sizeof pmc;
    GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof pmc);
    char note[96];
    std::snprintf(note, sizeof note, "%.2fx the file", pmc.PeakWorkingSetSize / fileBytes);
    Line("peak working set (this benchmark)", pmc.PeakWorkingSetSize / 1e6, "MB", note);
    return 0;
}
