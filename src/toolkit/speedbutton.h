// A push button painted on its parent (no window, never takes the focus).
// Flat: no edge until the pointer is over it. Descendants draw over the
// normal face by overriding Paint and calling the base first.
#pragma once
#include "toolkit/controls.h"

namespace velt {

class TSpeedButton : public TGraphicControl {
    VELT_PERSISTENT_CLASS()
public:
    explicit TSpeedButton(TComponent* owner);

    bool Flat() const { return flat_; }
    void SetFlat(bool v);
    // Pressed now (the left button went down on it and is still over it).
    bool Down() const { return down_; }
    bool MouseInControl() const { return hover_; }

    void Paint(TCanvas& canvas) override;
    long AccessibleRole() const override;
    std::u16string AccessibleAction() const override;

protected:
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseMove(TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseEnter() override;
    void MouseLeave() override;

private:
    bool flat_ = false;
    bool down_ = false;
    bool tracking_ = false;
    bool hover_ = false;
};

} // namespace velt
