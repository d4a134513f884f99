#include "vault/byte_simd.h"

#include <cstdint>

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
