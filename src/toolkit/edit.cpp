#include "toolkit/edit.h"

namespace velt {

const ClassInfo& TEdit::StaticClass() {
    static const ClassInfo info = ClassBuilder<TEdit>("TEdit", &TWinControl::StaticClass())
        .Text("Text", &TEdit::Text, &TEdit::SetText)
        .Build();
    return info;
}

TEdit::TEdit(TComponent* owner) : TWinControl(owner) {
    width_ = 121;
    height_ = 21;
    SetColor(clWindow);
    SetTabStop(true);
}

void TEdit::GetCreateParams(CreateParams& params) {
    TWinControl::GetCreateParams(params);
    params.className = kEditClass;
    params.style &= ~WS_CLIPCHILDREN;
    params.style |= ES_AUTOHSCROLL | ES_LEFT | (readOnly_ ? ES_READONLY : 0) | (passwordChar_ ? ES_PASSWORD : 0);
    if (borderStyle_ == TBorderStyle::bsSingle) params.exStyle |= WS_EX_CLIENTEDGE;
}

void TEdit::HandleCreated() {
    HWND h = Handle();
    SendMessageA(h, EM_LIMITTEXT, static_cast<WPARAM>(maxLength_), 0);
    SendMessageA(h, EM_SETPASSWORDCHAR, static_cast<unsigned char>(passwordChar_), 0);
    SendMessageA(h, EM_SETSEL, static_cast<WPARAM>(selStart_), selStart_ + selLength_);
}

void TEdit::SetMaxLength(int v) {
    maxLength_ = v < 0 ? 0 : v;
    if (HandleAllocated()) SendMessageA(Handle(), EM_LIMITTEXT, static_cast<WPARAM>(maxLength_), 0);
}

void TEdit::SetPasswordChar(char c) {
    if (c == passwordChar_) return;
    passwordChar_ = c;
    if (HandleAllocated()) {
        SendMessageA(Handle(), EM_SETPASSWORDCHAR, static_cast<unsigned char>(c), 0);
        Invalidate();
    }
}

void TEdit::SetReadOnly(bool v) {
    readOnly_ = v;
    if (HandleAllocated()) SendMessageA(Handle(), EM_SETREADONLY, v, 0);
}

void TEdit::SetBorderStyle(TBorderStyle v) {
    if (v == borderStyle_) return;
    borderStyle_ = v;
    RecreateHandle();
}

void TEdit::SelectAll() { SetSelection(0, -1); }

void TEdit::SetSelection(int start, int length) {
    selStart_ = start;
    selLength_ = length;
    if (HandleAllocated())
        SendMessageA(Handle(), EM_SETSEL, static_cast<WPARAM>(start), length < 0 ? -1 : start + length);
}

int TEdit::SelStart() const {
    if (!HandleAllocated()) return selStart_;
    DWORD start = 0, end = 0;
    SendMessageA(const_cast<TEdit*>(this)->Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                 reinterpret_cast<LPARAM>(&end));
    return static_cast<int>(start);
}

int TEdit::SelLength() const {
    if (!HandleAllocated()) return selLength_ < 0 ? static_cast<int>(Text().size()) - selStart_ : selLength_;
    DWORD start = 0, end = 0;
    SendMessageA(const_cast<TEdit*>(this)->Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                 reinterpret_cast<LPARAM>(&end));
    return static_cast<int>(end - start);
}

bool TEdit::Modified() const {
    return HandleAllocated() && SendMessageA(const_cast<TEdit*>(this)->Handle(), EM_GETMODIFY, 0, 0);
}

void TEdit::Command(WORD notifyCode) {
    if (notifyCode == EN_CHANGE) Change();
}

} // namespace velt
