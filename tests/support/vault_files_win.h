// Save and Load of a vault file by path, without a window: what the tests
// and benchmarks set up and check files with. Load reads either format.
#pragma once
#include <string>
#include <string_view>

#include "platform/system_random.h"
#include "vault/cng_crypto_win.h"
#include "vault/vault_file.h"

namespace velt {

// The compatible format, through the real save steps.
inline void SaveVault(const std::string& path, const CellStore& table, std::string_view password) {
    SaveVaultWith(*MakeWindowsSaveOps(), path, table, password);
}

inline VaultLoadResult LoadVault(const std::string& path, std::string_view password, CellStore& table) {
    CngCrypto crypto;
    VaultProtection protection(crypto, platform::SystemRandom());
    return LoadVaultFile(path, password, table, protection);
}

} // namespace velt
