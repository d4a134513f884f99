// Argon2id (RFC 9106, version 0x13), computed by the reference C code that
// the build fetches and compiles in. Its work area of m KiB is wiped and
// freed before the call returns, on every path.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace velt {

struct Argon2Cost {
    std::uint32_t passes = 0;      // t
    std::uint32_t memoryKiB = 0;   // m
    std::uint32_t lanes = 0;       // p: threads of their own on Windows
};

// The tag of `password` and `salt` (secret and associated data may be
// empty) into out[0..outSize). Raises EKeyOutOfMemory when the work area
// cannot be had, ECryptoError for any other refusal of the reference code.
void Argon2id(std::string_view password, std::string_view salt, const Argon2Cost& cost, unsigned char* out,
              size_t outSize, std::string_view secret = {}, std::string_view associated = {});

} // namespace velt
