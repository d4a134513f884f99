// Pixel access to a memory surface for the painting tests.
#pragma once
#include <windows.h>

#include <string>

#include "ui/button_glyph.h"
#include "toolkit/gdi.h"

namespace velt::test {

class TPixelSurface {
public:
    TPixelSurface(int width, int height, COLORREF fill = RGB(0x12, 0x34, 0x56))
        : width_(width), height_(height), bitmap_(CreateDib32(width, height, &bits_)), select_(dc_.Get(), bitmap_.Get()) {
        for (int i = 0; i < width * height; ++i)
            bits_[i] = (DWORD(GetRValue(fill)) << 16) | (DWORD(GetGValue(fill)) << 8) | GetBValue(fill);
    }
    HDC Dc() const { return dc_.Get(); }
    HBITMAP Bitmap() const { return bitmap_.Get(); }
    int Width() const { return width_; }
    int Height() const { return height_; }
    COLORREF Pixel(int x, int y) const {
        GdiFlush();
        DWORD p = bits_[y * width_ + x];
        return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }
    void SetPixel(int x, int y, COLORREF c) {
        bits_[y * width_ + x] = (DWORD(GetRValue(c)) << 16) | (DWORD(GetGValue(c)) << 8) | GetBValue(c);
    }

private:
    int width_, height_;
    DWORD* bits_ = nullptr;
    MemoryDC dc_;
    BitmapHandle bitmap_;
    SelectGuard select_;
};

// Bounding box of the pixels of one colour inside `area` (empty when none).
inline RECT BoundsOf(const TPixelSurface& s, RECT area, COLORREF color) {
    RECT b = {area.right, area.bottom, area.left, area.top};
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x)
            if (s.Pixel(x, y) == color) {
                if (x < b.left) b.left = x;
                if (y < b.top) b.top = y;
                if (x + 1 > b.right) b.right = x + 1;
                if (y + 1 > b.bottom) b.bottom = y + 1;
            }
    if (b.left >= b.right) return RECT{0, 0, 0, 0};
    return b;
}

inline std::string Hex(COLORREF c) {
    char buf[16];
    wsprintfA(buf, "#%02X%02X%02X", GetRValue(c), GetGValue(c), GetBValue(c));
    return buf;
}

} // namespace velt::test
