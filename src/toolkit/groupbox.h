// A frame with a caption that holds other controls. Painted by the toolkit
// (a themed system group box would ignore the colours).
#pragma once
#include "toolkit/controls.h"

namespace velt {

class TGroupBox : public TWinControl {
    VELT_PERSISTENT_CLASS()
public:
    explicit TGroupBox(TComponent* owner);
    long AccessibleRole() const override;

protected:
    void GetCreateParams(CreateParams& params) override;
    void Paint(TCanvas& canvas) override;
    void TextChanged() override { TWinControl::TextChanged(); Invalidate(); }
};

} // namespace velt
