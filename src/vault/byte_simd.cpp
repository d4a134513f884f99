#include "vault/byte_simd.h"

#include <cstdint>
#include <cstring>

namespace velt::simd {

namespace {
bool g_allowed = true;
} // namespace

bool HasSse2() {
#ifdef VELT_SIMD_X86
    static const bool has = __builtin_cpu_supports("sse2");
    return has && g_allowed;
#else
    return false;
#endif
}

void AllowSse2(bool allowed) { g_allowed = allowed; }

namespace {

#ifdef VELT_SIMD_X86
__attribute__((target("sse"))) void PrefetchSse(const char* p, size_t n) {
    for (size_t i = 0; i < n; i += 64) __builtin_prefetch(p + i);
}
#endif

} // namespace

void Prefetch(const void* p, size_t n) {
#ifdef VELT_SIMD_X86
    static const bool has = __builtin_cpu_supports("sse");
    if (has) PrefetchSse(static_cast<const char*>(p), n);
#endif
}

namespace {

bool Apart(const unsigned char* a, const unsigned char* b, size_t n) {
    const auto x = reinterpret_cast<std::uintptr_t>(a), y = reinterpret_cast<std::uintptr_t>(b);
    return x + n <= y || y + n <= x;
}

#ifdef VELT_SIMD_X86
__attribute__((target("sse2"))) void AddSse2(const unsigned char* in, const unsigned char* key, unsigned char* out,
                                             size_t n) {
    size_t i = 0;
    for (; i + 16 <= n; i += 16) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i));
        const __m128i k = _mm_loadu_si128(reinterpret_cast<const __m128i*>(key + i));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_add_epi8(x, k));
    }
    // The last 16 bytes again, overlapping the loop's last step, instead of
    // a byte loop: only when out is not also the input.
    if (i < n && n >= 16 && Apart(in, out, n)) {
        i = n - 16;
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i));
        const __m128i k = _mm_loadu_si128(reinterpret_cast<const __m128i*>(key + i));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_add_epi8(x, k));
        return;
    }
    for (; i < n; ++i) out[i] = static_cast<unsigned char>(in[i] + key[i]);
}

__attribute__((target("sse2"))) void SubSse2(const unsigned char* in, const unsigned char* key, unsigned char* out,
                                             size_t n) {
    size_t i = 0;
    for (; i + 16 <= n; i += 16) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i));
        const __m128i k = _mm_loadu_si128(reinterpret_cast<const __m128i*>(key + i));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_sub_epi8(x, k));
    }
    // The last 16 bytes again, overlapping the loop's last step, instead of
    // a byte loop: only when out is not also the input.
    if (i < n && n >= 16 && Apart(in, out, n)) {
        i = n - 16;
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i));
        const __m128i k = _mm_loadu_si128(reinterpret_cast<const __m128i*>(key + i));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_sub_epi8(x, k));
        return;
    }
    for (; i < n; ++i) out[i] = static_cast<unsigned char>(in[i] - key[i]);
}
#endif

} // namespace

namespace {

size_t RunWithoutPlain(const unsigned char* p, size_t n, unsigned char a, unsigned char b, unsigned char c,
                       bool high) {
    size_t i = 0;
    while (i < n && p[i] != a && p[i] != b && p[i] != c && !(high && p[i] >= 0x80)) ++i;
    return i;
}

#ifdef VELT_SIMD_X86
__attribute__((target("sse2"))) size_t RunWithoutSse2(const unsigned char* p, size_t n, unsigned char a,
                                                       unsigned char b, unsigned char c, bool high) {
    const __m128i va = _mm_set1_epi8(static_cast<char>(a)), vb = _mm_set1_epi8(static_cast<char>(b));
    const __m128i vc = _mm_set1_epi8(static_cast<char>(c));
    const unsigned highMask = high ? 0xFFFFu : 0u;
    size_t i = 0;
    for (; i + 16 <= n; i += 16) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
        const __m128i hit = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(x, va), _mm_cmpeq_epi8(x, vb)), _mm_cmpeq_epi8(x, vc));
        const unsigned mask =
            static_cast<unsigned>(_mm_movemask_epi8(hit)) | (static_cast<unsigned>(_mm_movemask_epi8(x)) & highMask);
        if (mask != 0) return i + static_cast<size_t>(__builtin_ctz(mask));
    }
    return i + RunWithoutPlain(p + i, n - i, a, b, c, high);
}
#endif

} // namespace

size_t RunWithout(const unsigned char* p, size_t n, unsigned char a, unsigned char b, unsigned char c, bool high) {
#ifdef VELT_SIMD_X86
    if (HasSse2()) return RunWithoutSse2(p, n, a, b, c, high);
#endif
    return RunWithoutPlain(p, n, a, b, c, high);
}

namespace {

constexpr std::uint32_t kLaneFactor = 0x01000193u;

void MixBlocksPlain(std::uint32_t lanes[16], const unsigned char* p, size_t blocks) {
    // A local copy: the bytes cannot alias it, so the lanes stay in registers.
    std::uint32_t l[16];
    std::memcpy(l, lanes, sizeof l);
    for (; blocks > 0; --blocks, p += 64) {
        for (int k = 0; k < 16; ++k) {
            std::uint32_t word;
            std::memcpy(&word, p + 4 * k, 4);
            l[k] = (l[k] ^ word) * kLaneFactor;
            l[k] ^= l[k] >> 15;
        }
    }
    std::memcpy(lanes, l, sizeof l);
}

#ifdef VELT_SIMD_X86
__attribute__((target("sse2"))) inline __m128i MixLanes(__m128i lanes, const unsigned char* p) {
    const __m128i factor = _mm_set1_epi32(static_cast<int>(kLaneFactor));
    const __m128i x = _mm_xor_si128(lanes, _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
    // SSE2 multiplies two lanes at a time: lanes 0 and 2, then 1 and 3.
    const __m128i even = _mm_mul_epu32(x, factor), odd = _mm_mul_epu32(_mm_srli_epi64(x, 32), factor);
    const __m128i product = _mm_unpacklo_epi32(_mm_shuffle_epi32(even, _MM_SHUFFLE(0, 0, 2, 0)),
                                               _mm_shuffle_epi32(odd, _MM_SHUFFLE(0, 0, 2, 0)));
    return _mm_xor_si128(product, _mm_srli_epi32(product, 15));
}

__attribute__((target("sse2"))) void MixBlocksSse2(std::uint32_t lanes[16], const unsigned char* p, size_t blocks) {
    auto* at = reinterpret_cast<__m128i*>(lanes);
    __m128i a = _mm_loadu_si128(at), b = _mm_loadu_si128(at + 1), c = _mm_loadu_si128(at + 2),
            d = _mm_loadu_si128(at + 3);
    for (; blocks > 0; --blocks, p += 64) {
        a = MixLanes(a, p);
        b = MixLanes(b, p + 16);
        c = MixLanes(c, p + 32);
        d = MixLanes(d, p + 48);
    }
    _mm_storeu_si128(at, a);
    _mm_storeu_si128(at + 1, b);
    _mm_storeu_si128(at + 2, c);
    _mm_storeu_si128(at + 3, d);
}
#endif

} // namespace

void MixBlocks(std::uint32_t lanes[16], const unsigned char* p, size_t blocks) {
#ifdef VELT_SIMD_X86
    if (HasSse2()) return MixBlocksSse2(lanes, p, blocks);
#endif
    MixBlocksPlain(lanes, p, blocks);
}

namespace {

void NhPlain(const unsigned char* p, size_t n, const std::uint32_t* key, std::uint64_t sums[2]) {
    std::uint64_t a = 0, b = 0;
    auto block = [&](const unsigned char* q, const std::uint32_t* k) {
        std::uint32_t w[4];
        std::memcpy(w, q, sizeof w);
        a += std::uint64_t(w[0] + k[0]) * std::uint32_t(w[1] + k[1]) +
             std::uint64_t(w[2] + k[2]) * std::uint32_t(w[3] + k[3]);
        b += std::uint64_t(w[0] + k[2]) * std::uint32_t(w[1] + k[3]) +
             std::uint64_t(w[2] + k[4]) * std::uint32_t(w[3] + k[5]);
    };
    size_t i = 0;
    for (; i + 16 <= n; i += 16, key += 4) block(p + i, key);
    if (i < n) {
        unsigned char tail[16] = {};
        std::memcpy(tail, p + i, n - i);
        block(tail, key);
    }
    sums[0] = a;
    sums[1] = b;
}

#ifdef VELT_SIMD_X86
__attribute__((target("sse2"))) void NhSse2(const unsigned char* p, size_t n, const std::uint32_t* key,
                                            std::uint64_t sums[2]) {
    __m128i a = _mm_setzero_si128(), b = _mm_setzero_si128();
    // Words 0 and 2 of each sum times words 1 and 3, two products at once.
    auto block = [&](__m128i w, const std::uint32_t* k) __attribute__((target("sse2"))) {
        const __m128i x = _mm_add_epi32(w, _mm_loadu_si128(reinterpret_cast<const __m128i*>(k)));
        const __m128i y = _mm_add_epi32(w, _mm_loadu_si128(reinterpret_cast<const __m128i*>(k + 2)));
        a = _mm_add_epi64(a, _mm_mul_epu32(x, _mm_srli_epi64(x, 32)));
        b = _mm_add_epi64(b, _mm_mul_epu32(y, _mm_srli_epi64(y, 32)));
    };
    size_t i = 0;
    for (; i + 16 <= n; i += 16, key += 4) block(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i)), key);
    if (i < n) {
        unsigned char tail[16] = {};
        std::memcpy(tail, p + i, n - i);
        block(_mm_loadu_si128(reinterpret_cast<const __m128i*>(tail)), key);
    }
    std::uint64_t x[2], y[2];
    _mm_storeu_si128(reinterpret_cast<__m128i*>(x), a);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(y), b);
    sums[0] = x[0] + x[1];
    sums[1] = y[0] + y[1];
}
#endif

#ifdef VELT_SIMD_X86
__attribute__((target("sse2"))) bool SameSse2(const unsigned char* a, const unsigned char* b, size_t n) {
    size_t i = 0;
    for (; i + 16 <= n; i += 16) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a + i));
        const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + i));
        if (_mm_movemask_epi8(_mm_cmpeq_epi8(x, y)) != 0xFFFF) return false;
    }
    for (; i < n; ++i)
        if (a[i] != b[i]) return false;
    return true;
}
#endif

} // namespace

bool SameBytes(const unsigned char* a, const unsigned char* b, size_t n) {
#ifdef VELT_SIMD_X86
    if (HasSse2()) return SameSse2(a, b, n);
#endif
    size_t i = 0;
    for (; i + 4 <= n; i += 4) {
        std::uint32_t x, y;
        std::memcpy(&x, a + i, 4);
        std::memcpy(&y, b + i, 4);
        if (x != y) return false;
    }
    for (; i < n; ++i)
        if (a[i] != b[i]) return false;
    return true;
}

void NhSums(const unsigned char* p, size_t n, const std::uint32_t* key, std::uint64_t sums[2]) {
#ifdef VELT_SIMD_X86
    if (HasSse2()) return NhSse2(p, n, key, sums);
#endif
    NhPlain(p, n, key, sums);
}

void AddBytes(const unsigned char* in, const unsigned char* key, unsigned char* out, size_t n) {
#ifdef VELT_SIMD_X86
    if (HasSse2()) return AddSse2(in, key, out, n);
#endif
    for (size_t i = 0; i < n; ++i) out[i] = static_cast<unsigned char>(in[i] + key[i]);
}

void SubBytes(const unsigned char* in, const unsigned char* key, unsigned char* out, size_t n) {
#ifdef VELT_SIMD_X86
    if (HasSse2()) return SubSse2(in, key, out, n);
#endif
    for (size_t i = 0; i < n; ++i) out[i] = static_cast<unsigned char>(in[i] - key[i]);
}

} // namespace velt::simd
