#include "core/hotkey.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>

namespace velt {
namespace {

// The first listed layout where the shortcut types a character, or "".
std::string FirstLayoutTyping(const Hotkey& hotkey) {
    for (const KeyboardLayoutKeys& layout : kHotkeyLayouts)
        if (HotkeyTypes(hotkey, layout)) return layout.name;
    return "";
}

// Ctrl+Alt is AltGr: the default must type nothing on any listed layout,
// while the shortcuts other programs use do on some. Key 0: not a shortcut;
// Shift+K is none, as it would take a capital letter from every program.
TEST(Hotkey, ReadsWhatAPersonWritesAndWhereItTypes) {
    constexpr unsigned C = kHotkeyCtrl, A = kHotkeyAlt, S = kHotkeyShift, W = kHotkeyWin;
    const struct { const char* text; Hotkey want; const char* typesOn = ""; } cases[] = {
        {"Ctrl+Alt+T", {C | A, 'T'}}, {" alt + CONTROL + t ", {C | A, 'T'}}, {"Shift+Win+7", {S | W, '7'}},
        {"ctrl+f1", {C, kVkF1}}, {"Alt+F24", {A, kVkF1 + 23}}, {"Ctrl+Alt+F5", {C | A, kVkF1 + 4}},
        {"Ctrl+Alt+Win+A", {C | A | W, 'A'}}, {"Ctrl+Shift+A", {C | S, 'A'}},
        {"Ctrl+Alt+A", {C | A, 'A'}, "United Kingdom"}, {"Ctrl+Alt+Shift+A", {C | A | S, 'A'}, "United Kingdom"},
        {"Ctrl+Alt+E", {C | A, 'E'}, "United Kingdom"}, {"Ctrl+Alt+4", {C | A, '4'}, "United Kingdom"},
        {"Ctrl+Alt+Q", {C | A, 'Q'}, "German"}, {"Ctrl+Alt+M", {C | A, 'M'}, "German"}, {"Ctrl+Alt+Z", {C | A, 'Z'}, "Polish (Programmers)"},
        {"Ctrl+Alt+V", {C | A, 'V'}, "Polish (214)"}, {"Ctrl+Alt+K", {C | A, 'K'}, "Czech"},
        {"Ctrl+Alt+J", {C | A, 'J'}, "Hungarian"}, {"Ctrl+Alt+Y", {C | A, 'Y'}, "Hungarian"},
        {"Ctrl+Alt+F", {C | A, 'F'}, "Czech"}, {"Ctrl+Alt+H", {C | A, 'H'}}, {"Ctrl+Alt+P", {C | A, 'P'}},
        {"Shift+K", {}}, {"Alt+F25", {}}, {"Alt+F0", {}}, {"Alt+F01", {}}, {"Ctrl+Ctrl+K", {}}, {"K", {}},
        {"Ctrl+Alt+", {}}, {"Ctrl+Alt+KK", {}}, {"Ctrl+Meta+K", {}}, {"Ctrl+Alt+ą", {}}, {"Ctrl+K+Alt", {}}, {"", {}},
    };
    for (const auto& c : cases) {
        const std::optional<Hotkey> got = ParseHotkey(c.text);
        EXPECT_EQ(got, c.want.key ? std::optional<Hotkey>(c.want) : std::nullopt) << c.text;
        if (!got) continue;
        EXPECT_EQ(ParseHotkey(FormatHotkey(*got)), got) << c.text;
        EXPECT_EQ(FirstLayoutTyping(*got), c.typesOn) << c.text;
    }
    EXPECT_EQ(FirstLayoutTyping(ParseHotkey(kDefaultHotkey).value()), "");
    // K types "ł" on each Central European layout.
    for (const char* name : {"Czech", "Slovak", "Hungarian", "Croatian", "Slovenian"}) {
        const auto* layout = std::find_if(std::begin(kHotkeyLayouts), std::end(kHotkeyLayouts),
                                          [&](const KeyboardLayoutKeys& l) { return std::string(l.name) == name; });
        ASSERT_NE(layout, std::end(kHotkeyLayouts)) << name;
        EXPECT_TRUE(HotkeyTypes({C | A, 'K'}, *layout)) << name;
    }
    EXPECT_EQ(FormatHotkey({W | S | A | C, kVkF1 + 11}), "Ctrl+Alt+Shift+Win+F12");
}

} // namespace
} // namespace velt
