// Entry point of the Wine test program. A watchdog ends a stuck test (a modal
// dialog nobody answers, a hung message loop) so CI fails fast, never hangs.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

namespace {

DWORD WINAPI Watchdog(LPVOID param) {
    DWORD seconds = static_cast<DWORD>(reinterpret_cast<UINT_PTR>(param));
    Sleep(seconds * 1000);
    std::fprintf(stderr, "\nwatchdog: test still running after %lu s, ending it\n",
                 static_cast<unsigned long>(seconds));
    std::fflush(stderr);
    TerminateProcess(GetCurrentProcess(), 99);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    // No error dialogs from the system: a failure must show in the output.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    testing::InitGoogleTest(&argc, argv);
    DWORD seconds = 60;
    if (const char* s = std::getenv("VELT_TEST_WATCHDOG")) seconds = static_cast<DWORD>(std::atoi(s));
    if (seconds > 0) CreateThread(nullptr, 0, Watchdog, reinterpret_cast<LPVOID>(UINT_PTR(seconds)), 0, nullptr);
    int result = RUN_ALL_TESTS();
    // Wine occasionally crashes while a process tears down its DLLs (after
    // every test has passed); the results are written, so end here.
    std::fflush(stdout);
    std::fflush(stderr);
    TerminateProcess(GetCurrentProcess(), static_cast<UINT>(result));
    return result;
}
