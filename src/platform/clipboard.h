// Plain text on the clipboard. Texts put there are marked private: left out
// of clipboard monitors, the clipboard history and cloud upload (they are
// passwords).
#pragma once
#include <windows.h>

#include <string>

namespace velt::platform {

// Replaces the clipboard's contents with text: its bytes as CF_TEXT, and as
// CF_UNICODETEXT the characters they are shown as (the vault's code page).
// Without the second, Windows would widen the bytes with the code page of
// the keyboard layout active at the copy, and a Polish letter could paste
// as another character in every Unicode program.
// Throws EClipboardError "Cannot open clipboard" when another program holds it.
void SetClipboardText(const std::string& text, HWND owner = nullptr);
// The same with the characters given: what an edit box shows.
void SetClipboardText(const std::string& text, const std::u16string& shown, HWND owner);
// The CF_TEXT contents ("" when none). Same failure as above.
std::string GetClipboardText(HWND owner = nullptr);

} // namespace velt::platform
