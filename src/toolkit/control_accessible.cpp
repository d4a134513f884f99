#include "toolkit/control_accessible.h"

#include "core/errors.h"

namespace velt {

std::vector<TControl*> ControlAccessible::Children() const {
    std::vector<TControl*> out;
    for (int i = 0; i < control_.ControlCount(); ++i) {
        TControl* c = control_.Controls(i);
        if (c->Visible() && (c->IsWindowed() || c->AccessibleRole() != 0)) out.push_back(c);
    }
    return out;
}

TControl& ControlAccessible::Of(int child) const {
    if (child == 0) return control_;
    auto list = Children();
    if (child < 0 || child > static_cast<int>(list.size())) throw Exception("no such child");
    return *list[static_cast<size_t>(child - 1)];
}

std::u16string ControlAccessible::Shortcut(int child) {
    TControl& c = Of(child);
    char letter = '\0';
    if (TControl* label = c.LabelledBy()) letter = MnemonicOf(label->Caption());
    else if (c.AccessibleRole() == ROLE_SYSTEM_PUSHBUTTON || c.AccessibleRole() == ROLE_SYSTEM_CHECKBUTTON)
        letter = MnemonicOf(c.Caption());
    if (!letter) return {};
    return u"Alt+" + std::u16string(1, static_cast<char16_t>(static_cast<unsigned char>(letter)));
}

long ControlAccessible::State(int child) {
    TControl& c = Of(child);
    long state = c.AccessibleState();
    if (!c.Enabled()) state |= STATE_SYSTEM_UNAVAILABLE;
    if (!c.Showing()) state |= STATE_SYSTEM_INVISIBLE;
    if (c.IsWindowed()) {
        auto& w = static_cast<TWinControl&>(c);
        if (w.TabStop() && w.CanFocus()) state |= STATE_SYSTEM_FOCUSABLE;
        if (w.Focused()) state |= STATE_SYSTEM_FOCUSED;
    }
    return state;
}

void ControlAccessible::DoDefaultAction(int child) {
    TControl& c = Of(child);
    if (c.Enabled() && !c.AccessibleAction().empty()) c.AccessibleDoAction();
}

bool ControlAccessible::Location(int child, RECT& screen) {
    TControl& c = Of(child);
    if (!c.Showing()) return false;
    if (c.IsWindowed()) return GetWindowRect(static_cast<TWinControl&>(c).Handle(), &screen) != FALSE;
    // Where it is painted: its bounds are 96-DPI figures, the screen is pixels.
    screen = c.Scaled(c.BoundsRect());
    const POINT origin = control_.ClientToScreen(POINT{0, 0});
    OffsetRect(&screen, origin.x, origin.y);
    return true;
}

int ControlAccessible::Focus() {
    if (control_.Focused()) return 0;
    auto list = Children();
    HWND focus = GetFocus();
    for (size_t i = 0; i < list.size(); ++i) {
        if (!list[i]->IsWindowed()) continue;
        auto* w = static_cast<TWinControl*>(list[i]);
        if (w->HandleAllocated() && (w->Handle() == focus || IsChild(w->Handle(), focus)))
            return static_cast<int>(i) + 1;
    }
    return -1;
}

int ControlAccessible::HitTest(POINT screen) {
    POINT p = control_.ScreenToClient(screen);
    RECT client = control_.PaintRect();
    if (!PtInRect(&client, p)) return -1;
    auto list = Children();
    // Windows lie above what their parent paints; the last made is on top.
    for (int pass = 0; pass < 2; ++pass) {
        for (size_t i = list.size(); i-- > 0;) {
            if (list[i]->IsWindowed() != (pass == 0)) continue;
            RECT b = list[i]->Scaled(list[i]->BoundsRect());
            if (PtInRect(&b, p)) return static_cast<int>(i) + 1;
        }
    }
    return 0;
}

int ControlAccessible::Navigate(long direction, int from) {
    const int count = ChildCount();
    switch (direction) {
    case NAVDIR_FIRSTCHILD: return from == 0 && count > 0 ? 1 : -1;
    case NAVDIR_LASTCHILD: return from == 0 && count > 0 ? count : -1;
    case NAVDIR_NEXT: return from > 0 && from < count ? from + 1 : -1;
    case NAVDIR_PREVIOUS: return from > 1 ? from - 1 : -1;
    default: return -1;
    }
}

IDispatch* ControlAccessible::ChildObject(int child) {
    if (child == 0) return nullptr;
    TControl& c = Of(child);
    return c.IsWindowed() ? WindowObject(static_cast<TWinControl&>(c).Handle()) : nullptr;
}

} // namespace velt
