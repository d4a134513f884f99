#include "toolkit/checkbox.h"

#include <uxtheme.h>

namespace velt {

const ClassInfo& TCheckBox::StaticClass() {
    static const ClassInfo info = ClassBuilder<TCheckBox>("TCheckBox", &TWinControl::StaticClass())
        .Text("Caption", &TCheckBox::Caption, &TCheckBox::SetCaption)
        .Build();
    return info;
}

TCheckBox::TCheckBox(TComponent* owner) : TWinControl(owner) {
    width_ = 97;
    height_ = 17;
    SetParentColor(true);
    SetTabStop(true);
}

void TCheckBox::GetCreateParams(CreateParams& params) {
    TWinControl::GetCreateParams(params);
    params.className = kCheckBoxClass;
    params.style &= ~WS_CLIPCHILDREN;
    params.style |= BS_AUTOCHECKBOX;
}

void TCheckBox::HandleCreated() {
    // A themed check box would ignore the caption colour.
    SetWindowTheme(Handle(), L"", L"");
    SendMessageA(Handle(), BM_SETCHECK, checked_ ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool TCheckBox::Checked() const {
    if (HandleAllocated())
        checked_ = SendMessageA(const_cast<TCheckBox*>(this)->Handle(), BM_GETCHECK, 0, 0) == BST_CHECKED;
    return checked_;
}

void TCheckBox::SetChecked(bool v) {
    checked_ = v;
    if (HandleAllocated()) SendMessageA(Handle(), BM_SETCHECK, v ? BST_CHECKED : BST_UNCHECKED, 0);
}

void TCheckBox::Command(WORD notifyCode) {
    if (notifyCode == BN_CLICKED) Click();
}

} // namespace velt
