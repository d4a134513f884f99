// The system ANSI code page (GetACP), as the portable core's AnsiCodePage.
#pragma once
#include "core/text.h"

namespace velt::platform {

class WindowsAnsiCodePage final : public AnsiCodePage {
public:
    std::u16string Widen(std::string_view bytes) const override;
    std::string Narrow(std::u16string_view text) const override;
};

// `text` in the system code page with WideCharToMultiByte's `flags`, each
// character outside the Basic Multilingual Plane as one default character.
std::string NarrowWithSystem(std::u16string_view text, unsigned long flags);

// Installs the system code page for the whole process.
void InstallSystemCodePage();

} // namespace velt::platform
