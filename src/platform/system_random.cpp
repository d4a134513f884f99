#include "platform/system_random.h"

#include <windows.h>
#include <bcrypt.h>
#include <ntsecapi.h>

#include "core/errors.h"
#include "core/resource_strings.h"
#include "platform/lazy_library.h"

namespace velt::platform {

namespace {

// CNG is loaded when the first password is generated, not at start-up
// (loading it brings up its cryptography back end). Without it the older
// system source serves.
decltype(BCryptGenRandom)* CngRandom() {
    static decltype(BCryptGenRandom)* const genRandom = []() -> decltype(BCryptGenRandom)* {
        try {
            return SystemFunction<decltype(BCryptGenRandom)>("bcrypt.dll", "BCryptGenRandom");
        } catch (const Exception&) {
            return nullptr;
        }
    }();
    return genRandom;
}

} // namespace

void SystemRandomSource::Fill(unsigned char* data, std::size_t size) {
    while (size > 0) {
        ULONG chunk = size > 0x10000 ? 0x10000 : static_cast<ULONG>(size);
        auto* const genRandom = CngRandom();
        if (!(genRandom && BCRYPT_SUCCESS(genRandom(nullptr, data, chunk, BCRYPT_USE_SYSTEM_PREFERRED_RNG))) &&
            !RtlGenRandom(data, chunk))
            throw Exception(LoadStr(IDS_NO_RANDOM_SOURCE));
        data += chunk;
        size -= chunk;
    }
}

SystemRandomSource& SystemRandom() {
    static SystemRandomSource source;
    return source;
}

} // namespace velt::platform
