#include "platform/shell.h"

#include <shellapi.h>

#include <utility>

#include "platform/lazy_library.h"

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
    static auto* const shellExecute = SystemFunction<decltype(ShellExecuteA)>("shell32.dll", "ShellExecuteA");
    shellExecute(owner, "open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

} // namespace velt::platform
