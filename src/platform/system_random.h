// The operating system's cryptographic random generator as a RandomByteSource.
#pragma once
#include "core/random_source.h"

namespace velt::platform {

class SystemRandomSource final : public RandomByteSource {
public:
    // BCryptGenRandom with the system-preferred generator; RtlGenRandom when
    // that fails. Throws velt::Exception when neither gives bytes.
    void Fill(unsigned char* data, std::size_t size) override;
};

// The process-wide instance the generator commands draw from.
SystemRandomSource& SystemRandom();

} // namespace velt::platform
