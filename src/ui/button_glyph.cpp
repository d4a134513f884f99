#include "ui/button_glyph.h"

#include "core/errors.h"
#include "core/resource_strings.h"
#include "ui/glyph_cache.h"

namespace velt {

namespace {

int gPainters = 0;

DWORD ToDib(COLORREF c) {
    return (DWORD(GetRValue(c)) << 16) | (DWORD(GetGValue(c)) << 8) | GetBValue(c);
}

COLORREF FromDib(DWORD p) {
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
}

} // namespace

BitmapHandle CreateDib32(int width, int height, DWORD** bits) {
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;  // top-down
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* p = nullptr;
    BitmapHandle bmp(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &p, nullptr, 0));
    if (!bmp) throw Exception(ResStr(IDS_OUT_OF_RESOURCES));
    *bits = static_cast<DWORD*>(p);
    return bmp;
}

TButtonGlyph::TButtonGlyph() {
    ++gPainters;
}

TButtonGlyph::~TButtonGlyph() {
    Invalidate();
    if (--gPainters == 0) TGlyphCache::ReleaseIfEmpty();
}

void TButtonGlyph::Changed() {
    if (onChange_) onChange_();
}

void TButtonGlyph::SetGlyph(HBITMAP bitmap) {
    Invalidate();
    BITMAP info = {};
    if (!bitmap || !GetObject(bitmap, sizeof(info), &info) || info.bmWidth <= 0 || info.bmHeight <= 0) {
        glyph_.Reset();
        bits_ = nullptr;
        width_ = height_ = 0;
        Changed();
        return;
    }
    DWORD* bits = nullptr;
    BitmapHandle copy = CreateDib32(info.bmWidth, info.bmHeight, &bits);
    {
        MemoryDC src, dst;
        SelectGuard selSrc(src.Get(), bitmap);
        SelectGuard selDst(dst.Get(), copy.Get());
        // A monochrome strip maps 0 to black and 1 to white.
        SetTextColor(dst.Get(), RGB(0, 0, 0));
        SetBkColor(dst.Get(), RGB(255, 255, 255));
        BitBlt(dst.Get(), 0, 0, info.bmWidth, info.bmHeight, src.Get(), 0, 0, SRCCOPY);
        GdiFlush();
    }
    glyph_ = std::move(copy);
    bits_ = bits;
    width_ = info.bmWidth;
    height_ = info.bmHeight;
    transparent_ = Pixel(0, height_ - 1);
    numGlyphs_ = GlyphCellCountFor(width_, height_, numGlyphs_);
    Changed();
}

void TButtonGlyph::SetNumGlyphs(int value) {
    const int n = ClampNumGlyphs(value, numGlyphs_);
    if (n == numGlyphs_) return;
    Invalidate();
    numGlyphs_ = n;
    Changed();
}

void TButtonGlyph::SetFaceColor(COLORREF color) {
    if (color == face_) return;
    Invalidate();
    face_ = color;
    Changed();
}

TSizeI TButtonGlyph::CellSize() const {
    if (!glyph_) return {};
    return {width_ / numGlyphs_, height_};
}

COLORREF TButtonGlyph::Pixel(int x, int y) const {
    return FromDib(bits_[static_cast<size_t>(y) * static_cast<size_t>(width_) + static_cast<size_t>(x)]);
}

void TButtonGlyph::Invalidate() {
    if (!list_) return;
    for (int& index : images_) {
        list_->Delete(index);
        index = -1;
    }
    if (TGlyphCache* cache = TGlyphCache::Current()) cache->ReturnList(list_);
    list_ = nullptr;
}

TButtonState TButtonGlyph::SlotFor(TButtonState state) const {
    // Without a pressed cell the pressed button shows the up image.
    if (state == bsDown && numGlyphs_ < 3) return bsUp;
    return state;
}

BitmapHandle TButtonGlyph::Compose(TButtonState state) const {
    const TSizeI cell = CellSize();
    const int cellIndex = static_cast<int>(state) < numGlyphs_ ? static_cast<int>(state) : 0;
    const int x0 = cellIndex * cell.cx;
    DWORD* out = nullptr;
    BitmapHandle image = CreateDib32(cell.cx, cell.cy, &out);
    auto at = [&](int x, int y) -> DWORD& { return out[static_cast<size_t>(y) * static_cast<size_t>(cell.cx) + static_cast<size_t>(x)]; };
    const DWORD face = ToDib(face_);

    if (state == bsDisabled && numGlyphs_ < 2) {
        // Embossed silhouette: everything that is neither ground nor white
        // forms the stencil; highlight shifted by one pixel, shadow on top.
        const DWORD highlight = ToDib(GetSysColor(COLOR_BTNHIGHLIGHT));
        const DWORD shadow = ToDib(GetSysColor(COLOR_BTNSHADOW));
        auto inStencil = [&](int x, int y) {
            const COLORREF c = Pixel(x0 + x, y);
            return c != transparent_ && c != RGB(255, 255, 255);
        };
        for (int y = 0; y < cell.cy; ++y)
            for (int x = 0; x < cell.cx; ++x) at(x, y) = face;
        for (int y = 0; y < cell.cy; ++y)
            for (int x = 0; x < cell.cx; ++x)
                if (inStencil(x, y) && x + 1 < cell.cx && y + 1 < cell.cy) at(x + 1, y + 1) = highlight;
        for (int y = 0; y < cell.cy; ++y)
            for (int x = 0; x < cell.cx; ++x)
                if (inStencil(x, y)) at(x, y) = shadow;
    } else if (state == bsDisabled) {
        const DWORD highlight = ToDib(GetSysColor(COLOR_BTNHIGHLIGHT));
        const DWORD shadow = ToDib(GetSysColor(COLOR_BTNSHADOW));
        for (int y = 0; y < cell.cy; ++y)
            for (int x = 0; x < cell.cx; ++x) {
                const COLORREF c = Pixel(x0 + x, y);
                if (c == transparent_) at(x, y) = face;
                else if (c == RGB(255, 255, 255)) at(x, y) = highlight;
                else if (c == RGB(128, 128, 128)) at(x, y) = shadow;
                else at(x, y) = ToDib(c);
            }
    } else {
        for (int y = 0; y < cell.cy; ++y)
            for (int x = 0; x < cell.cx; ++x) {
                const COLORREF c = Pixel(x0 + x, y);
                at(x, y) = c == transparent_ ? face : ToDib(c);
            }
    }
    GdiFlush();
    return image;
}

void TButtonGlyph::Draw(HDC dc, int x, int y, TButtonState state) {
    if (!glyph_) return;
    const TButtonState slot = SlotFor(state);
    if (images_[slot] < 0) {
        const TSizeI cell = CellSize();
        if (cell.cx <= 0 || cell.cy <= 0) return;
        if (!list_) list_ = TGlyphCache::Acquire().GetList(cell.cx, cell.cy);
        BitmapHandle image = Compose(slot);
        images_[slot] = list_->Add(image.Get());
    }
    list_->Draw(images_[slot], dc, x, y);
}

} // namespace velt
