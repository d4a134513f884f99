#include "core/hotkey.h"

#include <gtest/gtest.h>

namespace velt {
namespace {

TEST(Hotkey, ReadsWhatAPersonWrites) {
    struct Case {
        const char* text;
        unsigned modifiers, key;  // key 0: not a shortcut
    };
    const Case cases[] = {
        {"Ctrl+Alt+K", kHotkeyCtrl | kHotkeyAlt, 'K'},
        {" alt + CONTROL + k ", kHotkeyCtrl | kHotkeyAlt, 'K'},
        {"Shift+Win+7", kHotkeyShift | kHotkeyWin, '7'},
        {"ctrl+f1", kHotkeyCtrl, kVkF1},
        {"Alt+F24", kHotkeyAlt, kVkF1 + 23},
        {"Alt+F25", 0, 0},
        {"Alt+F0", 0, 0},
        {"Alt+F01", 0, 0},
        {"Ctrl+Ctrl+K", 0, 0},
        {"Shift+K", 0, 0},   // would take a capital letter from every program
        {"K", 0, 0},
        {"Ctrl+Alt+", 0, 0},
        {"Ctrl+Alt+KK", 0, 0},
        {"Ctrl+Meta+K", 0, 0},
        {"Ctrl+Alt+ą", 0, 0},
        {"Ctrl+K+Alt", 0, 0},
        {"", 0, 0},
    };
    for (const Case& c : cases) {
        const auto got = ParseHotkey(c.text);
        if (c.key == 0) {
            EXPECT_FALSE(got) << c.text;
        } else {
            ASSERT_TRUE(got) << c.text;
            EXPECT_EQ(*got, (Hotkey{c.modifiers, c.key})) << c.text;
            EXPECT_EQ(ParseHotkey(FormatHotkey(*got)), got) << c.text;
        }
    }
    EXPECT_EQ(FormatHotkey({kHotkeyWin | kHotkeyShift | kHotkeyAlt | kHotkeyCtrl, kVkF1 + 11}), "Ctrl+Alt+Shift+Win+F12");
}

// Ctrl+Alt is AltGr: the default must type nothing on any listed layout,
// while the shortcuts other programs use do on some.
TEST(Hotkey, DefaultTypesNothingOnTheCommonLayouts) {
    struct Case {
        const char* text;
        const char* typesOn;  // the first layout where it types, or ""
    };
    const Case cases[] = {
        {kDefaultHotkey, ""},
        {"Ctrl+Alt+A", "United Kingdom"},
        {"Ctrl+Alt+Shift+A", "United Kingdom"},
        {"Ctrl+Alt+E", "United Kingdom"},
        {"Ctrl+Alt+Q", "German"},
        {"Ctrl+Alt+4", "United Kingdom"},
        {"Ctrl+Alt+Z", "Polish (Programmers)"},
        {"Ctrl+Alt+V", "Polish (214)"},
        {"Ctrl+Alt+Win+A", ""},
        {"Ctrl+Shift+A", ""},
        {"Ctrl+Alt+F5", ""},
    };
    for (const Case& c : cases) {
        const Hotkey hotkey = ParseHotkey(c.text).value();
        std::string first;
        for (const KeyboardLayoutKeys& layout : kHotkeyLayouts)
            if (first.empty() && HotkeyTypes(hotkey, layout)) first = layout.name;
        EXPECT_EQ(first, c.typesOn) << c.text;
    }
}

} // namespace
} // namespace velt
