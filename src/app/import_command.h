// File > Import...: the Open dialog, the file read and imported into the
// table, and the summary box.
#pragma once
#include <windows.h>

#include <functional>

#include "toolkit/dialogs.h"
#include "vault/cell_store.h"

namespace velt {

// Shows `dialog` (its filter set to the CSV one) and imports the chosen file
// into `table`, then shows the summary. A file that cannot be read or
// imported gets an error box naming it and leaves the table as it was.
// Returns true when rows were added: the caller then sets Modified and
// repaints the grid. Cancel returns false. When the file holds one-time
// codes, `keepCodes` says whether the vault keeps them (it may first ask to
// turn strong encryption on); then they become their entries' codes.
bool RunImport(HWND owner, CellStore& table, TOpenDialog& dialog,
               const std::function<bool()>& keepCodes = nullptr);

} // namespace velt
