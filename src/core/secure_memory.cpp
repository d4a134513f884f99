#include "core/secure_memory.h"

#include <cstring>

namespace velt {

void WipeBytes(void* p, size_t n) noexcept {
    if (n == 0) return;
    std::memset(p, 0, n);
    // The compiler must assume the barrier reads the memory, so the stores
    // above are not dead even when the memory is freed next.
    __asm__ __volatile__("" : : "r"(p) : "memory");
}

} // namespace velt
