// Merging another version of a strong vault whose entries carry ids and
// field times (version 3): entry by entry, field by field, so that edits to
// different fields on two computers are both kept and nothing loses the
// passwords it replaced. Versions without ids go through MergeRows.
#pragma once
#include "vault/cell_store.h"
#include "vault/row_merge.h"

namespace velt {

// Merges `theirs` into `ours` and writes the result to `merged`, built in
// theirs' store as MergeRows does (ours untouched):
//   - each field takes the side whose time for it is newer (ours on a tie);
//   - a password that loses goes into the entry's history, and the two
//     histories are joined without repeats, newest first;
//   - the one-time code follows the side whose entry changed last;
//   - an entry deleted on one side stays deleted only when the other side
//     has not changed it since the deletion;
//   - entries only one side has are kept; the deletions of both are kept.
// Rows keep our order; the other side's new entries follow the entry they
// followed there. The summary's `changed` names entries that took anything
// from the other side; nothing is ever kept twice.
MergeSummary MergeByIds(const CellStore& ours, CellStore theirs, CellStore& merged);

} // namespace velt
