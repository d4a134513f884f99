#include "support/freed_memory.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#ifdef _WIN32
#include <malloc.h>
#define VELT_BLOCK_SIZE _msize
#else
#include <malloc.h>
#define VELT_BLOCK_SIZE malloc_usable_size
#endif

namespace {

std::string_view g_marker;
size_t g_freed = 0, g_hits = 0;
size_t g_limit = SIZE_MAX;

void* TakeOrNull(std::size_t n) noexcept { return n > g_limit ? nullptr : std::malloc(n ? n : 1); }

void* Take(std::size_t n) {
    if (void* p = std::malloc(n ? n : 1)) return p;
    throw std::bad_alloc();
}

void Give(void* p) noexcept {
    if (p && !g_marker.empty()) {
        ++g_freed;
        const size_t n = VELT_BLOCK_SIZE(p);
        const char* b = static_cast<const char*>(p);
        for (size_t i = 0; i + g_marker.size() <= n; ++i)
            if (b[i] == g_marker[0] && std::memcmp(b + i, g_marker.data(), g_marker.size()) == 0) {
                ++g_hits;
                break;
            }
    }
    std::free(p);
}

} // namespace

namespace velt::test {

FreedMemoryWatch::FreedMemoryWatch(std::string_view marker) {
    g_marker = marker;
    g_freed = g_hits = 0;
}
FreedMemoryWatch::~FreedMemoryWatch() { g_marker = {}; }
size_t FreedMemoryWatch::Freed() const { return g_freed; }
size_t FreedMemoryWatch::Hits() const { return g_hits; }

AllocationLimit::AllocationLimit(size_t bytes) { g_limit = bytes; }
AllocationLimit::~AllocationLimit() { g_limit = SIZE_MAX; }

} // namespace velt::test

// Every unaligned form, so that no block crosses between allocators.
void* operator new(std::size_t n) { return Take(n); }
void* operator new[](std::size_t n) { return Take(n); }
void* operator new(std::size_t n, const std::nothrow_t&) noexcept { return TakeOrNull(n); }
void* operator new[](std::size_t n, const std::nothrow_t&) noexcept { return TakeOrNull(n); }
void operator delete(void* p) noexcept { Give(p); }
void operator delete[](void* p) noexcept { Give(p); }
void operator delete(void* p, std::size_t) noexcept { Give(p); }
void operator delete[](void* p, std::size_t) noexcept { Give(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { Give(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { Give(p); }
