#include "platform/ansi_codepage.h"

#include <windows.h>

namespace velt::platform {

std::u16string WindowsAnsiCodePage::Widen(std::string_view bytes) const {
    if (bytes.empty()) return {};
    int n = MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::u16string out(static_cast<size_t>(n), u'\0');
    MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()),
                        reinterpret_cast<wchar_t*>(out.data()), n);
    return out;
}

std::string WindowsAnsiCodePage::Narrow(std::u16string_view text) const {
    if (text.empty()) return {};
    auto* wide = reinterpret_cast<const wchar_t*>(text.data());
    // No best fit: a letter the code page lacks becomes its default
    // character rather than a look-alike (l for Polish l-stroke).
    const DWORD flags = WC_NO_BEST_FIT_CHARS;
    int n = WideCharToMultiByte(CP_ACP, flags, wide, static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, flags, wide, static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

void InstallSystemCodePage() {
    static const WindowsAnsiCodePage codePage;
    SetSystemCodePage(&codePage);
}

} // namespace velt::platform
