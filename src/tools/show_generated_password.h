// The dialog that shows a newly generated password for copying by hand.
#pragma once
#include <string>

namespace velt {

// Builds the dialog, shows it modally and destroys it; true when it ended
// with OK (Enter and Esc both press its one button; the close box does not).
bool ShowGeneratedPassword(const std::string& title, const std::string& prompt, const std::string& password);

// The Additional menu's three generators: a new password from the system's
// generator, shown under its title; nothing of it is kept once it closes.
enum class GeneratedKind { Random, Simple, Numerical };
void ShowNewPassword(GeneratedKind kind);

} // namespace velt
