// What auto-type types: the sequence ("{USERNAME}{TAB}{PASSWORD}{ENTER}")
// read into parts, then spelled out with one entry's login and password as
// the keystrokes the typist sends.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velt {

// The most one {DELAY} waits, and the most all the delays of one sequence
// wait together.
constexpr unsigned kMaxSequenceDelayMs = 10000;

struct SequencePart {
    enum Kind : std::uint8_t { Text, Username, Password, Tab, Enter, Delay, OneTimeCode } kind;
    std::u16string text;  // Text
    unsigned ms = 0;      // Delay
    bool operator==(const SequencePart& o) const { return kind == o.kind && text == o.text && ms == o.ms; }
};

// Placeholders {USERNAME} {PASSWORD} {TOTP} {TAB} {ENTER} {DELAY n} {{} {}}, in any
// case; anything else, an unclosed brace included, is text. A delay above
// kMaxSequenceDelayMs waits that long.
std::vector<SequencePart> ParseSequence(std::u16string_view sequence);
// Whether the parts hold {TOTP}.
bool UsesOneTimeCode(const std::vector<SequencePart>& parts);

struct Keystroke {
    // Four bytes each, so that no padding can hold a stale byte.
    enum Kind : std::uint32_t { Char, Tab, Enter, Delay } kind;
    std::uint32_t value;  // Char: one UTF-16 unit; Delay: milliseconds
};

// Whether `field` holds a Tab or a line end, which a target would take as
// a key (the next field, a submitted form) rather than as text.
bool HoldsKeyCharacters(std::u16string_view field);

// The keystrokes of a sequence for one entry. They hold the password, so
// the buffer is reserved once and wiped when it goes. A login or password
// that the sequence types and that holds key characters gives no
// keystrokes at all (Refused). The delays together wait at most
// kMaxSequenceDelayMs.
class Keystrokes {
public:
    // `oneTimeCode` is what {TOTP} types (nothing when the entry has none).
    Keystrokes(const std::vector<SequencePart>& parts, std::u16string_view username, std::u16string_view password,
               std::u16string_view oneTimeCode = {});
    // Single characters, as the bank's character boxes take them, each
    // followed by Tab when asked. Refused as a field is.
    Keystrokes(std::u16string_view characters, bool tabAfterEach);
    ~Keystrokes();
    Keystrokes(const Keystrokes&) = delete;
    Keystrokes& operator=(const Keystrokes&) = delete;

    const std::vector<Keystroke>& Items() const noexcept { return items_; }
    bool Refused() const noexcept { return refused_; }

private:
    void AddText(std::u16string_view text, bool asKeys);
    std::vector<Keystroke> items_;
    bool refused_ = false;
};

} // namespace velt
