// Little-endian integers in the vault files' headers and bodies.
#pragma once
#include <cstdint>

namespace velt {

inline void PutLE16(unsigned char* p, std::uint16_t v) noexcept {
    p[0] = static_cast<unsigned char>(v);
    p[1] = static_cast<unsigned char>(v >> 8);
}

inline void PutLE32(unsigned char* p, std::uint32_t v) noexcept {
    PutLE16(p, static_cast<std::uint16_t>(v));
    PutLE16(p + 2, static_cast<std::uint16_t>(v >> 16));
}

inline std::uint16_t GetLE16(const unsigned char* p) noexcept {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

inline std::uint32_t GetLE32(const unsigned char* p) noexcept {
    return GetLE16(p) | (static_cast<std::uint32_t>(GetLE16(p + 2)) << 16);
}

inline void PutLE64(unsigned char* p, std::int64_t v) noexcept {
    const auto u = static_cast<std::uint64_t>(v);
    PutLE32(p, static_cast<std::uint32_t>(u));
    PutLE32(p + 4, static_cast<std::uint32_t>(u >> 32));
}

inline std::int64_t GetLE64(const unsigned char* p) noexcept {
    return static_cast<std::int64_t>(GetLE32(p) | (static_cast<std::uint64_t>(GetLE32(p + 4)) << 32));
}

} // namespace velt
