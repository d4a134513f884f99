#include "ui/button_face.h"

#include "toolkit/gdi.h"

namespace velt {

namespace {

void ShrinkRect(RECT& r, int by) {
    InflateRect(&r, -by, -by);
}

void DrawFilledRect(HDC dc, const RECT& r, COLORREF pen, COLORREF fill) {
    PenHandle p(CreatePen(PS_SOLID, 1, pen));
    BrushHandle b(CreateSolidBrush(fill));
    SelectGuard sp(dc, p.Get());
    SelectGuard sb(dc, b.Get());
    Rectangle(dc, r.left, r.top, r.right, r.bottom);
}

} // namespace

TSizeI MeasureCaption(HDC dc, const std::string& caption) {
    if (caption.empty()) return {};
    RECT r = {0, 0, 0, 0};
    DrawTextA(dc, caption.c_str(), static_cast<int>(caption.size()), &r, DT_CALCRECT);
    return {r.right - r.left, r.bottom - r.top};
}

void PaintButtonFace(HDC dc, const TFacePaint& p) {
    SavedDC saved(dc);
    RECT r = p.client;
    const bool down = p.state == TFaceState::Down;

    if (p.active || p.focused) {
        PenHandle pen(CreatePen(PS_SOLID, 1, GetSysColor(COLOR_WINDOWFRAME)));
        SelectGuard sp(dc, pen.Get());
        SelectGuard sb(dc, GetStockObject(NULL_BRUSH));
        Rectangle(dc, r.left, r.top, r.right, r.bottom);
        ShrinkRect(r, 1);
    }
    if (down) {
        DrawFilledRect(dc, r, GetSysColor(COLOR_BTNSHADOW), p.color);
        ShrinkRect(r, 1);
    } else {
        DrawEdge(dc, &r, EDGE_RAISED, BF_RECT | BF_ADJUST);
        DrawFilledRect(dc, r, p.color, p.color);
        ShrinkRect(r, 1);
    }
    if (p.active) {
        r = p.client;
        ShrinkRect(r, 1);
    }

    if (p.font) SelectObject(dc, p.font);
    if (down) OffsetRect(&r, 1, 1);

    const TSizeI glyphSize = p.glyph ? p.glyph->CellSize() : TSizeI{};
    const TSizeI captionSize = MeasureCaption(dc, p.caption);
    const TGlyphCaptionPlacement at = CalcGlyphCaptionLayout(
        {r.right - r.left, r.bottom - r.top}, glyphSize, captionSize, p.layout, p.margin, p.spacing);

    if (p.glyph && glyphSize.cx > 0) {
        const TButtonState state = p.state == TFaceState::Disabled ? bsDisabled : down ? bsDown : bsUp;
        p.glyph->Draw(dc, r.left + at.glyph.x, r.top + at.glyph.y, state);
    }

    if (!p.caption.empty()) {
        RECT text = {r.left + at.caption.x, r.top + at.caption.y, r.left + at.caption.x + captionSize.cx,
                     r.top + at.caption.y + captionSize.cy};
        const int length = static_cast<int>(p.caption.size());
        SetBkMode(dc, TRANSPARENT);
        if (p.state == TFaceState::Disabled) {
            RECT shifted = text;
            OffsetRect(&shifted, 1, 1);
            SetTextColor(dc, RGB(255, 255, 255));
            DrawTextA(dc, p.caption.c_str(), length, &shifted, DT_LEFT | DT_TOP);
            SetTextColor(dc, RGB(128, 128, 128));
            DrawTextA(dc, p.caption.c_str(), length, &text, DT_LEFT | DT_TOP);
        } else {
            SetTextColor(dc, p.fontColor);
            DrawTextA(dc, p.caption.c_str(), length, &text, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        }
    }

    if (p.active) {
        RECT focus = p.client;
        ShrinkRect(focus, 4);
        // The dots invert what is under them, so they show on any face.
        SetTextColor(dc, RGB(0, 0, 0));
        SetBkColor(dc, RGB(255, 255, 255));
        DrawFocusRect(dc, &focus);
    }
}

} // namespace velt
