// The names in a folder, for tests that prove no temporary file was left.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace velt::test {

// Every entry but "." and "..", in the order the system lists them; `dir`
// may end in a separator or not.
inline std::vector<std::string> FolderListing(const std::string& dir) {
    std::string pattern = dir;
    if (pattern.empty() || pattern.back() != '\\') pattern += '\\';
    pattern += '*';
    std::vector<std::string> names;
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA(pattern.c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return names;
    do {
        std::string n = fd.cFileName;
        if (n != "." && n != "..") names.push_back(n);
    } while (FindNextFileA(h, &fd));
    FindClose(h);
    return names;
}

} // namespace velt::test
