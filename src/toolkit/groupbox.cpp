#include "toolkit/groupbox.h"

namespace velt {

const ClassInfo& TGroupBox::StaticClass() {
    static const ClassInfo info = ClassBuilder<TGroupBox>("TGroupBox", &TWinControl::StaticClass())
        .Text("Caption", &TGroupBox::Caption, &TGroupBox::SetCaption)
        .Build();
    return info;
}

TGroupBox::TGroupBox(TComponent* owner) : TWinControl(owner) {
    width_ = 185;
    height_ = 105;
    SetParentColor(true);
}

void TGroupBox::GetCreateParams(CreateParams& params) {
    TWinControl::GetCreateParams(params);
    params.exStyle |= WS_EX_CONTROLPARENT;
}

void TGroupBox::Paint(TCanvas& canvas) {
    std::string caption = Caption();
    int textHeight = canvas.TextHeight("0");
    const RECT own = PaintRect();
    RECT frame{0, textHeight / 2, own.right, own.bottom};
    DrawEdge(canvas.Handle(), &frame, EDGE_ETCHED, BF_RECT);
    if (caption.empty()) return;
    RECT text{Scaled(8), 0, Scaled(8), textHeight};
    canvas.DrawText(caption, text, DT_SINGLELINE | DT_CALCRECT);
    text.right += 2;
    text.left -= 2;
    canvas.Brush().color = Color();
    canvas.FillRect(text);
    text.left += 2;
    canvas.Brush().style = TBrushStyle::bsClear;
    canvas.DrawText(caption, text, DT_SINGLELINE);
}

} // namespace velt
