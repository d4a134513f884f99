// The main window's search button: a flat speed button with a white 1-px
// frame along its full bounds.
#pragma once
#include "toolkit/speedbutton.h"

namespace velt {

class TFramedSpeedButton : public TSpeedButton {
    VELT_PERSISTENT_CLASS()
public:
    explicit TFramedSpeedButton(TComponent* owner) : TSpeedButton(owner) {}

protected:
    void Paint(TCanvas& canvas) override;
};

} // namespace velt
