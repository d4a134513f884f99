#include "vault/vault_protection.h"

namespace velt {

void VaultProtection::NewKey(std::string_view password) {
    unsigned char salt[kStrongSaltSize];
    random_.Fill(salt, sizeof salt);
    StrongKey fresh;
    fresh.Derive(crypto_, password, salt, iterations_);
    key_.Take(fresh);
}

void VaultProtection::TurnOn(std::string_view password) {
    NewKey(password);
    strong_ = true;
}

void VaultProtection::TurnOff() noexcept {
    strong_ = false;
    key_.Wipe();
}

void VaultProtection::PasswordChanged(std::string_view password) {
    if (strong_) {
        NewKey(password);
    } else {
        key_.Wipe();
    }
}

void VaultProtection::Save(SaveFileOps& ops, const std::string& path, const CellStore& table,
                           std::string_view password) {
    if (strong_) {
        // A key read from a file of fewer rounds is replaced by one of today's.
        if (key_.Iterations() < iterations_) NewKey(password);
        SaveVaultImage(ops, path, BuildStrongImage(table, key_, crypto_, random_));
    }
    else
        SaveVaultWith(ops, path, table, password);
}

VaultLoadResult VaultProtection::Load(std::string& file, std::string_view password, CellStore& table,
                                      const std::string& fullPath) {
    if (IsStrongVault(file)) {
        const VaultLoadResult result = LoadStrongImage(file, password, crypto_, key_, table, fullPath);
        if (result == VaultLoadResult::Loaded) strong_ = true;
        return result;
    }
    const VaultLoadResult result = LoadVaultImage(file, password, table);
    if (result == VaultLoadResult::Loaded) TurnOff();
    return result;
}

} // namespace velt
