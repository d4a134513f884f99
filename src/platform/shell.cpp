#include "platform/shell.h"

#include <shellapi.h>

#include <utility>

namespace velt::platform {

namespace {
ShellOpenHook& Hook() {
    static auto* hook = new ShellOpenHook;
    return *hook;
}
} // namespace

ShellOpenHook SetShellOpenHook(ShellOpenHook hook) { return std::exchange(Hook(), std::move(hook)); }

void ShellOpen(HWND owner, const std::string& target) {
    if (Hook()) {
        Hook()(owner, target);
        return;
    }
    ShellExecuteA(owner, "open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

} // namespace velt::platform
