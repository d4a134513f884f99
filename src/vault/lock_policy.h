// When the open vault locks and how unlocking is paced, without windows:
// the window feeds it the triggers, the idle clock and the unlock tries.
#pragma once
#include <cstddef>
#include <cstdint>

namespace velt {

class LockPolicy {
public:
    enum class Trigger { Command, Idle, SessionLock, Suspend, Minimise };
    // Most tries without a wait; each further wrong try waits this long.
    static constexpr int kFreeTries = 3;
    static constexpr std::uint32_t kSlowTryMs = 2000;

    // After start-up has unlocked the vault; before, nothing locks.
    void Opened(std::uint32_t nowMs) {
        open_ = true;
        unlockedAt_ = nowMs;
    }
    bool Locked() const noexcept { return locked_; }

    // True when `trigger` should lock now (and marks it locked): not before
    // start-up, not twice, and the session, sleep and minimise triggers only
    // when the settings ask for them.
    bool Lock(Trigger trigger, bool onSessionLock, bool onMinimize);
    // The idle check: `lastInputMs` is the tick of the last input to the
    // system, 0 when there was none at all (Wine), which counts as no input
    // since the vault was unlocked. Ticks wrap every 49.7 days.
    bool IdleDue(std::uint32_t lastInputMs, std::uint32_t nowMs, int idleMinutes) const;

    // How long to wait before checking the next unlock try.
    std::uint32_t DelayBeforeTry() const noexcept { return wrongTries_ >= kFreeTries ? kSlowTryMs : 0; }
    // The outcome of one try; a right one unlocks.
    void Tried(bool right, std::uint32_t nowMs);

private:
    bool open_ = false;
    bool locked_ = false;
    int wrongTries_ = 0;
    std::uint32_t unlockedAt_ = 0;
};

} // namespace velt

namespace velt {

// Compares every byte whatever the first difference, so the time taken does
// not tell how much of a guess was right.
bool SamePassword(const char* a, std::size_t aSize, const char* b, std::size_t bSize) noexcept;

} // namespace velt
