// Which format Save writes, and the key of the strong one. The open vault
// holds one; Load sets it from the file it reads.
#pragma once
#include <string>
#include <string_view>

#include "core/random_source.h"
#include "vault/cell_store.h"
#include "vault/strong_format.h"
#include "vault/vault_format.h"
#include "vault/vault_save.h"

namespace velt {

class VaultProtection {
public:
    VaultProtection(StrongCrypto& crypto, RandomByteSource& random) : crypto_(crypto), random_(random) {}

    bool Strong() const noexcept { return strong_; }
    const StrongKey& Key() const noexcept { return key_; }

    // A new salt and a key derived from the password; Save then writes the
    // strong format. Nothing changes when the derivation fails.
    void TurnOn(std::string_view password);
    // Save writes the old format again; the key is wiped.
    void TurnOff() noexcept;
    // A new master password: a strong vault gets a new salt and key.
    void PasswordChanged(std::string_view password);

    // Save in the format in use. The old format is written piece by piece,
    // never whole in memory; the strong one is one sealed message, always
    // of version 2, with the key read from the file (version 1 too) unless it
    // has fewer rounds than new keys: then a new salt and key.
    void Save(SaveFileOps& ops, const std::string& path, const CellStore& table, std::string_view password);
    // Reads either format, told apart by the magic, and takes the format
    // (and for a strong file its key) from the file once it has loaded.
    // `file` is the file's bytes; see LoadStrongImage and LoadVaultImage.
    VaultLoadResult Load(std::string& file, std::string_view password, CellStore& table,
                         const std::string& fullPath);

    // New keys use this many iterations (tests use the minimum).
    void SetIterationsForTests(std::uint32_t iterations) { iterations_ = iterations; }

private:
    void NewKey(std::string_view password);

    StrongCrypto& crypto_;
    RandomByteSource& random_;
    bool strong_ = false;
    StrongKey key_;
    std::uint32_t iterations_ = kStrongIterations;
};

} // namespace velt
