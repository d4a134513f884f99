// Display scale. Layouts are written in pixels at 96 DPI; a window's pixels
// are those figures times its DPI / 96. The system functions that know a
// window's DPI are missing before Windows 10 and are found at run time.
#pragma once
#include <windows.h>

// Sent before WM_DPICHANGED from Windows 10 1703 on; the headers name it for later targets.
#ifndef WM_GETDPISCALEDSIZE
#define WM_GETDPISCALEDSIZE 0x02E4
#endif

namespace velt {

constexpr int kDesignDpi = 96;

// A layout figure (96 DPI) in pixels at `dpi`, and back.
inline int ScaleToDpi(int value, int dpi) { return MulDiv(value, dpi, kDesignDpi); }
inline int ScaleFromDpi(int value, int dpi) { return MulDiv(value, kDesignDpi, dpi); }
RECT ScaleRectToDpi(const RECT& r, int dpi);
RECT ScaleRectFromDpi(const RECT& r, int dpi);

// The DPI of new windows: the system's (the screen's LOGPIXELSY before Windows 10).
int SystemDpi();
// The DPI of a window's monitor; the system's where the system cannot say.
int WindowDpi(HWND window);
// GetSystemMetrics at a DPI (the system DPI's figures before Windows 10).
int SystemMetricForDpi(int index, int dpi);
// AdjustWindowRectEx for a window at a DPI.
void AdjustWindowRectForDpi(RECT& rect, DWORD style, bool menu, DWORD exStyle, int dpi);

// Asks for per-monitor awareness (version 2, else 1, else the system DPI);
// a process whose awareness is set already (the manifest) keeps it.
// Returns the context that was taken: 2, 1, 0 for the system's, -1 for none.
int DeclareDpiAwareness();

} // namespace velt
