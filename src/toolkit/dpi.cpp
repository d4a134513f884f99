#include "toolkit/dpi.h"

#include "toolkit/gdi.h"

namespace velt {

namespace {

// Functions of user32 that older systems lack: null there.
template <typename Function>
Function* User32(const char* name) {
    HMODULE user32 = GetModuleHandleA("user32.dll");
    return user32 ? reinterpret_cast<Function*>(reinterpret_cast<void*>(GetProcAddress(user32, name))) : nullptr;
}

using GetDpiForWindowFn = UINT WINAPI(HWND);
using GetDpiForSystemFn = UINT WINAPI();
using GetSystemMetricsForDpiFn = int WINAPI(int, UINT);
using AdjustWindowRectExForDpiFn = BOOL WINAPI(LPRECT, DWORD, BOOL, DWORD, UINT);
using SetProcessDpiAwarenessContextFn = BOOL WINAPI(HANDLE);
using SetProcessDPIAwareFn = BOOL WINAPI();

int Sane(int dpi) { return dpi >= 48 && dpi <= 960 ? dpi : kDesignDpi; }

} // namespace

RECT ScaleRectToDpi(const RECT& r, int dpi) {
    const int left = ScaleToDpi(r.left, dpi), top = ScaleToDpi(r.top, dpi);
    return RECT{left, top, left + ScaleToDpi(r.right - r.left, dpi), top + ScaleToDpi(r.bottom - r.top, dpi)};
}

RECT ScaleRectFromDpi(const RECT& r, int dpi) {
    const int left = ScaleFromDpi(r.left, dpi), top = ScaleFromDpi(r.top, dpi);
    return RECT{left, top, left + ScaleFromDpi(r.right - r.left, dpi), top + ScaleFromDpi(r.bottom - r.top, dpi)};
}

int SystemDpi() {
    static const int dpi = [] {
        if (auto* f = User32<GetDpiForSystemFn>("GetDpiForSystem")) return Sane(static_cast<int>(f()));
        WindowDC screen;
        return Sane(GetDeviceCaps(screen.Get(), LOGPIXELSY));
    }();
    return dpi;
}

int WindowDpi(HWND window) {
    static auto* f = User32<GetDpiForWindowFn>("GetDpiForWindow");
    if (f && window) {
        if (UINT dpi = f(window)) return Sane(static_cast<int>(dpi));
    }
    return SystemDpi();
}

int SystemMetricForDpi(int index, int dpi) {
    static auto* f = User32<GetSystemMetricsForDpiFn>("GetSystemMetricsForDpi");
    return f ? f(index, static_cast<UINT>(dpi)) : GetSystemMetrics(index);
}

void AdjustWindowRectForDpi(RECT& rect, DWORD style, bool menu, DWORD exStyle, int dpi) {
    static auto* f = User32<AdjustWindowRectExForDpiFn>("AdjustWindowRectExForDpi");
    if (f && f(&rect, style, menu, exStyle, static_cast<UINT>(dpi))) return;
    AdjustWindowRectEx(&rect, style, menu, exStyle);
}

int DeclareDpiAwareness() {
    if (auto* f = User32<SetProcessDpiAwarenessContextFn>("SetProcessDpiAwarenessContext")) {
        // DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2, then _PER_MONITOR_AWARE, then _SYSTEM_AWARE.
        const struct { LONG_PTR context; int result; } tries[] = {{-4, 2}, {-3, 1}, {-2, 0}};
        for (const auto& t : tries) {
            if (f(reinterpret_cast<HANDLE>(t.context))) return t.result;
            // Set already (by the manifest): what it says stands.
            if (GetLastError() == ERROR_ACCESS_DENIED) return t.result;
        }
    }
    if (auto* f = User32<SetProcessDPIAwareFn>("SetProcessDPIAware")) return f() ? 0 : -1;
    return -1;
}

} // namespace velt
