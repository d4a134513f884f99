#include "platform/system_random.h"

#include <windows.h>
#include <bcrypt.h>
#include <ntsecapi.h>

#include "core/errors.h"
#include "core/resource_strings.h"

namespace velt::platform {

void SystemRandomSource::Fill(unsigned char* data, std::size_t size) {
    while (size > 0) {
        ULONG chunk = size > 0x10000 ? 0x10000 : static_cast<ULONG>(size);
        if (!BCRYPT_SUCCESS(BCryptGenRandom(nullptr, data, chunk, BCRYPT_USE_SYSTEM_PREFERRED_RNG)) &&
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
