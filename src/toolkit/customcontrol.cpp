#include "toolkit/customcontrol.h"

#include <windowsx.h>

namespace velt {

namespace {
int BarId(TScrollBarKind bar) { return bar == TScrollBarKind::sbHorizontal ? SB_HORZ : SB_VERT; }
} // namespace

const ClassInfo& TCustomControl::StaticClass() {
    static const ClassInfo info("TCustomControl", &TWinControl::StaticClass(), {});
    return info;
}

TCustomControl::TCustomControl(TComponent* owner) : TWinControl(owner), canvas_(this) {
    width_ = 100;
    height_ = 100;
    SetTabStop(true);
}

void TCustomControl::GetCreateParams(CreateParams& params) {
    TWinControl::GetCreateParams(params);
    if (scrollBars_ == TScrollStyle::ssHorizontal || scrollBars_ == TScrollStyle::ssBoth) params.style |= WS_HSCROLL;
    if (scrollBars_ == TScrollStyle::ssVertical || scrollBars_ == TScrollStyle::ssBoth) params.style |= WS_VSCROLL;
}

void TCustomControl::SetScrollBars(TScrollStyle v) {
    if (v == scrollBars_) return;
    scrollBars_ = v;
    if (!HandleAllocated()) return;
    ShowScrollBar(Handle(), SB_HORZ, v == TScrollStyle::ssHorizontal || v == TScrollStyle::ssBoth);
    ShowScrollBar(Handle(), SB_VERT, v == TScrollStyle::ssVertical || v == TScrollStyle::ssBoth);
}

void TCustomControl::SetScrollRange(TScrollBarKind bar, int min, int max, int page) {
    SCROLLINFO si{sizeof si, SIF_RANGE | SIF_PAGE, min, max, static_cast<UINT>(page < 0 ? 0 : page), 0, 0};
    SetScrollInfo(Handle(), BarId(bar), &si, TRUE);
}

int TCustomControl::ScrollPos(TScrollBarKind bar) const {
    if (!HandleAllocated()) return 0;
    SCROLLINFO si{sizeof si, SIF_POS, 0, 0, 0, 0, 0};
    GetScrollInfo(const_cast<TCustomControl*>(this)->Handle(), BarId(bar), &si);
    return si.nPos;
}

void TCustomControl::SetScrollPos(TScrollBarKind bar, int pos) {
    SCROLLINFO si{sizeof si, SIF_POS, 0, 0, 0, pos, 0};
    SetScrollInfo(Handle(), BarId(bar), &si, TRUE);
}

bool TCustomControl::MouseCapture() const { return HandleAllocated() && GetCapture() == const_cast<TCustomControl*>(this)->Handle(); }

void TCustomControl::SetMouseCapture(bool v) {
    if (v) SetCapture(Handle());
    else if (MouseCapture()) ReleaseCapture();
}

void TCustomControl::Scroll(TScrollBarKind bar, int code, int pos) {
    SCROLLINFO si{sizeof si, SIF_ALL, 0, 0, 0, 0, 0};
    GetScrollInfo(Handle(), BarId(bar), &si);
    int target = si.nPos;
    int page = si.nPage > 0 ? static_cast<int>(si.nPage) : 1;
    switch (code) {
    case SB_LINEUP: target -= 1; break;
    case SB_LINEDOWN: target += 1; break;
    case SB_PAGEUP: target -= page; break;
    case SB_PAGEDOWN: target += page; break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: target = pos; break;
    case SB_TOP: target = si.nMin; break;
    case SB_BOTTOM: target = si.nMax; break;
    default: return;
    }
    if (target == si.nPos) return;
    SetScrollPos(bar, target);
    Invalidate();
}

void TCustomControl::MouseWheel(int delta, TShiftState shift, int x, int y) {
    if (scrollBars_ == TScrollStyle::ssNone) return;
    TScrollBarKind bar = scrollBars_ == TScrollStyle::ssHorizontal ? TScrollBarKind::sbHorizontal
                                                                     : TScrollBarKind::sbVertical;
    int notches = delta / WHEEL_DELTA;
    for (int i = 0; i < (notches < 0 ? -notches : notches); ++i) Scroll(bar, notches < 0 ? SB_LINEDOWN : SB_LINEUP, 0);
}

void TCustomControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    if (TabStop() && CanFocus() && !Focused()) SetFocus();
    SetMouseCapture(true);
    TWinControl::MouseDown(button, shift, x, y);
}

void TCustomControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    if (!(shift & (ssLeft | ssRight | ssMiddle))) SetMouseCapture(false);
    TWinControl::MouseUp(button, shift, x, y);
}

UINT TCustomControl::DialogCode(UINT defaultCode) {
    UINT code = defaultCode | DLGC_WANTCHARS;
    if (wantArrows_) code |= DLGC_WANTARROWS;
    if (wantTabs_) code |= DLGC_WANTTAB;
    return code;
}

bool TCustomControl::EraseBackground(HDC dc) {
    // Painting covers every pixel; erasing first would only flicker.
    if (doubleBuffered_) return true;
    return TWinControl::EraseBackground(dc);
}

void TCustomControl::PaintBuffered() {
    PaintDC paint(Handle());
    RECT client;
    GetClientRect(Handle(), &client);
    if (client.right <= 0 || client.bottom <= 0) return;
    MemoryDC memory(paint.Get());
    BitmapHandle bitmap(CreateCompatibleBitmap(paint.Get(), client.right, client.bottom));
    {
        SelectGuard keep(memory.Get(), bitmap.Get());
        TCanvas background(memory.Get());
        background.Brush().color = Color();
        background.FillRect(client);
        canvas_.SetPaintDC(memory.Get());
        canvas_.Font().Assign(Font());
        canvas_.Brush().color = Color();
        canvas_.Brush().style = TBrushStyle::bsSolid;
        try {
            Paint(canvas_);
        } catch (...) {
            canvas_.SetPaintDC(nullptr);
            throw;
        }
        canvas_.SetPaintDC(nullptr);
        BitBlt(paint.Get(), 0, 0, client.right, client.bottom, memory.Get(), 0, 0, SRCCOPY);
    }
}

LRESULT TCustomControl::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_PAINT:
        if (doubleBuffered_) {
            PaintBuffered();
            return 0;
        }
        break;
    case WM_HSCROLL:
    case WM_VSCROLL:
        if (lParam == 0) {
            int code = LOWORD(wParam);
            int pos = HIWORD(wParam);
            if (code == SB_THUMBTRACK || code == SB_THUMBPOSITION) {
                // The full 32-bit position (the message carries only 16 bits).
                SCROLLINFO si{sizeof si, SIF_TRACKPOS, 0, 0, 0, 0, 0};
                GetScrollInfo(Handle(), msg == WM_HSCROLL ? SB_HORZ : SB_VERT, &si);
                pos = si.nTrackPos;
            }
            Scroll(msg == WM_HSCROLL ? TScrollBarKind::sbHorizontal : TScrollBarKind::sbVertical, code, pos);
            return 0;
        }
        break;
    case WM_MOUSEWHEEL: {
        POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        ::ScreenToClient(Handle(), &p);
        MouseWheel(GET_WHEEL_DELTA_WPARAM(wParam), KeyboardShiftState(), p.x, p.y);
        return 0;
    }
    default:
        break;
    }
    return TWinControl::WndProc(msg, wParam, lParam);
}

} // namespace velt
