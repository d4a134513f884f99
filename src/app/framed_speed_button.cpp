#include "app/framed_speed_button.h"

namespace velt {

const ClassInfo& TFramedSpeedButton::StaticClass() {
    static const ClassInfo info("TFramedSpeedButton", &TSpeedButton::StaticClass(), {});
    return info;
}

void TFramedSpeedButton::Paint(TCanvas& canvas) {
    TSpeedButton::Paint(canvas);
    canvas.Brush().color = clWhite;
    canvas.Brush().style = TBrushStyle::bsSolid;
    canvas.FrameRect(PaintRect());
}

} // namespace velt
