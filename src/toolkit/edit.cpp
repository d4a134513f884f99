#include "toolkit/edit.h"

#include <algorithm>

#include "core/secure_memory.h"
#include "core/text.h"
#include "platform/clipboard.h"

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

namespace {

void Fill(HWND h, size_t length) {
    if (length == 0) return;
    const std::string filler(length, '*');
    SendMessageA(h, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(filler.c_str()));
}

} // namespace

// The edit box keeps its text in a buffer of its own, freed with the window
// without being wiped, and the text a user typed over in its undo buffer,
// which EM_EMPTYUNDOBUFFER only cuts to nothing at its first character.
// Both are overwritten in place with filler: the text of the old length is
// deleted as an undoable edit, so the undo buffer, which already held that
// many characters, takes the filler where the old text was; then the text
// buffer is filled as far as the longest text it held, and emptied.
void TEdit::WipeText(size_t longest) noexcept {
    WipeString(text_);
    if (!HandleAllocated()) return;
    HWND h = Handle();
    wiping_ = true;
    const size_t length = static_cast<size_t>(std::max(GetWindowTextLengthW(h), 0));
    try {
        Fill(h, longest);
        if (longest > 0) {
            SendMessageA(h, EM_SETSEL, 0, -1);
            SendMessageA(h, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(""));
        }
        Fill(h, std::max(length, longest));
    } catch (...) {
        // No memory for the filler: emptying below is all that is left.
    }
    SendMessageA(h, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
    SendMessageA(h, EM_EMPTYUNDOBUFFER, 0, 0);
    wiping_ = false;
}

namespace {

TEdit::SecretCopier& Copier() {
    static auto* copier = new TEdit::SecretCopier;
    return *copier;
}

} // namespace

void TEdit::SetSecretCopier(SecretCopier copier) { Copier() = std::move(copier); }

LRESULT TEdit::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    // A masked box copies nothing: the system edit already refuses.
    if ((msg == WM_COPY || msg == WM_CUT) && secret_ && !passwordChar_ && HandleAllocated()) {
        try {
            CopySelectionAsSecret(msg == WM_CUT);
        } catch (...) {
            MessageBeep(MB_ICONWARNING);  // the clipboard is held elsewhere: nothing copied
        }
        return 0;
    }
    return TWinControl::WndProc(msg, wParam, lParam);
}

void TEdit::CopySelectionAsSecret(bool cut) {
    HWND h = Handle();
    DWORD start = 0, end = 0;
    SendMessageW(h, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    if (end <= start) return;
    std::u16string all(static_cast<size_t>(std::max(GetWindowTextLengthW(h), 0)) + 1, u'\0');
    ScopedWipe wipeAll(all.data(), all.size() * sizeof(char16_t));
    all.resize(static_cast<size_t>(GetWindowTextW(h, reinterpret_cast<wchar_t*>(all.data()), static_cast<int>(all.size()))));
    if (start >= all.size()) return;
    std::u16string shown = all.substr(start, end - start);
    ScopedWipe wipeShown(shown.data(), shown.capacity() * sizeof(char16_t));
    std::string text = Narrow(shown);
    ScopedWipe wipeText(text);
    if (Copier()) Copier()(text, shown);
    else platform::SetClipboardText(text, shown, h);
    if (cut && !readOnly_) SendMessageW(h, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L""));
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
    if (notifyCode == EN_CHANGE && !wiping_) Change();
}

} // namespace velt
