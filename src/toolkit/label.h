// A text painted on its parent: word wrap, sizing to its text (within an
// optional maximum width), transparent or filled background.
#pragma once
#include "toolkit/controls.h"

namespace velt {

enum class TAlignment { taLeftJustify, taRightJustify, taCenter };

class TLabel : public TGraphicControl {
    VELT_PERSISTENT_CLASS()
public:
    explicit TLabel(TComponent* owner);

    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool v);
    // With AutoSize, words wrap at MaxWidth (or at the current width when
    // MaxWidth is 0) and the height follows the lines.
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool v);
    int MaxWidth() const { return maxWidth_; }
    void SetMaxWidth(int v);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool v);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment v);
    // '&' marks an accelerator letter (drawn underlined) when true.
    bool ShowAccelChar() const { return showAccelChar_; }
    void SetShowAccelChar(bool v);
    // The control the label names; its mnemonic moves the focus there.
    TWinControl* FocusControl() const { return focusControl_; }
    void SetFocusControl(TWinControl* control) { focusControl_ = control; }
    TWinControl* LabelFor() const override { return focusControl_; }
    long AccessibleRole() const override;

    void Paint(TCanvas& canvas) override;

protected:
    void TextChanged() override;
    void FontChanged() override;
    void AdjustBounds();
    UINT TextFormat() const;

private:
    bool autoSize_ = true;
    bool wordWrap_ = false;
    int maxWidth_ = 0;
    bool transparent_ = false;
    TAlignment alignment_ = TAlignment::taLeftJustify;
    bool showAccelChar_ = true;
    TWinControl* focusControl_ = nullptr;
};

} // namespace velt
