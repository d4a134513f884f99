// Velt's side of the independent check (strong_vault_check.py): writes and
// reads strong vaults through the program's own code, the real CNG and the
// system's random generator. Passwords, cells and items travel in hex, one
// entry a line: five space-separated fields and the entry's items ("-" for
// empty); a last line "vault <items>" holds the vault's items.
//   strong_vault_tool write <vault> <password hex> <table file> [history keep]
//   strong_vault_tool read <vault> <password hex>   (prints "strong", "old", "incorrect",
//                                                    "damaged", "tampered" or "refused", then the table)
//   strong_vault_tool resave <vault> <password hex>  (reads, then saves as Velt does)
//   strong_vault_tool merge <vault> <password hex> <other vault>  (merges the other in by ids, then saves)
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>

#include "vault/cng_crypto_win.h"
#include "vault/id_merge.h"
#include "platform/system_random.h"
#include "vault/vault_file.h"
#include "vault/vault_protection.h"

using namespace velt;

namespace {

std::string FromHex(const std::string& hex) {
    std::string out;
    if (hex == "-") return out;
    for (size_t i = 0; i + 1 < hex.size(); i += 2) out += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    return out;
}

std::string ToHex(std::string_view bytes) {
    if (bytes.empty()) return "-";
    std::string out;
    char b[3];
    for (unsigned char c : bytes) {
        std::snprintf(b, sizeof b, "%02x", c);
        out += b;
    }
    return out;
}

} // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    if (argc < 4 || (command != "write" && command != "read" && command != "resave" && command != "merge") ||
        (command == "write" && argc != 5 && argc != 6) || (command == "merge" && argc != 5)) {
        std::cerr << "usage: strong_vault_tool write <vault> <password hex> <table> [keep] | read|resave <vault> "
                     "<password hex>\n";
        return 2;
    }
    const std::string path = argv[2], password = FromHex(argv[3]);
    CngCrypto crypto;
    VaultProtection protection(crypto, platform::SystemRandom());
    try {
        if (command == "write") {
            std::ifstream in(argv[4]);
            CellStore table;
            table.SetRowCount(1);
            std::string line;
            for (int r = 1; std::getline(in, line);) {
                std::istringstream fields(line);
                std::string hex;
                if (line.rfind("vault ", 0) == 0) {
                    fields >> hex >> hex;
                    table.SetItems(0, FromHex(hex));
                    continue;
                }
                table.SetRowCount(r + 1);
                for (int c = 1; c <= 6 && fields >> hex; ++c) {
                    if (c <= 5)
                        table.SetCell(c, r, FromHex(hex));
                    else
                        table.SetItems(r, FromHex(hex));
                }
                ++r;
            }
            if (argc == 6) protection.SetHistoryKeep(std::stoi(argv[5]));
            protection.TurnOn(password);
            auto ops = MakeWindowsSaveOps();
            protection.Save(*ops, path, table, password);
            return 0;
        }
        CellStore table;
        if (LoadVaultFile(path, password, table, protection) != VaultLoadResult::Loaded) {
            std::cout << "incorrect\n";
            return 0;
        }
        if (command == "merge") {
            VaultProtection reader(crypto, platform::SystemRandom());
            CellStore theirs, merged;
            if (LoadVaultFile(argv[4], password, theirs, reader) != VaultLoadResult::Loaded) {
                std::cout << "incorrect\n";
                return 0;
            }
            MergeByIds(table, theirs, merged);
            auto ops = MakeWindowsSaveOps();
            protection.Save(*ops, path, merged, password);
            return 0;
        }
        if (command == "resave") {
            auto ops = MakeWindowsSaveOps();
            protection.Save(*ops, path, table, password);
            return 0;
        }
        std::cout << (protection.Strong() ? "strong" : "old") << "\n";
        for (int r = 1; r <= table.EntryCount(); ++r) {
            for (int c = 1; c <= 5; ++c) std::cout << ToHex(table.Cell(c, r)) << " ";
            std::cout << ToHex(table.Items(r)) << "\n";
        }
        std::cout << "vault " << ToHex(table.Items(0)) << "\n";
        return 0;
    } catch (const EVaultTampered&) {
        std::cout << "tampered\n";
        return 0;
    } catch (const EVaultRefused&) {
        std::cout << "refused\n";
        return 0;
    } catch (const EVaultDamaged&) {
        std::cout << "damaged\n";
        return 0;
    } catch (const std::exception& e) {
        std::cerr << "strong_vault_tool: " << e.what() << "\n";
        return 1;
    }
}
