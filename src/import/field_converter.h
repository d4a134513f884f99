// One field of an imported file as the vault stores it: line breaks as CR LF,
// and UTF-8 converted to the vault's code page (or the bytes taken as they
// are, for files already in it).
#pragma once
#include <string>
#include <string_view>

#include "import/code_page.h"

namespace velt::import {

// Well-formed UTF-8: no overlong forms, surrogates or code points past
// U+10FFFF, no sequence cut short.
bool IsValidUtf8(std::string_view bytes);

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

private:
    const ImportCodePage& codePage_;
    bool utf8_;
    std::u16string wide_;  // scratch, wiped when it grows and at the end
};

} // namespace velt::import
