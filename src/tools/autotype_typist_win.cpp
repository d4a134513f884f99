#include "tools/autotype_typist_win.h"

#include "core/hotkey.h"
#include "core/secure_memory.h"
#include "core/errors.h"
#include "platform/handle.h"
#include "platform/lazy_library.h"

namespace velt {

namespace {

constexpr DWORD kReleaseWaitMs = 5000;
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

// Milliseconds since `start`, finer than the 15.6 ms tick.
double MsSince(const LARGE_INTEGER& start) {
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(now.QuadPart - start.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

// Handles this thread's messages for `ms` (the idle lock's timer included).
// False when the program is ending (WM_QUIT is put back) or, with
// `escape`, once Escape is down.
bool Pump(unsigned ms, bool escape) {
    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    while (true) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(msg.wParam));
                return false;
            }
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (escape && Down(VK_ESCAPE)) return false;
        const double gone = MsSince(start);
        if (gone >= ms) return true;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(ms - gone) + 1, QS_ALLINPUT);
    }
}

unsigned SendKeystroke(const Keystroke& k, HKL layout) {
    INPUT inputs[kMaxKeyInputs] = {};
    const int n = KeyInputs(k, layout, inputs);
    const UINT taken = SendInput(static_cast<UINT>(n), inputs, sizeof(INPUT));
    WipeBytes(inputs, sizeof inputs);
    return taken == static_cast<UINT>(n) ? 2 : taken == 0 ? 0 : 1;
}

// The target as typing sees it.
class WindowsPort final : public TypingPort {
public:
    WindowsPort(HWND target, const std::u16string& title, HKL layout)
        : target_(target), title_(title), layout_(layout) {}
    bool TargetUnchanged() override { return GetForegroundWindow() == target_ && WindowTitle(target_) == title_; }
    unsigned Send(const Keystroke& key) override { return SendKeystroke(key, layout_); }
    bool Wait(unsigned ms) override { return Pump(ms, true); }

private:
    HWND target_;
    const std::u16string& title_;
    HKL layout_;
};

ForegroundWatch* g_watch = nullptr;  // the one whose hook is set

} // namespace

bool BelongsToAnotherProcess(HWND window) {
    DWORD pid = 0;
    return window && GetWindowThreadProcessId(window, &pid) && pid != GetCurrentProcessId();
}

bool IsTypingTarget(HWND window) {
    if (!window || !IsWindow(window) || !IsWindowVisible(window) || !IsWindowEnabled(window) || IsIconic(window))
        return false;
    if (GetAncestor(window, GA_ROOT) != window || !BelongsToAnotherProcess(window)) return false;
    if (window == GetDesktopWindow() || window == GetShellWindow()) return false;
    char name[32] = {};
    GetClassNameA(window, name, sizeof name);
    for (const char* shell : {"Shell_TrayWnd", "Shell_SecondaryTrayWnd", "Progman", "WorkerW"})
        if (lstrcmpiA(name, shell) == 0) return false;
    return true;
}

HWND WindowBelow(HWND window) {
    for (HWND w = GetWindow(window, GW_HWNDNEXT); w; w = GetWindow(w, GW_HWNDNEXT)) {
        if (!IsTypingTarget(w)) continue;
        if ((GetWindowLongA(w, GWL_STYLE) & WS_CAPTION) != WS_CAPTION) continue;  // menus, hints
        if (GetWindowLongA(w, GWL_EXSTYLE) & WS_EX_TOOLWINDOW) continue;
        return w;
    }
    return nullptr;
}

std::u16string WindowTitle(HWND window) {
    wchar_t title[512] = {};
    const int n = GetWindowTextW(window, title, 512);  // another program: no message
    return std::u16string(reinterpret_cast<const char16_t*>(title), n > 0 ? static_cast<size_t>(n) : 0);
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

bool WaitForKeysReleased(unsigned modifiers) {
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
    while (true) {
        bool held = false;
        for (int i = 0; i < n; ++i) held = held || Down(keys[i]);
        if (!held) return true;
        if (GetTickCount() - start >= kReleaseWaitMs || !Pump(20, false)) return false;
    }
}

HWND WaitForForeground(HWND window, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    DWORD since = 0;
    bool inFront = false;
    while (true) {
        HWND front = GetForegroundWindow();
        const DWORD now = GetTickCount();
        if (window ? front == window : IsTypingTarget(front)) {
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
        if (now - start >= timeoutMs || !Pump(20, false)) return nullptr;
    }
}

int KeyInputs(const Keystroke& k, HKL layout, INPUT* inputs) {
    int n = 0;
    const auto key = [&](WORD vk, WORD scan, DWORD flags) {
        inputs[n] = INPUT{};
        inputs[n].type = INPUT_KEYBOARD;
        inputs[n].ki.wVk = vk;
        inputs[n].ki.wScan = scan;
        inputs[n++].ki.dwFlags = flags;
    };
    const auto named = [&](WORD vk, bool up) {
        key(vk, static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC)), up ? KEYEVENTF_KEYUP : 0);
    };
    if (k.kind != Keystroke::Char) {
        // Real keys with their scan codes: Unicode Tab and Enter packets are
        // dropped by many targets, and some read only the scan code.
        const WORD vk = k.kind == Keystroke::Tab ? VK_TAB : VK_RETURN;
        named(vk, false);
        named(vk, true);
        return n;
    }
    const SHORT typed = layout ? VkKeyScanExW(static_cast<WCHAR>(k.value), layout) : -1;
    const unsigned shifts = typed == -1 ? 0x100 : (static_cast<unsigned>(typed) >> 8) & 0xFF;
    if (shifts & ~7u) {  // no key for it on that layout (or beyond Shift, Ctrl, Alt)
        key(0, static_cast<WORD>(k.value), KEYEVENTF_UNICODE);
        key(0, static_cast<WORD>(k.value), KEYEVENTF_UNICODE | KEYEVENTF_KEYUP);
        return n;
    }
    const WORD modifiers[3] = {VK_SHIFT, VK_CONTROL, VK_MENU};
    for (int i = 0; i < 3; ++i)
        if (shifts & (1u << i)) named(modifiers[i], false);
    named(static_cast<WORD>(typed & 0xFF), false);
    named(static_cast<WORD>(typed & 0xFF), true);
    for (int i = 2; i >= 0; --i)
        if (shifts & (1u << i)) named(modifiers[i], true);
    return n;
}

TypingResult TypeInto(HWND target, const std::u16string& title, const Keystrokes& keys, unsigned keyDelayMs,
                      bool asLayout) {
    if (RunsElevated(target)) return {TypeOutcome::Elevated, 0};
    const FineTimer timer;
    WindowsPort port(target, title, asLayout ? GetKeyboardLayout(GetWindowThreadProcessId(target, nullptr)) : nullptr);
    return TypeKeystrokes(port, keys, keyDelayMs);
}

bool AltGrTypes(HKL layout, unsigned vk, bool shift) {
    BYTE state[256] = {};
    state[VK_CONTROL] = state[VK_LCONTROL] = state[VK_MENU] = state[VK_RMENU] = 0x80;
    if (shift) state[VK_SHIFT] = state[VK_LSHIFT] = 0x80;
    wchar_t out[8] = {};
    // Flag 4 leaves the keyboard's state alone where Windows knows it.
    const int n = ToUnicodeEx(vk, MapVirtualKeyExW(vk, MAPVK_VK_TO_VSC, layout), state, out, 8, 4, layout);
    if (n < 0) {  // a dead key: let it go, or it would join the next key typed
        const BYTE none[256] = {};
        ToUnicodeEx(VK_SPACE, MapVirtualKeyExW(VK_SPACE, MAPVK_VK_TO_VSC, layout), none, out, 8, 4, layout);
        return true;
    }
    return n > 0 && out[0] >= 0x20;  // control characters are no AltGr
}

bool HasAltGr(HKL layout) {
    for (unsigned vk = '0'; vk <= 'Z'; ++vk)
        if ((vk <= '9' || vk >= 'A') && AltGrTypes(layout, vk, false)) return true;
    return false;
}

std::string LayoutTypingShortcut(unsigned modifiers, unsigned vk) {
    if ((modifiers & (kHotkeyCtrl | kHotkeyAlt | kHotkeyWin)) != (kHotkeyCtrl | kHotkeyAlt) || vk >= kVkF1) return {};
    HKL layouts[64];
    const int n = GetKeyboardLayoutList(64, layouts);
    for (int i = 0; i < n; ++i) {
        if (!AltGrTypes(layouts[i], vk, (modifiers & kHotkeyShift) != 0)) continue;
        char name[128] = {};
        const LCID locale = MAKELCID(LOWORD(reinterpret_cast<UINT_PTR>(layouts[i])), SORT_DEFAULT);
        if (!GetLocaleInfoA(locale, LOCALE_SLANGUAGE, name, sizeof name)) lstrcpyA(name, "?");
        return name;
    }
    return {};
}

ForegroundWatch::~ForegroundWatch() {
    if (hook_) UnhookWinEvent(hook_);
    if (g_watch == this) g_watch = nullptr;
}

void ForegroundWatch::Start() {
    if (hook_ || g_watch) return;
    hook_ = SetWinEventHook(EVENT_SYSTEM_FOREGROUND, EVENT_SYSTEM_FOREGROUND, nullptr, &ForegroundWatch::Event, 0, 0,
                            WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS);
    if (hook_) g_watch = this;
}

void ForegroundWatch::Seen(HWND window) {
    if (window) window = GetAncestor(window, GA_ROOT);
    if (IsTypingTarget(window)) last_ = window;
}

HWND ForegroundWatch::Last() const { return IsTypingTarget(last_) ? last_ : nullptr; }

void CALLBACK ForegroundWatch::Event(HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG, DWORD, DWORD) {
    if (g_watch && event == EVENT_SYSTEM_FOREGROUND && object == OBJID_WINDOW && IsTypingTarget(window))
        g_watch->last_ = window;
}

} // namespace velt
