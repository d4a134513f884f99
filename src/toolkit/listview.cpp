#include "toolkit/listview.h"

#include <commctrl.h>

#include <algorithm>

#include "platform/lazy_library.h"

namespace velt {

namespace {

constexpr const char* kListViewClass = "VeltListView";

void RegisterListViewClass() {
    static bool done = false;
    if (done) return;
    done = true;
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES};
    // comctl32 is loaded when a list is first shown, not at start-up.
    platform::SystemFunction<decltype(InitCommonControlsEx)>("comctl32.dll", "InitCommonControlsEx")(&icc);
    RegisterToolkitClass(kListViewClass, WC_LISTVIEWA);
}

} // namespace

const ClassInfo& TListView::StaticClass() {
    static const ClassInfo info = ClassBuilder<TListView>("TListView", &TWinControl::StaticClass()).Build();
    return info;
}

TListView::TListView(TComponent* owner) : TWinControl(owner) {
    width_ = 250;
    height_ = 150;
    SetColor(clWindow);
    SetTabStop(true);
}

void TListView::GetCreateParams(CreateParams& params) {
    RegisterListViewClass();
    TWinControl::GetCreateParams(params);
    params.className = kListViewClass;
    params.style &= ~WS_CLIPCHILDREN;
    params.style |= LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER;
    params.exStyle |= WS_EX_CLIENTEDGE;
}

void TListView::HandleCreated() {
    SendMessageA(Handle(), LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
}

void TListView::AddColumn(const std::string& title, int width) {
    LVCOLUMNA column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    column.pszText = const_cast<char*>(title.c_str());
    column.cx = width;
    column.iSubItem = columns_;
    SendMessageA(Handle(), LVM_INSERTCOLUMNA, static_cast<WPARAM>(columns_), reinterpret_cast<LPARAM>(&column));
    ++columns_;
}

int TListView::AddItem(const std::vector<std::string>& texts) {
    LVITEMA item{};
    item.mask = LVIF_TEXT;
    item.iItem = ItemCount();
    item.pszText = const_cast<char*>(texts.empty() ? "" : texts[0].c_str());
    const int index = static_cast<int>(SendMessageA(Handle(), LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    for (std::size_t c = 1; c < texts.size() && index >= 0; ++c) {
        LVITEMA sub{};
        sub.iSubItem = static_cast<int>(c);
        sub.pszText = const_cast<char*>(texts[c].c_str());
        SendMessageA(Handle(), LVM_SETITEMTEXTA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&sub));
    }
    return index;
}

int TListView::ItemCount() const {
    if (!HandleAllocated()) return 0;
    return static_cast<int>(SendMessageA(const_cast<TListView*>(this)->Handle(), LVM_GETITEMCOUNT, 0, 0));
}

std::string TListView::ItemText(int index, int column) const {
    if (!HandleAllocated()) return {};
    std::string text(1024, '\0');
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = &text[0];
    item.cchTextMax = static_cast<int>(text.size());
    const LRESULT n = SendMessageA(const_cast<TListView*>(this)->Handle(), LVM_GETITEMTEXTA,
                                   static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    text.resize(static_cast<std::size_t>(n > 0 ? n : 0));
    return text;
}

int TListView::ColumnWidth(int column) const {
    if (!HandleAllocated()) return 0;
    return static_cast<int>(
        SendMessageA(const_cast<TListView*>(this)->Handle(), LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column), 0));
}

void TListView::SetColumnWidth(int column, int width) {
    SendMessageA(Handle(), LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column), MAKELPARAM(width, 0));
}

int TListView::WidestText(int column) const {
    HWND h = const_cast<TListView*>(this)->Handle();
    int widest = 0;
    for (int i = 0; i < ItemCount(); ++i) {
        const std::string text = ItemText(i, column);
        widest = std::max(widest, static_cast<int>(SendMessageA(h, LVM_GETSTRINGWIDTHA, 0,
                                                                  reinterpret_cast<LPARAM>(text.c_str()))));
    }
    return widest + 20;  // the list's own margins on both sides of a text
}

int TListView::Selected() const {
    if (!HandleAllocated()) return -1;
    return static_cast<int>(SendMessageA(const_cast<TListView*>(this)->Handle(), LVM_GETNEXTITEM,
                                         static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void TListView::SetSelected(int index) {
    LVITEMA item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(Handle(), LVM_SETITEMSTATE, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    SendMessageA(Handle(), LVM_ENSUREVISIBLE, static_cast<WPARAM>(index), FALSE);
}

bool TListView::Notify(const NMHDR& header, LRESULT& result) {
    if (header.code != NM_DBLCLK) return false;
    Activate(reinterpret_cast<const NMITEMACTIVATE&>(header).iItem);
    result = 0;
    return true;
}

void TListView::KeyDown(WORD& key, TShiftState shift) {
    TWinControl::KeyDown(key, shift);
    if (key != VK_RETURN) return;
    key = 0;
    Activate(Selected());
}

void TListView::Activate(int item) {
    if (item >= 0 && item < ItemCount() && OnActivate) OnActivate(this, item);
}

} // namespace velt
