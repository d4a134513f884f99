#include "toolkit/listbox.h"

#include <algorithm>

namespace velt {

const ClassInfo& TListBox::StaticClass() {
    static const ClassInfo info = ClassBuilder<TListBox>("TListBox", &TWinControl::StaticClass()).Build();
    return info;
}

TListBox::TListBox(TComponent* owner) : TWinControl(owner) {
    width_ = 121;
    height_ = 97;
    SetColor(clWindow);
    SetTabStop(true);
}

void TListBox::GetCreateParams(CreateParams& params) {
    TWinControl::GetCreateParams(params);
    params.className = kListBoxClass;
    params.style &= ~WS_CLIPCHILDREN;
    params.style |= LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_HSCROLL;
    params.exStyle |= WS_EX_CLIENTEDGE;
}

void TListBox::HandleCreated() {
    HWND h = Handle();
    SendMessageA(h, LB_RESETCONTENT, 0, 0);
    for (const std::string& item : items_) SendMessageA(h, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
    SendMessageA(h, LB_SETCURSEL, static_cast<WPARAM>(itemIndex_), 0);
    // A line wider than the box scrolls sideways (the bar shows only then).
    int widest = 0;
    if (HDC dc = GetDC(h)) {
        const HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(h, WM_GETFONT, 0, 0)));
        for (const std::string& item : items_) {
            SIZE size{};
            GetTextExtentPoint32A(dc, item.c_str(), static_cast<int>(item.size()), &size);
            widest = std::max(widest, static_cast<int>(size.cx));
        }
        SelectObject(dc, old);
        ReleaseDC(h, dc);
    }
    SendMessageA(h, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(widest + 4), 0);
}

void TListBox::SetItems(const std::vector<std::string>& items) {
    items_ = items;
    itemIndex_ = items_.empty() ? -1 : 0;
    if (HandleAllocated()) HandleCreated();
}

int TListBox::ItemIndex() const {
    if (!HandleAllocated()) return itemIndex_;
    return static_cast<int>(SendMessageA(const_cast<TListBox*>(this)->Handle(), LB_GETCURSEL, 0, 0));
}

void TListBox::SetItemIndex(int index) {
    itemIndex_ = index < 0 || index >= Count() ? -1 : index;
    if (HandleAllocated()) SendMessageA(Handle(), LB_SETCURSEL, static_cast<WPARAM>(itemIndex_), 0);
}

void TListBox::Command(WORD notifyCode) {
    if (notifyCode == LBN_DBLCLK) DblClick();
}

} // namespace velt
