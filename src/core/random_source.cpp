#include "core/random_source.h"

namespace velt {

std::uint32_t RandomBelow(RandomByteSource& source, std::uint32_t n) {
    if (n <= 1) return 0;
    std::size_t bytes = 1;
    std::uint64_t range = 256;
    while (range < n) {
        range <<= 8;
        ++bytes;
    }
    // The largest multiple of n not above range: draws at or beyond it are
    // rejected, so each residue keeps the same number of accepted draws.
    const std::uint64_t limit = range - range % n;
    for (;;) {
        unsigned char buf[4];
        source.Fill(buf, bytes);
        std::uint64_t v = 0;
        for (std::size_t i = 0; i < bytes; ++i) v = (v << 8) | buf[i];
        if (v < limit) return static_cast<std::uint32_t>(v % n);
    }
}

} // namespace velt
