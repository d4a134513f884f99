#include "toolkit/graphics.h"

#include "toolkit/dpi.h"

namespace velt {

const ClassInfo& TFont::StaticClass() {
    static const ClassInfo info("TFont", &TPersistent::StaticClass(), {});
    return info;
}

void TFont::DefaultAttributes(std::string& name, int& height, BYTE& charset) {
    LOGFONTA lf{};
    if (GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof lf, &lf) == sizeof lf && lf.lfFaceName[0]) {
        name = lf.lfFaceName;
        height = lf.lfHeight ? ScaleFromDpi(lf.lfHeight, SystemDpi()) : -11;
    } else {
        name = "MS Sans Serif";
        height = -11;
    }
    charset = DEFAULT_CHARSET;
}

TFont::TFont() { DefaultAttributes(name_, height_, charset_); }

void TFont::SetName(const std::string& name) {
    if (name == name_) return;
    name_ = name;
    Changed();
}

void TFont::SetHeight(int height) {
    if (height == height_) return;
    height_ = height;
    Changed();
}

int TFont::Size() const { return -MulDiv(height_, 72, kDesignDpi); }
void TFont::SetSize(int points) { SetHeight(-MulDiv(points, kDesignDpi, 72)); }

void TFont::SetPixelsPerInch(int dpi) {
    if (dpi == pixelsPerInch_ || dpi <= 0) return;
    pixelsPerInch_ = dpi;
    Changed();
}

int TFont::PixelHeight() const { return ScaleToDpi(height_, pixelsPerInch_); }

void TFont::SetColor(TColor color) {
    if (color == color_) return;
    color_ = color;
    Changed();
}

void TFont::SetCharset(BYTE charset) {
    if (charset == charset_) return;
    charset_ = charset;
    Changed();
}

void TFont::SetStyle(TFontStyles style) {
    if (style == style_) return;
    style_ = style;
    Changed();
}

void TFont::Assign(const TFont& other) {
    if (&other == this || SameAs(other)) return;
    name_ = other.name_;
    height_ = other.height_;
    color_ = other.color_;
    charset_ = other.charset_;
    style_ = other.style_;
    pixelsPerInch_ = other.pixelsPerInch_;
    Changed();
}

bool TFont::SameAs(const TFont& other) const {
    return name_ == other.name_ && height_ == other.height_ && color_ == other.color_ &&
           charset_ == other.charset_ && style_ == other.style_ &&
           pixelsPerInch_ == other.pixelsPerInch_;
}

HFONT TFont::Handle() const {
    if (!handle_) {
        LOGFONTA lf{};
        lf.lfHeight = PixelHeight();
        lf.lfWeight = (style_ & fsBold) ? FW_BOLD : FW_NORMAL;
        lf.lfItalic = (style_ & fsItalic) ? 1 : 0;
        lf.lfUnderline = (style_ & fsUnderline) ? 1 : 0;
        lf.lfStrikeOut = (style_ & fsStrikeOut) ? 1 : 0;
        lf.lfCharSet = charset_;
        lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
        lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
        lf.lfQuality = DEFAULT_QUALITY;
        lf.lfPitchAndFamily = DEFAULT_PITCH;
        lstrcpynA(lf.lfFaceName, name_.c_str(), LF_FACESIZE);
        handle_.Reset(CreateFontIndirectA(&lf));
    }
    return handle_.Get();
}

void TFont::Changed() {
    // Anyone who selected the old handle did so for one operation only
    // (see TCanvas), so it can go at once.
    handle_.Reset();
    if (OnChange) OnChange();
}

HDC TCanvas::Handle() { return dc_; }

HBRUSH TCanvas::BrushHandle() {
    if (brush_.style == TBrushStyle::bsClear) return static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
    if (!brushHandle_ || madeBrush_.color != brush_.color || madeBrush_.style != brush_.style) {
        brushHandle_.Reset(CreateSolidBrush(ColorToRGB(brush_.color)));
        madeBrush_ = brush_;
    }
    return brushHandle_.Get();
}

HPEN TCanvas::PenHandle() {
    if (pen_.style == TPenStyle::psClear) return static_cast<HPEN>(GetStockObject(NULL_PEN));
    if (!penHandle_ || madePen_.color != pen_.color || madePen_.width != pen_.width || madePen_.style != pen_.style) {
        penHandle_.Reset(CreatePen(PS_SOLID, pen_.width, ColorToRGB(pen_.color)));
        madePen_ = pen_;
    }
    return penHandle_.Get();
}

void TCanvas::PrepareText(HDC dc) {
    SetTextColor(dc, ColorToRGB(font_.Color()));
    if (brush_.style == TBrushStyle::bsClear) {
        SetBkMode(dc, TRANSPARENT);
    } else {
        SetBkMode(dc, OPAQUE);
        SetBkColor(dc, ColorToRGB(brush_.color));
    }
}

SIZE TCanvas::TextExtent(const std::string& text) {
    SIZE size{0, 0};
    HDC dc = Handle();
    if (!dc) return size;
    SelectGuard font(dc, font_.Handle());
    GetTextExtentPoint32A(dc, text.data(), static_cast<int>(text.size()), &size);
    return size;
}

void TCanvas::TextOut(int x, int y, const std::string& text) {
    HDC dc = Handle();
    if (!dc) return;
    SelectGuard font(dc, font_.Handle());
    PrepareText(dc);
    ::TextOutA(dc, x, y, text.data(), static_cast<int>(text.size()));
}

void TCanvas::TextRect(const RECT& rect, int x, int y, const std::string& text) {
    HDC dc = Handle();
    if (!dc) return;
    SelectGuard font(dc, font_.Handle());
    PrepareText(dc);
    UINT options = ETO_CLIPPED | (brush_.style == TBrushStyle::bsClear ? 0 : ETO_OPAQUE);
    ExtTextOutA(dc, x, y, options, &rect, text.data(), static_cast<UINT>(text.size()), nullptr);
}

int TCanvas::DrawText(const std::string& text, RECT& rect, UINT format) {
    HDC dc = Handle();
    if (!dc) return 0;
    SelectGuard font(dc, font_.Handle());
    PrepareText(dc);
    return ::DrawTextA(dc, text.data(), static_cast<int>(text.size()), &rect, format);
}

void TCanvas::FillRect(const RECT& rect) {
    HDC dc = Handle();
    if (dc && brush_.style != TBrushStyle::bsClear) ::FillRect(dc, &rect, BrushHandle());
}

void TCanvas::FrameRect(const RECT& rect) {
    HDC dc = Handle();
    if (dc && brush_.style != TBrushStyle::bsClear) ::FrameRect(dc, &rect, BrushHandle());
}

void TCanvas::Rectangle(const RECT& rect) {
    HDC dc = Handle();
    if (!dc) return;
    SelectGuard pen(dc, PenHandle());
    SelectGuard brush(dc, BrushHandle());
    ::Rectangle(dc, rect.left, rect.top, rect.right, rect.bottom);
}

void TCanvas::MoveTo(int x, int y) {
    if (HDC dc = Handle()) MoveToEx(dc, x, y, nullptr);
}

void TCanvas::LineTo(int x, int y) {
    HDC dc = Handle();
    if (!dc) return;
    SelectGuard pen(dc, PenHandle());
    ::LineTo(dc, x, y);
}

void TCanvas::DrawFocusRect(const RECT& rect) {
    HDC dc = Handle();
    if (!dc) return;
    // The focus rectangle is an XOR pattern over the text and background colours.
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkColor(dc, RGB(255, 255, 255));
    ::DrawFocusRect(dc, &rect);
}

void TCanvas::Draw(int x, int y, HBITMAP bitmap) {
    HDC dc = Handle();
    if (!dc || !bitmap) return;
    BITMAP bm{};
    GetObjectA(bitmap, sizeof bm, &bm);
    MemoryDC source(dc);
    SelectGuard keep(source.Get(), bitmap);
    BitBlt(dc, x, y, bm.bmWidth, bm.bmHeight, source.Get(), 0, 0, SRCCOPY);
}

void TCanvas::StretchDraw(const RECT& rect, HBITMAP bitmap) {
    HDC dc = Handle();
    if (!dc || !bitmap) return;
    BITMAP bm{};
    GetObjectA(bitmap, sizeof bm, &bm);
    MemoryDC source(dc);
    SelectGuard keep(source.Get(), bitmap);
    SetStretchBltMode(dc, COLORONCOLOR);
    StretchBlt(dc, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, source.Get(), 0, 0,
               bm.bmWidth, bm.bmHeight, SRCCOPY);
}

} // namespace velt
