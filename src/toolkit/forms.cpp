#include "toolkit/forms.h"

#include <algorithm>

#include "core/errors.h"
#include "core/resource_strings.h"
#include "toolkit/accessible.h"
#include "toolkit/application.h"
#include "toolkit/button.h"
#include "toolkit/menus.h"

namespace velt {

// ---------------------------------------------------------------- canvas

namespace {
std::vector<TControlCanvas*>& CanvasesHoldingDC() {
    static auto* list = new std::vector<TControlCanvas*>;
    return *list;
}
} // namespace

TControlCanvas::~TControlCanvas() { FreeHandle(); }

HDC TControlCanvas::Handle() {
    if (paintDC_) return paintDC_;
    if (!acquired_ && control_) {
        acquiredFrom_ = control_->Handle();
        acquired_ = GetDC(acquiredFrom_);
        if (acquired_) CanvasesHoldingDC().push_back(this);
    }
    return acquired_;
}

void TControlCanvas::FreeHandle() {
    if (!acquired_) return;
    ReleaseDC(acquiredFrom_, acquired_);
    acquired_ = nullptr;
    auto& list = CanvasesHoldingDC();
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
}

void TControlCanvas::FreeDeviceContexts() {
    auto list = CanvasesHoldingDC();
    for (TControlCanvas* c : list) c->FreeHandle();
}

// ---------------------------------------------------------------- form

const ClassInfo& TForm::StaticClass() {
    static const ClassInfo info = ClassBuilder<TForm>("TForm", &TWinControl::StaticClass())
        .Text("Caption", &TForm::Caption, &TForm::SetCaption)
        .Build();
    return info;
}

TForm::TForm(TComponent* owner) : TWinControl(owner), canvas_(this) {
    InitVisible(false);
    SetParentFont(false);
    dpi_ = SystemDpi();
    Font().SetPixelsPerInch(dpi_);
    canvas_.Font().Assign(Font());
    width_ = clientWidth_;
    height_ = clientHeight_;
}

TForm::~TForm() {
    if (Application->MainForm() == this) Application->SetMainForm(nullptr);
    canvas_.FreeHandle();
    if (menu_) {
        if (HandleAllocated()) ::SetMenu(Handle(), nullptr);
        menu_->DetachForm(this);
    }
}

DWORD TForm::Style() const {
    DWORD style = WS_CLIPCHILDREN;
    switch (borderStyle_) {
    case TFormBorderStyle::bsNone: style |= WS_POPUP; break;
    case TFormBorderStyle::bsSingle:
        style |= WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
        break;
    case TFormBorderStyle::bsSizeable: style |= WS_OVERLAPPEDWINDOW; break;
    case TFormBorderStyle::bsDialog: style |= WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME; break;
    }
    return style;
}

DWORD TForm::ExStyle() const {
    return borderStyle_ == TFormBorderStyle::bsDialog ? (WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT)
                                                      : WS_EX_CONTROLPARENT;
}

void TForm::GetCreateParams(CreateParams& params) {
    params.className = kFormClass;
    params.style = Style();
    params.exStyle = ExStyle();
    params.parent = nullptr;
    params.x = Scaled(left_);
    params.y = Scaled(top_);
    if (sizeByClient_) {
        RECT r = FrameFor(clientWidth_, clientHeight_);
        params.width = r.right - r.left;
        params.height = r.bottom - r.top;
    } else {
        params.width = Scaled(width_);
        params.height = Scaled(height_);
    }
}

namespace {
// The program's own icon (MAINICON) at one system size for a DPI; null without one.
HICON ProgramIcon(int widthMetric, int heightMetric, int dpi) {
    return static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), "MAINICON", IMAGE_ICON,
                                         SystemMetricForDpi(widthMetric, dpi),
                                         SystemMetricForDpi(heightMetric, dpi), LR_SHARED));
}
} // namespace

RECT TForm::FrameFor(int clientWidth, int clientHeight, int dpi) const {
    if (!dpi) dpi = dpi_;
    RECT r{0, 0, ScaleToDpi(clientWidth, dpi), ScaleToDpi(clientHeight, dpi)};
    AdjustWindowRectForDpi(r, Style(), menu_ != nullptr, ExStyle(), dpi);
    return r;
}

void TForm::SetIcons() {
    // Set on the window itself: a dialog frame would not show a class icon.
    if (HICON bigIcon = ProgramIcon(SM_CXICON, SM_CYICON, dpi_))
        SendMessageA(Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon));
    if (HICON smallIcon = ProgramIcon(SM_CXSMICON, SM_CYSMICON, dpi_))
        SendMessageA(Handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon));
}

void TForm::ChangeDpi(int dpi, const RECT* suggested) {
    if (dpi <= 0) return;
    const int cw = ClientWidth(), ch = ClientHeight();
    const bool changed = dpi != dpi_;
    dpi_ = dpi;
    if (changed) ScaleChanged();
    if (!HandleAllocated()) return;
    if (changed) SetIcons();
    if (suggested)
        SetWindowPos(Handle(), nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                     suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
    SetClientSize(cw, ch);
    RedrawWindow(Handle(), nullptr, nullptr, RDW_ERASE | RDW_FRAME | RDW_INVALIDATE | RDW_ALLCHILDREN);
}

void TForm::HandleCreated() {
    // Made on another monitor than the system's: its own DPI from now on.
    if (WindowDpi(Handle()) != dpi_) ChangeDpi(WindowDpi(Handle()));
    SetIcons();
    if (menu_) ::SetMenu(Handle(), menu_->Handle());
    // A menu bar may wrap onto two lines: correct the client size now.
    if (sizeByClient_) SetClientSize(clientWidth_, clientHeight_);
}

void TForm::ApplyBorderStyle() {
    if (!HandleAllocated()) return;
    int cw = ClientWidth(), ch = ClientHeight();
    SetWindowLongA(Handle(), GWL_STYLE, static_cast<LONG>(Style() | (Visible() ? WS_VISIBLE : 0)));
    SetWindowLongA(Handle(), GWL_EXSTYLE, static_cast<LONG>(ExStyle()));
    SetWindowPos(Handle(), nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    SetClientSize(cw, ch);
}

void TForm::SetBorderStyle(TFormBorderStyle style) {
    if (style == borderStyle_) return;
    borderStyle_ = style;
    ApplyBorderStyle();
}

int TForm::ClientWidth() const { return HandleAllocated() ? TWinControl::ClientWidth() : clientWidth_; }
int TForm::ClientHeight() const { return HandleAllocated() ? TWinControl::ClientHeight() : clientHeight_; }

void TForm::SetClientSize(int width, int height) {
    clientWidth_ = width;
    clientHeight_ = height;
    if (!HandleAllocated()) {
        sizeByClient_ = true;
        RECT r = Unscaled(FrameFor(width, height));
        width_ = r.right - r.left;
        height_ = r.bottom - r.top;
        return;
    }
    RECT window, client;
    GetWindowRect(Handle(), &window);
    GetClientRect(Handle(), &client);
    int w = (window.right - window.left) - client.right + Scaled(width);
    int h = (window.bottom - window.top) - client.bottom + Scaled(height);
    SetWindowPos(Handle(), nullptr, 0, 0, w, h, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TForm::SetBounds(int left, int top, int width, int height) {
    if (!HandleAllocated()) {
        bool sized = width != width_ || height != height_;
        left_ = left;
        top_ = top;
        if (sized) {
            width_ = width;
            height_ = height;
            sizeByClient_ = false;
            RECT r = Unscaled(FrameFor(0, 0));
            clientWidth_ = width - (r.right - r.left);
            clientHeight_ = height - (r.bottom - r.top);
        }
        return;
    }
    TWinControl::SetBounds(left, top, width, height);
}

void TForm::CenterOnScreen() {
    RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (centerOn_ && IsWindow(centerOn_) &&
        GetMonitorInfoA(MonitorFromWindow(centerOn_, MONITOR_DEFAULTTONEAREST), &info))
        area = info.rcWork;
    RECT r;
    GetWindowRect(Handle(), &r);
    int w = r.right - r.left, h = r.bottom - r.top;
    SetWindowPos(Handle(), nullptr, area.left + (area.right - area.left - w) / 2,
                 area.top + (area.bottom - area.top - h) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TForm::KeepOnScreen() {
    // A designed position, scaled up, may leave a large window past the
    // edge of a small screen.
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (!GetMonitorInfoA(MonitorFromWindow(Handle(), MONITOR_DEFAULTTONEAREST), &info)) return;
    const RECT& work = info.rcWork;
    RECT r;
    GetWindowRect(Handle(), &r);
    int x = std::max(std::min(r.left, work.right - (r.right - r.left)), work.left);
    int y = std::max(std::min(r.top, work.bottom - (r.bottom - r.top)), work.top);
    if (x != r.left || y != r.top)
        SetWindowPos(Handle(), nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TForm::Resize() {
    // Layout handlers run from the first showing on, when the form's
    // controls all exist.
    if (shownOnce_) TWinControl::Resize();
}

void TForm::VisibleChanged() {
    if (!Visible() && !HandleAllocated()) return;
    HWND h = Handle();
    if (Visible()) {
        if (position_ == TPosition::poScreenCenter) CenterOnScreen();
        else if (!shownOnce_) KeepOnScreen();
        if (!shownOnce_) {
            shownOnce_ = true;
            NotifyResize();
        }
        if (OnShow) OnShow(this);
        if (!Visible()) return;  // OnShow hid it again
        ShowWindow(h, SW_SHOW);
        SetForegroundWindow(h);
        if (GetActiveWindow() == h) {
            HWND focus = GetFocus();
            if (!focus || (focus != h && !IsChild(h, focus))) SetInitialFocus();
        }
    } else {
        if (OnHide) OnHide(this);
        ShowWindow(h, SW_HIDE);
    }
    HintChanged();
}

void TForm::FontChanged() {
    canvas_.Font().Assign(Font());
    TWinControl::FontChanged();
}

void TForm::Paint(TCanvas& canvas) {
    if (!OnPaint) return;
    canvas_.SetPaintDC(canvas.Handle());
    try {
        OnPaint(this);
    } catch (...) {
        canvas_.SetPaintDC(nullptr);
        throw;
    }
    canvas_.SetPaintDC(nullptr);
}

void TForm::SetMenu(TMainMenu* menu) {
    if (menu == menu_) return;
    if (menu_) menu_->DetachForm(this);
    menu_ = menu;
    if (menu_) menu_->AttachForm(this);
    if (HandleAllocated()) {
        int cw = ClientWidth(), ch = ClientHeight();
        ::SetMenu(Handle(), menu_ ? menu_->Handle() : nullptr);
        SetClientSize(cw, ch);
    }
}

void TForm::MenuChanged() {
    if (HandleAllocated() && menu_) {
        ::SetMenu(Handle(), menu_->Handle());
        DrawMenuBar(Handle());
    }
}

void TForm::SetActiveControl(TWinControl* control) {
    activeControl_ = control;
    if (control && HandleAllocated() && GetActiveWindow() == Handle()) control->SetFocus();
}

void TForm::SetInitialFocus() {
    TWinControl* target = activeControl_;
    if (!target || !target->CanFocus()) target = FindNextControl(nullptr, true);
    if (target) target->SetFocus();
    else ::SetFocus(Handle());
}

void TForm::DoCreate() {
    if (OnCreate) OnCreate(this);
}

void TForm::CollectButtons(const TWinControl* parent, std::vector<TButton*>& out) const {
    for (int i = 0; i < parent->ControlCount(); ++i) {
        TControl* c = parent->Controls(i);
        if (auto* b = dynamic_cast<TButton*>(c)) out.push_back(b);
        if (auto* w = dynamic_cast<TWinControl*>(c)) CollectButtons(w, out);
    }
}

void TForm::ControlDestroyed(TWinControl* control) {
    if (activeControl_ == control) activeControl_ = nullptr;
}

void TForm::FocusChanged(TWinControl* control) {
    activeControl_ = control;
    std::vector<TButton*> buttons;
    CollectButtons(this, buttons);
    for (TButton* b : buttons) b->FocusChanged(control);
}

TButton* TForm::ActiveButton() const {
    std::vector<TButton*> buttons;
    CollectButtons(this, buttons);
    for (TButton* b : buttons)
        if (b->Focused() && b->CanFocus()) return b;
    for (TButton* b : buttons)
        if (b->Default() && b->CanFocus()) return b;
    return nullptr;
}

TButton* TForm::CancelButton() const {
    std::vector<TButton*> buttons;
    CollectButtons(this, buttons);
    for (TButton* b : buttons)
        if (b->Cancel() && b->CanFocus()) return b;
    return nullptr;
}

bool TForm::DialogKey(const MSG& msg) {
    WPARAM key = msg.wParam;
    if (key != VK_TAB && key != VK_RETURN && key != VK_ESCAPE) return false;
    UINT code = static_cast<UINT>(SendMessageA(msg.hwnd, WM_GETDLGCODE, key, reinterpret_cast<LPARAM>(&msg)));
    if (code & (DLGC_WANTALLKEYS | DLGC_WANTMESSAGE)) return false;
    TShiftState shift = KeyboardShiftState();
    if (key == VK_TAB) {
        // Ctrl+Tab leaves a control that keeps Tab for itself (the grid).
        if (shift & ssAlt) return false;
        if ((code & DLGC_WANTTAB) ? !(shift & ssCtrl) : (shift & ssCtrl) != 0) return false;
        TWinControl* next = FindNextControl(TWinControl::FromHandle(msg.hwnd), !(shift & ssShift));
        if (!next) return false;
        next->SetFocus();
        if (SendMessageA(next->Handle(), WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL)
            SendMessageA(next->Handle(), EM_SETSEL, 0, -1);
        return true;
    }
    TButton* button = key == VK_RETURN ? ActiveButton() : CancelButton();
    if (!button) return false;
    button->Click();
    return true;
}

namespace {
// The control that the mnemonic `letter` reaches inside `parent`, or null.
TControl* MnemonicTarget(const TWinControl* parent, char letter) {
    for (int i = 0; i < parent->ControlCount(); ++i) {
        TControl* c = parent->Controls(i);
        if (!c->Visible() || !c->Enabled()) continue;
        const long role = c->AccessibleRole();
        const bool carries = c->LabelFor() || role == ROLE_SYSTEM_PUSHBUTTON || role == ROLE_SYSTEM_CHECKBUTTON;
        if (carries && MnemonicOf(c->Caption()) == letter) return c;
        if (c->IsWindowed())
            if (TControl* inner = MnemonicTarget(static_cast<TWinControl*>(c), letter)) return inner;
    }
    return nullptr;
}
} // namespace

bool TForm::MnemonicKey(const MSG& msg) {
    const WPARAM key = msg.wParam;
    if (msg.message != WM_SYSKEYDOWN || (KeyboardShiftState() & ssCtrl)) return false;
    if (!((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9'))) return false;
    TControl* target = MnemonicTarget(this, static_cast<char>(key));
    if (!target) return false;
    if (TWinControl* labelled = target->LabelFor()) {
        if (!labelled->CanFocus()) return false;
        labelled->SetFocus();
        if (SendMessageA(labelled->Handle(), WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL)
            SendMessageA(labelled->Handle(), EM_SETSEL, 0, -1);
        return true;
    }
    if (target->IsWindowed()) static_cast<TWinControl*>(target)->SetFocus();
    target->AccessibleDoAction();
    return true;
}

bool TForm::PreTranslateMessage(MSG& msg) {
    if (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN) return false;
    if (!IsWindowEnabled(Handle())) return false;
    if (menu_ && menu_->IsShortCut(static_cast<WORD>(msg.wParam), KeyboardShiftState())) return true;
    if (MnemonicKey(msg)) {
        // The default handling still sees the letter (untranslated, so no
        // WM_SYSCHAR picks a menu item): otherwise it takes Alt's release as
        // Alt pressed alone and puts the keyboard in the menu.
        DefWindowProcA(msg.hwnd, msg.message, msg.wParam, msg.lParam);
        return true;
    }
    return msg.message == WM_KEYDOWN && DialogKey(msg);
}

bool TForm::CloseQuery() {
    bool canClose = true;
    if (OnCloseQuery) OnCloseQuery(this, canClose);
    return canClose;
}

void TForm::Close() {
    if (modal_) {
        if (modalResult_ == mrNone) modalResult_ = mrCancel;
        return;
    }
    if (!CloseQuery()) return;
    bool isMain = Application->MainForm() == this;
    TCloseAction action = caHide;
    if (OnClose) OnClose(this, action);
    if (action == caNone) return;
    if (action == caMinimize) {
        ShowWindow(Handle(), SW_MINIMIZE);
        return;
    }
    Hide();
    if (isMain) Application->Terminate();
}

namespace {
struct DisabledWindows {
    HWND keep;
    std::vector<HWND> list;
};

BOOL CALLBACK DisableWindow(HWND window, LPARAM param) {
    try {
        auto* d = reinterpret_cast<DisabledWindows*>(param);
        if (window != d->keep && IsWindowVisible(window) && IsWindowEnabled(window)) {
            d->list.push_back(window);
            EnableWindow(window, FALSE);
        }
    } catch (...) {
        return FALSE;
    }
    return TRUE;
}
} // namespace

TModalResult TForm::ShowModal() {
    if (Visible() || modal_) throw Exception(ResStr(IDS_CANNOT_SHOW_MODAL));
    HWND h = Handle();
    HWND previous = GetActiveWindow();
    if (previous && previous != h && GetWindowThreadProcessId(previous, nullptr) == GetCurrentThreadId())
        SetWindowLongPtrA(h, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(previous));
    if (GetCapture()) SendMessageA(GetCapture(), WM_CANCELMODE, 0, 0);
    ReleaseCapture();

    DisabledWindows disabled{h, {}};
    EnumThreadWindows(GetCurrentThreadId(), DisableWindow, reinterpret_cast<LPARAM>(&disabled));
    auto restore = [&] {
        for (HWND w : disabled.list)
            if (IsWindow(w)) EnableWindow(w, TRUE);
    };
    modal_ = true;
    modalResult_ = mrNone;
    try {
        Show();
        for (;;) {
            if (Application->Terminated()) modalResult_ = mrCancel;
            if (modalResult_ != mrNone) {
                bool canClose = Application->Terminated() || CloseQuery();
                TCloseAction action = caHide;
                if (canClose && OnClose) OnClose(this, action);
                if (!canClose || (action == caNone && !Application->Terminated())) {
                    modalResult_ = mrNone;
                } else {
                    break;
                }
            }
            Application->HandleMessage();
        }
    } catch (...) {
        modal_ = false;
        restore();
        if (IsWindow(h)) Hide();
        throw;
    }
    modal_ = false;
    // Enable the others before hiding, so the activation goes back to them.
    restore();
    Hide();
    if (previous && IsWindow(previous)) SetActiveWindow(previous);
    return modalResult_;
}

LRESULT TForm::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_CLOSE:
        Close();
        return 0;
    case WM_COMMAND:
        if (lParam == 0 && HIWORD(wParam) <= 1 && menu_) {
            menu_->DispatchCommand(LOWORD(wParam));
            return 0;
        }
        break;
    case WM_ACTIVATE:
        if (LOWORD(wParam) == WA_INACTIVE) {
            HWND focus = GetFocus();
            if (focus && IsChild(Handle(), focus)) savedFocus_ = focus;
            if (OnDeactivate) OnDeactivate(this);
        } else {
            if (HIWORD(wParam)) return 0;  // minimised
            if (savedFocus_ && IsWindow(savedFocus_) && IsChild(Handle(), savedFocus_) &&
                IsWindowVisible(savedFocus_) && IsWindowEnabled(savedFocus_))
                ::SetFocus(savedFocus_);
            else
                SetInitialFocus();
            if (OnActivate) OnActivate(this);
        }
        return 0;
    case WM_GETDPISCALEDSIZE: {
        // The size the same client area takes at the new scale, so that the
        // rectangle WM_DPICHANGED then suggests is the one kept.
        const RECT r = FrameFor(ClientWidth(), ClientHeight(), static_cast<int>(wParam));
        auto* size = reinterpret_cast<SIZE*>(lParam);
        size->cx = r.right - r.left;
        size->cy = r.bottom - r.top;
        return TRUE;
    }
    case WM_DPICHANGED:
        ChangeDpi(HIWORD(wParam), reinterpret_cast<const RECT*>(lParam));
        return 0;
    case WM_DESTROY:
        // The window would destroy its menu with itself; the menu object owns it.
        if (menu_) ::SetMenu(Handle(), nullptr);
        break;
    default:
        break;
    }
    return TWinControl::WndProc(msg, wParam, lParam);
}

} // namespace velt
