#include "vault/vault_protection.h"

#include <algorithm>

namespace velt {

void VaultProtection::NewKey(std::string_view password) {
    unsigned char salt[kStrongSaltSize];
    random_.Fill(salt, sizeof salt);
    StrongKey fresh;
    fresh.Derive(crypto_, password, salt, kdf_);
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

void VaultProtection::SetHistoryKeep(int keep) noexcept { historyKeep_ = std::clamp(keep, 0, kHistoryKeepMax); }

void VaultProtection::Save(SaveFileOps& ops, const std::string& path, CellStore& table, std::string_view password) {
    if (strong_) {
        // A key read from a file of a weaker derivation is replaced by one of today's.
        if (key_.Kdf().WeakerThan(kdf_)) NewKey(password);
        const std::int64_t now = clock_.UnixNow();
        StampMissing(table, random_, now);
        TrimPasswordHistory(table, historyKeep_);
        ForgetOldDeletions(table, now);
        SaveVaultImage(ops, path, BuildStrongImage(table, key_, crypto_, random_, historyKeep_));
    }
    else
        SaveVaultWith(ops, path, table, password);
}

void VaultProtection::DeriveKeyAhead(std::string_view head, size_t fileSize, std::string_view password,
                                     const std::string& fullPath) {
    DeriveStrongKeyAhead(head, fileSize, password, crypto_, key_, ahead_, fullPath);
}

VaultLoadResult VaultProtection::Load(std::string& file, std::string_view password, CellStore& table,
                                      const std::string& fullPath) {
    if (IsStrongVault(file)) {
        struct WipeAhead {
            StrongKey& key;
            ~WipeAhead() { key.Wipe(); }
        } wipeAhead{ahead_};
        const VaultLoadResult result = LoadStrongImage(file, password, crypto_, key_, table, fullPath, &ahead_);
        if (result == VaultLoadResult::Loaded) {
            strong_ = true;
            StampMissing(table, random_, clock_.UnixNow());
        }
        return result;
    }
    const VaultLoadResult result = LoadVaultImage(file, password, table);
    if (result == VaultLoadResult::Loaded) TurnOff();
    return result;
}

} // namespace velt
