// Velt's side of the independent check (strong_vault_check.py): writes and
// reads strong vaults through the program's own code, the real CNG and the
// system's random generator. Passwords and cells travel in hex, one entry a
// line, five space-separated fields ("-" for an empty one).
//   strong_vault_tool write <vault> <password hex> <table file>
//   strong_vault_tool read <vault> <password hex>   (prints "strong", "old", "incorrect",
//                                                    "damaged" or "tampered", then the entries)
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>

#include "vault/cng_crypto_win.h"
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
    if (argc < 4 || (command != "write" && command != "read") || (command == "write" && argc != 5)) {
        std::cerr << "usage: strong_vault_tool write <vault> <password hex> <table> | read <vault> <password hex>\n";
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
            for (int r = 1; std::getline(in, line); ++r) {
                std::istringstream fields(line);
                table.SetRowCount(r + 1);
                std::string hex;
                for (int c = 1; c <= 5 && fields >> hex; ++c) table.SetCell(c, r, FromHex(hex));
            }
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
        std::cout << (protection.Strong() ? "strong" : "old") << "\n";
        for (int r = 1; r <= table.EntryCount(); ++r) {
            for (int c = 1; c <= 5; ++c) {
                std::string_view cell = table.Cell(c, r);
                std::cout << ToHex(cell) << (c < 5 ? " " : "\n");
            }
        }
        return 0;
    } catch (const EVaultTampered&) {
        std::cout << "tampered\n";
        return 0;
    } catch (const EVaultDamaged&) {
        std::cout << "damaged\n";
        return 0;
    } catch (const std::exception& e) {
        std::cerr << "strong_vault_tool: " << e.what() << "\n";
        return 1;
    }
}
