// Auto-type's typing loop, apart from Windows: before every key the target
// must still be the window and page that were matched, Escape stops it, and
// waits go through the port so that the program keeps handling messages.
#pragma once
#include <cstddef>

#include "tools/autotype_sequence.h"

namespace velt {

// What typing needs from the system.
class TypingPort {
public:
    virtual ~TypingPort() = default;
    // The target is in front and still shows the title it was matched by.
    virtual bool TargetUnchanged() = 0;
    // Sends one key's press and release; how many of the two events the
    // system took.
    virtual unsigned Send(const Keystroke& key) = 0;
    // Waits `ms` (0: only looks), handling messages; false once Escape is down.
    virtual bool Wait(unsigned ms) = 0;
};

enum class TypeOutcome {
    Typed,
    Stopped,   // another window, or the target changed page
    Escaped,   // the user pressed Escape
    Blocked,   // the system took fewer events than were sent
    Elevated,  // the target runs above us: nothing sent
};

struct TypingResult {
    TypeOutcome outcome;
    std::size_t sent;  // keys sent whole before it ended
};

// Types `keys`, pausing `keyDelayMs` after each key.
TypingResult TypeKeystrokes(TypingPort& port, const Keystrokes& keys, unsigned keyDelayMs);

} // namespace velt
