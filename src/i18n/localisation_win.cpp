#include "i18n/localisation_win.h"

#include <windows.h>

#include "core/text.h"
#include "i18n/system_access_win.h"
#include "i18n/translator.h"
#include "platform/ansi_codepage.h"

namespace velt::i18n {

namespace {

bool g_ntFamily = true;

HMODULE ModuleOf(const void* module) {
    return module ? static_cast<HMODULE>(const_cast<void*>(module)) : GetModuleHandleW(nullptr);
}

// By record: on the NT family the whole 16-bit string, elsewhere 8-bit
// into a 1024-byte buffer, widened.
std::u16string ReadStringResource(const void* module, int id) {
    if (g_ntFamily) {
        const wchar_t* text = nullptr;
        int n = LoadStringW(ModuleOf(module), static_cast<UINT>(id), reinterpret_cast<LPWSTR>(&text), 0);
        return n > 0 ? std::u16string(reinterpret_cast<const char16_t*>(text), static_cast<std::size_t>(n))
                     : std::u16string();
    }
    char buffer[1024];
    int n = LoadStringA(ModuleOf(module), static_cast<UINT>(id), buffer, sizeof buffer);
    return Widen(std::string_view(buffer, n > 0 ? static_cast<std::size_t>(n) : 0));
}

// By identifier: 8-bit from the first module that has a non-empty string.
// The program's string tables are all in its executable.
std::string ReadIdentifierResource(int id) {
    const HMODULE modules[] = {GetModuleHandleW(nullptr)};
    for (HMODULE module : modules) {
        char buffer[1024];
        int n = LoadStringA(module, static_cast<UINT>(id), buffer, sizeof buffer);
        if (n > 0) return std::string(buffer, static_cast<std::size_t>(n));
    }
    return {};
}

bool SystemIsNtFamily() { return (GetVersion() & 0x80000000u) == 0; }

} // namespace

void StartLocalisation(const std::string& executablePath) {
    static WinFileAccess files;
    static WinLocaleSource locale;
    static WinMessageBox messages;
    platform::InstallSystemCodePage();
    g_ntFamily = SystemIsNtFamily();
    ModuleServices services;
    services.files = &files;
    services.locale = &locale;
    services.messages = &messages;
    services.makeLock = &MakeSrwLock;
    services.executablePath = executablePath.empty() ? ExecutablePath() : executablePath;
    services.embeddedTablePosition = EmbeddedTablePosition();
    services.resourceReader = &ReadStringResource;
    services.identifierReader = &ReadIdentifierResource;
    services.ntFamily = g_ntFamily;
    StartTranslationModule(services);
}

void StopLocalisation() { StopTranslationModule(); }

} // namespace velt::i18n
