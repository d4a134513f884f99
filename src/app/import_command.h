// File > Import...: the Open dialog, the file read and imported into the
// table, and the summary box.
#pragma once
#include <windows.h>

#include "toolkit/dialogs.h"
#include "vault/cell_store.h"

namespace velt {

// Shows `dialog` (its filter set to the CSV one) and imports the chosen file
// into `table`, then shows the summary. A file that cannot be read or
// imported gets an error box naming it and leaves the table as it was.
// Returns true when rows were added: the caller then sets Modified and
// repaints the grid. Cancel returns false. `keepCodes` (a strong vault):
// the file's one-time codes become their entries' codes.
bool RunImport(HWND owner, CellStore& table, TOpenDialog& dialog, bool keepCodes = false);

} // namespace velt
