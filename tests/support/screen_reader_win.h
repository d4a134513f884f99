// msaa_reader.exe (built beside the test program) run over this process's
// windows: it reads them as a screen reader does while this thread pumps
// the messages that serve its calls.
#pragma once
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "support/gui_driver.h"
#include "support/other_process_win.h"

namespace velt::test {

inline std::string Hex(HWND window) {
    char text[16];
    std::snprintf(text, sizeof text, "%lx", static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(window)));
    return text;
}

// Starts `command` with its output in a pipe and pumps this thread's
// messages until it ends: the reader's calls are served by them.
inline std::vector<std::string> RunPumping(std::string command) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    Handle out, childOut;
    if (!CreatePipe(out.Out(), childOut.Out(), &inherit, 1 << 16)) return {"no pipe"};
    SetHandleInformation(out.Get(), HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = childOut.Get();
    si.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi))
        return {"reader did not start"};
    CloseHandle(pi.hThread);
    Handle process;
    *process.Out() = pi.hProcess;
    childOut.Close();
    std::string text;
    auto drain = [&] {
        DWORD ready = 0, got = 0;
        char buffer[4096];
        while (PeekNamedPipe(out.Get(), nullptr, 0, nullptr, &ready, nullptr) && ready &&
               ReadFile(out.Get(), buffer, sizeof buffer, &got, nullptr) && got)
            text.append(buffer, got);
    };
    const DWORD deadline = GetTickCount() + 30000;
    while (MsgWaitForMultipleObjects(1, process.Out(), FALSE, 50, QS_ALLINPUT) != WAIT_OBJECT_0) {
        Pump();
        drain();
        if (static_cast<LONG>(GetTickCount() - deadline) > 0) {
            TerminateProcess(process.Get(), 1);
            text += "\nreader hung\n";
            break;
        }
    }
    drain();
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

} // namespace velt::test
