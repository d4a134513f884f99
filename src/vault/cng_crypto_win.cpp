#include "vault/cng_crypto_win.h"

#include <windows.h>
#include <bcrypt.h>

#include <cstdio>

#include "core/resource_strings.h"
#include "platform/lazy_library.h"

namespace velt {

namespace {

constexpr NTSTATUS kAuthTagMismatch = static_cast<NTSTATUS>(0xC000A002L);
constexpr NTSTATUS kUnsuccessful = static_cast<NTSTATUS>(0xC0000001L);

[[noreturn]] void Fail(NTSTATUS status) {
    char code[16];
    std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(status));
    throw ECryptoError(FormatText(ResStr(IDS_CRYPTO_FAILED), {code}));
}

void Check(NTSTATUS status) {
    if (!BCRYPT_SUCCESS(status)) Fail(status);
}

// bcrypt.dll is found on first use: only a strong vault needs it, and
// importing it costs every start-up.
#define VELT_CNG_FUNCTION(name) \
    decltype(BCrypt##name)* name = platform::SystemFunction<decltype(BCrypt##name)>("bcrypt.dll", "BCrypt" #name)
struct CngApi {
    VELT_CNG_FUNCTION(OpenAlgorithmProvider);
    VELT_CNG_FUNCTION(CloseAlgorithmProvider);
    VELT_CNG_FUNCTION(SetProperty);
    VELT_CNG_FUNCTION(GenerateSymmetricKey);
    VELT_CNG_FUNCTION(DestroyKey);
    VELT_CNG_FUNCTION(DeriveKeyPBKDF2);
    VELT_CNG_FUNCTION(Encrypt);
    VELT_CNG_FUNCTION(Decrypt);
    VELT_CNG_FUNCTION(CreateHash);
    VELT_CNG_FUNCTION(HashData);
    VELT_CNG_FUNCTION(FinishHash);
    VELT_CNG_FUNCTION(DestroyHash);
};
#undef VELT_CNG_FUNCTION

const CngApi& Cng() {
    static const CngApi api;
    return api;
}

class Algorithm {
public:
    Algorithm(LPCWSTR id, ULONG flags) { Check(Cng().OpenAlgorithmProvider(&h_, id, nullptr, flags)); }
    ~Algorithm() { Cng().CloseAlgorithmProvider(h_, 0); }
    Algorithm(const Algorithm&) = delete;
    Algorithm& operator=(const Algorithm&) = delete;
    BCRYPT_ALG_HANDLE Get() const { return h_; }

private:
    BCRYPT_ALG_HANDLE h_ = nullptr;
};

// An AES-256 key in GCM chaining mode; CNG keeps (and frees) its schedule.
class GcmKey {
public:
    explicit GcmKey(const unsigned char* key) : aes_(BCRYPT_AES_ALGORITHM, 0) {
        Check(Cng().SetProperty(aes_.Get(), BCRYPT_CHAINING_MODE,
                                reinterpret_cast<PUCHAR>(const_cast<wchar_t*>(BCRYPT_CHAIN_MODE_GCM)),
                                sizeof(BCRYPT_CHAIN_MODE_GCM), 0));
        Check(Cng().GenerateSymmetricKey(aes_.Get(), &h_, nullptr, 0, const_cast<PUCHAR>(key),
                                         static_cast<ULONG>(kStrongKeySize), 0));
    }
    ~GcmKey() { Cng().DestroyKey(h_); }
    GcmKey(const GcmKey&) = delete;
    GcmKey& operator=(const GcmKey&) = delete;
    BCRYPT_KEY_HANDLE Get() const { return h_; }

private:
    Algorithm aes_;
    BCRYPT_KEY_HANDLE h_ = nullptr;
};

BCRYPT_AUTHENTICATED_CIPHER_MODE_INFO ModeInfo(const unsigned char* nonce, std::string_view aad, unsigned char* tag) {
    BCRYPT_AUTHENTICATED_CIPHER_MODE_INFO info;
    BCRYPT_INIT_AUTH_MODE_INFO(info);
    info.pbNonce = const_cast<PUCHAR>(nonce);
    info.cbNonce = static_cast<ULONG>(kStrongNonceSize);
    info.pbAuthData = reinterpret_cast<PUCHAR>(const_cast<char*>(aad.data()));
    info.cbAuthData = static_cast<ULONG>(aad.size());
    info.pbTag = tag;
    info.cbTag = static_cast<ULONG>(kStrongTagSize);
    return info;
}

// An HMAC-SHA256 under one key; CNG keeps (and frees) its state.
class HmacHash {
public:
    explicit HmacHash(const unsigned char* key) : hmac_(BCRYPT_SHA256_ALGORITHM, BCRYPT_ALG_HANDLE_HMAC_FLAG) {
        Check(Cng().CreateHash(hmac_.Get(), &h_, nullptr, 0, const_cast<PUCHAR>(key),
                               static_cast<ULONG>(kStrongKeySize), 0));
    }
    ~HmacHash() { Cng().DestroyHash(h_); }
    HmacHash(const HmacHash&) = delete;
    HmacHash& operator=(const HmacHash&) = delete;
    BCRYPT_HASH_HANDLE Get() const { return h_; }

private:
    Algorithm hmac_;
    BCRYPT_HASH_HANDLE h_ = nullptr;
};

} // namespace

void CngCrypto::Mac(const unsigned char* key, std::string_view message, unsigned char* mac) {
    HmacHash hash(key);
    Check(Cng().HashData(hash.Get(), reinterpret_cast<PUCHAR>(const_cast<char*>(message.data())),
                         static_cast<ULONG>(message.size()), 0));
    Check(Cng().FinishHash(hash.Get(), mac, static_cast<ULONG>(kStrongMacSize), 0));
}

void CngCrypto::DeriveKey(std::string_view password, const unsigned char* salt, size_t saltSize,
                          std::uint32_t iterations, unsigned char* key) {
    Algorithm hmac(BCRYPT_SHA256_ALGORITHM, BCRYPT_ALG_HANDLE_HMAC_FLAG);
    Check(Cng().DeriveKeyPBKDF2(hmac.Get(), reinterpret_cast<PUCHAR>(const_cast<char*>(password.data())),
                                static_cast<ULONG>(password.size()), const_cast<PUCHAR>(salt),
                                static_cast<ULONG>(saltSize), iterations, key, static_cast<ULONG>(kStrongKeySize),
                                0));
}

void CngCrypto::Seal(const unsigned char* key, const unsigned char* nonce, std::string_view aad, unsigned char* data,
                     size_t size, unsigned char* tag) {
    GcmKey k(key);
    BCRYPT_AUTHENTICATED_CIPHER_MODE_INFO info = ModeInfo(nonce, aad, tag);
    ULONG done = 0;
    Check(Cng().Encrypt(k.Get(), data, static_cast<ULONG>(size), &info, nullptr, 0, data, static_cast<ULONG>(size),
                        &done, 0));
    if (done != size) Fail(kUnsuccessful);
}

bool CngCrypto::Open(const unsigned char* key, const unsigned char* nonce, std::string_view aad, unsigned char* data,
                     size_t size, const unsigned char* tag) {
    GcmKey k(key);
    BCRYPT_AUTHENTICATED_CIPHER_MODE_INFO info = ModeInfo(nonce, aad, const_cast<unsigned char*>(tag));
    ULONG done = 0;
    const NTSTATUS status = Cng().Decrypt(k.Get(), data, static_cast<ULONG>(size), &info, nullptr, 0, data,
                                          static_cast<ULONG>(size), &done, 0);
    if (status == kAuthTagMismatch) return false;
    Check(status);
    if (done != size) Fail(kUnsuccessful);
    return true;
}

} // namespace velt
