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

namespace {
HBITMAP LoadBitmapResource(HINSTANCE module, const std::string& name) {
    return static_cast<HBITMAP>(LoadImageA(module, name.c_str(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
}
} // namespace

bool TImage::LoadFromResourceName(const std::string& name, HINSTANCE module) {
    if (!module) module = GetModuleHandleA(nullptr);
    if (!LoadBitmapResource(module, name)) return false;
    resource_ = name;
    module_ = module;
    return LoadForDpi();
}

bool TImage::LoadForDpi() {
    large_ = Dpi() > kDesignDpi;
    HBITMAP bitmap = large_ ? LoadBitmapResource(module_, resource_ + "_2X") : nullptr;
    const int dpi = bitmap ? 2 * kDesignDpi : kDesignDpi;
    if (!bitmap) bitmap = LoadBitmapResource(module_, resource_);
    if (!bitmap) return false;
    bitmap_.Reset(bitmap);
    bitmapDpi_ = dpi;
    PictureChanged();
    return true;
}

void TImage::ScaleChanged() {
    TGraphicControl::ScaleChanged();
    if (!resource_.empty() && (Dpi() > kDesignDpi) != large_) LoadForDpi();
    Invalidate();
}

void TImage::SetBitmap(HBITMAP bitmap) {
    bitmap_.Reset(bitmap);
    bitmapDpi_ = kDesignDpi;
    resource_.clear();
    PictureChanged();
}

SIZE TImage::DesignSize() const {
    const SIZE s = BitmapSize();
    return SIZE{MulDiv(s.cx, kDesignDpi, bitmapDpi_), MulDiv(s.cy, kDesignDpi, bitmapDpi_)};
}

SIZE TImage::BitmapSize() const {
    BITMAP bm{};
    if (!bitmap_ || !GetObjectA(bitmap_.Get(), sizeof bm, &bm)) return SIZE{0, 0};
    return SIZE{bm.bmWidth, bm.bmHeight};
}

void TImage::PictureChanged() {
    if (autoSize_ && bitmap_) {
        SIZE s = DesignSize();
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
    // Drawn at its size in layout figures, scaled to the window's DPI.
    const RECT own = PaintRect();
    const SIZE design = DesignSize();
    int w = stretch_ ? own.right : Scaled(design.cx), h = stretch_ ? own.bottom : Scaled(design.cy);
    if (transparent_) {
        COLORREF key = GetPixel(source.Get(), 0, s.cy - 1);
        // msimg32 is found on first use: only the main window's pictures need it.
        static auto* transparentBlt = platform::SystemFunction<decltype(TransparentBlt)>("msimg32.dll", "TransparentBlt");
        if ((w == s.cx && h == s.cy) || stretch_) {
            transparentBlt(dc, 0, 0, w, h, source.Get(), 0, 0, s.cx, s.cy, key);
            return;
        }
        // Resized smoothly first; the key colour stays where the picture had it.
        MemoryDC sized(dc);
        BitmapHandle buffer(CreateCompatibleBitmap(dc, w, h));
        SelectGuard keepSized(sized.Get(), buffer.Get());
        SetStretchBltMode(sized.Get(), HALFTONE);
        SetBrushOrgEx(sized.Get(), 0, 0, nullptr);
        StretchBlt(sized.Get(), 0, 0, w, h, source.Get(), 0, 0, s.cx, s.cy, SRCCOPY);
        transparentBlt(dc, 0, 0, w, h, sized.Get(), 0, 0, w, h, key);
    } else if (w != s.cx || h != s.cy) {
        SetStretchBltMode(dc, stretch_ ? COLORONCOLOR : HALFTONE);
        SetBrushOrgEx(dc, 0, 0, nullptr);
        StretchBlt(dc, 0, 0, w, h, source.Get(), 0, 0, s.cx, s.cy, SRCCOPY);
    } else {
        BitBlt(dc, 0, 0, w, h, source.Get(), 0, 0, SRCCOPY);
    }
}

} // namespace velt
