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
