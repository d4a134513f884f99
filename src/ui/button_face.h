// Painting of a coloured push button's whole face: edge, face colour, glyph,
// caption, focus frame and focus rectangle. Separate from the window so the
// same routine can paint into any device context.
#pragma once
#include <windows.h>

#include <string>

#include "ui/button_glyph.h"
#include "ui/button_layout.h"

namespace velt {

enum class TFaceState { Up, Down, Disabled };

struct TFacePaint {
    RECT client = {};
    TFaceState state = TFaceState::Up;
    bool active = false;    // the active button: frame, focus rectangle
    bool focused = false;   // the platform reports the keyboard focus: frame
    COLORREF color = 0;     // face colour (RGB)
    HFONT font = nullptr;
    COLORREF fontColor = 0;
    std::string caption;    // ANSI; '&' marks the accelerator
    TButtonLayout layout = blGlyphLeft;
    int margin = -1;
    int spacing = 4;
    TButtonGlyph* glyph = nullptr;
};

void PaintButtonFace(HDC dc, const TFacePaint& p);

// The caption's extent in the selected font; a line break starts a new line.
TSizeI MeasureCaption(HDC dc, const std::string& caption);

} // namespace velt
