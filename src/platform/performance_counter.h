// The high-resolution performance counter (QueryPerformanceCounter and
// QueryPerformanceFrequency) that times the strength probe.
#pragma once
#include <cstdint>


namespace velt::platform {

// 0 when the system has no such counter.
std::int64_t PerformanceCounterNow();
std::int64_t PerformanceCounterFrequency();

} // namespace velt::platform
