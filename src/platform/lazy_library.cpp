#include "platform/lazy_library.h"

#include <string>

#include "core/errors.h"
#include "platform/system_error.h"

namespace velt::platform {

FARPROC SystemProc(const char* dll, const char* proc) {
    char dir[MAX_PATH];
    const UINT n = GetSystemDirectoryA(dir, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) throw Exception(SystemErrorReason(GetLastError()));
    const std::string path = std::string(dir, n) + "\\" + dll;
    // A library already loaded is only counted once more; it stays loaded
    // for the life of the program either way.
    HMODULE module = LoadLibraryA(path.c_str());
    if (!module) throw Exception(SystemErrorReason(GetLastError()));
    FARPROC address = GetProcAddress(module, proc);
    if (!address) throw Exception(SystemErrorReason(GetLastError()));
    return address;
}

} // namespace velt::platform
