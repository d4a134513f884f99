// The strong vault format against the old one and plain I/O, on the vault
// at its limit (65,535 entries, every field 255 bytes): key derivation, then
// Save and Load with the key already derived, as every save and every
// Open/ Reopen of the same file runs. Then version 3 against version 2:
// unlocking a vault (its key derived), and Load and Save of entries that
// remember (an id, times and three old passwords each), with the peak
// memory of each in a process of its own. Prints one line per figure; lines
// starting with "@|" are the rows scripts/bench.sh gathers.
//
//   scripts/wine-run build/win32/strong_bench.exe [directory]
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "tests/support/vault_files_win.h"
#include "bench/bench_common.h"
#include "vault/cng_crypto_win.h"
#include "platform/system_random.h"
#include "vault/entry_items.h"
#include "vault/vault_file.h"
#include "vault/vault_protection.h"

using namespace velt;
using namespace velt::bench;

namespace {

void Line(const char* what, double value, const char* unit) {
    std::printf("%-48s %10.3f %s\n", what, value, unit);
    std::fflush(stdout);
}

void SaveStrong(VaultProtection& protection, const std::string& path, CellStore& table) {
    auto ops = MakeWindowsSaveOps();
    protection.Save(*ops, path, table, kBenchPassword);
}

std::string Ratio(double velt, double reference) { return Fmt("%.2fx", velt / reference); }

// Every entry remembers: an id, its times, and three old passwords of
// `oldLength` letters, newest first.
void GiveItems(CellStore& table, size_t oldLength) {
    std::mt19937 rng(11);
    const std::int64_t now = 1700000000;
    std::string old[3];
    for (int r = 1; r <= table.EntryCount(); ++r) {
        StampNewEntry(table, r, platform::SystemRandom(), now - 1000);
        for (std::string& o : old) {
            o.resize(oldLength);
            for (char& c : o) c = char('a' + rng() % 26);
        }
        SetPasswordHistory(table, r, {{now - 100, old[0]}, {now - 200, old[1]}, {now - 300, old[2]}});
    }
}

// A version 2 file of the table, under a key of its own (600,000 rounds).
void SaveVersion2(const std::string& path, const CellStore& table, const StrongKey& key, StrongCrypto& crypto) {
    auto ops = MakeWindowsSaveOps();
    SaveVaultImage(*ops, path, BuildStrongImage(table, key, crypto, platform::SystemRandom()));
}

size_t FileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA a{};
    return GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &a) ? a.nFileSizeLow : 0;
}

// The plaintext a strong file carries: all but its header and tag.
double Plaintext(const std::string& path) {
    const size_t size = FileSize(path);
    std::ifstream f(path, std::ios::binary);
    char head[6] = {};
    f.read(head, sizeof head);
    return double(size) - double(head[4] == 3 ? kStrongHeaderSizeV3 : kStrongHeaderSize) - double(kStrongTagSize);
}

// Peaks above a process's start. Wine keeps no peak of the private bytes
// (it reports the current figure), so they are the ones held after the step.
struct Memory {
    double peakWorkingSet = 0, privateAfter = 0;
};

Memory MemoryNow() {
    PROCESS_MEMORY_COUNTERS pmc{};
    pmc.cb = sizeof pmc;
    GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof pmc);
    return {double(pmc.PeakWorkingSetSize), double(pmc.PagefileUsage)};  // PrivateUsage is 0 under Wine
}

// In a process of its own, so that its peaks are this one's: the file opened
// as the program starts (its key derived), then saved. Prints a "memory"
// line for each step: working set peak and private bytes, above the start.
int MeasureMemory(const std::string& path) {
    const Memory start = MemoryNow();
    CngCrypto crypto;
    VaultProtection protection(crypto, platform::SystemRandom());
    CellStore table;
    if (LoadVaultFile(path, kBenchPassword, table, protection) != VaultLoadResult::Loaded) return 1;
    const Memory load = MemoryNow();
    std::printf("memory load %.0f %.0f\n", load.peakWorkingSet - start.peakWorkingSet,
                load.privateAfter - start.privateAfter);
    auto ops = MakeWindowsSaveOps();
    protection.Save(*ops, path, table, kBenchPassword);
    const Memory save = MemoryNow();
    std::printf("memory save %.0f %.0f\n", save.peakWorkingSet - start.peakWorkingSet,
                save.privateAfter - start.privateAfter);
    return 0;
}

// MeasureMemory of the file in a new process: {load, save}.
std::pair<Memory, Memory> MemoryOf(const std::string& path) {
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    const std::string out = path + ".memory.txt";
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    HANDLE file = CreateFileA(out.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &sa, CREATE_ALWAYS, 0, nullptr);
    std::string command = "\"" + std::string(self) + "\" memory \"" + path + "\"";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = si.hStdError = file;
    PROCESS_INFORMATION pi{};
    if (CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) {
        WaitForSingleObject(pi.hProcess, INFINITE);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
    CloseHandle(file);
    std::pair<Memory, Memory> m;
    std::ifstream in(out);
    std::string word, what;
    Memory read;
    while (in >> word >> what >> read.peakWorkingSet >> read.privateAfter) (what == "load" ? m.first : m.second) = read;
    DeleteFileA(out.c_str());
    if (m.first.peakWorkingSet == 0) std::printf("no memory figures for %s\n", path.c_str());
    return m;
}

std::string MemoryText(const Memory& m, double plain) {
    return Mb(m.peakWorkingSet) + Fmt(" peak working set (%.2fx), ", m.peakWorkingSet / plain) + Mb(m.privateAfter) +
           Fmt(" private after (%.2fx)", m.privateAfter / plain);
}

// Unlocking: the key derived from the file's salt, then a vault of 1,000
// everyday entries read; version 3 (Argon2id at the defaults) against
// version 2 (PBKDF2, 600,000 rounds), alternated.
void UnlockRows(const std::string& dir, CngCrypto& crypto) {
    const std::string v3 = dir + "velt_bench_unlock3.pdb", v2 = dir + "velt_bench_unlock2.pdb";
    CellStore table = RealisticTable(1000);
    VaultProtection protection(crypto, platform::SystemRandom());
    protection.TurnOn(kBenchPassword);
    auto ops = MakeWindowsSaveOps();
    protection.Save(*ops, v3, table, kBenchPassword);
    StrongKey pbkdf2;
    unsigned char salt[kStrongSaltSize];
    platform::SystemRandom().Fill(salt, sizeof salt);
    pbkdf2.Derive(crypto, kBenchPassword, salt, StrongKdf::Pbkdf2(kStrongIterations));
    SaveVersion2(v2, table, pbkdf2, crypto);
    std::vector<double> three, two;
    for (int i = 0; i < 5; ++i)
        for (auto* run : {&three, &two}) {
            VaultProtection fresh(crypto, platform::SystemRandom());
            CellStore read;
            const std::string& path = run == &three ? v3 : v2;
            run->push_back(Time([&] { LoadVaultFile(path, kBenchPassword, read, fresh); }));
            if (read.EntryCount() != 1000) std::printf("unlock: load failed\n");
        }
    DeleteFileA(v3.c_str());
    DeleteFileA(v2.c_str());
    Line("unlock, version 3 (median of 5)", Median(three), "s");
    Line("unlock, version 2 (median of 5)", Median(two), "s");
    Row("Unlock, version 3: Argon2id t=3, 64 MiB, 4 lanes; 1,000 entries (median of 5)",
        Sec(Median(three)) + " (" + Ratio(Median(three), Median(two)) + ")",
        "version 2, PBKDF2 600,000 rounds: " + Sec(Median(two)), "<= 1 s", Verdict(Median(three) <= 1.0));
}

// Load and Save of 65,535 entries of 255-byte fields that remember (id,
// times, three old passwords of `oldLength` bytes), version 3 against the
// same rows in version 2, the key in use; then each one's peak memory.
void ItemRows(const std::string& dir, CngCrypto& crypto, size_t oldLength) {
    const std::string v3 = dir + "velt_bench_items3.pdb", v2 = dir + "velt_bench_items2.pdb";
    CellStore table = VaultSizedTable(kVaultMaxEntries);
    GiveItems(table, oldLength);
    VaultProtection three(crypto, platform::SystemRandom()), two(crypto, platform::SystemRandom());
    three.TurnOn(kBenchPassword);
    StrongKey pbkdf2;
    unsigned char salt[kStrongSaltSize];
    platform::SystemRandom().Fill(salt, sizeof salt);
    pbkdf2.Derive(crypto, kBenchPassword, salt, StrongKdf::Pbkdf2(kStrongIterations));
    auto ops = MakeWindowsSaveOps();
    // Alternated, best of 5: the two share what else the machine does.
    double save3 = 1e9, save2 = 1e9, load3 = 1e9, load2 = 1e9;
    for (int i = 0; i < 5; ++i) {
        save3 = std::min(save3, Time([&] { three.Save(*ops, v3, table, kBenchPassword); }));
        save2 = std::min(save2, Time([&] { SaveVersion2(v2, table, pbkdf2, crypto); }));
    }
    CellStore read;
    LoadVaultFile(v2, kBenchPassword, read, two);  // takes the file's key: no derivation below
    for (int i = 0; i < 5; ++i) {
        read = CellStore();
        load3 = std::min(load3, Time([&] { LoadVaultFile(v3, kBenchPassword, read, three); }));
        if (read.EntryCount() != kVaultMaxEntries || PasswordHistory(read, kVaultMaxEntries).size() != 3)
            std::printf("items: load failed\n");
        read = CellStore();
        load2 = std::min(load2, Time([&] { LoadVaultFile(v2, kBenchPassword, read, two); }));
    }
    read = CellStore();
    const double plain3 = Plaintext(v3), plain2 = Plaintext(v2);
    const std::string what = "65,535 entries, 3 old passwords of " + std::to_string(oldLength) + " bytes";
    std::printf("items: %s; version 3 file %.1f MB, version 2 file %.1f MB\n", what.c_str(), FileSize(v3) / 1e6,
                FileSize(v2) / 1e6);
    Line("version 3 Save with items (key in use)", save3, "s");
    Line("version 2 Save, same rows (key in use)", save2, "s");
    Line("version 3 Load with items (key in use)", load3, "s");
    Line("version 2 Load, same rows (key in use)", load2, "s");
    const std::string target = oldLength <= 32 ? "<= 1.3x version 2" : "";
    Row("Strong Save with items, " + what, Sec(save3) + " (" + Ratio(save3, save2) + ")",
        "version 2, same rows: " + Sec(save2), target, target.empty() ? "" : Verdict(save3 <= 1.3 * save2));
    Row("Strong Load with items, " + what, Sec(load3) + " (" + Ratio(load3, load2) + ")",
        "version 2, same rows: " + Sec(load2), target, target.empty() ? "" : Verdict(load3 <= 1.3 * load2));
    const auto [m3load, m3save] = MemoryOf(v3);
    const auto [m2load, m2save] = MemoryOf(v2);  // saved as version 3 at the end
    DeleteFileA(v3.c_str());
    DeleteFileA(v2.c_str());
    Row("Memory, version 3 Load (key derived), " + what + "; x the plaintext", MemoryText(m3load, plain3),
        "version 2 Load: " + MemoryText(m2load, plain2), "peak <= 1.5x the plaintext",
        Verdict(m3load.peakWorkingSet <= 1.5 * plain3));
    Row("Memory, version 3 Load then Save, " + what + "; x the plaintext", MemoryText(m3save, plain3),
        "version 2 Load, then Save as version 3: " + MemoryText(m2save, plain2), "peak <= 1.5x the plaintext",
        Verdict(m3save.peakWorkingSet <= 1.5 * plain3));
    std::printf("plaintext: version 3 %.1f MB, version 2 %.1f MB\n", plain3 / 1e6, plain2 / 1e6);
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "memory") return MeasureMemory(argv[2]);
    const std::string dir = BenchFolder(argc, argv);
    const std::string oldPath = dir + "velt_bench_old.pdb", strongPath = dir + "velt_bench_strong.pdb",
                      plainPath = dir + "velt_bench_plain.bin";
    const int rows = kVaultMaxEntries;

    CngCrypto crypto;
    VaultProtection protection(crypto, platform::SystemRandom());

    // Key derivation: every new key, and every start-up of a strong vault.
    double derive = 1e9;
    for (int i = 0; i < 3; ++i) derive = std::min(derive, Time([&] { protection.TurnOn(kBenchPassword); }));
    Line("key derivation, Argon2id t=3 m=64 MiB p=4 (best of 3)", derive, "s");

    CellStore table = VaultSizedTable(rows);
    StampMissing(table, platform::SystemRandom(), 1700000000);  // every strong entry has an id
    std::printf("strong_bench: %d entries, every field 255 bytes\n", rows);

    // The sealing alone, in memory: the whole cost the strong format adds.
    std::string image;
    const double build = Best(3, [&] { image = BuildStrongImage(table, protection.Key(), crypto, platform::SystemRandom()); });
    Line("build the strong file in memory (seal)", build, "s");
    std::string oldImage;
    const double oldBuild = Best(3, [&] { oldImage = BuildVaultImage(table, kBenchPassword); });
    oldImage.clear();
    oldImage.shrink_to_fit();
    Line("build the old format's file in memory", oldBuild, "s");
    std::printf("strong file: %.1f MB\n", image.size() / 1e6);
    double plainWrite = 1e9, plainRead = 1e9;
    for (int i = 0; i < 3; ++i) plainWrite = std::min(plainWrite, PlainWrite(plainPath, image));
    for (int i = 0; i < 3; ++i) plainRead = std::min(plainRead, PlainRead(plainPath, image.size()));
    DeleteFileA(plainPath.c_str());
    image.clear();
    image.shrink_to_fit();

    const double oldSave = Best(3, [&] { SaveVault(oldPath, table, kBenchPassword); });
    const double strongSave = Best(3, [&] { SaveStrong(protection, strongPath, table); });

    // Start-up: the table holds one empty row; then Open/ Reopen over the
    // full table. The key in use opens its own file without deriving.
    auto loadFresh = [&](auto&& load) {
        double best = 1e9;
        for (int i = 0; i < 3; ++i) {
            table = CellStore();
            best = std::min(best, Time(load));
        }
        return best;
    };
    VaultLoadResult a{}, b{};
    const double oldLoadFresh = loadFresh([&] { a = LoadVault(oldPath, kBenchPassword, table); });
    const double strongLoadFresh = loadFresh([&] { b = LoadVaultFile(strongPath, kBenchPassword, table, protection); });
    const double oldLoad = Best(3, [&] { a = LoadVault(oldPath, kBenchPassword, table); });
    const double strongLoad = Best(3, [&] { b = LoadVaultFile(strongPath, kBenchPassword, table, protection); });
    // A program that starts: a new key from the file's salt.
    double startUp = 1e9;
    for (int i = 0; i < 2; ++i) {
        VaultProtection fresh(crypto, platform::SystemRandom());
        table = CellStore();
        startUp = std::min(startUp, Time([&] { b = LoadVaultFile(strongPath, kBenchPassword, table, fresh); }));
    }
    if (a != VaultLoadResult::Loaded || b != VaultLoadResult::Loaded || table.EntryCount() != rows) {
        std::printf("load failed\n");
        return 1;
    }
    DeleteFileA(oldPath.c_str());
    DeleteFileA(strongPath.c_str());

    Line("old format Save", oldSave, "s");
    Line("strong Save (key in use)", strongSave, "s");
    Line("plain write + flush of the strong file's bytes", plainWrite, "s");
    Line("old format Load at start-up", oldLoadFresh, "s");
    Line("strong Load at start-up (key in use)", strongLoadFresh, "s");
    Line("old format Load over the full table", oldLoad, "s");
    Line("strong Load over the full table (key in use)", strongLoad, "s");
    Line("plain read of the strong file's bytes", plainRead, "s");
    Line("strong Load at start-up, key derived", startUp, "s");

    Row("Strong format: key derivation (Argon2id, t=3, 64 MiB, 4 lanes)", Sec(derive), "", "", "");
    Row("Strong format: the 84 MB file built in memory (AES-256-GCM through CNG)", Sec(build),
        "old format: " + Sec(oldBuild), "", "");
    Row("Strong Save, 84 MB vault, key in use", Sec(strongSave) + " (" + Ratio(strongSave, oldSave) + ")",
        "old format Save: " + Sec(oldSave) + "; plain write + flush: " + Sec(plainWrite), "<= 1.5x old format",
        Verdict(strongSave <= 1.5 * oldSave));
    Row("Strong Load at start-up, 84 MB vault, key in use", Sec(strongLoadFresh) + " (" + Ratio(strongLoadFresh, oldLoadFresh) + ")",
        "old format: " + Sec(oldLoadFresh) + "; plain read: " + Sec(plainRead), "<= 1.5x old format",
        Verdict(strongLoadFresh <= 1.5 * oldLoadFresh));
    Row("Strong Load over the full table (Open/ Reopen), key in use", Sec(strongLoad) + " (" + Ratio(strongLoad, oldLoad) + ")",
        "old format: " + Sec(oldLoad) + "; plain read: " + Sec(plainRead), "<= 1.5x old format",
        Verdict(strongLoad <= 1.5 * oldLoad));
    Row("Strong Load at start-up, 84 MB vault, key derived", Sec(startUp), "", "", "");
    table = CellStore();

    UnlockRows(dir, crypto);
    ItemRows(dir, crypto, 16);
    ItemRows(dir, crypto, 255);
    return 0;
}
