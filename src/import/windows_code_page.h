// The system ANSI code page for the importer: WideCharToMultiByte without
// best-fit mappings, reporting every character that became the default one.
#pragma once
#include <cstdint>
#include <memory>

#include "import/code_page.h"

namespace velt::import {

class WindowsImportCodePage final : public ImportCodePage {
public:
    WindowsImportCodePage();
    bool Append(std::u16string_view text, std::string& out) const override;
    // Never ends inside a double-byte character (or, under a UTF-8 system
    // code page, inside a UTF-8 sequence).
    std::size_t FitPrefix(std::string_view bytes, std::size_t limit) const override;

private:
    // Each character outside the surrogates costs one system call, the first
    // time only: its bytes (one or two, high byte first), kHeldNot or
    // kUnknown.
    static constexpr std::uint16_t kUnknown = 0xFFFF, kHeldNot = 0xFFFE;
    std::uint16_t Lookup(char16_t c) const;
    bool AppendWhole(std::u16string_view text, std::string& out) const;
    mutable std::unique_ptr<std::uint16_t[]> cache_;
    std::uint32_t acp_;  // asked once: the system code page stays for the process's life
};

} // namespace velt::import
