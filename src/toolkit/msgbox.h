// Every message box the toolkit shows goes through ShowMessageBox, so a test
// can answer it without a modal loop (a message box blocks the thread).
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace velt {

struct MessageBoxRequest {
    HWND owner;
    std::string text;
    std::string caption;
    UINT flags;  // MB_* as for MessageBox
    // Own words on the buttons, in their order (Yes, No, Cancel of
    // MB_YESNOCANCEL); empty: the system's.
    std::vector<std::string> buttons;
};

// Returns the button id (IDOK, IDYES...) as MessageBox would.
using MessageBoxHook = std::function<int(const MessageBoxRequest&)>;

// Installs a hook in place of the real box; an empty hook restores it.
// Returns the hook that was installed before.
MessageBoxHook SetMessageBoxHook(MessageBoxHook hook);

// owner null: the thread's active window.
int ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT flags,
                   std::vector<std::string> buttons = {});

} // namespace velt
