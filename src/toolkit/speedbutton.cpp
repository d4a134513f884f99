#include "toolkit/speedbutton.h"

namespace velt {

const ClassInfo& TSpeedButton::StaticClass() {
    static const ClassInfo info = ClassBuilder<TSpeedButton>("TSpeedButton", &TGraphicControl::StaticClass())
        .Text("Caption", &TSpeedButton::Caption, &TSpeedButton::SetCaption)
        .Build();
    return info;
}

TSpeedButton::TSpeedButton(TComponent* owner) : TGraphicControl(owner) {
    width_ = 23;
    height_ = 22;
    SetParentColor(true);
}

void TSpeedButton::SetFlat(bool v) {
    if (v == flat_) return;
    flat_ = v;
    Invalidate();
}

void TSpeedButton::Paint(TCanvas& canvas) {
    RECT r = PaintRect();
    HDC dc = canvas.Handle();
    if (flat_) {
        // The parent's background shows through; only the edge changes.
        if (down_) DrawEdge(dc, &r, BDR_SUNKENOUTER, BF_RECT);
        else if (hover_ && Enabled()) DrawEdge(dc, &r, BDR_RAISEDINNER, BF_RECT);
    } else {
        DrawFrameControl(dc, &r, DFC_BUTTON, DFCS_BUTTONPUSH | DFCS_ADJUSTRECT | (down_ ? DFCS_PUSHED : 0));
    }
    RECT text = PaintRect();
    if (down_) OffsetRect(&text, 1, 1);
    canvas.Brush().style = TBrushStyle::bsClear;
    const UINT format = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
    std::string caption = Caption();
    if (Enabled()) {
        canvas.DrawText(caption, text, format);
    } else {
        canvas.Font().SetColor(clBtnHighlight);
        RECT shifted = text;
        OffsetRect(&shifted, 1, 1);
        canvas.DrawText(caption, shifted, format);
        canvas.Font().SetColor(clBtnShadow);
        canvas.DrawText(caption, text, format);
    }
}

void TSpeedButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    if (button == TMouseButton::mbLeft && Enabled()) {
        tracking_ = true;
        down_ = true;
        Invalidate();
    }
    TGraphicControl::MouseDown(button, shift, x, y);
}

void TSpeedButton::MouseMove(TShiftState shift, int x, int y) {
    if (tracking_) {
        const RECT own = PaintRect();
        bool inside = x >= 0 && y >= 0 && x < own.right && y < own.bottom;
        if (inside != down_) {
            down_ = inside;
            Invalidate();
        }
    }
    TGraphicControl::MouseMove(shift, x, y);
}

void TSpeedButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    if (button == TMouseButton::mbLeft && tracking_) {
        tracking_ = false;
        down_ = false;
        Invalidate();
    }
    TGraphicControl::MouseUp(button, shift, x, y);
}

void TSpeedButton::MouseEnter() {
    hover_ = true;
    if (flat_) Invalidate();
    TGraphicControl::MouseEnter();
}

void TSpeedButton::MouseLeave() {
    hover_ = false;
    if (flat_) Invalidate();
    TGraphicControl::MouseLeave();
}

} // namespace velt
