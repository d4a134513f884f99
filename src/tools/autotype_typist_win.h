// Auto-type's keyboard: sends keystrokes to the window in front with
// SendInput, characters as Unicode packets (or as the target's layout types
// them) and Tab and Enter as keys, and stops the moment another window or another page comes to the
// front.
#pragma once
#include <windows.h>

#include <string>

#include "tools/autotype_typing.h"

namespace velt {

// A window of some other program (null is not).
bool BelongsToAnotherProcess(HWND window);

// A window auto-type may type into: visible, enabled, top-level, not
// minimised, of another program, and not the desktop, the taskbar or the
// shell's worker windows behind the icons.
bool IsTypingTarget(HWND window);

// The first window below `window` that a user would switch to: a typing
// target with a caption, not a tool window. Null when none.
HWND WindowBelow(HWND window);

// The window's title, read without sending it a message (a hung window
// cannot hang Velt).
std::u16string WindowTitle(HWND window);

// Whether `window` belongs to a process of higher integrity than this one,
// which Windows keeps from receiving our input. False where that cannot be
// told.
bool RunsElevated(HWND window);

// Waits up to five seconds, handling this thread's messages, until the
// shortcut's modifiers and Enter are physically up. False when some are
// still held: nothing may be typed then, as Windows would add them to
// every key.
bool WaitForKeysReleased(unsigned hotkeyModifiers);

// Brings `window` to the front and waits up to `timeoutMs` for it to be
// there (null: waits for any typing target), handling this thread's
// messages meanwhile. The window in front then, or null.
HWND WaitForForeground(HWND window, DWORD timeoutMs);

// The inputs that type one keystroke (at most kMaxKeyInputs); their count.
// Tab and Enter go as keys with their scan codes. A character goes as a
// Unicode packet, or with `layout` as that layout's key with the Shift,
// Ctrl and Alt it needs, where it has one.
constexpr int kMaxKeyInputs = 8;
int KeyInputs(const Keystroke& key, HKL layout, INPUT* inputs);

// Types `keys` into `target` while it stays in front with the title
// `title`, pausing `keyDelayMs` after each key; `asLayout` types with the
// target's keyboard layout (KeyInputs).
TypingResult TypeInto(HWND target, const std::u16string& title, const Keystrokes& keys, unsigned keyDelayMs,
                      bool asLayout);

// Whether `vk` with Ctrl and Alt (AltGr), and Shift if asked, types a
// character on `layout`.
bool AltGrTypes(HKL layout, unsigned vk, bool shift);
// Whether `layout` types anything with AltGr on a letter or a digit.
bool HasAltGr(HKL layout);
// The name of the first layout installed here on which Ctrl+Alt with
// `modifiers` (Shift counts) and `vk` types a character; "" when none.
std::string LayoutTypingShortcut(unsigned modifiers, unsigned vk);

// Remembers the last typing target that was in front before this program:
// from the foreground events of other programs, and from what the main
// window sees as it is activated (Wine sends no such events).
class ForegroundWatch {
public:
    ForegroundWatch() = default;
    ~ForegroundWatch();
    ForegroundWatch(const ForegroundWatch&) = delete;
    ForegroundWatch& operator=(const ForegroundWatch&) = delete;

    void Start();
    // A window seen in front just before this program (null: none).
    void Seen(HWND window);
    // The window, while it is still a typing target; else null.
    HWND Last() const;

private:
    static void CALLBACK Event(HWINEVENTHOOK, DWORD, HWND, LONG, LONG, DWORD, DWORD);
    HWINEVENTHOOK hook_ = nullptr;
    HWND last_ = nullptr;
};

} // namespace velt
