// The strength probe's clock on Windows: the performance counter.
#pragma once
#include "platform/performance_counter.h"
#include "tools/strength.h"

namespace velt {

class SystemPerformanceClock final : public PerformanceClock {
public:
    std::int64_t Counter() override { return platform::PerformanceCounterNow(); }
    std::int64_t Frequency() override { return platform::PerformanceCounterFrequency(); }
};

} // namespace velt
