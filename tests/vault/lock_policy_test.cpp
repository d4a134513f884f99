#include "vault/lock_policy.h"

#include <gtest/gtest.h>

#include <cstring>

namespace velt {
namespace {

using Trigger = LockPolicy::Trigger;

TEST(LockPolicy, WhichTriggersLock) {
    struct Case {
        bool opened;
        bool locked;
        Trigger trigger;
        bool onSession;
        bool onMinimize;
        bool locks;
    };
    const Case cases[] = {
        {false, false, Trigger::Command, true, true, false},  // the start-up prompt
        {true, false, Trigger::Command, false, false, true},
        {true, true, Trigger::Command, true, true, false},  // already locked
        {true, false, Trigger::SessionLock, false, true, false},
        {true, false, Trigger::Minimise, true, false, false},
    };
    for (const Case& c : cases) {
        LockPolicy p;
        if (c.opened) p.Opened(100);
        if (c.locked) p.Lock(Trigger::Command, true, true);
        EXPECT_EQ(p.Lock(c.trigger, c.onSession, c.onMinimize), c.locks) << static_cast<int>(c.trigger);
        EXPECT_EQ(p.Locked(), c.locks || c.locked);
    }
}

// The fake idle clock (the Wine tests drive the same through the window):
// last input, now, minutes; unlocked at tick 1000.
TEST(LockPolicy, IdleCountsFromTheLaterOfInputAndUnlock) {
    struct Case {
        std::uint32_t lastInput, now;
        int minutes;
        bool due;
    };
    const Case cases[] = {
        {0, 1000 + 299999, 5, false},       // Wine: no input ever, counted from the unlock
        {0, 1000 + 300000, 5, true},
        {500, 1000 + 300000, 5, true},      // input before the unlock
        {200000, 1000 + 300000, 5, false},  // input since
        {200000, 200000 + 300000, 5, true},
        {0, 0xFFFFFFFFu, 0, false},          // 0 minutes: never
        {0xFFFFFF00u, 61000u, 1, true},  // across the wrap
        {0xFFFFFF00u, 0x100u, 1, false},
    };
    for (const Case& c : cases) {
        LockPolicy p;
        p.Opened(1000);
        EXPECT_EQ(p.IdleDue(c.lastInput, c.now, c.minutes), c.due) << c.lastInput << " " << c.now;
    }
}

TEST(LockPolicy, TheFourthWrongTryInARowWaits) {
    LockPolicy p;
    p.Opened(0);
    p.Lock(Trigger::Command, true, true);
    const std::uint32_t waits[] = {0, 0, 0, 2000, 2000};
    for (std::uint32_t w : waits) {
        EXPECT_EQ(p.DelayBeforeTry(), w);
        p.Tried(false, 0);
    }
    EXPECT_TRUE(p.Locked());
    p.Tried(true, 5000);
    EXPECT_FALSE(p.Locked());
    EXPECT_FALSE(p.IdleDue(0, 5000 + 299999, 5));
    p.Lock(Trigger::Command, true, true);
    EXPECT_EQ(p.DelayBeforeTry(), 0u);
}

} // namespace
} // namespace velt

namespace velt {
namespace {

TEST(LockPolicy, SamePasswordNeedsEveryByteAndTheLength) {
    struct Case {
        const char* a;
        const char* b;
        bool same;
    };
    const Case cases[] = {{"secret", "secret", true}, {"secret", "secreT", false}, {"secret", "secret1", false},
                          {"secret", "secre", false}, {"", "", true},             {"a", "", false},
                          {"secret", "Secret", false}};
    for (const Case& c : cases)
        EXPECT_EQ(SamePassword(c.a, std::strlen(c.a), c.b, std::strlen(c.b)), c.same) << c.a << "/" << c.b;
    EXPECT_FALSE(SamePassword("a\0b", 3, "a\0c", 3));
}

} // namespace
} // namespace velt
