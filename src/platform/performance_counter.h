// The high-resolution performance counter (QueryPerformanceCounter and
// QueryPerformanceFrequency) that times the strength probe.
#pragma once
#include <cstdint>

#include "tools/strength.h"

namespace velt::platform {

// 0 when the system has no such counter.
std::int64_t PerformanceCounterNow();
std::int64_t PerformanceCounterFrequency();

class SystemPerformanceClock final : public PerformanceClock {
public:
    std::int64_t Counter() override { return PerformanceCounterNow(); }
    std::int64_t Frequency() override { return PerformanceCounterFrequency(); }
};

} // namespace velt::platform
