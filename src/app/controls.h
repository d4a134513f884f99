// Control variants the main window declares: each adds only what it lists.
#pragma once
#include <cstdint>

#include "toolkit/edit.h"
#include "toolkit/string_grid.h"

namespace velt {

// The grid of the main window. OnMouseLeave (a notification with the grid as
// sender) runs whenever the toolkit reports that the mouse left the grid.
class TLeaveNotifyGrid : public TStringGrid {
    VELT_PERSISTENT_CLASS()
public:
    explicit TLeaveNotifyGrid(TComponent* owner) : TStringGrid(owner) {}
};

// An edit box that remembers the grid cell it was opened on; 0 in either
// field means no cell is being edited.
class TCellEdit : public TEdit {
    VELT_PERSISTENT_CLASS()
public:
    explicit TCellEdit(TComponent* owner) : TEdit(owner) {}

    std::int32_t EditCol = 0;
    std::int32_t EditRow = 0;
};

} // namespace velt
