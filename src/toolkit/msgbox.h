// Every message box the toolkit shows goes through ShowMessageBox, so a test
// can answer it without a modal loop (a message box blocks the thread).
#pragma once
#include <windows.h>

#include <functional>
#include <string>

namespace velt {

struct MessageBoxRequest {
    HWND owner;
    std::string text;
    std::string caption;
    UINT flags;  // MB_* as for MessageBox
};

// Returns the button id (IDOK, IDYES...) as MessageBox would.
using MessageBoxHook = std::function<int(const MessageBoxRequest&)>;

// Installs a hook in place of the real box; an empty hook restores it.
// Returns the hook that was installed before.
MessageBoxHook SetMessageBoxHook(MessageBoxHook hook);

// owner null: the thread's active window.
int ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT flags);

} // namespace velt
