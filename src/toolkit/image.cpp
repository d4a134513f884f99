#include "toolkit/image.h"

#include "platform/lazy_library.h"

namespace velt {

const ClassInfo& TImage::StaticClass() {
    static const ClassInfo info("TImage", &TGraphicControl::StaticClass(), {});
    return info;
}

TImage::TImage(TComponent* owner) : TGraphicControl(owner) {
    width_ = 105;
    height_ = 105;
}

bool TImage::LoadFromResourceName(const std::string& name, HINSTANCE module) {
    if (!module) module = GetModuleHandleA(nullptr);
    auto bitmap = static_cast<HBITMAP>(LoadImageA(module, name.c_str(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (!bitmap) return false;
    SetBitmap(bitmap);
    return true;
}

void TImage::SetBitmap(HBITMAP bitmap) {
    bitmap_.Reset(bitmap);
    PictureChanged();
}

SIZE TImage::BitmapSize() const {
    BITMAP bm{};
    if (!bitmap_ || !GetObjectA(bitmap_.Get(), sizeof bm, &bm)) return SIZE{0, 0};
    return SIZE{bm.bmWidth, bm.bmHeight};
}

void TImage::PictureChanged() {
    if (autoSize_ && bitmap_) {
        SIZE s = BitmapSize();
        SetBounds(left_, top_, s.cx, s.cy);
    }
    Invalidate();
}

void TImage::SetTransparent(bool v) {
    if (v == transparent_) return;
    transparent_ = v;
    Invalidate();
}

void TImage::SetAutoSize(bool v) {
    autoSize_ = v;
    PictureChanged();
}

void TImage::SetStretch(bool v) {
    if (v == stretch_) return;
    stretch_ = v;
    Invalidate();
}

void TImage::Paint(TCanvas& canvas) {
    if (!bitmap_) return;
    SIZE s = BitmapSize();
    HDC dc = canvas.Handle();
    MemoryDC source(dc);
    SelectGuard keep(source.Get(), bitmap_.Get());
    // A picture is drawn for 96 DPI: at other scales it takes its scaled size.
    const RECT own = PaintRect();
    int w = stretch_ ? own.right : Scaled(s.cx), h = stretch_ ? own.bottom : Scaled(s.cy);
    if (transparent_) {
        COLORREF key = GetPixel(source.Get(), 0, s.cy - 1);
        // msimg32 is found on first use: only the main window's pictures need it.
        static auto* transparentBlt = platform::SystemFunction<decltype(TransparentBlt)>("msimg32.dll", "TransparentBlt");
        transparentBlt(dc, 0, 0, w, h, source.Get(), 0, 0, s.cx, s.cy, key);
    } else if (w != s.cx || h != s.cy) {
        SetStretchBltMode(dc, stretch_ ? COLORONCOLOR : HALFTONE);
        SetBrushOrgEx(dc, 0, 0, nullptr);
        StretchBlt(dc, 0, 0, w, h, source.Get(), 0, 0, s.cx, s.cy, SRCCOPY);
    } else {
        BitBlt(dc, 0, 0, w, h, source.Get(), 0, 0, SRCCOPY);
    }
}

} // namespace velt
