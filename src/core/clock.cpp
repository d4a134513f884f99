#include "core/clock.h"

#include <ctime>

namespace velt {

namespace {

class SystemTime final : public Clock {
public:
    std::int64_t UnixNow() override { return static_cast<std::int64_t>(std::time(nullptr)); }
};

} // namespace

Clock& SystemClock() {
    static SystemTime clock;
    return clock;
}

} // namespace velt
