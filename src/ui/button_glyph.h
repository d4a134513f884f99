// The glyph painter of a coloured push button: holds the glyph strip and
// composes, per button state, an image in the button's face colour. Images
// are composed on first use and drawn from the shared glyph lists.
#pragma once
#include <windows.h>

#include <functional>

#include "ui/button_layout.h"
#include "toolkit/gdi.h"

namespace velt {

class TGlyphList;

// Cells of a glyph strip, in strip order.
enum TButtonState { bsUp = 0, bsDisabled = 1, bsDown = 2, bsExclusive = 3 };

// Before any bitmap is assigned, glyphs are taken to have an olive ground.
constexpr COLORREF kDefaultTransparentColor = RGB(128, 128, 0);

class TButtonGlyph {
public:
    TButtonGlyph();
    ~TButtonGlyph();
    TButtonGlyph(const TButtonGlyph&) = delete;
    TButtonGlyph& operator=(const TButtonGlyph&) = delete;

    // Called after every change that needs a repaint.
    void SetOnChange(std::function<void()> handler) { onChange_ = std::move(handler); }

    // Copies `bitmap` (null: no glyph). A non-empty one gives the transparent
    // colour (its bottom-left pixel) and, when its width is a multiple of its
    // height, the cell count. Always discards the composed images.
    void SetGlyph(HBITMAP bitmap);
    HBITMAP Glyph() const { return glyph_.Get(); }
    bool Empty() const { return !glyph_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    COLORREF TransparentColor() const { return transparent_; }

    int NumGlyphs() const { return numGlyphs_; }
    // Above 4 becomes 4; below 1 is ignored; a change discards the images.
    void SetNumGlyphs(int value);

    // The colour that replaces the transparent one (an RGB value).
    COLORREF FaceColor() const { return face_; }
    void SetFaceColor(COLORREF color);

    // One cell's size; (0, 0) without a glyph.
    TSizeI CellSize() const;

    // Draws the image of `state` (composing it if needed) at (x, y).
    void Draw(HDC dc, int x, int y, TButtonState state);

    // Frees the composed images; they are rebuilt on the next Draw.
    void Invalidate();
    bool HasImage(TButtonState state) const { return images_[state] >= 0; }

private:
    TButtonState SlotFor(TButtonState state) const;
    BitmapHandle Compose(TButtonState state) const;
    COLORREF Pixel(int x, int y) const;
    void Changed();

    BitmapHandle glyph_;             // 32-bit top-down copy of the strip
    const DWORD* bits_ = nullptr;     // its pixels, 0x00RRGGBB
    int width_ = 0;
    int height_ = 0;
    int numGlyphs_ = 1;
    COLORREF transparent_ = kDefaultTransparentColor;
    COLORREF face_ = RGB(0, 0, 0);
    TGlyphList* list_ = nullptr;      // the shared list of this cell size
    int images_[4] = {-1, -1, -1, -1};
    std::function<void()> onChange_;
};

// A 32-bit top-down DIB section; `bits` receives its pixel pointer.
BitmapHandle CreateDib32(int width, int height, DWORD** bits);

} // namespace velt
