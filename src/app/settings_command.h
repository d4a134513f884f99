// Additional > "Settings…": velt.ini beside velt.exe, read at start and
// written (atomically) only when the dialog is closed with OK.
#pragma once
#include <string>

#include "vault/settings.h"

namespace velt {

// velt.ini in `dir` (with its trailing separator).
std::string SettingsPath(const std::string& dir);

// The settings in `path`; defaults for a missing or unreadable file and for
// each damaged value. Never fails.
Settings ReadSettingsFile(const std::string& path);

// The modal dialog; true and `settings` changed on OK. `hotkeyNote`, when
// not empty, says why the shortcut does not work now.
bool ShowSettingsDialog(Settings& settings, const std::string& hotkeyNote = "");

// The command: the dialog, then on OK the new settings in `current` and in
// `path`. A file that cannot be written is reported; the new settings hold
// for this run all the same. True on OK.
bool SettingsCommand(Settings& current, const std::string& path, const std::string& hotkeyNote = "");

} // namespace velt
