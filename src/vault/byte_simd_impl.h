// Template part of byte_simd.h.
#pragma once
#include <cstdint>
#include <cstring>

#if defined(__i386__) || defined(__x86_64__)
#define VELT_SIMD_X86 1
#include <emmintrin.h>
#endif

namespace velt::simd {

namespace detail {

// High bit of each byte of v that is zero. Never misses one; a byte just above
// a zero byte may be flagged too, which a filter tolerates.
inline std::uint32_t ZeroBytes(std::uint32_t v) { return (v - 0x01010101u) & ~v & 0x80808080u; }

template <typename Visit>
bool ScanPairsWords(const unsigned char* h, size_t starts, size_t span, unsigned char a, unsigned char b,
                    unsigned char c, unsigned char d, Visit&& visit) {
    const std::uint32_t wa = 0x01010101u * a, wb = 0x01010101u * b;
    const std::uint32_t wc = 0x01010101u * c, wd = 0x01010101u * d;
    size_t p = 0;
    for (; p + 4 <= starts; p += 4) {
        std::uint32_t x, y;
        std::memcpy(&x, h + p, 4);
        std::memcpy(&y, h + p + span, 4);
        if (((ZeroBytes(x ^ wa) | ZeroBytes(x ^ wb)) & (ZeroBytes(y ^ wc) | ZeroBytes(y ^ wd))) == 0) continue;
        for (size_t k = 0; k < 4; ++k) {
            const unsigned char f = h[p + k], l = h[p + k + span];
            if ((f == a || f == b) && (l == c || l == d) && visit(p + k)) return true;
        }
    }
    for (; p < starts; ++p) {
        const unsigned char f = h[p], l = h[p + span];
        if ((f == a || f == b) && (l == c || l == d) && visit(p)) return true;
    }
    return false;
}

#ifdef VELT_SIMD_X86
template <typename Visit>
__attribute__((target("sse2"))) bool ScanPairsSse2(const unsigned char* h, size_t starts, size_t span,
                                                   unsigned char a, unsigned char b, unsigned char c,
                                                   unsigned char d, Visit&& visit) {
    const __m128i va = _mm_set1_epi8(static_cast<char>(a)), vb = _mm_set1_epi8(static_cast<char>(b));
    const __m128i vc = _mm_set1_epi8(static_cast<char>(c)), vd = _mm_set1_epi8(static_cast<char>(d));
    size_t p = 0;
    // Two steps at a time with one test: long runs have no candidate at all.
    for (; p + 32 <= starts; p += 32) {
        const __m128i x0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(h + p));
        const __m128i x1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(h + p + 16));
        const __m128i y0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(h + p + span));
        const __m128i y1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(h + p + span + 16));
        const __m128i m0 = _mm_and_si128(_mm_or_si128(_mm_cmpeq_epi8(x0, va), _mm_cmpeq_epi8(x0, vb)),
                                         _mm_or_si128(_mm_cmpeq_epi8(y0, vc), _mm_cmpeq_epi8(y0, vd)));
        const __m128i m1 = _mm_and_si128(_mm_or_si128(_mm_cmpeq_epi8(x1, va), _mm_cmpeq_epi8(x1, vb)),
                                         _mm_or_si128(_mm_cmpeq_epi8(y1, vc), _mm_cmpeq_epi8(y1, vd)));
        if (_mm_movemask_epi8(_mm_or_si128(m0, m1)) == 0) continue;
        unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(m0)) |
                        (static_cast<unsigned>(_mm_movemask_epi8(m1)) << 16);
        while (mask != 0) {
            if (visit(p + static_cast<size_t>(__builtin_ctz(mask)))) return true;
            mask &= mask - 1;
        }
    }
    for (; p + 16 <= starts; p += 16) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(h + p));
        const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i*>(h + p + span));
        const __m128i fx = _mm_or_si128(_mm_cmpeq_epi8(x, va), _mm_cmpeq_epi8(x, vb));
        const __m128i fy = _mm_or_si128(_mm_cmpeq_epi8(y, vc), _mm_cmpeq_epi8(y, vd));
        unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(_mm_and_si128(fx, fy)));
        while (mask != 0) {
            if (visit(p + static_cast<size_t>(__builtin_ctz(mask)))) return true;
            mask &= mask - 1;
        }
    }
    return ScanPairsWords(h + p, starts - p, span, a, b, c, d, [&](size_t q) { return visit(p + q); });
}
#endif

} // namespace detail

template <typename Visit>
bool ScanPairs(const unsigned char* h, size_t n, size_t span, unsigned char a, unsigned char b, unsigned char c,
               unsigned char d, Visit&& visit) {
    if (n <= span) return false;
    const size_t starts = n - span;
#ifdef VELT_SIMD_X86
    if (HasSse2()) return detail::ScanPairsSse2(h, starts, span, a, b, c, d, visit);
#endif
    return detail::ScanPairsWords(h, starts, span, a, b, c, d, visit);
}

} // namespace velt::simd
