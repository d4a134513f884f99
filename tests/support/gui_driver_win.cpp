#include "support/gui_driver.h"

#include <gtest/gtest.h>

#include <map>

#include "toolkit/application.h"

namespace velt::test {

namespace {

std::map<UINT_PTR, std::function<void()>>& Pending() {
    static std::map<UINT_PTR, std::function<void()>> pending;
    return pending;
}

void CALLBACK RunPending(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    auto it = Pending().find(id);
    if (it == Pending().end()) return;
    auto action = std::move(it->second);
    Pending().erase(it);
    try {
        action();
    } catch (const std::exception& e) {
        ADD_FAILURE() << "RunLater action threw: " << e.what();
    } catch (...) {
        ADD_FAILURE() << "RunLater action threw";
    }
}

bool safetyFired = false;

BOOL CALLBACK CloseWindow(HWND window, LPARAM) {
    if (IsWindowVisible(window)) PostMessageA(window, WM_CLOSE, 0, 0);
    return TRUE;
}

void CALLBACK SafetyExpired(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    safetyFired = true;
    ADD_FAILURE() << "safety timer: the test was still running; ending its loops";
    Application->Terminate();
    EnumThreadWindows(GetCurrentThreadId(), CloseWindow, 0);
}

} // namespace

void RunLater(UINT delayMs, std::function<void()> action) {
    UINT_PTR id = SetTimer(nullptr, 0, delayMs, RunPending);
    Pending()[id] = std::move(action);
}

void CancelPending() {
    for (auto& p : Pending()) KillTimer(nullptr, p.first);
    Pending().clear();
}

GuiLock::GuiLock() : mutex_(CreateMutexA(nullptr, FALSE, "VeltGuiTestLock")) {
    // Abandoned (a killed test held it) counts as acquired.
    if (mutex_ && WaitForSingleObject(mutex_, 40000) == WAIT_TIMEOUT) ADD_FAILURE() << "GUI test lock not acquired";
}

GuiLock::~GuiLock() {
    if (!mutex_) return;
    ReleaseMutex(mutex_);
    CloseHandle(mutex_);
}

SafetyTimer::SafetyTimer(UINT ms) {
    safetyFired = false;
    id_ = SetTimer(nullptr, 0, ms, SafetyExpired);
}

SafetyTimer::~SafetyTimer() {
    KillTimer(nullptr, id_);
    CancelPending();
    if (safetyFired) Application->ClearTerminated();
}

bool SafetyTimer::Fired() const { return safetyFired; }

MessageBoxRecorder::MessageBoxRecorder() {
    previous_ = SetMessageBoxHook([this](const MessageBoxRequest& request) {
        boxes_.push_back(request);
        if (answers_.empty()) return IDOK;
        int answer = answers_.front();
        answers_.erase(answers_.begin());
        return answer;
    });
}

MessageBoxRecorder::~MessageBoxRecorder() { SetMessageBoxHook(std::move(previous_)); }

void Pump() { Application->ProcessMessages(); }

void PressKey(HWND window, WORD key, bool ctrl, bool shift) {
    BYTE saved[256], state[256];
    GetKeyboardState(saved);
    GetKeyboardState(state);
    if (ctrl) state[VK_CONTROL] = state[VK_LCONTROL] = 0x80;
    if (shift) state[VK_SHIFT] = state[VK_LSHIFT] = 0x80;
    SetKeyboardState(state);
    PostMessageA(window, WM_KEYDOWN, key, 1);
    Pump();
    PostMessageA(window, WM_KEYUP, key, 0xC0000001);
    Pump();
    SetKeyboardState(saved);
}

void TypeText(HWND window, const std::string& text) {
    for (char c : text) PostMessageA(window, WM_CHAR, static_cast<unsigned char>(c), 1);
    Pump();
}

} // namespace velt::test
