// The strong vault's primitives for the main window: CNG, with the wait
// cursor shown while a key is derived (about a second).
#pragma once
#include "vault/cng_crypto_win.h"

namespace velt {

class WaitCursorCrypto final : public CngCrypto {
public:
    void DeriveKey(std::string_view password, const unsigned char* salt, size_t saltSize, std::uint32_t iterations,
                   unsigned char* key) override;
};

} // namespace velt
