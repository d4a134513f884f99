#include "toolkit/hints.h"

#include <commctrl.h>

#include "platform/lazy_library.h"
#include "toolkit/controls.h"

namespace velt {

THintManager& HintManager() {
    // Never destroyed: controls freed during static destruction still ask it.
    static THintManager* manager = new THintManager;
    return *manager;
}

THintManager::~THintManager() {
    if (tooltip_ && IsWindow(tooltip_)) DestroyWindow(tooltip_);
}

bool THintManager::EnsureWindow() {
    if (tooltip_ && IsWindow(tooltip_)) return true;
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES};
    // comctl32 is found on first use: the password prompt shows no hints.
    platform::SystemFunction<decltype(InitCommonControlsEx)>("comctl32.dll", "InitCommonControlsEx")(&icc);
    tooltip_ = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
    if (tooltip_) SendMessageA(tooltip_, TTM_SETMAXTIPWIDTH, 0, 400);
    return tooltip_ != nullptr;
}

void THintManager::Remove(const Tool& tool) {
    if (!tooltip_) return;
    TOOLINFOA ti{};
    ti.cbSize = TTTOOLINFOA_V1_SIZE;
    ti.hwnd = tool.window;
    ti.uId = tool.id;
    SendMessageA(tooltip_, TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&ti));
}

void THintManager::Update(TControl* control) {
    Tool wanted{};
    bool active = control->HintActive() && !control->Hint().empty() && control->Showing();
    if (active) {
        if (control->IsWindowed()) {
            auto* w = static_cast<TWinControl*>(control);
            if (!w->HandleAllocated() || !w->Parent() || !w->Parent()->HandleAllocated()) {
                active = w->HandleAllocated();
                if (active) wanted = Tool{w->Handle(), reinterpret_cast<UINT_PTR>(w->Handle()), control->Hint(), {}};
            } else {
                wanted = Tool{w->Parent()->Handle(), reinterpret_cast<UINT_PTR>(w->Handle()), control->Hint(), {}};
            }
        } else if (control->Parent() && control->Parent()->HandleAllocated()) {
            wanted = Tool{control->Parent()->Handle(), reinterpret_cast<UINT_PTR>(control), control->Hint(),
                          control->Scaled(control->BoundsRect())};
        } else {
            active = false;
        }
    }
    auto it = tools_.find(control);
    if (it != tools_.end()) {
        const Tool& t = it->second;
        if (active && t.window == wanted.window && t.id == wanted.id && t.text == wanted.text &&
            EqualRect(&t.rect, &wanted.rect))
            return;
        Remove(t);
        tools_.erase(it);
    }
    if (!active || !EnsureWindow()) return;
    TOOLINFOA ti{};
    ti.cbSize = TTTOOLINFOA_V1_SIZE;
    ti.uFlags = TTF_SUBCLASS | (control->IsWindowed() ? TTF_IDISHWND : 0);
    ti.hwnd = wanted.window;
    ti.uId = wanted.id;
    ti.rect = wanted.rect;
    ti.lpszText = const_cast<char*>(wanted.text.c_str());
    if (SendMessageA(tooltip_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&ti))) tools_[control] = wanted;
}

void THintManager::Forget(TControl* control) {
    auto it = tools_.find(control);
    if (it == tools_.end()) return;
    Remove(it->second);
    tools_.erase(it);
}

void THintManager::WindowDestroyed(HWND window) {
    for (auto it = tools_.begin(); it != tools_.end();) {
        if (it->second.window == window || it->second.id == reinterpret_cast<UINT_PTR>(window)) {
            Remove(it->second);
            it = tools_.erase(it);
        } else {
            ++it;
        }
    }
}

std::string THintManager::RegisteredText(TControl* control) const {
    auto it = tools_.find(control);
    return it == tools_.end() ? std::string() : it->second.text;
}

} // namespace velt
