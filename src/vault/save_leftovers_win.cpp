#include "vault/save_leftovers.h"

#include <windows.h>

namespace velt {

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
            if (!IsSaveTempName(vaultName, found.cFileName)) continue;
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
