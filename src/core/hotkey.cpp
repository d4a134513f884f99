#include "core/hotkey.h"

#include <cstring>

#include "core/text.h"

namespace velt {

namespace {

char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

unsigned ModifierBit(std::string_view word) {
    if (SameAsciiNoCase(word, "Ctrl") || SameAsciiNoCase(word, "Control")) return kHotkeyCtrl;
    if (SameAsciiNoCase(word, "Alt")) return kHotkeyAlt;
    if (SameAsciiNoCase(word, "Shift")) return kHotkeyShift;
    if (SameAsciiNoCase(word, "Win")) return kHotkeyWin;
    return 0;
}

unsigned KeyCode(std::string_view word) {
    if (word.size() == 1) {
        const char c = Upper(word[0]);
        return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ? static_cast<unsigned>(c) : 0;
    }
    if (word.size() < 2 || word.size() > 3 || Upper(word[0]) != 'F') return 0;
    unsigned n = 0;
    for (char c : word.substr(1)) {
        if (c < '0' || c > '9') return 0;
        n = n * 10 + static_cast<unsigned>(c - '0');
    }
    return word[1] != '0' && n >= 1 && n <= 24 ? kVkF1 + n - 1 : 0;
}

} // namespace

std::optional<Hotkey> ParseHotkey(std::string_view text) {
    Hotkey hotkey;
    text = TrimBlanks(text);
    while (true) {
        const size_t plus = text.find('+');
        const std::string_view word = TrimBlanks(text.substr(0, plus));
        if (plus == std::string_view::npos) {
            hotkey.key = KeyCode(word);
            break;
        }
        const unsigned bit = ModifierBit(word);
        if (bit == 0 || (hotkey.modifiers & bit)) return std::nullopt;
        hotkey.modifiers |= bit;
        text.remove_prefix(plus + 1);
    }
    if (hotkey.key == 0 || (hotkey.modifiers & (kHotkeyCtrl | kHotkeyAlt | kHotkeyWin)) == 0) return std::nullopt;
    return hotkey;
}

std::string FormatHotkey(const Hotkey& hotkey) {
    std::string text;
    if (hotkey.modifiers & kHotkeyCtrl) text += "Ctrl+";
    if (hotkey.modifiers & kHotkeyAlt) text += "Alt+";
    if (hotkey.modifiers & kHotkeyShift) text += "Shift+";
    if (hotkey.modifiers & kHotkeyWin) text += "Win+";
    if (hotkey.key >= kVkF1 && hotkey.key < kVkF1 + 24)
        text += "F" + std::to_string(hotkey.key - kVkF1 + 1);
    else
        text += static_cast<char>(hotkey.key);
    return text;
}

// From the layouts' published AltGr tables; only letters and digits matter,
// as no other key can be part of a shortcut.
const KeyboardLayoutKeys kHotkeyLayouts[kHotkeyLayoutCount] = {
    {"US", "", ""},
    {"United Kingdom", "4AEIOU", "AEIOU"},
    {"German", "0237890EMQ", ""},
    {"French", "0234567890E", ""},
    {"Polish (Programmers)", "ACELNOSUXZ", "ACELNOSXZ"},
    {"Polish (214)", "0123456789BDMNQSUVW", ""},
    {"Czech", "1234567890BCDEFGKLNQSVWX", ""},
    {"Slovak", "1234567890BCDEFGKLNQSVWX", ""},
    {"Hungarian", "123456789ABCDEFGIJKLMNQSUVWXY", ""},
    {"Croatian", "1234567890BEFGKLMNQVW", ""},
    {"Slovenian", "1234567890BEFGKLMNQVW", ""},
};

bool HotkeyTypes(const Hotkey& hotkey, const KeyboardLayoutKeys& layout) {
    // Only Ctrl+Alt without Win reads as AltGr.
    if ((hotkey.modifiers & (kHotkeyCtrl | kHotkeyAlt | kHotkeyWin)) != (kHotkeyCtrl | kHotkeyAlt)) return false;
    if (hotkey.key == 0 || hotkey.key >= kVkF1) return false;
    const char* keys = (hotkey.modifiers & kHotkeyShift) ? layout.shiftAltGr : layout.altGr;
    return std::strchr(keys, static_cast<char>(hotkey.key)) != nullptr;
}

} // namespace velt
