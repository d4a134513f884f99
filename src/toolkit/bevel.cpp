#include "toolkit/bevel.h"

namespace velt {

const ClassInfo& TBevel::StaticClass() {
    static const ClassInfo info("TBevel", &TGraphicControl::StaticClass(), {});
    return info;
}

TBevel::TBevel(TComponent* owner) : TGraphicControl(owner) {
    width_ = 50;
    height_ = 50;
}

void TBevel::Paint(TCanvas& canvas) {
    TColor topLeft = style_ == TBevelStyle::bsLowered ? clBtnShadow : clBtnHighlight;
    TColor bottomRight = style_ == TBevelStyle::bsLowered ? clBtnHighlight : clBtnShadow;
    auto frame = [&](int l, int t, int r, int b, TColor tl, TColor br) {
        canvas.Pen().color = tl;
        canvas.MoveTo(l, b - 1);
        canvas.LineTo(l, t);
        canvas.LineTo(r - 1, t);
        canvas.Pen().color = br;
        canvas.LineTo(r - 1, b - 1);
        canvas.LineTo(l - 1, b - 1);
    };
    const RECT own = PaintRect();
    int w = own.right, h = own.bottom;
    if (shape_ == TBevelShape::bsBox) {
        frame(0, 0, w, h, topLeft, bottomRight);
    } else {
        // An etched frame: two rectangles one pixel apart.
        frame(0, 0, w - 1, h - 1, topLeft, topLeft);
        frame(1, 1, w, h, bottomRight, bottomRight);
    }
}

} // namespace velt
