// The strong vault format against the old one and plain I/O, on the vault
// at its limit (65,535 entries, every field 255 bytes): key derivation, then
// Save and Load with the key already derived, as every save and every
// Open/ Reopen of the same file runs. Prints one line per figure; lines
// starting with "@|" are the rows scripts/bench.sh gathers.
//
//   scripts/wine-run build/win32/strong_bench.exe [directory]
#include <windows.h>

#include <cstdio>
#include <string>

#include "tests/support/vault_files_win.h"
#include "bench/bench_common.h"
#include "vault/cng_crypto_win.h"
#include "platform/system_random.h"
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

} // namespace

int main(int argc, char** argv) {
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
    return 0;
}
