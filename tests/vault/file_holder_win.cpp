// A second process for the vault tests: takes hold of a path the way another
// program would, reports "ready" (or "failed <code>") on stdout, and keeps
// its hold until its stdin closes.
//   file_holder <reader-denying-writers | writer | exclusive | read-only | directory> <path>
#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {

struct Mode {
    const char* name;
    DWORD access;
    DWORD share;
};

const Mode kModes[] = {
    {"reader-denying-writers", GENERIC_READ, FILE_SHARE_READ},
    {"writer", GENERIC_WRITE, FILE_SHARE_READ},
    {"exclusive", GENERIC_READ | GENERIC_WRITE, 0},
};

int Report(bool ok) {
    if (ok) std::printf("ready\n");
    else std::printf("failed %lu\n", static_cast<unsigned long>(GetLastError()));
    std::fflush(stdout);
    return ok ? 0 : 1;
}

void WaitForStdinToClose() {
    char buffer[64];
    DWORD got = 0;
    while (ReadFile(GetStdHandle(STD_INPUT_HANDLE), buffer, sizeof buffer, &got, nullptr) && got > 0) {
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) return 2;
    const char* mode = argv[1];
    const char* path = argv[2];
    if (std::strcmp(mode, "read-only") == 0) {
        const DWORD attrs = GetFileAttributesA(path);
        return Report(attrs != INVALID_FILE_ATTRIBUTES && SetFileAttributesA(path, attrs | FILE_ATTRIBUTE_READONLY));
    }
    if (std::strcmp(mode, "directory") == 0) return Report(CreateDirectoryA(path, nullptr) != FALSE);
    for (const Mode& m : kModes) {
        if (std::strcmp(mode, m.name) != 0) continue;
        HANDLE h = CreateFileA(path, m.access, m.share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE) return Report(false);
        Report(true);
        WaitForStdinToClose();
        CloseHandle(h);
        return 0;
    }
    return 2;
}
