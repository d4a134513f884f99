// Helpers for in-process GUI tests under Wine: run code later from inside a
// modal loop (thread timers keep running there), answer message boxes
// without showing them, and end any stuck loop with a safety timer.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "toolkit/msgbox.h"

namespace velt::test {

// Runs action once, after delayMs, from whatever message loop is running.
// Exceptions are reported as test failures.
void RunLater(UINT delayMs, std::function<void()> action);
// Cancels every pending RunLater.
void CancelPending();

// Held by every test that shows windows: ctest runs two test processes at
// once, and a window shown by one takes the focus from the other. The lock
// is a mutex shared by all processes of the Wine prefix.
class GuiLock {
public:
    GuiLock();
    ~GuiLock();
    GuiLock(const GuiLock&) = delete;
    GuiLock& operator=(const GuiLock&) = delete;

private:
    HANDLE mutex_;
};

// Ends every toolkit loop (Application->Terminate) and closes the thread's
// windows when a test is still running after its time; reports a failure.
class SafetyTimer {
public:
    explicit SafetyTimer(UINT ms = 10000);
    ~SafetyTimer();
    SafetyTimer(const SafetyTimer&) = delete;
    SafetyTimer& operator=(const SafetyTimer&) = delete;
    bool Fired() const;

private:
    UINT_PTR id_;
};

// Records every message box instead of showing it and answers with the
// next queued answer (IDOK when the queue is empty).
class MessageBoxRecorder {
public:
    MessageBoxRecorder();
    ~MessageBoxRecorder();
    MessageBoxRecorder(const MessageBoxRecorder&) = delete;
    MessageBoxRecorder& operator=(const MessageBoxRecorder&) = delete;

    void QueueAnswer(int answer) { answers_.push_back(answer); }
    const std::vector<MessageBoxRequest>& Boxes() const { return boxes_; }
    void Clear() { boxes_.clear(); }

private:
    std::vector<MessageBoxRequest> boxes_;
    std::vector<int> answers_;
    MessageBoxHook previous_;
};

// Posts a key press (WM_KEYDOWN, WM_CHAR when printable, WM_KEYUP) to a
// window, with the given modifiers held in the thread's keyboard state
// while the queued messages are handled.
void PressKey(HWND window, WORD key, bool ctrl = false, bool shift = false);
// Posts WM_CHAR for each character.
void TypeText(HWND window, const std::string& text);

// Handles waiting messages until the queue is empty (paint included).
void Pump();
// Handles messages as they come (timers included) for `ms` milliseconds.
void PumpFor(DWORD ms);

// Answers the common Save dialog once it is up (waiting up to a second):
// picks file-type entry `typeIndex` (from 0), types `fileName` and presses
// Save. False when no dialog appeared.
bool AnswerSaveDialog(int typeIndex, const std::string& fileName);

// A child window's bounds in its parent's client coordinates.
inline RECT ChildRect(HWND child) {
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// What a window shows on the screen now (client area), row by row.
struct Capture {
    int width = 0, height = 0;
    std::vector<COLORREF> pixels;
    COLORREF At(int x, int y) const { return pixels[static_cast<size_t>(y * width + x)]; }
    // Writes a 24-bit BMP (for looking at a test's window).
    bool SaveBmp(const std::string& path) const;
};
Capture CaptureClient(HWND window);

} // namespace velt::test
