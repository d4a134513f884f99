// HMAC over SHA-1, SHA-256 and SHA-512, small and portable, for one-time
// codes. The key's pads and the hash state are wiped before returning.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace velt {

enum class HashAlgorithm { Sha1, Sha256, Sha512 };

// The digest's length in bytes: 20, 32 or 64.
std::size_t DigestSize(HashAlgorithm algorithm);

// The digest of `message`, as DigestSize bytes.
std::string Hash(HashAlgorithm algorithm, std::string_view message);

// HMAC of `message` under `key` (RFC 2104), as DigestSize bytes.
std::string Hmac(HashAlgorithm algorithm, std::string_view key, std::string_view message);

} // namespace velt
