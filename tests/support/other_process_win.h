// file_holder.exe (built beside the test program) holding a file in a
// given mode until Release(): the other program of the hostile tests.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace velt::test {

class Handle {
public:
    Handle() = default;
    ~Handle() { Close(); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE* Out() { return &h_; }
    HANDLE Get() const { return h_; }
    void Close() {
        if (h_) CloseHandle(h_);
        h_ = nullptr;
    }

private:
    HANDLE h_ = nullptr;
};

inline std::string Beside(const std::string& name) {
    char exe[MAX_PATH];
    GetModuleFileNameA(nullptr, exe, MAX_PATH);
    std::string dir = exe;
    return dir.substr(0, dir.find_last_of('\\') + 1) + name;
}

// Holds `path` in `mode` ("reader", "writer"...) until Release() or
// destruction; `exe` is file_holder.exe or a copy of it under another name.
class OtherProcess {
public:
    OtherProcess(const std::string& mode, const std::string& path, const std::string& exe = Beside("file_holder.exe")) {
        SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
        Handle childIn, childOut;
        if (!CreatePipe(childIn.Out(), stdin_.Out(), &inherit, 0) ||
            !CreatePipe(stdout_.Out(), childOut.Out(), &inherit, 0))
            return;
        SetHandleInformation(stdin_.Get(), HANDLE_FLAG_INHERIT, 0);
        SetHandleInformation(stdout_.Get(), HANDLE_FLAG_INHERIT, 0);
        STARTUPINFOA si{};
        si.cb = sizeof si;
        si.dwFlags = STARTF_USESTDHANDLES;
        si.hStdInput = childIn.Get();
        si.hStdOutput = childOut.Get();
        si.hStdError = GetStdHandle(STD_ERROR_HANDLE);
        std::string command = "\"" + exe + "\" " + mode + " \"" + path + "\"";
        PROCESS_INFORMATION pi{};
        if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr, &si,
                            &pi))
            return;
        CloseHandle(pi.hThread);
        *process_.Out() = pi.hProcess;
        childOut.Close();  // so that the read below ends if the holder dies
        char c;
        DWORD got = 0;
        while (ReadFile(stdout_.Get(), &c, 1, &got, nullptr) && got == 1 && c != '\n')
            if (c != '\r') reply_ += c;  // its stdout is in text mode
    }
    ~OtherProcess() { Release(); }

    // "ready", or "failed <code>"; empty when the process did not start.
    const std::string& Reply() const { return reply_; }
    DWORD Id() const { return process_.Get() ? GetProcessId(process_.Get()) : 0; }

    // Closes its stdin and waits for it to let go.
    void Release() {
        stdin_.Close();
        if (!process_.Get()) return;
        if (WaitForSingleObject(process_.Get(), 10000) != WAIT_OBJECT_0) {
            ADD_FAILURE() << "the holder did not end";
            TerminateProcess(process_.Get(), 1);
        }
        process_.Close();
    }

private:
    Handle stdin_, stdout_, process_;
    std::string reply_;
};

} // namespace velt::test
