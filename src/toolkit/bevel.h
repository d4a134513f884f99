// A frame painted on the parent, lowered or raised.
#pragma once
#include "toolkit/controls.h"

namespace velt {

enum class TBevelShape { bsBox, bsFrame };
enum class TBevelStyle { bsLowered, bsRaised };

class TBevel : public TGraphicControl {
    VELT_PERSISTENT_CLASS()
public:
    explicit TBevel(TComponent* owner);

    TBevelShape Shape() const { return shape_; }
    void SetShape(TBevelShape v) { shape_ = v; Invalidate(); }
    TBevelStyle Style() const { return style_; }
    void SetStyle(TBevelStyle v) { style_ = v; Invalidate(); }

    void Paint(TCanvas& canvas) override;

private:
    TBevelShape shape_ = TBevelShape::bsBox;
    TBevelStyle style_ = TBevelStyle::bsLowered;
};

} // namespace velt
