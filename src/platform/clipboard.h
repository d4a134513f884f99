// Plain text on the clipboard. Texts put there are marked private: left out
// of clipboard monitors, the clipboard history and cloud upload (they are
// passwords).
#pragma once
#include <windows.h>

#include <string>

namespace velt::platform {

// Replaces the clipboard's contents with text (ANSI code page).
// Throws EClipboardError "Cannot open clipboard" when another program holds it.
void SetClipboardText(const std::string& text, HWND owner = nullptr);
// The CF_TEXT contents ("" when none). Same failure as above.
std::string GetClipboardText(HWND owner = nullptr);

} // namespace velt::platform
