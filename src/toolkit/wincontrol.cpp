// TWinControl: the window behind a control, the one window procedure, and
// the toolkit's window classes.
#include "toolkit/controls.h"

#include <windowsx.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <string>

#include "core/errors.h"
#include "core/secure_memory.h"
#include "core/resource_strings.h"
#include "platform/ansi_codepage.h"
#include "toolkit/accessible.h"
#include "toolkit/application.h"
#include "toolkit/control_accessible.h"
#include "toolkit/forms.h"
#include "toolkit/hints.h"

namespace velt {

namespace {

std::map<ATOM, WNDPROC>& UnicodeClassProcs() {
    static auto* procs = new std::map<ATOM, WNDPROC>;
    return *procs;
}

std::map<ATOM, WNDPROC>& ClassProcs() {
    static auto* procs = new std::map<ATOM, WNDPROC>;
    return *procs;
}

void RegisterAllClasses() {
    static bool done = false;
    if (done) return;
    done = true;
    RegisterToolkitClass(kFormClass, nullptr, CS_DBLCLKS);
    RegisterToolkitClass(kControlClass, nullptr, CS_DBLCLKS);
    RegisterToolkitClass(kEditClass, "EDIT");
    RegisterToolkitClass(kButtonClass, "BUTTON", 0, CS_DBLCLKS);
    RegisterToolkitClass(kCheckBoxClass, "BUTTON");
    RegisterToolkitClass(kListBoxClass, "LISTBOX");
}

UINT_PTR NextControlId() {
    static UINT_PTR id = 100;
    return ++id;
}

} // namespace

void RegisterToolkitClass(const char* name, const char* systemBase, UINT classStyle, UINT removeStyle) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    WNDPROC original = DefWindowProcA;
    if (systemBase) {
        if (!GetClassInfoExA(nullptr, systemBase, &wc)) return;
        original = wc.lpfnWndProc;
        wc.style = (wc.style | classStyle) & ~(removeStyle | CS_GLOBALCLASS);
    } else {
        wc.style = classStyle & ~removeStyle;
        wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    }
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = VeltWindowProc;
    wc.hInstance = instance;
    wc.lpszClassName = name;
    ATOM atom = RegisterClassExA(&wc);
    if (!atom) {
        // Already registered (a second call): find its atom.
        WNDCLASSEXA existing{};
        existing.cbSize = sizeof existing;
        atom = static_cast<ATOM>(GetClassInfoExA(instance, name, &existing));
    }
    if (atom) ClassProcs()[atom] = original;
    // The same procedure's UTF-16 entry, for reading the text as it is held.
    WNDCLASSEXW unicode{};
    unicode.cbSize = sizeof unicode;
    const std::wstring base = systemBase ? std::wstring(systemBase, systemBase + std::strlen(systemBase)) : L"";
    if (atom && systemBase && GetClassInfoExW(nullptr, base.c_str(), &unicode))
        UnicodeClassProcs()[atom] = unicode.lpfnWndProc;
}

WNDPROC ToolkitClassDefaultProc(HWND window) {
    ATOM atom = static_cast<ATOM>(GetClassWord(window, GCW_ATOM));
    auto it = ClassProcs().find(atom);
    return it == ClassProcs().end() ? DefWindowProcA : it->second;
}

LRESULT CALLBACK VeltWindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    TWinControl* self = nullptr;
    if (msg == WM_NCCREATE) {
        self = static_cast<TWinControl*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        if (self) self->Attach(window);
    } else {
        self = reinterpret_cast<TWinControl*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    }
    if (!self) return CallWindowProcA(ToolkitClassDefaultProc(window), window, msg, wParam, lParam);
    // No exception may unwind through the system's code: report it and go on.
    try {
        if (msg == WM_NCDESTROY) {
            LRESULT r = self->DefaultHandler(msg, wParam, lParam);
            self->Detach();
            return r;
        }
        return self->WndProc(msg, wParam, lParam);
    } catch (...) {
        Application->HandleException();
        return 0;
    }
}

const ClassInfo& TWinControl::StaticClass() {
    static const ClassInfo info("TWinControl", &TControl::StaticClass(), {});
    return info;
}

TWinControl::TWinControl(TComponent* owner) : TControl(owner) {}

TWinControl::~TWinControl() {
    destroying_ = true;
    DisconnectAccessible();
    if (TForm* form = ParentForm(); form && form != static_cast<TControl*>(this)) form->ControlDestroyed(this);
    for (TControl* c : controls_) c->parent_ = nullptr;
    controls_.clear();
    tabList_.clear();
    mouseCapture_ = hovered_ = nullptr;
    if (handle_) {
        HWND h = handle_;
        // Unlinked first: the messages of the destruction go to the default
        // handler, not to a half-destroyed object. Child windows stay linked
        // and clear their own handles.
        HintManager().WindowDestroyed(h);
        SetWindowLongPtrA(h, GWLP_USERDATA, 0);
        handle_ = nullptr;
        DestroyWindow(h);
    }
}

TWinControl* TWinControl::FromHandle(HWND window) {
    if (!window) return nullptr;
    if (GetWindowThreadProcessId(window, nullptr) != GetCurrentThreadId()) return nullptr;
    ATOM atom = static_cast<ATOM>(GetClassWord(window, GCW_ATOM));
    if (ClassProcs().find(atom) == ClassProcs().end()) return nullptr;
    return reinterpret_cast<TWinControl*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

HWND TWinControl::Handle() {
    if (!handle_) CreateHandle();
    return handle_;
}

void TWinControl::GetCreateParams(CreateParams& params) {
    params.className = kControlClass;
    params.style = WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
    if (Visible()) params.style |= WS_VISIBLE;
    if (tabStop_) params.style |= WS_TABSTOP;
    params.parent = Parent() ? Parent()->Handle() : nullptr;
    const RECT r = Scaled(BoundsRect());
    params.x = r.left;
    params.y = r.top;
    params.width = r.right - r.left;
    params.height = r.bottom - r.top;
}

void TWinControl::CreateHandle() {
    if (handle_) return;
    RegisterAllClasses();
    CreateParams params;
    GetCreateParams(params);
    if ((params.style & WS_CHILD) && !params.parent) throw Exception(ResStr(IDS_CONTROL_HAS_NO_PARENT));
    HMENU id = (params.style & WS_CHILD) ? reinterpret_cast<HMENU>(NextControlId()) : nullptr;
    HWND h = CreateWindowExA(params.exStyle, params.className.c_str(), text_.c_str(), params.style, params.x,
                             params.y, params.width, params.height, params.parent, id, GetModuleHandleA(nullptr),
                             this);
    if (!h || handle_ != h) {
        if (h) DestroyWindow(h);
        throw Exception(ResStr(IDS_CANNOT_CREATE_WINDOW));
    }
    SendMessageA(h, WM_SETFONT, reinterpret_cast<WPARAM>(Font().Handle()), FALSE);
    if (!Enabled()) EnableWindow(h, FALSE);
    if (params.style & WS_CHILD) SetWindowPos(h, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    ReadBoundsFromWindow();
    HandleCreated();
    for (TControl* c : controls_) {
        if (c->IsWindowed()) static_cast<TWinControl*>(c)->CreateHandle();
        else c->HintChanged();
    }
    HintChanged();
}

void TWinControl::RecreateHandle() {
    if (!handle_) return;
    text_ = GetText();
    HWND h = handle_;
    HintManager().WindowDestroyed(h);
    // Children's windows go with ours; they are remade below.
    DestroyWindow(h);
    handle_ = nullptr;
    CreateHandle();
}

void TWinControl::Attach(HWND window) {
    handle_ = window;
    defProc_ = ToolkitClassDefaultProc(window);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

void TWinControl::Detach() {
    DisconnectAccessible();
    HintManager().WindowDestroyed(handle_);
    if (handle_) {
        text_ = GetText();
        SetWindowLongPtrA(handle_, GWLP_USERDATA, 0);
    }
    handle_ = nullptr;
    trackingLeave_ = false;
    mouseCapture_ = hovered_ = nullptr;
}

AccessibleSource* TWinControl::Accessible() {
    if (AccessibleRole() == 0) return nullptr;
    if (!accessibleSource_) accessibleSource_ = std::make_unique<ControlAccessible>(*this);
    return accessibleSource_.get();
}

void TWinControl::DisconnectAccessible() noexcept {
    if (accessibleLink_) accessibleLink_->Disconnect();
}

void TWinControl::NotifyResize() {
    notifiedWidth_ = ClientWidth();
    notifiedHeight_ = ClientHeight();
    Resize();
}

LRESULT TWinControl::DefaultHandler(UINT msg, WPARAM wParam, LPARAM lParam) {
    return CallWindowProcA(defProc_, handle_, msg, wParam, lParam);
}

void TWinControl::SetParent(TWinControl* parent) {
    if (parent == Parent()) return;
    if (handle_) {
        if (parent && parent->HandleAllocated()) {
            ::SetParent(handle_, parent->Handle());
        } else {
            HWND h = handle_;
            HintManager().WindowDestroyed(h);
            text_ = GetText();
            DestroyWindow(h);
        }
    }
    TControl::SetParent(parent);
    if (parent && parent->HandleAllocated() && !handle_) CreateHandle();
}

void TWinControl::InsertControl(TControl* control) {
    controls_.push_back(control);
    if (control->IsWindowed()) tabList_.push_back(static_cast<TWinControl*>(control));
}

void TWinControl::RemoveControl(TControl* control) {
    controls_.erase(std::remove(controls_.begin(), controls_.end(), control), controls_.end());
    tabList_.erase(std::remove(tabList_.begin(), tabList_.end(), control), tabList_.end());
    if (mouseCapture_ == control) {
        mouseCapture_ = nullptr;
        if (handle_ && GetCapture() == handle_) ReleaseCapture();
    }
    if (hovered_ == control) hovered_ = nullptr;
}

int TWinControl::ClientWidth() const {
    if (!handle_) return width_;
    return Unscaled(PaintRect().right);
}

int TWinControl::ClientHeight() const {
    if (!handle_) return height_;
    return Unscaled(PaintRect().bottom);
}

RECT TWinControl::PaintRect() const {
    if (!handle_) return TControl::PaintRect();
    RECT r;
    GetClientRect(handle_, &r);
    return r;
}

void TWinControl::ScaleChanged() {
    TControl::ScaleChanged();
    if (handle_ && (GetWindowLongA(handle_, GWL_STYLE) & WS_CHILD)) {
        const RECT r = Scaled(BoundsRect());
        SetWindowPos(handle_, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
    std::vector<TControl*> list = controls_;
    for (TControl* c : list) c->ScaleChanged();
    Invalidate();
}

void TWinControl::ReadBoundsFromWindow() {
    RECT r;
    GetWindowRect(handle_, &r);
    if (GetWindowLongA(handle_, GWL_STYLE) & WS_CHILD)
        MapWindowPoints(HWND_DESKTOP, GetParent(handle_), reinterpret_cast<POINT*>(&r), 2);
    r = Unscaled(r);
    left_ = r.left;
    top_ = r.top;
    width_ = r.right - r.left;
    height_ = r.bottom - r.top;
}

void TWinControl::BoundsChanged(const RECT& oldBounds) {
    if (handle_) {
        const RECT r = Scaled(BoundsRect());
        SetWindowPos(handle_, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        // WM_SIZE raised Resize already.
        HintChanged();
        return;
    }
    TControl::BoundsChanged(oldBounds);
}

int TWinControl::TabOrder() const {
    if (!Parent()) return -1;
    const auto& list = Parent()->tabList_;
    auto it = std::find(list.begin(), list.end(), this);
    return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

void TWinControl::SetTabOrder(int order) {
    if (!Parent()) return;
    auto& list = Parent()->tabList_;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
    order = std::clamp(order, 0, static_cast<int>(list.size()));
    list.insert(list.begin() + order, this);
}

void TWinControl::SetTabStop(bool v) {
    if (v == tabStop_) return;
    tabStop_ = v;
    if (handle_) {
        LONG style = GetWindowLongA(handle_, GWL_STYLE);
        SetWindowLongA(handle_, GWL_STYLE, v ? (style | WS_TABSTOP) : (style & ~WS_TABSTOP));
    }
}

bool TWinControl::CanFocus() const {
    for (const TControl* c = this; c; c = c->Parent())
        if (!c->Visible() || !c->Enabled()) return false;
    return true;
}

bool TWinControl::Focused() const { return handle_ && GetFocus() == handle_; }

void TWinControl::SetFocus() {
    if (CanFocus()) ::SetFocus(Handle());
}

std::vector<TWinControl*> TWinControl::TabOrderList() const {
    std::vector<TWinControl*> out;
    for (TWinControl* c : tabList_) {
        if (!c->Visible() || !c->Enabled()) continue;
        if (c->TabStop()) out.push_back(c);
        auto inner = c->TabOrderList();
        out.insert(out.end(), inner.begin(), inner.end());
    }
    return out;
}

TWinControl* TWinControl::FindNextControl(TWinControl* current, bool forward) const {
    auto list = TabOrderList();
    if (list.empty()) return nullptr;
    auto it = std::find(list.begin(), list.end(), current);
    int n = static_cast<int>(list.size());
    int i;
    if (it == list.end()) {
        i = forward ? 0 : n - 1;
    } else {
        int at = static_cast<int>(it - list.begin());
        i = forward ? (at + 1) % n : (at + n - 1) % n;
    }
    return list[static_cast<size_t>(i)];
}

void TWinControl::BringToFront() {
    if (handle_) SetWindowPos(handle_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    if (Parent()) {
        auto& list = Parent()->controls_;
        list.erase(std::remove(list.begin(), list.end(), this), list.end());
        list.push_back(this);
    }
}

TControl* TWinControl::GraphicControlAt(POINT p) const {
    for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
        TControl* c = *it;
        if (c->IsWindowed() || !c->Visible() || !c->Enabled()) continue;
        RECT r = Scaled(c->BoundsRect());
        if (PtInRect(&r, p)) return c;
    }
    return nullptr;
}

void TWinControl::Invalidate() {
    if (handle_) InvalidateRect(handle_, nullptr, TRUE);
}

void TWinControl::Update() {
    if (handle_) UpdateWindow(handle_);
}

std::string TWinControl::GetText() const {
    if (!handle_) return text_;
    const auto unicode = UnicodeClassProcs().find(static_cast<ATOM>(GetClassWord(handle_, GCW_ATOM)));
    if (unicode == UnicodeClassProcs().end()) {
        int n = GetWindowTextLengthA(handle_);
        std::string s(static_cast<size_t>(n) + 1, '\0');
        n = GetWindowTextA(handle_, s.data(), n + 1);
        s.resize(static_cast<size_t>(std::max(n, 0)));
        return s;
    }
    // A system control may hold UTF-16 (a paste): read as it is held and
    // narrowed here as the system would, best fit included, but with one
    // "?" for an emoji rather than one for each half.
    const WNDPROC proc = unicode->second;
    LRESULT n = CallWindowProcW(proc, handle_, WM_GETTEXTLENGTH, 0, 0);
    std::u16string s(static_cast<size_t>(std::max<LRESULT>(n, 0)) + 1, u'\0');
    ScopedWipe wipe(s.data(), s.capacity() * sizeof(char16_t));  // a password box's text
    n = CallWindowProcW(proc, handle_, WM_GETTEXT, s.size(), reinterpret_cast<LPARAM>(s.data()));
    s.resize(static_cast<size_t>(std::max<LRESULT>(n, 0)));
    return platform::NarrowWithSystem(s, 0);
}

void TWinControl::TextChanged() {
    if (handle_) SetWindowTextA(handle_, text_.c_str());
    Invalidate();
}

void TWinControl::FontChanged() {
    if (handle_) SendMessageA(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(Font().Handle()), TRUE);
    for (TControl* c : controls_)
        if (c->ParentFont()) c->InheritFont(Font());
    Invalidate();
}

void TWinControl::ColorChanged() {
    for (TControl* c : controls_)
        if (c->ParentColor()) c->InheritColor(Color());
    Invalidate();
}

void TWinControl::EnabledChanged() {
    if (handle_) EnableWindow(handle_, Enabled());
    Invalidate();
}

void TWinControl::VisibleChanged() {
    if (handle_) {
        HWND focus = GetFocus();
        bool hadFocus = !Visible() && focus && (focus == handle_ || IsChild(handle_, focus));
        ShowWindow(handle_, Visible() ? SW_SHOWNOACTIVATE : SW_HIDE);
        // A hidden window keeps the focus (and the typing) unless it moves on.
        if (hadFocus && !dynamic_cast<TForm*>(this)) {
            if (TForm* form = ParentForm()) {
                TWinControl* next = form->FindNextControl(this, true);
                if (next) next->SetFocus();
                else ::SetFocus(form->Handle());
            }
        }
    }
    HintChanged();
}

HBRUSH TWinControl::ColorBrush() {
    if (!brush_ || brushColor_ != Color()) {
        brush_.Reset(CreateSolidBrush(ColorToRGB(Color())));
        brushColor_ = Color();
    }
    return brush_.Get();
}

bool TWinControl::EraseBackground(HDC dc) {
    RECT r;
    GetClientRect(handle_, &r);
    ::FillRect(dc, &r, ColorBrush());
    return true;
}

HBRUSH TWinControl::CtlColor(HDC dc) {
    SetTextColor(dc, ColorToRGB(Font().Color()));
    SetBkColor(dc, ColorToRGB(Color()));
    return ColorBrush();
}

void TWinControl::DoEnter() {
    if (TForm* form = ParentForm()) form->FocusChanged(this);
    if (OnEnter) OnEnter(this);
}

void TWinControl::PaintGraphicChildren(HDC dc, const RECT& dirty) {
    std::vector<TControl*> list = controls_;
    for (TControl* c : list) {
        if (c->IsWindowed() || !c->Visible()) continue;
        RECT b = Scaled(c->BoundsRect()), overlap;
        if (!IntersectRect(&overlap, &b, &dirty)) continue;
        SavedDC saved(dc);
        OffsetViewportOrgEx(dc, b.left, b.top, nullptr);
        IntersectClipRect(dc, 0, 0, b.right - b.left, b.bottom - b.top);
        TCanvas canvas(dc);
        canvas.Font().Assign(c->Font());
        static_cast<TGraphicControl*>(c)->Paint(canvas);
    }
}

void TWinControl::TrackLeave() {
    if (trackingLeave_ || !handle_) return;
    TRACKMOUSEEVENT t{sizeof t, TME_LEAVE, handle_, 0};
    if (TrackMouseEvent(&t)) {
        trackingLeave_ = true;
        MouseEnter();
    }
}

void TWinControl::SetHovered(TControl* control) {
    if (control == hovered_) return;
    TControl* old = hovered_;
    hovered_ = control;
    if (old) old->MouseLeave();
    if (control) control->MouseEnter();
}

bool TWinControl::HandleMouseMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    if (msg == WM_MOUSEMOVE) TrackLeave();
    TControl* target = mouseCapture_ ? mouseCapture_ : GraphicControlAt(p);
    if (msg == WM_MOUSEMOVE) SetHovered(target);
    if (!target) {
        DispatchMouse(msg, wParam, p.x, p.y);
        return false;
    }
    bool down = msg == WM_LBUTTONDOWN || msg == WM_RBUTTONDOWN || msg == WM_MBUTTONDOWN || msg == WM_LBUTTONDBLCLK ||
                msg == WM_RBUTTONDBLCLK || msg == WM_MBUTTONDBLCLK;
    bool up = msg == WM_LBUTTONUP || msg == WM_RBUTTONUP || msg == WM_MBUTTONUP;
    if (down && !mouseCapture_) {
        mouseCapture_ = target;
        SetCapture(handle_);
    }
    HWND self = handle_;
    target->DispatchMouse(msg, wParam, p.x - Scaled(target->Left()), p.y - Scaled(target->Top()));
    // The handler may have closed the window or freed the control.
    if (!IsWindow(self) || FromHandle(self) != this) return true;
    if (up && mouseCapture_ && !(wParam & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON))) {
        mouseCapture_ = nullptr;
        if (GetCapture() == handle_) ReleaseCapture();
    }
    return true;
}

bool TWinControl::UpdateCursor() {
    POINT p;
    GetCursorPos(&p);
    ::ScreenToClient(handle_, &p);
    TControl* c = mouseCapture_ ? mouseCapture_ : GraphicControlAt(p);
    TCursor cursor = c ? c->Cursor() : TCursor::crDefault;
    if (cursor == TCursor::crDefault) cursor = Cursor();
    if (cursor == TCursor::crDefault) return false;
    ::SetCursor(CursorHandle(cursor));
    return true;
}

LRESULT TWinControl::Reflect(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) {
    handled = false;
    switch (msg) {
    case WM_COMMAND:
        if (lParam) {
            TWinControl* c = FromHandle(reinterpret_cast<HWND>(lParam));
            if (c && c != this) {
                handled = true;
                c->Command(HIWORD(wParam));
            }
        }
        return 0;
    case WM_DRAWITEM: {
        auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
        if (item->CtlType == ODT_MENU) return 0;
        TWinControl* c = FromHandle(item->hwndItem);
        if (c && c->DrawItem(*item)) {
            handled = true;
            return TRUE;
        }
        return 0;
    }
    default: {
        TWinControl* c = FromHandle(reinterpret_cast<HWND>(lParam));
        if (!c || c == this) return 0;
        HBRUSH brush = c->CtlColor(reinterpret_cast<HDC>(wParam));
        handled = brush != nullptr;
        return reinterpret_cast<LRESULT>(brush);
    }
    }
}

LRESULT TWinControl::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_COMMAND:
    case WM_DRAWITEM:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORLISTBOX: {
        bool handled;
        LRESULT r = Reflect(msg, wParam, lParam, handled);
        if (handled) return r;
        break;
    }
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        TWinControl* c = header ? FromHandle(header->hwndFrom) : nullptr;
        LRESULT result = 0;
        if (c && c != this && c->Notify(*header, result)) return result;
        break;
    }
    case WM_ERASEBKGND:
        if (!IsSystemClass() && EraseBackground(reinterpret_cast<HDC>(wParam))) return 1;
        break;
    case WM_PAINT:
        if (!IsSystemClass()) {
            PaintDC dc(handle_);
            {
                TCanvas canvas(dc.Get());
                canvas.Font().Assign(Font());
                canvas.Brush().color = Color();
                Paint(canvas);
            }
            PaintGraphicChildren(dc.Get(), dc.Dirty());
            return 0;
        }
        break;
    case WM_SIZE:
    case WM_MOVE: {
        LRESULT r = DefaultHandler(msg, wParam, lParam);
        ReadBoundsFromWindow();
        if (msg == WM_SIZE && wParam != SIZE_MINIMIZED) {
            int w = LOWORD(lParam), h = HIWORD(lParam);
            if (w != notifiedWidth_ || h != notifiedHeight_) {
                notifiedWidth_ = w;
                notifiedHeight_ = h;
                Resize();
            }
        }
        return r;
    }
    case WM_SETFOCUS: {
        LRESULT r = DefaultHandler(msg, wParam, lParam);
        DoEnter();
        return r;
    }
    case WM_KILLFOCUS: {
        LRESULT r = DefaultHandler(msg, wParam, lParam);
        DoExit();
        return r;
    }
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
        WORD key = static_cast<WORD>(wParam);
        KeyDown(key, KeyboardShiftState());
        if (!key) return 0;
        wParam = key;
        break;
    }
    case WM_KEYUP:
    case WM_SYSKEYUP: {
        WORD key = static_cast<WORD>(wParam);
        KeyUp(key, KeyboardShiftState());
        if (!key) return 0;
        wParam = key;
        break;
    }
    case WM_CHAR: {
        char c = static_cast<char>(wParam);
        KeyPress(c);
        if (!c) return 0;
        wParam = static_cast<unsigned char>(c);
        break;
    }
    case WM_GETDLGCODE:
        return DialogCode(static_cast<UINT>(DefaultHandler(msg, wParam, lParam)));
    case WM_GETOBJECT:
        if (static_cast<LONG>(lParam) == OBJID_CLIENT) {
            if (AccessibleSource* source = Accessible()) {
                if (!accessibleLink_) accessibleLink_ = std::make_unique<AccessibleLink>();
                if (LRESULT r = accessibleLink_->Answer(handle_, wParam, *source)) return r;
            }
        }
        break;
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_MBUTTONDBLCLK: {
        HWND self = handle_;
        if (HandleMouseMessage(msg, wParam, lParam)) return 0;
        if (!IsWindow(self) || FromHandle(self) != this) return 0;
        break;
    }
    case WM_MOUSELEAVE:
        trackingLeave_ = false;
        SetHovered(nullptr);
        MouseLeave();
        break;
    case WM_SETCURSOR:
        if (reinterpret_cast<HWND>(wParam) == handle_ && LOWORD(lParam) == HTCLIENT && UpdateCursor()) return TRUE;
        break;
    case WM_CAPTURECHANGED:
        if (reinterpret_cast<HWND>(lParam) != handle_) mouseCapture_ = nullptr;
        break;
    default:
        if (msg == AccessibleActionMessage()) {
            AccessibleSource* source = Accessible();
            const int child = static_cast<int>(wParam);
            if (source && child >= 0 && child <= source->ChildCount()) source->DoDefaultAction(child);
            return 0;
        }
        break;
    }
    return DefaultHandler(msg, wParam, lParam);
}

} // namespace velt
