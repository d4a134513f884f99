// The copied password on the real clipboard: emptied after the delay and
// when the guard ends, but never once something else was copied over it.
#include "platform/clipboard_guard.h"

#include <gtest/gtest.h>

#include "platform/clipboard.h"
#include "support/gui_driver.h"

namespace velt::platform {
namespace {

constexpr UINT kDelay = 150;

// What another program does with the clipboard meanwhile.
enum class Meanwhile { Nothing, Paste, CopyOther };
// How the guard's time ends.
enum class Ending { Delay, GuardEnds };

std::string ClipboardNow() {
    try {
        return GetClipboardText();
    } catch (...) {
        return "<cannot open>";
    }
}

TEST(ClipboardGuard, ClearsOnlyWhatItPutThere) {
    struct Case {
        const char* name;
        Meanwhile meanwhile;
        Ending ending;
        const char* expected;
    };
    const Case cases[] = {
        {"cleared after the delay", Meanwhile::Nothing, Ending::Delay, ""},
        {"pasted, still cleared", Meanwhile::Paste, Ending::Delay, ""},
        {"replaced, left alone", Meanwhile::CopyOther, Ending::Delay, "mine"},
        {"cleared when the program ends", Meanwhile::Nothing, Ending::GuardEnds, ""},
        {"replaced, left alone at the end", Meanwhile::CopyOther, Ending::GuardEnds, "mine"},
    };
    test::GuiLock lock;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        {
            ClipboardGuard guard(kDelay);
            guard.Copy("hunter2hunt", nullptr);
            ASSERT_EQ(ClipboardNow(), "hunter2hunt");
            EXPECT_TRUE(guard.Pending());
            if (c.meanwhile == Meanwhile::Paste) EXPECT_EQ(ClipboardNow(), "hunter2hunt");
            if (c.meanwhile == Meanwhile::CopyOther) SetClipboardText("mine");
            if (c.ending == Ending::Delay) {
                test::PumpFor(kDelay * 4);
                EXPECT_FALSE(guard.Pending());
            }
        }
        EXPECT_EQ(ClipboardNow(), c.expected);
        if (!*c.expected) EXPECT_EQ(CountClipboardFormats(), 0);  // the privacy marks go too
    }
}

TEST(ClipboardGuard, ANewCopyStartsTheDelayAgain) {
    test::GuiLock lock;
    ClipboardGuard guard(1000);
    guard.Copy("first-password", nullptr);
    test::PumpFor(600);
    guard.Copy("second-password", nullptr);
    test::PumpFor(600);  // past the first copy's time
    EXPECT_EQ(ClipboardNow(), "second-password");
    test::PumpFor(1200);
    EXPECT_EQ(ClipboardNow(), "");
}

} // namespace
} // namespace velt::platform
