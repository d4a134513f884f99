#include "platform/performance_counter.h"

#include <windows.h>

namespace velt::platform {

std::int64_t PerformanceCounterNow() {
    LARGE_INTEGER v;
    return QueryPerformanceCounter(&v) ? v.QuadPart : 0;
}

std::int64_t PerformanceCounterFrequency() {
    LARGE_INTEGER v;
    return QueryPerformanceFrequency(&v) ? v.QuadPart : 0;
}

} // namespace velt::platform
