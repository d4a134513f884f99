#include "toolkit/label.h"

#include <algorithm>

namespace velt {

const ClassInfo& TLabel::StaticClass() {
    static const ClassInfo info = ClassBuilder<TLabel>("TLabel", &TGraphicControl::StaticClass())
        .Text("Caption", &TLabel::Caption, &TLabel::SetCaption)
        .Build();
    return info;
}

TLabel::TLabel(TComponent* owner) : TGraphicControl(owner) {
    SetParentColor(true);
    width_ = 65;
    height_ = 17;
    AdjustBounds();
}

void TLabel::SetAutoSize(bool v) {
    if (v == autoSize_) return;
    autoSize_ = v;
    AdjustBounds();
}

void TLabel::SetWordWrap(bool v) {
    if (v == wordWrap_) return;
    wordWrap_ = v;
    AdjustBounds();
    Invalidate();
}

void TLabel::SetMaxWidth(int v) {
    if (v == maxWidth_) return;
    maxWidth_ = v;
    if (maxWidth_ > 0 && width_ > maxWidth_) SetWidth(maxWidth_);
    AdjustBounds();
}

void TLabel::SetTransparent(bool v) {
    if (v == transparent_) return;
    transparent_ = v;
    Invalidate();
}

void TLabel::SetAlignment(TAlignment v) {
    if (v == alignment_) return;
    alignment_ = v;
    Invalidate();
}

void TLabel::SetShowAccelChar(bool v) {
    if (v == showAccelChar_) return;
    showAccelChar_ = v;
    AdjustBounds();
    Invalidate();
}

void TLabel::TextChanged() {
    AdjustBounds();
    Invalidate();
}

void TLabel::FontChanged() {
    AdjustBounds();
    Invalidate();
}

UINT TLabel::TextFormat() const {
    UINT format = DT_EXPANDTABS | (wordWrap_ ? DT_WORDBREAK : 0) | (showAccelChar_ ? 0 : DT_NOPREFIX);
    if (alignment_ == TAlignment::taCenter) format |= DT_CENTER;
    if (alignment_ == TAlignment::taRightJustify) format |= DT_RIGHT;
    return format;
}

void TLabel::AdjustBounds() {
    if (!autoSize_) return;
    std::string text = Caption();
    // An empty caption still takes one line.
    if (text.empty() || (showAccelChar_ && text == "&")) text += ' ';
    WindowDC screen;
    TCanvas canvas(screen.Get());
    canvas.Font().Assign(Font());
    int limit = wordWrap_ ? Scaled(maxWidth_ > 0 ? maxWidth_ : std::max(width_, 1)) : 0x3FFFFFFF;
    RECT r{0, 0, limit, 0};
    canvas.DrawText(text, r, TextFormat() | DT_CALCRECT);
    // Rounded up: the text's pixels must fit in the scaled bounds.
    const int dpi = Dpi();
    int w = (r.right * kDesignDpi + dpi - 1) / dpi;
    if (maxWidth_ > 0) w = std::min(w, maxWidth_);
    SetBounds(left_, top_, w, (r.bottom * kDesignDpi + dpi - 1) / dpi);
}

void TLabel::Paint(TCanvas& canvas) {
    RECT r = PaintRect();
    if (!transparent_) {
        canvas.Brush().color = Color();
        canvas.FillRect(r);
    }
    canvas.Brush().style = TBrushStyle::bsClear;
    std::string text = Caption();
    if (Enabled()) {
        canvas.DrawText(text, r, TextFormat());
    } else {
        canvas.Font().SetColor(clBtnHighlight);
        RECT shifted{1, 1, r.right + 1, r.bottom + 1};
        canvas.DrawText(text, shifted, TextFormat());
        canvas.Font().SetColor(clBtnShadow);
        canvas.DrawText(text, r, TextFormat());
    }
}

} // namespace velt
