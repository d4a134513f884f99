#include "toolkit/msgbox.h"

#include <utility>

namespace velt {

namespace {
MessageBoxHook& Hook() {
    static auto* hook = new MessageBoxHook;
    return *hook;
}
} // namespace

MessageBoxHook SetMessageBoxHook(MessageBoxHook hook) {
    return std::exchange(Hook(), std::move(hook));
}

int ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT flags) {
    if (!owner) owner = GetActiveWindow();
    MessageBoxRequest request{owner, text, caption, flags};
    if (Hook()) return Hook()(request);
    return MessageBoxA(owner, text.c_str(), caption.c_str(), flags);
}

} // namespace velt
