#include "platform/ansi_codepage.h"

#include <windows.h>

#include "core/secure_memory.h"

namespace velt::platform {

namespace {

std::string NarrowWith(UINT codePage, std::u16string_view text, unsigned long flags) {
    if (text.empty()) return {};
    std::u16string one(text);
    ScopedWipe wipe(one.data(), one.capacity() * sizeof(char16_t));  // it may be a password
    const UINT resolved = codePage == CP_ACP ? GetACP() : codePage;
    if (resolved != CP_UTF8) ReplaceOutsideBmp(one);
    else flags = 0;  // the only flags a UTF-8 code page takes
    auto* wide = reinterpret_cast<const wchar_t*>(one.data());
    const int units = static_cast<int>(one.size());
    int n = WideCharToMultiByte(codePage, flags, wide, units, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
    n = WideCharToMultiByte(codePage, flags, wide, units, out.data(), n, nullptr, nullptr);
    out.resize(static_cast<size_t>(n > 0 ? n : 0));
    return out;
}

} // namespace

std::u16string WindowsCodePage::Widen(std::string_view bytes) const {
    if (bytes.empty()) return {};
    int n = MultiByteToWideChar(codePage_, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::u16string out(static_cast<size_t>(n > 0 ? n : 0), u'\0');
    MultiByteToWideChar(codePage_, 0, bytes.data(), static_cast<int>(bytes.size()),
                        reinterpret_cast<wchar_t*>(out.data()), n);
    return out;
}

std::string WindowsCodePage::Narrow(std::u16string_view text) const {
    // No best fit: a letter the code page lacks becomes its default
    // character rather than a look-alike (l for Polish l-stroke).
    return NarrowWith(codePage_, text, WC_NO_BEST_FIT_CHARS);
}

std::string NarrowWithSystem(std::u16string_view text, unsigned long flags) {
    return NarrowWith(CP_ACP, text, flags);
}

void InstallSystemCodePage() {
    static const WindowsCodePage codePage;
    SetSystemCodePage(&codePage);
}

void InstallVaultCodePage(unsigned charset) {
    CHARSETINFO info{};
    if (!TranslateCharsetInfo(reinterpret_cast<DWORD*>(static_cast<ULONG_PTR>(charset)), &info, TCI_SRCCHARSET)) {
        SetVaultCodePage(&SystemCodePage());
        return;
    }
    static WindowsCodePage codePage;
    codePage = WindowsCodePage(info.ciACP);
    SetVaultCodePage(&codePage);
}

} // namespace velt::platform
