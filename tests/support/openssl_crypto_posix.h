// The strong vault's primitives from OpenSSL, for the host's known answers:
// real AES-256-GCM, HMAC-SHA256 and PBKDF2 where Windows would use CNG; the
// Argon2id is Velt's own (the reference code).
#pragma once
#include <openssl/evp.h>
#include <openssl/hmac.h>

#include <stdexcept>

#include "vault/strong_format.h"

namespace velt::test {

class OpenSslCrypto : public StrongCrypto {
public:
    void DeriveKey(std::string_view password, const unsigned char* salt, size_t saltSize, std::uint32_t iterations,
                   unsigned char* key) override {
        if (!PKCS5_PBKDF2_HMAC(password.data(), static_cast<int>(password.size()), salt, static_cast<int>(saltSize),
                               static_cast<int>(iterations), EVP_sha256(), static_cast<int>(kStrongKeySize), key))
            throw ECryptoError("PBKDF2");
    }
    void Seal(const unsigned char* key, const unsigned char* nonce, std::string_view aad, unsigned char* data,
              size_t size, unsigned char* tag) override {
        Gcm(true, key, nonce, aad, data, size, tag);
    }
    bool Open(const unsigned char* key, const unsigned char* nonce, std::string_view aad, unsigned char* data,
              size_t size, const unsigned char* tag) override {
        return Gcm(false, key, nonce, aad, data, size, const_cast<unsigned char*>(tag));
    }
    void Mac(const unsigned char* key, std::string_view message, unsigned char* mac) override {
        unsigned int n = 0;
        HMAC(EVP_sha256(), key, static_cast<int>(kStrongKeySize), reinterpret_cast<const unsigned char*>(message.data()),
             message.size(), mac, &n);
    }

private:
    static bool Gcm(bool seal, const unsigned char* key, const unsigned char* nonce, std::string_view aad,
                    unsigned char* data, size_t size, unsigned char* tag) {
        EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
        int n = 0;
        bool ok = EVP_CipherInit_ex(ctx, EVP_aes_256_gcm(), nullptr, key, nonce, seal ? 1 : 0) == 1 &&
                  EVP_CipherUpdate(ctx, nullptr, &n, reinterpret_cast<const unsigned char*>(aad.data()),
                                   static_cast<int>(aad.size())) == 1 &&
                  EVP_CipherUpdate(ctx, data, &n, data, static_cast<int>(size)) == 1;
        if (ok && !seal) ok = EVP_CIPHER_CTX_ctrl(ctx, EVP_CTRL_GCM_SET_TAG, static_cast<int>(kStrongTagSize), tag) == 1;
        ok = ok && EVP_CipherFinal_ex(ctx, data + size, &n) == 1;
        if (ok && seal) ok = EVP_CIPHER_CTX_ctrl(ctx, EVP_CTRL_GCM_GET_TAG, static_cast<int>(kStrongTagSize), tag) == 1;
        EVP_CIPHER_CTX_free(ctx);
        if (!ok && seal) throw ECryptoError("AES-GCM");
        return ok;
    }
};

} // namespace velt::test
