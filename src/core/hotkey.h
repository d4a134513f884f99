// A system-wide shortcut as a person writes it ("Ctrl+Alt+T"), and whether
// a shortcut would type a character on the common keyboard layouts: Ctrl+Alt
// is AltGr on layouts that have it, so Ctrl+Alt+A types "ą" on a Polish one.
#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace velt {

// The modifier bits are the ones RegisterHotKey takes.
constexpr unsigned kHotkeyAlt = 1, kHotkeyCtrl = 2, kHotkeyShift = 4, kHotkeyWin = 8;
constexpr unsigned kVkF1 = 0x70;  // F1..F24 are 0x70..0x87

struct Hotkey {
    unsigned modifiers = 0;
    unsigned key = 0;  // virtual key: 'A'-'Z', '0'-'9', F1-F24
    bool operator==(const Hotkey& o) const { return modifiers == o.modifiers && key == o.key; }
};

// No AltGr character on any layout in kHotkeyLayouts (K, once the default,
// types "ł" on the Czech, Slovak, Hungarian, Croatian and Slovenian ones).
constexpr const char* kDefaultHotkey = "Ctrl+Alt+T";
// What auto-type types unless velt.ini says otherwise.
constexpr const char* kDefaultAutoTypeSequence = "{USERNAME}{TAB}{PASSWORD}{ENTER}";

// Modifiers in any order and case, then one letter, digit or F1-F24; at
// least one of Ctrl, Alt and Win, so that no plain key is taken from every
// program. Blanks around the parts are allowed. Empty for anything else.
std::optional<Hotkey> ParseHotkey(std::string_view text);
// "Ctrl+Alt+Shift+Win+K", modifiers always in that order.
std::string FormatHotkey(const Hotkey& hotkey);

// A layout's keys that type something with AltGr, and with Shift+AltGr.
struct KeyboardLayoutKeys {
    const char* name;
    const char* altGr;       // virtual keys of letters and digits
    const char* shiftAltGr;
};
constexpr int kHotkeyLayoutCount = 11;
extern const KeyboardLayoutKeys kHotkeyLayouts[kHotkeyLayoutCount];

// Whether pressing the shortcut on `layout` would type a character.
bool HotkeyTypes(const Hotkey& hotkey, const KeyboardLayoutKeys& layout);

} // namespace velt
