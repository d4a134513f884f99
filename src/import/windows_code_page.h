// The system ANSI code page for the importer: WideCharToMultiByte without
// best-fit mappings, reporting every character that became the default one.
#pragma once
#include "import/code_page.h"

namespace velt::import {

class WindowsImportCodePage final : public ImportCodePage {
public:
    bool Append(std::u16string_view text, std::string& out) const override;
    // Never ends inside a double-byte character (or, under a UTF-8 system
    // code page, inside a UTF-8 sequence).
    std::size_t FitPrefix(std::string_view bytes, std::size_t limit) const override;
};

} // namespace velt::import
