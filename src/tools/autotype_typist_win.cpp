#include "tools/autotype_typist_win.h"

#include "core/hotkey.h"
#include "core/secure_memory.h"
#include "core/errors.h"
#include "platform/handle.h"
#include "platform/lazy_library.h"

namespace velt {

namespace {

constexpr DWORD kReleaseWaitMs = 1000;
constexpr DWORD kSettleMs = 100;

DWORD IntegrityOf(HANDLE process) {
    HANDLE raw = nullptr;
    if (!OpenProcessToken(process, TOKEN_QUERY, &raw)) return 0;
    platform::UniqueHandle token(raw);
    BYTE buffer[64];
    DWORD size = 0;
    if (!GetTokenInformation(token.Get(), TokenIntegrityLevel, buffer, sizeof buffer, &size)) return 0;
    const auto* label = reinterpret_cast<const TOKEN_MANDATORY_LABEL*>(buffer);
    const DWORD count = *GetSidSubAuthorityCount(label->Label.Sid);
    return count ? *GetSidSubAuthority(label->Label.Sid, count - 1) : 0;
}

// Windows' timer ticks every 15.6 ms unless asked for finer: the 10 ms
// pause after each key would take half as long again.
class FineTimer {
public:
    FineTimer() {
        try {
            using Period = UINT WINAPI(UINT);
            end_ = platform::SystemFunction<Period>("winmm.dll", "timeEndPeriod");
            if (platform::SystemFunction<Period>("winmm.dll", "timeBeginPeriod")(1) != 0) end_ = nullptr;
        } catch (const Exception&) {
            end_ = nullptr;  // coarser pauses, typing still right
        }
    }
    ~FineTimer() {
        if (end_) end_(1);
    }
    FineTimer(const FineTimer&) = delete;
    FineTimer& operator=(const FineTimer&) = delete;

private:
    UINT(WINAPI* end_)(UINT) = nullptr;
};

bool Down(int vk) { return (GetAsyncKeyState(vk) & 0x8000) != 0; }

void SendKey(WORD vk, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    SendInput(1, &input, sizeof(INPUT));
}

void SendKeystroke(const Keystroke& k) {
    INPUT inputs[2] = {};
    for (int i = 0; i < 2; ++i) {
        inputs[i].type = INPUT_KEYBOARD;
        if (k.kind == Keystroke::Char) {
            inputs[i].ki.wScan = static_cast<WORD>(k.value);
            inputs[i].ki.dwFlags = KEYEVENTF_UNICODE;
        } else {
            // Unicode Tab and Enter packets are dropped by many targets.
            inputs[i].ki.wVk = k.kind == Keystroke::Tab ? VK_TAB : VK_RETURN;
        }
        if (i == 1) inputs[i].ki.dwFlags |= KEYEVENTF_KEYUP;
    }
    SendInput(2, inputs, sizeof(INPUT));
    WipeBytes(inputs, sizeof inputs);
}

} // namespace

bool BelongsToAnotherProcess(HWND window) {
    DWORD pid = 0;
    return window && GetWindowThreadProcessId(window, &pid) && pid != GetCurrentProcessId();
}

HWND WindowBelow(HWND window) {
    for (HWND w = GetWindow(window, GW_HWNDNEXT); w; w = GetWindow(w, GW_HWNDNEXT)) {
        if (!IsWindowVisible(w) || IsIconic(w) || !BelongsToAnotherProcess(w)) continue;
        if ((GetWindowLongA(w, GWL_STYLE) & WS_CAPTION) != WS_CAPTION) continue;  // menus, hints
        if (GetWindowLongA(w, GWL_EXSTYLE) & WS_EX_TOOLWINDOW) continue;
        return w;
    }
    return nullptr;
}

bool RunsElevated(HWND window) {
    DWORD pid = 0;
    if (!BelongsToAnotherProcess(window) || !GetWindowThreadProcessId(window, &pid)) return false;
    platform::UniqueHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    if (!process.Valid()) return false;
    const DWORD theirs = IntegrityOf(process.Get());
    const DWORD ours = IntegrityOf(GetCurrentProcess());
    return theirs && ours && theirs > ours;
}

void WaitForKeysReleased(unsigned modifiers) {
    int keys[6];
    int n = 0;
    if (modifiers & kHotkeyCtrl) keys[n++] = VK_CONTROL;
    if (modifiers & kHotkeyAlt) keys[n++] = VK_MENU;
    if (modifiers & kHotkeyShift) keys[n++] = VK_SHIFT;
    if (modifiers & kHotkeyWin) {
        keys[n++] = VK_LWIN;
        keys[n++] = VK_RWIN;
    }
    keys[n++] = VK_RETURN;  // the Enter that picked an entry
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < kReleaseWaitMs) {
        bool held = false;
        for (int i = 0; i < n; ++i) held = held || Down(keys[i]);
        if (!held) return;
        Sleep(10);
    }
    for (int i = 0; i < n; ++i)
        if (keys[i] != VK_RETURN && Down(keys[i])) SendKey(static_cast<WORD>(keys[i]), true);
}

HWND WaitForForeground(HWND window, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    DWORD since = 0;
    bool inFront = false;
    while (true) {
        HWND front = GetForegroundWindow();
        const DWORD now = GetTickCount();
        if (window ? front == window : BelongsToAnotherProcess(front)) {
            // A window of ours activated a moment ago (a dialog closing,
            // the focus coming back) may still take the front: wait until
            // the target stays there.
            if (!inFront) since = now;
            inFront = true;
            if (now - since >= kSettleMs) return front;
        } else {
            inFront = false;
            if (window) SetForegroundWindow(window);
        }
        if (now - start >= timeoutMs) return nullptr;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(msg.wParam));
                return nullptr;
            }
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
}

TypeOutcome TypeInto(HWND target, const Keystrokes& keys, unsigned keyDelayMs) {
    if (RunsElevated(target)) return TypeOutcome::Elevated;
    const FineTimer timer;
    for (const Keystroke& k : keys.Items()) {
        if (k.kind == Keystroke::Delay) {
            Sleep(k.value);
            continue;
        }
        if (GetForegroundWindow() != target) return TypeOutcome::Stopped;
        SendKeystroke(k);
        if (keyDelayMs) Sleep(keyDelayMs);
    }
    return TypeOutcome::Typed;
}

} // namespace velt
