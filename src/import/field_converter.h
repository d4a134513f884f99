// One field of an imported file as the vault stores it: line breaks as CR LF,
// and UTF-8 converted to the vault's code page (or the bytes taken as they
// are, for files already in it).
#pragma once
#include <string>
#include <string_view>

#include "import/code_page.h"

namespace velt::import {

enum class TextKind {
    Utf8,      // well-formed UTF-8: no overlong forms, surrogates or code
               // points past U+10FFFF, no sequence cut short
    CodePage,  // anything else without a NUL byte
    Binary,    // holds a NUL byte
};
// One pass over a whole file.
TextKind Classify(std::string_view bytes);

// Appends bytes with inline copies: the C library's copy costs more than a
// short field under the 32-bit runtime.
inline void AppendBytes(std::string& out, std::string_view bytes) {
    for (char c : bytes) out.push_back(c);
}

class FieldConverter {
public:
    // utf8 false: the bytes are already in the code page.
    FieldConverter(const ImportCodePage& codePage, bool utf8) : codePage_(codePage), utf8_(utf8) {}
    ~FieldConverter();
    FieldConverter(const FieldConverter&) = delete;
    FieldConverter& operator=(const FieldConverter&) = delete;

    // Appends `text` converted to `out`; false when a character could not be
    // held (it became "?").
    bool Append(std::string_view text, std::string& out);
    // `text` as the vault stores it: `text` itself when it needs no change
    // (most fields), otherwise converted into `scratch`, which it replaces.
    // `held` as Append returns it.
    std::string_view Convert(std::string_view text, std::string& scratch, bool& held);

private:
    const ImportCodePage& codePage_;
    bool utf8_;
    std::u16string wide_;  // scratch, wiped when it grows and at the end
};

} // namespace velt::import
