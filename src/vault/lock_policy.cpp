#include "vault/lock_policy.h"

namespace velt {

bool LockPolicy::Lock(Trigger trigger, bool onSessionLock, bool onMinimize) {
    if (!open_ || locked_) return false;
    if ((trigger == Trigger::SessionLock || trigger == Trigger::Suspend) && !onSessionLock) return false;
    if (trigger == Trigger::Minimise && !onMinimize) return false;
    locked_ = true;
    wrongTries_ = 0;
    return true;
}

bool LockPolicy::IdleDue(std::uint32_t lastInputMs, std::uint32_t nowMs, int idleMinutes) const {
    if (!open_ || locked_ || idleMinutes <= 0) return false;
    // The later of the last input and the unlock; unsigned differences
    // survive the tick count's wrap.
    std::uint32_t sinceInput = nowMs - lastInputMs;
    const std::uint32_t sinceUnlock = nowMs - unlockedAt_;
    if (lastInputMs == 0 || sinceUnlock < sinceInput) sinceInput = sinceUnlock;
    return sinceInput >= static_cast<std::uint32_t>(idleMinutes) * 60000u;
}

void LockPolicy::Tried(bool right, std::uint32_t nowMs) {
    if (!right) {
        ++wrongTries_;
        return;
    }
    locked_ = false;
    wrongTries_ = 0;
    unlockedAt_ = nowMs;
}

} // namespace velt

namespace velt {

bool SamePassword(const char* a, std::size_t aSize, const char* b, std::size_t bSize) noexcept {
    unsigned diff = aSize == bSize ? 0u : 1u;
    const std::size_t n = aSize > bSize ? aSize : bSize;
    for (std::size_t i = 0; i < n; ++i) {
        const unsigned char x = i < aSize ? static_cast<unsigned char>(a[i]) : 0;
        const unsigned char y = i < bSize ? static_cast<unsigned char>(b[i]) : 0;
        diff |= static_cast<unsigned>(x ^ y);
    }
    return diff == 0;
}

} // namespace velt
