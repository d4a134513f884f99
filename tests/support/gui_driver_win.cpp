#include "support/gui_driver.h"

#include <commdlg.h>
#include <dlgs.h>

#include <gtest/gtest.h>

#include <cstdio>
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

void PumpFor(DWORD ms) {
    const DWORD start = GetTickCount();
    for (;;) {
        Pump();
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= ms) return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, ms - elapsed, QS_ALLINPUT);
    }
}

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

Capture CaptureClient(HWND window) {
    Capture c;
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Pump();
    RECT r;
    GetClientRect(window, &r);
    c.width = r.right;
    c.height = r.bottom;
    HDC dc = GetDC(window);
    HDC mem = CreateCompatibleDC(dc);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = c.width;
    bi.bmiHeader.biHeight = -c.height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(mem, bmp);
    BitBlt(mem, 0, 0, c.width, c.height, dc, 0, 0, SRCCOPY);
    GdiFlush();
    c.pixels.resize(static_cast<size_t>(c.width) * static_cast<size_t>(c.height));
    auto* p = static_cast<const DWORD*>(bits);
    for (size_t i = 0; i < c.pixels.size(); ++i)
        c.pixels[i] = RGB((p[i] >> 16) & 0xFF, (p[i] >> 8) & 0xFF, p[i] & 0xFF);
    SelectObject(mem, old);
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(window, dc);
    return c;
}

bool Capture::SaveBmp(const std::string& path) const {
    int rowBytes = (width * 3 + 3) & ~3;
    BITMAPFILEHEADER fh{};
    BITMAPINFOHEADER ih{};
    ih.biSize = sizeof ih;
    ih.biWidth = width;
    ih.biHeight = height;
    ih.biPlanes = 1;
    ih.biBitCount = 24;
    ih.biSizeImage = static_cast<DWORD>(rowBytes * height);
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof fh + sizeof ih;
    fh.bfSize = fh.bfOffBits + ih.biSizeImage;
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    std::fwrite(&fh, sizeof fh, 1, f);
    std::fwrite(&ih, sizeof ih, 1, f);
    std::vector<unsigned char> row(static_cast<size_t>(rowBytes), 0);
    for (int y = height - 1; y >= 0; --y) {
        for (int x = 0; x < width; ++x) {
            COLORREF c = At(x, y);
            row[static_cast<size_t>(x * 3)] = GetBValue(c);
            row[static_cast<size_t>(x * 3 + 1)] = GetGValue(c);
            row[static_cast<size_t>(x * 3 + 2)] = GetRValue(c);
        }
        std::fwrite(row.data(), row.size(), 1, f);
    }
    std::fclose(f);
    return true;
}

void TypeText(HWND window, const std::string& text) {
    for (char c : text) PostMessageA(window, WM_CHAR, static_cast<unsigned char>(c), 1);
    Pump();
}

bool AnswerSaveDialog(int typeIndex, const std::string& fileName) {
    HWND box = nullptr;
    for (int i = 0; i < 50 && !box; ++i) {
        box = FindWindowA("#32770", nullptr);
        if (!box) Sleep(20);
    }
    if (!box) return false;
    HWND types = GetDlgItem(box, cmb1);
    SendMessageA(types, CB_SETCURSEL, static_cast<WPARAM>(typeIndex), 0);
    SendMessageA(box, WM_COMMAND, MAKEWPARAM(cmb1, CBN_SELCHANGE), reinterpret_cast<LPARAM>(types));
    SendMessageA(box, WM_COMMAND, MAKEWPARAM(cmb1, CBN_SELENDOK), reinterpret_cast<LPARAM>(types));
    SetDlgItemTextA(box, cmb13, fileName.c_str());
    SetDlgItemTextA(box, edt1, fileName.c_str());
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, IDOK)));
    return true;
}

} // namespace velt::test
