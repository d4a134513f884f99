// The password prompt, built in code at each use, and the measuring routine
// run-time dialogs take their layout unit from.
#pragma once
#include <windows.h>

#include <string>

namespace velt {

class TCanvas;

// Average width of the 52 letters A-Z a-z (truncated) and their height, in
// the canvas's current font.
SIZE MeasureAverageCharSize(TCanvas& canvas);

// Asks for a password. On OK: `password` receives the box's text, `asterisk`
// the check box state, and the result is true. Otherwise both stay as they
// were and the result is false.
bool PasswordQuery(const std::string& caption, const std::string& prompt, std::string& password, bool& asterisk);

// The same prompt without the "Asterisk passwords" box: unlocking leaves the
// way the table is shown as it was.
bool PasswordQuery(const std::string& caption, const std::string& prompt, std::string& password);
// That prompt closed by Enter when it is let go, so that no repeat of it
// reaches `target`, the window that comes to the front next; centred on
// that window's monitor.
bool PasswordQueryOnEnterRelease(const std::string& caption, const std::string& prompt, std::string& password,
                                 HWND target);

} // namespace velt
