// TControl and TGraphicControl: what every control has, windowed or not.
#include "toolkit/controls.h"

#include "toolkit/accessible.h"
#include "toolkit/forms.h"
#include "toolkit/hints.h"

namespace velt {

TShiftState KeyboardShiftState() {
    TShiftState s = 0;
    if (GetKeyState(VK_SHIFT) < 0) s |= ssShift;
    if (GetKeyState(VK_CONTROL) < 0) s |= ssCtrl;
    if (GetKeyState(VK_MENU) < 0) s |= ssAlt;
    return s;
}

TShiftState MouseShiftState(WPARAM wParam) {
    TShiftState s = KeyboardShiftState();
    if (wParam & MK_LBUTTON) s |= ssLeft;
    if (wParam & MK_RBUTTON) s |= ssRight;
    if (wParam & MK_MBUTTON) s |= ssMiddle;
    return s;
}

HCURSOR CursorHandle(TCursor cursor) {
    LPCSTR id = IDC_ARROW;
    switch (cursor) {
    case TCursor::crHandPoint: id = IDC_HAND; break;
    case TCursor::crIBeam: id = IDC_IBEAM; break;
    case TCursor::crHSplit: id = IDC_SIZEWE; break;
    case TCursor::crHourGlass: id = IDC_WAIT; break;
    default: break;
    }
    return LoadCursorA(nullptr, id);
}

const ClassInfo& TControl::StaticClass() {
    static const ClassInfo info = ClassBuilder<TControl>("TControl", &TComponent::StaticClass())
        .Text("Hint", &TControl::Hint, &TControl::SetHint)
        .Build();
    return info;
}

TControl::TControl(TComponent* owner) : TComponent(owner) {
    font_.OnChange = [this] {
        if (!inheriting_) parentFont_ = false;
        FontChanged();
    };
}

TControl::~TControl() {
    font_.OnChange = nullptr;
    HintManager().Forget(this);
    if (parent_) parent_->RemoveControl(this);
}

void TControl::SetParent(TWinControl* parent) {
    if (parent == parent_) return;
    if (parent_) {
        Invalidate();
        parent_->RemoveControl(this);
    }
    parent_ = parent;
    if (parent_) {
        parent_->InsertControl(this);
        if (parentFont_) InheritFont(parent_->Font());
        if (parentColor_) InheritColor(parent_->Color());
        ScaleChanged();
        Invalidate();
    }
    HintChanged();
}

TForm* TControl::ParentForm() const {
    const TControl* c = this;
    while (c->parent_) c = c->parent_;
    return dynamic_cast<TForm*>(const_cast<TControl*>(c));
}

int TControl::Dpi() const {
    const TControl* c = this;
    while (c->parent_) c = c->parent_;
    if (const auto* form = dynamic_cast<const TForm*>(c)) return form->PixelsPerInch();
    return kDesignDpi;
}

RECT TControl::PaintRect() const { return RECT{0, 0, Scaled(width_), Scaled(height_)}; }

void TControl::ScaleChanged() {
    if (font_.PixelsPerInch() == Dpi()) return;
    inheriting_ = true;
    font_.SetPixelsPerInch(Dpi());
    inheriting_ = false;
}

void TControl::SetBounds(int left, int top, int width, int height) {
    if (left == left_ && top == top_ && width == width_ && height == height_) return;
    RECT old = BoundsRect();
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    BoundsChanged(old);
}

void TControl::BoundsChanged(const RECT& oldBounds) {
    if (parent_ && parent_->HandleAllocated()) {
        RECT old = Scaled(oldBounds);
        InvalidateRect(parent_->Handle(), &old, TRUE);
        Invalidate();
    }
    HintChanged();
    if (oldBounds.right - oldBounds.left != width_ || oldBounds.bottom - oldBounds.top != height_) Resize();
}

void TControl::SetText(const std::string& text) {
    if (GetText() == text) return;
    text_ = text;
    TextChanged();
}

void TControl::SetHint(const std::string& hint) {
    if (hint == hint_) return;
    hint_ = hint;
    HintChanged();
}

void TControl::SetShowHint(bool show) {
    parentShowHint_ = false;
    if (show == showHint_) return;
    showHint_ = show;
    HintChanged();
}

void TControl::SetParentShowHint(bool v) {
    if (v == parentShowHint_) return;
    parentShowHint_ = v;
    HintChanged();
}

bool TControl::HintActive() const {
    if (parentShowHint_ && parent_) return parent_->HintActive();
    return showHint_;
}

void TControl::HintChanged() { HintManager().Update(this); }

void TControl::SetVisible(bool visible) {
    if (visible == visible_) return;
    visible_ = visible;
    VisibleChanged();
}

void TControl::VisibleChanged() {
    if (parent_ && parent_->HandleAllocated()) {
        RECT r = Scaled(BoundsRect());
        InvalidateRect(parent_->Handle(), &r, TRUE);
    }
    HintChanged();
}

bool TControl::Showing() const {
    for (const TControl* c = this; c; c = c->parent_)
        if (!c->visible_) return false;
    return true;
}

void TControl::SetEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    EnabledChanged();
}

void TControl::SetParentFont(bool v) {
    parentFont_ = v;
    if (v && parent_) InheritFont(parent_->Font());
}

void TControl::SetColor(TColor color) {
    if (!inheriting_) parentColor_ = false;
    if (color == color_) return;
    color_ = color;
    ColorChanged();
}

void TControl::SetParentColor(bool v) {
    parentColor_ = v;
    if (v && parent_) InheritColor(parent_->Color());
}

void TControl::InheritFont(const TFont& font) {
    inheriting_ = true;
    font_.Assign(font);
    inheriting_ = false;
}

void TControl::InheritColor(TColor color) {
    inheriting_ = true;
    SetColor(color);
    inheriting_ = false;
}

void TControl::SetCursor(TCursor cursor) {
    if (cursor == cursor_) return;
    cursor_ = cursor;
    CursorChanged();
}

void TControl::CursorChanged() {
    // Show the new cursor at once when the pointer is over the control.
    POINT p;
    if (!GetCursorPos(&p)) return;
    HWND under = WindowFromPoint(p);
    const TWinControl* window = IsWindowed() ? static_cast<const TWinControl*>(this) : parent_;
    if (window && window->HandleAllocated() && under == window->handle_)
        SendMessageA(under, WM_SETCURSOR, reinterpret_cast<WPARAM>(under), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
}

void TControl::Invalidate() {}
void TControl::Update() {}

POINT TControl::ClientToScreen(POINT p) const {
    if (IsWindowed()) {
        auto* w = const_cast<TWinControl*>(static_cast<const TWinControl*>(this));
        ::ClientToScreen(w->Handle(), &p);
        return p;
    }
    if (!parent_) return p;
    return parent_->ClientToScreen(POINT{p.x + Scaled(left_), p.y + Scaled(top_)});
}

POINT TControl::ScreenToClient(POINT p) const {
    if (IsWindowed()) {
        auto* w = const_cast<TWinControl*>(static_cast<const TWinControl*>(this));
        ::ScreenToClient(w->Handle(), &p);
        return p;
    }
    if (!parent_) return p;
    POINT q = parent_->ScreenToClient(p);
    return POINT{q.x - Scaled(left_), q.y - Scaled(top_)};
}

TControl* TControl::LabelledBy() const {
    if (!IsWindowed() || !parent_) return nullptr;
    for (int i = 0; i < parent_->ControlCount(); ++i) {
        TControl* c = parent_->Controls(i);
        if (c->LabelFor() == this) return c;
    }
    return nullptr;
}

std::u16string TControl::AccessibleText() const {
    if (!accessibleName_.empty()) return SpokenCaption(accessibleName_);
    if (TControl* label = LabelledBy()) return SpokenCaption(label->Caption());
    return SpokenCaption(Caption());
}

void TControl::Click() {
    if (OnClick) OnClick(this);
}

void TControl::DispatchMouse(UINT msg, WPARAM wParam, int x, int y) {
    TShiftState shift = MouseShiftState(wParam);
    switch (msg) {
    case WM_LBUTTONDOWN:
        leftPressed_ = true;
        MouseDown(TMouseButton::mbLeft, shift, x, y);
        break;
    case WM_LBUTTONDBLCLK:
        leftPressed_ = true;
        DblClick();
        MouseDown(TMouseButton::mbLeft, shift | ssDouble, x, y);
        break;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
        MouseDown(TMouseButton::mbRight, shift, x, y);
        break;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
        MouseDown(TMouseButton::mbMiddle, shift, x, y);
        break;
    case WM_LBUTTONUP: {
        const RECT own = PaintRect();
        bool clicked = leftPressed_ && ClicksOnMouseUp() && x >= 0 && y >= 0 && x < own.right && y < own.bottom;
        leftPressed_ = false;
        if (clicked) Click();
        MouseUp(TMouseButton::mbLeft, shift, x, y);
        break;
    }
    case WM_RBUTTONUP:
        MouseUp(TMouseButton::mbRight, shift, x, y);
        break;
    case WM_MBUTTONUP:
        MouseUp(TMouseButton::mbMiddle, shift, x, y);
        break;
    case WM_MOUSEMOVE:
        MouseMove(shift, x, y);
        break;
    default:
        break;
    }
}

void TControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    if (OnMouseDown) OnMouseDown(this, button, shift, x, y);
}

void TControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    if (OnMouseUp) OnMouseUp(this, button, shift, x, y);
}

void TControl::MouseMove(TShiftState shift, int x, int y) {
    if (OnMouseMove) OnMouseMove(this, shift, x, y);
}

void TControl::MouseEnter() {
    if (OnMouseEnter) OnMouseEnter(this);
}

void TControl::MouseLeave() {
    leftPressed_ = false;
    if (OnMouseLeave) OnMouseLeave(this);
}

const ClassInfo& TGraphicControl::StaticClass() {
    static const ClassInfo info("TGraphicControl", &TControl::StaticClass(), {});
    return info;
}

void TGraphicControl::Invalidate() {
    if (Parent() && Parent()->HandleAllocated() && Visible()) {
        RECT r = Scaled(BoundsRect());
        InvalidateRect(Parent()->Handle(), &r, TRUE);
    }
}

void TGraphicControl::Update() {
    if (Parent()) Parent()->Update();
}

} // namespace velt
