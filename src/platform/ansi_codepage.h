// The system ANSI code page (GetACP), as the portable core's AnsiCodePage.
#pragma once
#include "core/text.h"

namespace velt::platform {

class WindowsAnsiCodePage final : public AnsiCodePage {
public:
    std::u16string Widen(std::string_view bytes) const override;
    std::string Narrow(std::u16string_view text) const override;
};

// Installs the system code page for the whole process.
void InstallSystemCodePage();

} // namespace velt::platform
