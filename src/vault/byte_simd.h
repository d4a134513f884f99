// Byte loops that the vault runs over the whole table (cipher, search), with
// an SSE2 version chosen at run time: the 32-bit build cannot assume SSE2.
#pragma once
#include <cstddef>
#include <cstdint>

namespace velt::simd {

// True when the CPU has SSE2 and it has not been switched off; tests switch
// it off to run the plain versions too.
bool HasSse2();
void AllowSse2(bool allowed);

// out[i] = in[i] + key[i] and in[i] - key[i], modulo 256.
void AddBytes(const unsigned char* in, const unsigned char* key, unsigned char* out, size_t n);
void SubBytes(const unsigned char* in, const unsigned char* key, unsigned char* out, size_t n);

// Length of the leading run of p[0, n) that holds none of the bytes a, b, c
// and, when `high`, no byte from 0x80 up. For the importer's scans.
size_t RunWithout(const unsigned char* p, size_t n, unsigned char a, unsigned char b, unsigned char c, bool high);

// Mixes `blocks` blocks of 64 bytes into 16 lanes, lane k taking the k-th
// 32-bit little-endian word of each: lane = (lane ^ word) * 0x01000193, then
// lane ^= lane >> 15. The file stamp's hash.
void MixBlocks(std::uint32_t lanes[16], const unsigned char* p, size_t blocks);

// Two NH sums (RFC 4418) of p[0, n), read as 32-bit little-endian words in
// blocks of 16 bytes, zeros after the end: sums[0] adds (w[2i] + key[2i]) *
// (w[2i+1] + key[2i+1]) over the words (each addition modulo 2^32, the sum
// modulo 2^64), sums[1] the same with the key two words on. `key` holds
// 4 * ceil(n / 16) + 2 words. The merge's row hash.
void NhSums(const unsigned char* p, size_t n, const std::uint32_t* key, std::uint64_t sums[2]);

// Whether a[0, n) and b[0, n) hold the same bytes: the C library's memcmp
// of the 32-bit Windows build goes a byte at a time.
bool SameBytes(const unsigned char* a, const unsigned char* b, size_t n);

// Asks the cache for bytes [p, p + n) ahead of use; does nothing on CPUs
// without SSE.
void Prefetch(const void* p, size_t n);

// Offsets p < n - span such that h[p] is a or b and h[p + span] is c or d,
// in increasing order: calls visit(p) for each and stops when it returns
// true. Returns whether one did. A filter for substring search.
template <typename Visit>
bool ScanPairs(const unsigned char* h, size_t n, size_t span, unsigned char a, unsigned char b,
               unsigned char c, unsigned char d, Visit&& visit);

} // namespace velt::simd

#include "vault/byte_simd_impl.h"
