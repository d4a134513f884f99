#include "toolkit/listview.h"

#include <commctrl.h>

#include <algorithm>

#include "core/text.h"
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
    params.style |= LVS_REPORT | LVS_OWNERDATA | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER;
    params.exStyle |= WS_EX_CLIENTEDGE;
}

void TListView::HandleCreated() {
    SendMessageA(Handle(), LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
}

void TListView::AddColumn(const std::string& title, int width) {
    LVCOLUMNA column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    column.pszText = const_cast<char*>(title.c_str());
    column.cx = Scaled(width);
    column.iSubItem = columns_;
    SendMessageA(Handle(), LVM_INSERTCOLUMNA, static_cast<WPARAM>(columns_), reinterpret_cast<LPARAM>(&column));
    ++columns_;
}

void TListView::SetItemCount(int count) {
    SendMessageA(Handle(), LVM_SETITEMCOUNT, static_cast<WPARAM>(count), LVSICF_NOINVALIDATEALL);
    Invalidate();
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
    return Unscaled(static_cast<int>(
        SendMessageA(const_cast<TListView*>(this)->Handle(), LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column), 0)));
}

void TListView::SetColumnWidth(int column, int width) {
    SendMessageA(Handle(), LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column), MAKELPARAM(Scaled(width), 0));
}

int TListView::TextWidth(const std::string& text) {
    // The list's own margins on both sides of a text, in layout figures as
    // every width of the toolkit's.
    const int pixels = static_cast<int>(SendMessageA(Handle(), LVM_GETSTRINGWIDTHA, 0, reinterpret_cast<LPARAM>(text.c_str())));
    return Unscaled(pixels) + 20;
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
    result = 0;
    switch (header.code) {
    case NM_DBLCLK:
        Activate(reinterpret_cast<const NMITEMACTIVATE&>(header).iItem);
        return true;
    case LVN_ITEMCHANGED: {
        const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
        if ((change.uNewState & LVIS_SELECTED) && !(change.uOldState & LVIS_SELECTED) && OnSelect)
            OnSelect(this, change.iItem);
        return true;
    }
    case LVN_GETDISPINFOA: {
        LVITEMA& item = const_cast<NMLVDISPINFOA&>(reinterpret_cast<const NMLVDISPINFOA&>(header)).item;
        if (!(item.mask & LVIF_TEXT)) return true;
        text_ = OnItemText ? OnItemText(item.iItem, item.iSubItem) : std::string();
        item.pszText = const_cast<char*>(text_.c_str());
        return true;
    }
    case LVN_GETDISPINFOW: {
        LVITEMW& item = const_cast<NMLVDISPINFOW&>(reinterpret_cast<const NMLVDISPINFOW&>(header)).item;
        if (!(item.mask & LVIF_TEXT) || !item.pszText || item.cchTextMax <= 0) return true;
        const std::u16string wide = Widen(OnItemText ? OnItemText(item.iItem, item.iSubItem) : std::string());
        const std::size_t n = std::min(wide.size(), static_cast<std::size_t>(item.cchTextMax - 1));
        std::copy(wide.begin(), wide.begin() + static_cast<std::ptrdiff_t>(n), item.pszText);
        item.pszText[n] = 0;
        return true;
    }
    default:
        return false;
    }
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
