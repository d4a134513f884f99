// The strong vault's primitives through Windows' own CNG (bcrypt.dll):
// PBKDF2-HMAC-SHA256, HMAC-SHA256 and AES-256-GCM.
#pragma once
#include "vault/strong_format.h"

namespace velt {

class CngCrypto : public StrongCrypto {
public:
    void DeriveKey(std::string_view password, const unsigned char* salt, size_t saltSize, std::uint32_t iterations,
                   unsigned char* key) override;
    void Seal(const unsigned char* key, const unsigned char* nonce, std::string_view aad, unsigned char* data,
              size_t size, unsigned char* tag) override;
    bool Open(const unsigned char* key, const unsigned char* nonce, std::string_view aad, unsigned char* data,
              size_t size, const unsigned char* tag) override;
    void Mac(const unsigned char* key, std::string_view message, unsigned char* mac) override;
};

} // namespace velt
