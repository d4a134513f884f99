#include "toolkit/msgbox.h"

#include <utility>

namespace velt {

namespace {
MessageBoxHook& Hook() {
    static auto* hook = new MessageBoxHook;
    return *hook;
}
// The box's buttons are renamed as it is activated, before it shows.
struct Renaming {
    HHOOK hook = nullptr;
    const std::vector<std::string>* names = nullptr;
};
thread_local Renaming renaming;

LRESULT CALLBACK RenameButtons(int code, WPARAM wParam, LPARAM lParam) {
    const HHOOK hook = renaming.hook;
    if (code == HCBT_ACTIVATE && renaming.names) {
        const HWND box = reinterpret_cast<HWND>(wParam);
        const int ids[] = {IDYES, IDNO, IDCANCEL};
        for (size_t i = 0; i < renaming.names->size() && i < 3; ++i)
            SetDlgItemTextA(box, ids[i], (*renaming.names)[i].c_str());
        renaming.names = nullptr;
    }
    return CallNextHookEx(hook, code, wParam, lParam);
}
} // namespace

MessageBoxHook SetMessageBoxHook(MessageBoxHook hook) {
    return std::exchange(Hook(), std::move(hook));
}

int ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT flags,
                   std::vector<std::string> buttons) {
    if (!owner) owner = GetActiveWindow();
    MessageBoxRequest request{owner, text, caption, flags, std::move(buttons)};
    if (Hook()) return Hook()(request);
    if (request.buttons.empty()) return MessageBoxA(owner, text.c_str(), caption.c_str(), flags);
    renaming.names = &request.buttons;
    renaming.hook = SetWindowsHookExA(WH_CBT, RenameButtons, nullptr, GetCurrentThreadId());
    const int result = MessageBoxA(owner, text.c_str(), caption.c_str(), flags);
    if (renaming.hook) UnhookWindowsHookEx(renaming.hook);
    renaming = Renaming{};
    return result;
}

} // namespace velt
