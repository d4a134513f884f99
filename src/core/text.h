// Text encodings: UTF-8 <-> UTF-16, and the ANSI code page seam.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

namespace velt {

// Invalid UTF-8 sequences decode to U+FFFD, one per offending byte.
std::u16string Utf8ToUtf16(std::string_view utf8);
// Unpaired surrogates encode as U+FFFD.
std::string Utf16ToUtf8(std::u16string_view utf16);

// Whether text[i], text[i + 1] are a surrogate pair: one character outside
// the Basic Multilingual Plane.
inline bool IsSurrogatePair(std::u16string_view text, std::size_t i) {
    return i + 1 < text.size() && text[i] >= 0xD800 && text[i] < 0xDC00 && text[i + 1] >= 0xDC00 &&
           text[i + 1] < 0xE000;
}
// No 8-bit code page holds a character outside that plane, and a converter
// that meets its two halves makes two "?" of it. This makes each one "?"
// before the conversion; returns how many there were.
std::size_t ReplaceOutsideBmp(std::u16string& text);

// The system's 8-bit (ANSI) code page. Cells, file fields and messages are
// bytes in it; the translation service works in UTF-16.
class AnsiCodePage {
public:
    virtual ~AnsiCodePage() = default;
    virtual std::u16string Widen(std::string_view bytes) const = 0;
    // Characters the code page lacks become its default character.
    virtual std::string Narrow(std::u16string_view text) const = 0;
};

// The code page in use: Windows installs the real one at start-up; until then
// (and on the host) bytes map to the first 256 code points.
const AnsiCodePage& SystemCodePage();
void SetSystemCodePage(const AnsiCodePage* codePage);  // nullptr restores the default
// The code page the grid shows the vault's texts in. Copies, auto-type and
// the character boxes widen with it, so that what goes out is what is shown,
// whatever the system's code page. The same default until installed.
const AnsiCodePage& VaultCodePage();
void SetVaultCodePage(const AnsiCodePage* codePage);  // nullptr restores the default

// `s` without blanks (spaces, tabs) around it, nor a line's trailing CR.
std::string_view TrimBlanks(std::string_view s);
// Equal but for the case of ASCII letters.
bool SameAsciiNoCase(std::string_view a, std::string_view b);

// A letter of the Latin, Greek and Cyrillic alphabets in lower case; `text`
// with every such letter in lower case.
char16_t FoldCase(char16_t c);
std::u16string FoldCase(std::u16string_view text);

inline std::u16string Widen(std::string_view bytes) { return SystemCodePage().Widen(bytes); }
inline std::string Narrow(std::u16string_view text) { return SystemCodePage().Narrow(text); }

} // namespace velt
