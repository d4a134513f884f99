#include "import/import_file.h"

#include <windows.h>

#include "core/resource_strings.h"
#include "import/csv_import.h"
#include "platform/handle.h"
#include "platform/system_error.h"
#include "core/secure_memory.h"

namespace velt::import {

namespace {

[[noreturn]] void CannotRead(const std::string& path, DWORD code) {
    throw EImportError(FormatText(ResStr(IDS_IMPORT_CANNOT_READ), {path, platform::SystemErrorReason(code)}));
}

} // namespace

std::string ReadImportFile(const std::string& path) {
    const platform::UniqueHandle file(CreateFileA(path.c_str(), GENERIC_READ,
                                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                                  OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) CannotRead(path, GetLastError());
    const HANDLE h = file.Get();
    LARGE_INTEGER size;
    if (!GetFileSizeEx(h, &size)) CannotRead(path, GetLastError());
    if (static_cast<unsigned long long>(size.QuadPart) > kMaxImportFileSize)
        throw EImportError(FormatText(ResStr(IDS_IMPORT_TOO_LARGE), {path}));
    std::string bytes(static_cast<std::size_t>(size.QuadPart), '\0');
    std::size_t done = 0;
    while (done < bytes.size()) {
        const DWORD chunk = static_cast<DWORD>(bytes.size() - done < (1u << 24) ? bytes.size() - done : 1u << 24);
        DWORD got = 0;
        if (!ReadFile(h, &bytes[done], chunk, &got, nullptr)) {
            const DWORD code = GetLastError();
            WipeString(bytes);
            CannotRead(path, code);
        }
        if (got == 0) break;  // the file got shorter meanwhile
        done += got;
    }
    bytes.resize(done);
    return bytes;
}

} // namespace velt::import
