// The time of day for what records when it happened (an entry's field
// times, a deletion). The program passes the system's; tests pass a fixed one.
#pragma once
#include <cstdint>

namespace velt {

class Clock {
public:
    virtual ~Clock() = default;
    // Seconds since 1970-01-01 00:00 UTC.
    virtual std::int64_t UnixNow() = 0;
};

Clock& SystemClock();

} // namespace velt
