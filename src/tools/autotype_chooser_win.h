// Auto-type's chooser: why it opened, the candidate entries in a list under
// a filter box, OK and Cancel; driven from the keyboard (arrows move,
// typing filters, Enter picks, Escape cancels).
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace velt {

// One line per entry, in the ANSI code page, under `reason`, centred on the
// monitor of `target` (null: the primary one). The index into `lines` of
// the one picked, or -1 when cancelled.
int ChooseEntry(const std::vector<std::string>& lines, const std::string& reason, HWND target = nullptr);

// The indices of `lines` that hold `filter`, letter case aside ("" keeps all).
std::vector<int> FilterLines(const std::vector<std::string>& lines, const std::string& filter);

} // namespace velt
