// The three control variants of the main window: a speed button with a white
// frame, a grid that publishes its mouse-leave notification, and an edit box
// that remembers which grid cell it edits.
#pragma once
#include "toolkit/edit.h"
#include "toolkit/speed_button.h"
#include "toolkit/string_grid.h"

namespace velt {

class TFramedSpeedButton : public TSpeedButton {
    VELT_PERSISTENT_CLASS()
public:
    explicit TFramedSpeedButton(TComponent* owner) : TSpeedButton(owner) {}
    void Paint(TCanvas& canvas) override;
};

// OnMouseLeave (inherited) is raised whenever the mouse leaves the grid.
class TLeaveNotifyGrid : public TStringGrid {
    VELT_PERSISTENT_CLASS()
public:
    explicit TLeaveNotifyGrid(TComponent* owner) : TStringGrid(owner) {}
};

class TCellEdit : public TEdit {
    VELT_PERSISTENT_CLASS()
public:
    explicit TCellEdit(TComponent* owner) : TEdit(owner) {}
    // The cell the in-place editor was opened on; 0 in either: none.
    std::int32_t EditCol = 0;
    std::int32_t EditRow = 0;
};

} // namespace velt
