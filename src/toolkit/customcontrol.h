// Base of controls that paint everything themselves (the string grid): an
// own window class, flicker-free painting through an off-screen bitmap,
// focus on click, mouse capture while a button is held, scroll bars, the
// wheel, the mouse-leave notification, and the keys it wants to keep.
#pragma once
#include "toolkit/controls.h"
#include "toolkit/forms.h"

namespace velt {

enum class TScrollBarKind { sbHorizontal, sbVertical };
enum class TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };

class TCustomControl : public TWinControl {
    VELT_PERSISTENT_CLASS()
public:
    explicit TCustomControl(TComponent* owner);

    // The canvas: during Paint it draws into the off-screen bitmap; outside
    // painting it draws on the window directly.
    TCanvas& Canvas() { return canvas_; }

    bool DoubleBuffered() const { return doubleBuffered_; }
    void SetDoubleBuffered(bool v) { doubleBuffered_ = v; }

    TScrollStyle ScrollBars() const { return scrollBars_; }
    void SetScrollBars(TScrollStyle v);
    // Range min..max with a page of page units; position clamped by the system.
    void SetScrollRange(TScrollBarKind bar, int min, int max, int page);
    int ScrollPos(TScrollBarKind bar) const;
    void SetScrollPos(TScrollBarKind bar, int pos);

    // Whether the window keeps the mouse while a button is held.
    bool MouseCapture() const;
    void SetMouseCapture(bool v);

    // Tab and arrows stay in the control (not used to move between controls).
    bool WantTabs() const { return wantTabs_; }
    void SetWantTabs(bool v) { wantTabs_ = v; }
    bool WantArrows() const { return wantArrows_; }
    void SetWantArrows(bool v) { wantArrows_ = v; }

    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

protected:
    // code: SB_LINEUP, SB_PAGEDOWN, SB_THUMBTRACK...; pos: the thumb position
    // for the thumb codes. The default moves the bar by a line or a page.
    virtual void Scroll(TScrollBarKind bar, int code, int pos);
    // delta in WHEEL_DELTA units (120 per notch), positive away from the user.
    virtual void MouseWheel(int delta, TShiftState shift, int x, int y);

    void GetCreateParams(CreateParams& params) override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    UINT DialogCode(UINT defaultCode) override;
    bool ClicksOnMouseUp() const override { return true; }
    bool EraseBackground(HDC dc) override;

private:
    void PaintBuffered();

    TControlCanvas canvas_;
    bool doubleBuffered_ = true;
    TScrollStyle scrollBars_ = TScrollStyle::ssNone;
    bool wantTabs_ = false;
    bool wantArrows_ = true;
};

} // namespace velt
