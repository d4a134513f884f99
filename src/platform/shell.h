// Hands a path or an address to the system's shell ("open" verb).
#pragma once
#include <windows.h>

#include <functional>
#include <string>

namespace velt::platform {

// Normal show state, no parameters, no working directory. The result is
// not examined: a failure shows nothing and changes nothing.
void ShellOpen(HWND owner, const std::string& target);

// Tests see the request instead of starting a program. Empty: the shell.
using ShellOpenHook = std::function<void(HWND owner, const std::string& target)>;
ShellOpenHook SetShellOpenHook(ShellOpenHook hook);

} // namespace velt::platform
