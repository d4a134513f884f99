#include "tools/autotype_typing.h"

namespace velt {

TypingResult TypeKeystrokes(TypingPort& port, const Keystrokes& keys, unsigned keyDelayMs) {
    std::size_t sent = 0;
    for (const Keystroke& k : keys.Items()) {
        if (k.kind == Keystroke::Delay) {
            if (!port.Wait(k.value)) return {TypeOutcome::Escaped, sent};
            continue;
        }
        if (!port.Wait(0)) return {TypeOutcome::Escaped, sent};
        if (!port.TargetUnchanged()) return {TypeOutcome::Stopped, sent};
        // A key half taken stops the typing: the rest would land elsewhere.
        if (port.Send(k) < 2) return {TypeOutcome::Blocked, sent};
        ++sent;
        if (keyDelayMs && !port.Wait(keyDelayMs)) return {TypeOutcome::Escaped, sent};
    }
    return {TypeOutcome::Typed, sent};
}

} // namespace velt
