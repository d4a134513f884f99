// Import of a whole CSV file into the entry table: the source told by its
// header, the fields converted to the vault's code page and its limits, the
// entries appended in file order.
#pragma once
#include <cstddef>
#include <string>

#include "core/errors.h"
#include "core/random_source.h"
#include "import/code_page.h"
#include "import/import_summary.h"
#include "vault/cell_store.h"

namespace velt::import {

// The file cannot be imported; the message names it and the table is as it was.
class EImportError : public Exception { using Exception::Exception; };

inline constexpr std::size_t kMaxImportFileSize = std::size_t(256) << 20;
// The vault's limit for one field.
inline constexpr std::size_t kFieldLimit = 255;

// Imports `bytes`, the whole file called `fileName` in messages, into
// `table`. Entries are appended after the last row; a table whose only entry
// row is empty has that row replaced. The bytes are wiped when this returns
// or throws. Throws EImportError for an empty, oversized, unknown or
// malformed file, leaving the table unchanged. `random` keys the duplicate
// index.
ImportSummary ImportCsv(std::string& bytes, const std::string& fileName, CellStore& table,
                        const ImportCodePage& codePage, RandomByteSource& random);

// A strong vault keeps the imported codes: each becomes its entry's
// one-time-code item, and no longer counts as left out. Returns how many.
int KeepImportedCodes(ImportSummary& summary, CellStore& table);

} // namespace velt::import
