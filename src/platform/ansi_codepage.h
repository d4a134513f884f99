// Windows' 8-bit code pages as the portable core's AnsiCodePage: the system's
// (GetACP) and the one the vault's texts are shown in.
#pragma once
#include "core/text.h"

namespace velt::platform {

class WindowsCodePage final : public AnsiCodePage {
public:
    // CP_ACP (0) follows the system's code page.
    explicit WindowsCodePage(unsigned codePage = 0) : codePage_(codePage) {}
    std::u16string Widen(std::string_view bytes) const override;
    std::string Narrow(std::u16string_view text) const override;

private:
    unsigned codePage_;
};

// `text` in the system code page with WideCharToMultiByte's `flags`, each
// character outside the Basic Multilingual Plane as one default character.
std::string NarrowWithSystem(std::u16string_view text, unsigned long flags);

// Installs the system code page for the whole process.
void InstallSystemCodePage();
// Installs the code page of a font character set (EASTEUROPE_CHARSET: 1250)
// as the vault's; a character set Windows cannot map leaves the system's.
void InstallVaultCodePage(unsigned charset);

} // namespace velt::platform
