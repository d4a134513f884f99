// Additional > "Password health…": the report on the table's passwords, in
// a dialog that names entries and never shows a password.
#pragma once
#include "vault/cell_store.h"

namespace velt {

// Shows the report; the grid row of the entry chosen with Enter or a double
// click, or 0 when it was closed.
int ShowPasswordHealth(const CellStore& table, bool compatibleFormat);

} // namespace velt
