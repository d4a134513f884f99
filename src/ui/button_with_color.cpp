#include "ui/button_with_color.h"

#include <array>

#include "core/resource_strings.h"
#include "toolkit/application.h"
#include "toolkit/forms.h"

namespace velt {

namespace {

// Loaded on first use, shared by every button, freed at the end of the run.
std::array<BitmapHandle, bkAll + 1>& KindGlyphs() {
    static std::array<BitmapHandle, bkAll + 1> glyphs;
    return glyphs;
}

} // namespace

HBITMAP KindGlyph(TBitBtnWithColorKind kind) {
    const TBitBtnKindRow& row = KindRow(kind);
    if (!row.glyphName) return nullptr;
    BitmapHandle& slot = KindGlyphs()[static_cast<size_t>(kind)];
    if (!slot)
        slot.Reset(static_cast<HBITMAP>(
            LoadImageA(GetModuleHandleA(nullptr), row.glyphName, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    return slot.Get();
}

const ClassInfo& TBitBtnWithColor::StaticClass() {
    static const ClassInfo info = ClassBuilder<TBitBtnWithColor>("TBitBtnWithColor", &TButton::StaticClass()).Build();
    return info;
}

TBitBtnWithColor::TBitBtnWithColor(TComponent* owner) : TButton(owner), glyph_(std::make_unique<TButtonGlyph>()) {
    glyph_->SetFaceColor(ColorToRGB(Color()));
    glyph_->SetOnChange([this] { Invalidate(); });
}

TBitBtnWithColor::~TBitBtnWithColor() {
    glyph_->SetOnChange(nullptr);
}

TBitBtnWithColorKind TBitBtnWithColor::Kind() const {
    if (kind_ != bkCustom && !KindStillHolds(kind_, Default(), Cancel(), ModalResult(), userGlyph_))
        kind_ = bkCustom;
    return kind_;
}

void TBitBtnWithColor::SetKind(TBitBtnWithColorKind kind) {
    if (kind == Kind()) return;
    if (kind != bkCustom) {
        const TBitBtnKindRow& row = KindRow(kind);
        SetDefault(row.isDefault);
        SetCancel(row.cancel);
        SetCaption(LoadStr(row.captionId));
        SetModalResult(row.modalResult);
        glyph_->SetGlyph(KindGlyph(kind));
        glyph_->SetNumGlyphs(2);
        userGlyph_ = false;
    }
    kind_ = kind;
    Invalidate();
}

void TBitBtnWithColor::SetGlyph(HBITMAP bitmap) {
    glyph_->SetGlyph(bitmap);
    userGlyph_ = true;
    Invalidate();
}

void TBitBtnWithColor::SetNumGlyphs(int value) {
    glyph_->SetNumGlyphs(value);
}

void TBitBtnWithColor::SetLayout(TButtonLayout layout) {
    if (layout == layout_) return;
    layout_ = layout;
    Invalidate();
}

void TBitBtnWithColor::SetMargin(int margin) {
    const int m = AcceptMargin(margin, margin_);
    if (m == margin_) return;
    margin_ = m;
    Invalidate();
}

void TBitBtnWithColor::SetSpacing(int spacing) {
    if (spacing == spacing_) return;
    spacing_ = spacing;
    Invalidate();
}

void TBitBtnWithColor::SetStyle(TButtonStyle style) {
    if (style == style_) return;
    style_ = style;
    Invalidate();
}

void TBitBtnWithColor::ColorChanged() {
    // The images are rebuilt in the new colour: the glyph is assigned anew.
    // A new face is no new glyph, so the kind (and its Help or Close click)
    // stays.
    const bool userGlyph = userGlyph_;
    glyph_->SetFaceColor(ColorToRGB(Color()));
    SetGlyph(glyph_->Glyph());
    userGlyph_ = userGlyph;
    TButton::ColorChanged();
}

bool TBitBtnWithColor::HelpClick() {
    for (TControl* c = this; c; c = c->Parent())
        if (c->HelpContext() != 0) {
            Application->HelpContext(c->HelpContext());
            return true;
        }
    return false;
}

void TBitBtnWithColor::Click() {
    const TBitBtnWithColorKind kind = Kind();
    if (kind == bkHelp && HelpClick()) return;
    if (kind == bkClose)
        if (TForm* form = ParentForm()) {
            form->Close();
            return;
        }
    TButton::Click();
}

void TBitBtnWithColor::PaintFace(HDC dc, const RECT& client, bool pressed, bool focused) {
    glyph_->SetFaceColor(ColorToRGB(Color()));  // system colours resolve now
    TFacePaint p;
    p.client = client;
    p.state = !Enabled() ? TFaceState::Disabled : pressed ? TFaceState::Down : TFaceState::Up;
    p.active = IsActive();
    p.focused = focused;
    p.color = ColorToRGB(Color());
    p.font = Font().Handle();
    p.fontColor = ColorToRGB(Font().Color());
    p.caption = Caption();
    p.layout = layout_;
    p.margin = margin_;
    p.spacing = spacing_;
    p.glyph = glyph_.get();
    PaintButtonFace(dc, p);
}

bool TBitBtnWithColor::DrawItem(const DRAWITEMSTRUCT& item) {
    PaintFace(item.hDC, item.rcItem, (item.itemState & ODS_SELECTED) != 0, (item.itemState & ODS_FOCUS) != 0);
    return true;
}

LRESULT TBitBtnWithColor::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    // A double click is a second press, so two quick clicks are two clicks.
    if (msg == WM_LBUTTONDBLCLK) msg = WM_LBUTTONDOWN;
    return TButton::WndProc(msg, wParam, lParam);
}

} // namespace velt
