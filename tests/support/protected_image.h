// The whole file that VaultProtection's Save would write, in memory.
#pragma once
#include <string>
#include <string_view>

#include "vault/vault_protection.h"

namespace velt::test {

inline std::string ProtectedImage(const VaultProtection& p, StrongCrypto& crypto, RandomByteSource& random,
                                  const CellStore& table, std::string_view password) {
    return p.Strong() ? BuildStrongImage(table, p.Key(), crypto, random) : BuildVaultImage(table, password);
}

} // namespace velt::test
