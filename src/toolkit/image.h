// A picture painted on its parent: a bitmap resource or a bitmap handed in.
// Transparent: the colour of the bottom-left pixel lets the parent show.
#pragma once
#include "toolkit/controls.h"

namespace velt {

class TImage : public TGraphicControl {
    VELT_PERSISTENT_CLASS()
public:
    explicit TImage(TComponent* owner);

    // Loads a BITMAP resource of the program; false when there is none.
    // Above 96 DPI the resource name_2X, drawn for 192 DPI, is taken where
    // it exists, and reduced for the scales between.
    bool LoadFromResourceName(const std::string& name, HINSTANCE module = nullptr);
    // Takes ownership of the bitmap, a picture for 96 DPI.
    void SetBitmap(HBITMAP bitmap);
    HBITMAP Bitmap() const { return bitmap_.Get(); }
    SIZE BitmapSize() const;

    bool Transparent() const { return transparent_; }
    void SetTransparent(bool v);
    // Sizes the control to the bitmap when it changes.
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool v);
    bool Stretch() const { return stretch_; }
    void SetStretch(bool v);

    void Paint(TCanvas& canvas) override;

    // A picture that clicks is a link named by its hint; others are left out.
    long AccessibleRole() const override;
    std::u16string AccessibleText() const override;
    std::u16string AccessibleAction() const override;
protected:
    void ScaleChanged() override;

private:
    void PictureChanged();
    bool LoadForDpi();
    // The bitmap's size in layout figures.
    SIZE DesignSize() const;

    BitmapHandle bitmap_;
    bool transparent_ = false;
    bool autoSize_ = false;
    bool stretch_ = false;
    int bitmapDpi_ = 96;
    std::string resource_;
    HINSTANCE module_ = nullptr;
    bool large_ = false;  // the 2x picture was asked for
};

} // namespace velt
