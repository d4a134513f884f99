// TBitBtnWithColor: a push button that paints its whole face itself, so the
// face can take any colour (Color), with an optional glyph beside the
// caption and predefined kinds (OK, Cancel, Yes...).
#pragma once
#include <windows.h>

#include <memory>

#include "toolkit/button.h"
#include "ui/bitbtn_kinds.h"
#include "ui/button_face.h"
#include "ui/button_glyph.h"
#include "ui/button_layout.h"

namespace velt {

// Kept and published; it does not change the painting.
enum TButtonStyle { bsAutoDetect, bsWin31, bsNew };

class TBitBtnWithColor : public TButton {
    VELT_PERSISTENT_CLASS()
public:
    explicit TBitBtnWithColor(TComponent* owner);
    ~TBitBtnWithColor() override;

    // Color (inherited) is the face colour; it also replaces the glyph's
    // transparent colour.

    // The stored kind, or bkCustom once Default, Cancel or ModalResult left
    // the kind's row or a glyph was assigned after it.
    TBitBtnWithColorKind Kind() const;
    void SetKind(TBitBtnWithColorKind kind);

    // A strip of up to four equal cells: up, disabled, down, held down.
    HBITMAP Glyph() const { return glyph_->Glyph(); }
    void SetGlyph(HBITMAP bitmap);
    int NumGlyphs() const { return glyph_->NumGlyphs(); }
    void SetNumGlyphs(int value);
    TButtonLayout Layout() const { return layout_; }
    void SetLayout(TButtonLayout layout);
    int Margin() const { return margin_; }
    void SetMargin(int margin);
    int Spacing() const { return spacing_; }
    void SetSpacing(int spacing);
    TButtonStyle Style() const { return style_; }
    void SetStyle(TButtonStyle style);

    // Help and Close kinds act on their own; the rest click as push buttons.
    void Click() override;

    // Paints the face as the system asks for it (also usable on any DC).
    void PaintFace(HDC dc, const RECT& client, bool pressed, bool focused);

    // The glyph painter (for inspection).
    TButtonGlyph& GlyphPainter() { return *glyph_; }

    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

protected:
    bool OwnerDraw() const override { return true; }
    bool DrawItem(const DRAWITEMSTRUCT& item) override;
    void ColorChanged() override;

private:
    bool HelpClick();

    std::unique_ptr<TButtonGlyph> glyph_;
    mutable TBitBtnWithColorKind kind_ = bkCustom;
    bool userGlyph_ = false;
    TButtonLayout layout_ = blGlyphLeft;
    int margin_ = -1;
    int spacing_ = 4;
    TButtonStyle style_ = bsAutoDetect;
};

// The glyph of a kind, loaded from the program's resources on first use and
// kept for the whole run; null for bkCustom or when the resource is missing.
HBITMAP KindGlyph(TBitBtnWithColorKind kind);

} // namespace velt
