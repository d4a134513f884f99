// Auto-type's keyboard: sends keystrokes to the window in front with
// SendInput, characters as Unicode packets and Tab and Enter as virtual
// keys, and stops the moment another window comes to the front.
#pragma once
#include <windows.h>

#include "tools/autotype_sequence.h"

namespace velt {

enum class TypeOutcome { Typed, Stopped, Elevated };

// A window of some other program (null is not).
bool BelongsToAnotherProcess(HWND window);

// The first window below `window` that a user would switch to: visible,
// not minimised, with a caption, of another program. Null when none.
HWND WindowBelow(HWND window);

// Whether `window` belongs to a process of higher integrity than this one,
// which Windows keeps from receiving our input. False where that cannot be
// told.
bool RunsElevated(HWND window);

// Waits (up to one second) until the user has let go of the shortcut's
// modifiers and of Enter, then sends key-ups for any still held.
void WaitForKeysReleased(unsigned hotkeyModifiers);

// Brings `window` to the front and waits up to `timeoutMs` for it to be
// there (null: waits for any window of another process), handling this
// thread's messages meanwhile. The window in front then, or null.
HWND WaitForForeground(HWND window, DWORD timeoutMs);

// Types `keys` into `target`, pausing `keyDelayMs` after each key. Before
// each key the target must still be in front.
TypeOutcome TypeInto(HWND target, const Keystrokes& keys, unsigned keyDelayMs);

} // namespace velt
