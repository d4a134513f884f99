// The real counter times the strength probe.
#include "platform/performance_counter.h"
#include "tools/performance_clock_win.h"

#include <gtest/gtest.h>

#include <iostream>

namespace {

TEST(PerformanceCounter, TimesTheProbe) {
    EXPECT_GT(velt::platform::PerformanceCounterFrequency(), 0);
    std::int64_t before = velt::platform::PerformanceCounterNow();
    velt::SystemPerformanceClock clock;
    velt::StrengthEstimate e = velt::EstimateStrength("aB3dE5gH7jK9mN1pQ3sT", clock);
    EXPECT_GE(velt::platform::PerformanceCounterNow(), before + e.elapsed);
    EXPECT_GE(e.elapsed, 0);
    EXPECT_GT(e.seconds, 0);
    std::cout << "probe: D=" << e.elapsed << " counts at F=" << e.frequency << "/s; 20 mixed characters: "
              << e.combinationsText << ", " << e.timeText << "\n";
}

} // namespace
