#include "vault/save_leftovers.h"

#include <windows.h>

#include "platform/handle.h"
#include "platform/lazy_library.h"

namespace velt {

namespace {

// The file name of an executable path, in lower case.
std::string ExeName(const char* path) {
    std::string name = path;
    name = name.substr(name.find_last_of("\\/") + 1);
    if (!name.empty()) CharLowerBuffA(&name[0], static_cast<DWORD>(name.size()));
    return name;
}

} // namespace

bool IsOtherRunningVelt(unsigned long processId) noexcept {
    try {
        if (processId == GetCurrentProcessId()) return false;  // an earlier process of our id
        HANDLE h = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE, processId);
        if (!h) return GetLastError() != ERROR_INVALID_PARAMETER;  // no such process; else cannot tell
        platform::UniqueHandle process(h);
        if (WaitForSingleObject(h, 0) != WAIT_TIMEOUT) return false;  // ended
        // Since Windows Vista; without it, an alive writer is taken for Velt.
        static const auto query = platform::SystemFunction<decltype(QueryFullProcessImageNameA)>(
            "kernel32.dll", "QueryFullProcessImageNameA");
        char theirs[MAX_PATH], ours[MAX_PATH];
        DWORD size = MAX_PATH;
        if (!query || !query(h, 0, theirs, &size)) return true;
        if (!GetModuleFileNameA(nullptr, ours, MAX_PATH)) return true;
        return ExeName(theirs) == ExeName(ours);
    } catch (...) {
        return true;  // the file waits for the next start
    }
}

int RemoveSaveLeftovers(const std::string& vaultPath) noexcept {
    try {
        const size_t slash = vaultPath.find_last_of("\\/");
        const std::string dir = slash == std::string::npos ? std::string() : vaultPath.substr(0, slash + 1);
        const std::string vaultName = vaultPath.substr(dir.size());
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA((vaultPath + ".*-*.tmp").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) return 0;
        int removed = 0;
        do {
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
            const unsigned long writer = SaveTempProcessId(vaultName, found.cFileName);
            // Another Velt may be between its save's Close and Replace.
            if (writer == 0 || IsOtherRunningVelt(writer)) continue;
            // Fails, and so leaves the file, while a writer still has it open.
            if (DeleteFileA((dir + found.cFileName).c_str())) ++removed;
        } while (FindNextFileA(search, &found));
        FindClose(search);
        return removed;
    } catch (...) {
        return 0;  // no memory for a path: the files wait for the next start
    }
}

} // namespace velt
