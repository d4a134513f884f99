#include "toolkit/button.h"

namespace velt {

const ClassInfo& TButton::StaticClass() {
    static const ClassInfo info = ClassBuilder<TButton>("TButton", &TWinControl::StaticClass())
        .Text("Caption", &TButton::Caption, &TButton::SetCaption)
        .Build();
    return info;
}

TButton::TButton(TComponent* owner) : TWinControl(owner) {
    width_ = 75;
    height_ = 25;
    SetTabStop(true);
}

void TButton::GetCreateParams(CreateParams& params) {
    TWinControl::GetCreateParams(params);
    params.className = kButtonClass;
    params.style &= ~WS_CLIPCHILDREN;
    params.style |= OwnerDraw() ? BS_OWNERDRAW : (active_ ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
}

void TButton::HandleCreated() {
    HWND focus = GetFocus();
    FocusChanged(focus ? FromHandle(focus) : nullptr);
}

void TButton::SetDefault(bool v) {
    if (v == default_) return;
    default_ = v;
    HWND focus = GetFocus();
    FocusChanged(focus ? FromHandle(focus) : nullptr);
}

void TButton::FocusChanged(TWinControl* focused) {
    bool active = dynamic_cast<TButton*>(focused) ? focused == this : default_;
    if (active == active_) return;
    active_ = active;
    ActiveChanged();
}

void TButton::ActiveChanged() {
    if (!HandleAllocated()) return;
    if (OwnerDraw()) Invalidate();
    else SendMessageA(Handle(), BM_SETSTYLE, active_ ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

void TButton::Command(WORD notifyCode) {
    if (notifyCode == BN_CLICKED) Click();
}

void TButton::Click() {
    TControl::Click();
    if (modalResult_ != mrNone)
        if (TForm* form = ParentForm()) form->SetModalResult(modalResult_);
}

void TButton::FontChanged() {
    TWinControl::FontChanged();
    Invalidate();
}

void TButton::EnabledChanged() {
    TWinControl::EnabledChanged();
    Invalidate();
}

} // namespace velt
