// Which format Save writes, and the key of the strong one. The open vault
// holds one; Load sets it from the file it reads.
#pragma once
#include <string>
#include <string_view>

#include "core/clock.h"
#include "core/random_source.h"
#include "vault/cell_store.h"
#include "vault/entry_items.h"
#include "vault/strong_format.h"
#include "vault/vault_format.h"
#include "vault/vault_save.h"

namespace velt {

class VaultProtection {
public:
    VaultProtection(StrongCrypto& crypto, RandomByteSource& random, Clock& clock = SystemClock())
        : crypto_(crypto), random_(random), clock_(clock) {}

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
    // of version 3, with the key read from the file unless it is weaker than
    // new keys (every key of version 1 or 2 is): then a new salt and key.
    // Before a strong save every entry without an id or times gets them (of
    // this moment), old passwords beyond HistoryKeep go and deletions older
    // than 90 days are forgotten, in the table too.
    void Save(SaveFileOps& ops, const std::string& path, CellStore& table, std::string_view password);
    // Reads either format, told apart by the magic, and takes the format
    // (and for a strong file its key) from the file once it has loaded.
    // Entries of a strong file without an id or times (all those of version
    // 1 and 2) get them, of this moment. `file` is the file's bytes; see
    // LoadStrongImage and LoadVaultImage.
    VaultLoadResult Load(std::string& file, std::string_view password, CellStore& table,
                         const std::string& fullPath);
    // For a strong file, derives the key Load will need from its first bytes
    // (`head`) and its size, before the rest is read (DeriveStrongKeyAhead);
    // the next Load uses it or wipes it.
    void DeriveKeyAhead(std::string_view head, size_t fileSize, std::string_view password,
                        const std::string& fullPath);

    // Old passwords kept per entry, 0-100 ([Strong] HistoryKeep=).
    int HistoryKeep() const noexcept { return historyKeep_; }
    void SetHistoryKeep(int keep) noexcept;
    Clock& Time() const noexcept { return clock_; }
    RandomByteSource& Random() const noexcept { return random_; }

    // New keys use this derivation (tests use cheap ones).
    void SetKdfForTests(const StrongKdf& kdf) { kdf_ = kdf; }

private:
    void NewKey(std::string_view password);

    StrongCrypto& crypto_;
    RandomByteSource& random_;
    Clock& clock_;
    bool strong_ = false;
    StrongKey key_;
    StrongKey ahead_;
    StrongKdf kdf_ = StrongKdf::Defaults();
    int historyKeep_ = kHistoryKeepDefault;
};

} // namespace velt
