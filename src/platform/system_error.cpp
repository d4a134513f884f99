#include "platform/system_error.h"

#include <windows.h>

#include "core/resource_strings.h"

namespace velt::platform {

std::string SystemErrorReason(unsigned long code) {
    char* text = nullptr;
    const DWORD n = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                       FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string reason;
    if (n != 0 && text) reason.assign(text, n);
    if (text) LocalFree(text);
    while (!reason.empty() && (reason.back() == '\r' || reason.back() == '\n' || reason.back() == ' '))
        reason.pop_back();
    if (reason.empty()) reason = FmtLoadStr(IDS_IO_ERROR, {static_cast<long long>(code)});
    return reason;
}

std::string LastErrorReason() { return SystemErrorReason(GetLastError()); }

} // namespace velt::platform
