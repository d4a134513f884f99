// Fonts and the drawing surface the controls paint on.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

#include "core/persistent.h"
#include "toolkit/colors.h"
#include "toolkit/gdi.h"

namespace velt {

enum TFontStyle : unsigned { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
using TFontStyles = unsigned;

// A logical font. Height is the GDI height at 96 DPI: negative values give
// the character height in pixels (-13 is "13 px"), positive the cell height.
// The handle is made for PixelsPerInch, the DPI of the window it is used on.
class TFont : public TPersistent {
    VELT_PERSISTENT_CLASS()
public:
    TFont();  // the toolkit's default window font, black
    TFont(const TFont&) = delete;
    TFont& operator=(const TFont&) = delete;

    const std::string& Name() const { return name_; }
    void SetName(const std::string& name);
    int Height() const { return height_; }
    void SetHeight(int height);
    // Points (Height at 96 DPI).
    int Size() const;
    void SetSize(int points);
    TColor Color() const { return color_; }
    void SetColor(TColor color);
    BYTE Charset() const { return charset_; }
    void SetCharset(BYTE charset);
    TFontStyles Style() const { return style_; }
    void SetStyle(TFontStyles style);
    int PixelsPerInch() const { return pixelsPerInch_; }
    void SetPixelsPerInch(int dpi);
    // The height in pixels at PixelsPerInch.
    int PixelHeight() const;

    // Copies every attribute; one change notification.
    void Assign(const TFont& other);
    bool SameAs(const TFont& other) const;

    // Created on first use and kept until an attribute changes.
    HFONT Handle() const;

    // Runs after every change.
    std::function<void()> OnChange;

    // The default window font of run-time dialogs (the system's GUI font,
    // its height brought to 96 DPI).
    static void DefaultAttributes(std::string& name, int& height, BYTE& charset);

private:
    void Changed();

    std::string name_;
    int height_ = -11;
    TColor color_ = clWindowText;
    BYTE charset_ = DEFAULT_CHARSET;
    TFontStyles style_ = 0;
    int pixelsPerInch_ = 96;
    mutable FontHandle handle_;
};

enum class TBrushStyle { bsSolid, bsClear };
enum class TPenStyle { psSolid, psClear };

struct TBrush {
    TColor color = clWhite;
    TBrushStyle style = TBrushStyle::bsSolid;
};

struct TPen {
    TColor color = clBlack;
    int width = 1;
    TPenStyle style = TPenStyle::psSolid;
};

// A drawing surface over a DC it does not own. Every operation selects the
// canvas's font, brush or pen for its own duration and restores the DC's
// previous objects afterwards, so the DC is always left as it was found.
class TCanvas {
public:
    TCanvas() = default;
    explicit TCanvas(HDC dc) : dc_(dc) {}
    virtual ~TCanvas() = default;
    TCanvas(const TCanvas&) = delete;
    TCanvas& operator=(const TCanvas&) = delete;

    virtual HDC Handle();
    void SetHandle(HDC dc) { dc_ = dc; }

    TFont& Font() { return font_; }
    TBrush& Brush() { return brush_; }
    TPen& Pen() { return pen_; }

    SIZE TextExtent(const std::string& text);
    int TextWidth(const std::string& text) { return TextExtent(text).cx; }
    int TextHeight(const std::string& text) { return TextExtent(text).cy; }
    // Background from the brush unless its style is clear.
    void TextOut(int x, int y, const std::string& text);
    // Text clipped to the rectangle, which is first filled with the brush.
    void TextRect(const RECT& rect, int x, int y, const std::string& text);
    // DrawText with the canvas's font; returns the text height.
    int DrawText(const std::string& text, RECT& rect, UINT format);

    void FillRect(const RECT& rect);          // brush
    void FrameRect(const RECT& rect);         // 1 px in the brush colour
    void Rectangle(const RECT& rect);         // pen outline, brush interior
    void Rectangle(int left, int top, int right, int bottom) { Rectangle(RECT{left, top, right, bottom}); }
    void MoveTo(int x, int y);
    void LineTo(int x, int y);                // pen
    void DrawFocusRect(const RECT& rect);
    // Copies a bitmap at its natural size.
    void Draw(int x, int y, HBITMAP bitmap);
    void StretchDraw(const RECT& rect, HBITMAP bitmap);

private:
    HBRUSH BrushHandle();
    HPEN PenHandle();
    void PrepareText(HDC dc);

    HDC dc_ = nullptr;
    TFont font_;
    TBrush brush_;
    TPen pen_;
    velt::BrushHandle brushHandle_;
    TBrush madeBrush_;
    velt::PenHandle penHandle_;
    TPen madePen_;
};

// MulDiv with Windows' rounding (halves away from zero).
inline int ScaleBy(int a, int b, int c) { return MulDiv(a, b, c); }

} // namespace velt
