#include "vault/argon2id.h"

#include <cstdio>
#include <new>

#include <argon2.h>

#include "core/resource_strings.h"
#include "vault/strong_format.h"

namespace velt {

namespace {

uint8_t* Bytes(std::string_view s) { return reinterpret_cast<uint8_t*>(const_cast<char*>(s.data())); }

// The work area: from the C++ heap, so that running out reads as such and
// not as an exception through C code. The reference code wipes it first.
int TakeWorkArea(uint8_t** memory, size_t size) {
    *memory = new (std::nothrow) uint8_t[size];
    return *memory ? ARGON2_OK : ARGON2_MEMORY_ALLOCATION_ERROR;
}

void GiveWorkArea(uint8_t* memory, size_t) { delete[] memory; }

} // namespace

void Argon2id(std::string_view password, std::string_view salt, const Argon2Cost& cost, unsigned char* out,
              size_t outSize, std::string_view secret, std::string_view associated) {
    argon2_context context{};
    context.out = out;
    context.outlen = static_cast<uint32_t>(outSize);
    context.pwd = Bytes(password);
    context.pwdlen = static_cast<uint32_t>(password.size());
    context.salt = Bytes(salt);
    context.saltlen = static_cast<uint32_t>(salt.size());
    context.secret = Bytes(secret);
    context.secretlen = static_cast<uint32_t>(secret.size());
    context.ad = Bytes(associated);
    context.adlen = static_cast<uint32_t>(associated.size());
    context.t_cost = cost.passes;
    context.m_cost = cost.memoryKiB;
    context.lanes = cost.lanes;
    context.threads = cost.lanes;
    context.version = ARGON2_VERSION_13;
    // The password stays the caller's to wipe; the work area is wiped here.
    context.flags = ARGON2_DEFAULT_FLAGS;
    context.allocate_cbk = TakeWorkArea;
    context.free_cbk = GiveWorkArea;
    const int result = argon2_ctx(&context, Argon2_id);
    if (result == ARGON2_OK) return;
    if (result == ARGON2_MEMORY_ALLOCATION_ERROR)
        throw EKeyOutOfMemory(FormatText(ResStr(IDS_KEY_OUT_OF_MEMORY), {static_cast<int>(cost.memoryKiB / 1024)}));
    char code[48];
    std::snprintf(code, sizeof code, "Argon2 %d", result);
    throw ECryptoError(FormatText(ResStr(IDS_CRYPTO_FAILED), {code}));
}

} // namespace velt
