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
    // (most fields), otherwise converted into `scratch`, whose size then
    // says nothing (it is room). `held` as Append returns it. With
    // `keepBreaks` (a password) line breaks stay the bytes they were.
    std::string_view Convert(std::string_view text, std::string& scratch, bool& held, bool keepBreaks = false);

private:
    // Writes `text` converted from `out` on, where there is room for 4 bytes
    // a byte of it; returns the end. Byte by byte: the C library's copy
    // costs more than a field this short under the 32-bit runtime.
    char* Write(std::string_view text, char* out, bool& held, bool keepBreaks);

    const ImportCodePage& codePage_;
    bool utf8_;
    // Scratch, wiped when they grow and at the end.
    std::u16string wide_;
    std::string bytes_;
};

} // namespace velt::import
