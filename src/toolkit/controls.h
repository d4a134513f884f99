// The control tree: TControl (anything placed on a window), TGraphicControl
// (painted by its parent, no window of its own) and TWinControl (one HWND,
// linked to its object at WM_NCCREATE, served by one window procedure).
#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/component.h"
#include "toolkit/colors.h"
#include "toolkit/dpi.h"
#include "toolkit/graphics.h"

namespace velt {

class TWinControl;
class TForm;
class AccessibleSource;
class AccessibleLink;

enum class TMouseButton { mbLeft, mbRight, mbMiddle };

enum TShiftFlag : unsigned { ssShift = 1, ssAlt = 2, ssCtrl = 4, ssLeft = 8, ssRight = 16, ssMiddle = 32, ssDouble = 64 };
using TShiftState = unsigned;

enum class TCursor { crDefault, crArrow, crHandPoint, crIBeam, crHSplit, crHourGlass };

using TNotifyEvent = std::function<void(TComponent* sender)>;
using TMouseEvent = std::function<void(TComponent* sender, TMouseButton button, TShiftState shift, int x, int y)>;
using TMouseMoveEvent = std::function<void(TComponent* sender, TShiftState shift, int x, int y)>;
// Setting key to 0 swallows the key.
using TKeyEvent = std::function<void(TComponent* sender, WORD& key, TShiftState shift)>;
using TKeyPressEvent = std::function<void(TComponent* sender, char& key)>;

// Shift state from the keyboard now, plus the mouse-button bits of wParam.
TShiftState KeyboardShiftState();
TShiftState MouseShiftState(WPARAM wParam);

class TControl : public TComponent {
    VELT_PERSISTENT_CLASS()
public:
    explicit TControl(TComponent* owner);
    ~TControl() override;

    TWinControl* Parent() const { return parent_; }
    virtual void SetParent(TWinControl* parent);
    // The form this control stands on (null when not on a form).
    TForm* ParentForm() const;

    // Bounds, client sizes and fonts are layout figures, written for 96 DPI;
    // the window's pixels are those times Dpi() / 96. Painting and mouse
    // coordinates are pixels.
    int Dpi() const;
    int Scaled(int v) const { return ScaleToDpi(v, Dpi()); }
    int Unscaled(int v) const { return ScaleFromDpi(v, Dpi()); }
    RECT Scaled(const RECT& r) const { return ScaleRectToDpi(r, Dpi()); }
    RECT Unscaled(const RECT& r) const { return ScaleRectFromDpi(r, Dpi()); }
    // The control's own surface in pixels, from (0, 0).
    virtual RECT PaintRect() const;

    int Left() const { return left_; }
    int Top() const { return top_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    void SetLeft(int v) { SetBounds(v, top_, width_, height_); }
    void SetTop(int v) { SetBounds(left_, v, width_, height_); }
    void SetWidth(int v) { SetBounds(left_, top_, v, height_); }
    void SetHeight(int v) { SetBounds(left_, top_, width_, v); }
    virtual void SetBounds(int left, int top, int width, int height);
    RECT BoundsRect() const { return RECT{left_, top_, left_ + width_, top_ + height_}; }
    virtual int ClientWidth() const { return width_; }
    virtual int ClientHeight() const { return height_; }
    RECT ClientRect() const { return RECT{0, 0, ClientWidth(), ClientHeight()}; }
    void SetClientWidth(int v) { SetClientSize(v, ClientHeight()); }
    void SetClientHeight(int v) { SetClientSize(ClientWidth(), v); }
    virtual void SetClientSize(int width, int height) { SetBounds(left_, top_, width, height); }

    // Caption and Text are one text (a button's caption, an edit's content).
    std::string Caption() const { return GetText(); }
    void SetCaption(const std::string& text) { SetText(text); }
    std::string Text() const { return GetText(); }
    void SetText(const std::string& text);

    const std::string& Hint() const { return hint_; }
    void SetHint(const std::string& hint);
    bool ShowHint() const { return showHint_; }
    void SetShowHint(bool show);
    bool ParentShowHint() const { return parentShowHint_; }
    void SetParentShowHint(bool v);
    // Whether the tooltip shows now (ShowHint, or the parent's when ParentShowHint).
    bool HintActive() const;

    bool Visible() const { return visible_; }
    void SetVisible(bool visible);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    // Visible and every parent visible.
    bool Showing() const;
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);

    TFont& Font() { return font_; }
    const TFont& Font() const { return font_; }
    bool ParentFont() const { return parentFont_; }
    void SetParentFont(bool v);
    TColor Color() const { return color_; }
    void SetColor(TColor color);
    bool ParentColor() const { return parentColor_; }
    void SetParentColor(bool v);
    TCursor Cursor() const { return cursor_; }
    void SetCursor(TCursor cursor);
    // Help topic of the control; 0 means none (look at the parent).
    int HelpContext() const { return helpContext_; }
    void SetHelpContext(int context) { helpContext_ = context; }

    virtual void Invalidate();
    // Paints pending invalid areas now.
    virtual void Update();
    void Repaint() { Invalidate(); Update(); }
    POINT ClientToScreen(POINT p) const;
    POINT ScreenToClient(POINT p) const;
    virtual bool IsWindowed() const { return false; }

    // Runs OnClick; push buttons add their modal result.
    virtual void Click();

    // ---- what screen readers hear
    // The spoken name of a control that has no caption or label to give one.
    const std::string& AccessibleName() const { return accessibleName_; }
    void SetAccessibleName(const std::string& name) { accessibleName_ = name; }
    // The MSAA role; 0 leaves the control to the system (windows) or out
    // of the tree (painted by the parent).
    virtual long AccessibleRole() const { return 0; }
    // AccessibleName, else the caption of the label that leads here, else
    // the control's own caption.
    virtual std::u16string AccessibleText() const;
    // State bits beyond focus, visibility and availability.
    virtual long AccessibleState() const { return 0; }
    virtual HRESULT AccessibleValue(std::u16string& value) const { return DISP_E_MEMBERNOTFOUND; }
    // The default action's name (empty: none) and the action itself.
    virtual std::u16string AccessibleAction() const { return {}; }
    virtual void AccessibleDoAction() { Click(); }
    // The control a label names and whose mnemonic it carries.
    virtual TWinControl* LabelFor() const { return nullptr; }
    // The label that leads to this control, or null.
    TControl* LabelledBy() const;

    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    TMouseMoveEvent OnMouseMove;
    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;
    TNotifyEvent OnResize;

    // Mouse input as the window procedure delivers it (client coordinates):
    // WM_*BUTTONDOWN/UP/DBLCLK and WM_MOUSEMOVE.
    void DispatchMouse(UINT msg, WPARAM wParam, int x, int y);
    virtual void MouseEnter();
    virtual void MouseLeave();

protected:
    virtual std::string GetText() const { return text_; }
    virtual void TextChanged() { Invalidate(); }
    virtual void FontChanged() { Invalidate(); }
    virtual void ColorChanged() { Invalidate(); }
    virtual void EnabledChanged() { Invalidate(); }
    virtual void VisibleChanged();
    virtual void BoundsChanged(const RECT& oldBounds);
    virtual void CursorChanged();
    virtual void HintChanged();
    virtual void Resize() { if (OnResize) OnResize(this); }
    // The form's DPI changed (or the control came onto a form): fonts and
    // pixel sizes follow.
    virtual void ScaleChanged();

    virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
    virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
    virtual void MouseMove(TShiftState shift, int x, int y);
    virtual void DblClick() { if (OnDblClick) OnDblClick(this); }
    // Controls that click on the left button's release over them (pictures,
    // speed buttons, custom controls); native buttons click by notification.
    virtual bool ClicksOnMouseUp() const { return false; }

    std::string text_;
    // The initial visibility of a kind of control (forms start hidden).
    void InitVisible(bool v) { visible_ = v; }
    // Applied by the parent without clearing ParentFont / ParentColor.
    void InheritFont(const TFont& font);
    void InheritColor(TColor color);

    // Bounds as last set or reported by the system.
    int left_ = 0, top_ = 0, width_ = 0, height_ = 0;

private:
    friend class TWinControl;
    TWinControl* parent_ = nullptr;
    std::string hint_;
    bool showHint_ = false;
    bool parentShowHint_ = true;
    bool visible_ = true;
    bool enabled_ = true;
    TFont font_;
    bool parentFont_ = true;
    TColor color_ = clBtnFace;
    bool parentColor_ = false;
    TCursor cursor_ = TCursor::crDefault;
    int helpContext_ = 0;
    std::string accessibleName_;
    bool inheriting_ = false;
    bool leftPressed_ = false;
};

// Painted by its parent window, in creation order, beneath windowed siblings.
class TGraphicControl : public TControl {
    VELT_PERSISTENT_CLASS()
public:
    explicit TGraphicControl(TComponent* owner) : TControl(owner) {}
    void Invalidate() override;
    void Update() override;
    // Called by the parent with the canvas origin at the control's corner
    // and drawing clipped to its bounds.
    virtual void Paint(TCanvas& canvas) = 0;

protected:
    bool ClicksOnMouseUp() const override { return true; }
};

// How the window is made: class registered by the toolkit, styles, parent.
struct CreateParams {
    std::string className;
    DWORD style = 0;
    DWORD exStyle = 0;
    HWND parent = nullptr;
    int x = 0, y = 0, width = 0, height = 0;
};

class TWinControl : public TControl {
    VELT_PERSISTENT_CLASS()
public:
    explicit TWinControl(TComponent* owner);
    ~TWinControl() override;

    // Creates the window (and its parents') when it does not exist yet.
    HWND Handle();
    bool HandleAllocated() const { return handle_ != nullptr; }
    void HandleNeeded() { Handle(); }
    // The object linked to a window made by the toolkit, or null.
    static TWinControl* FromHandle(HWND window);

    void SetParent(TWinControl* parent) override;
    bool IsWindowed() const override { return true; }
    int ClientWidth() const override;
    int ClientHeight() const override;
    RECT PaintRect() const override;

    int ControlCount() const { return static_cast<int>(controls_.size()); }
    TControl* Controls(int index) const { return controls_.at(static_cast<size_t>(index)); }

    // Position among the parent's windowed children for Tab.
    int TabOrder() const;
    void SetTabOrder(int order);
    bool TabStop() const { return tabStop_; }
    void SetTabStop(bool v);
    virtual bool CanFocus() const;
    bool Focused() const;
    void SetFocus();
    // Every focusable descendant in Tab order (group boxes are entered).
    std::vector<TWinControl*> TabOrderList() const;
    // The control after (or before) current in this container's Tab order,
    // wrapping around; null when there is none.
    TWinControl* FindNextControl(TWinControl* current, bool forward) const;
    void BringToFront();

    // The topmost visible graphic child at a client point, or null.
    TControl* GraphicControlAt(POINT p) const;

    void Invalidate() override;
    void Update() override;

    TKeyEvent OnKeyDown;
    TKeyEvent OnKeyUp;
    TKeyPressEvent OnKeyPress;
    TNotifyEvent OnEnter;
    TNotifyEvent OnExit;

    // The message handler; subclasses extend it and call the base.
    virtual LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam);

protected:
    virtual void GetCreateParams(CreateParams& params);
    // After the window exists: apply what was set before (limits, checks...).
    virtual void HandleCreated() {}
    void RecreateHandle();
    // Runs Resize for the current client size, which WM_SIZE then skips.
    void NotifyResize();
    LRESULT DefaultHandler(UINT msg, WPARAM wParam, LPARAM lParam);

    // Own-class windows paint themselves here (background already erased
    // with Color); graphic children are painted afterwards.
    virtual void Paint(TCanvas& canvas) {}
    // Fills the background on WM_ERASEBKGND; return false to leave it.
    virtual bool EraseBackground(HDC dc);
    // This control's colours when its parent is asked (WM_CTLCOLOR*).
    virtual HBRUSH CtlColor(HDC dc);
    // WM_COMMAND notifications (BN_CLICKED, EN_CHANGE...) reflected by the parent.
    virtual void Command(WORD notifyCode) {}
    // WM_DRAWITEM reflected by the parent; true when drawn.
    virtual bool DrawItem(const DRAWITEMSTRUCT& item) { return false; }
    // WM_NOTIFY reflected by the parent; true with `result` when handled.
    virtual bool Notify(const NMHDR& header, LRESULT& result) { return false; }
    // What the control keeps of Tab, Enter, Esc and arrows (WM_GETDLGCODE bits).
    virtual UINT DialogCode(UINT defaultCode) { return defaultCode; }

    virtual void KeyDown(WORD& key, TShiftState shift) { if (OnKeyDown) OnKeyDown(this, key, shift); }
    virtual void KeyUp(WORD& key, TShiftState shift) { if (OnKeyUp) OnKeyUp(this, key, shift); }
    virtual void KeyPress(char& key) { if (OnKeyPress) OnKeyPress(this, key); }
    virtual void DoEnter();
    virtual void DoExit() { if (OnExit) OnExit(this); }

    void TextChanged() override;
    void FontChanged() override;
    void ColorChanged() override;
    void EnabledChanged() override;
    void VisibleChanged() override;
    void BoundsChanged(const RECT& oldBounds) override;
    void ScaleChanged() override;
    std::string GetText() const override;

    // A brush in Color, kept for the background and for CtlColor.
    HBRUSH ColorBrush();
    // Whether the window was made by a system class (EDIT, BUTTON).
    bool IsSystemClass() const { return defProc_ != DefWindowProcA; }

    // What answers screen readers for this window (made on first use from
    // AccessibleRole and the children); null leaves it to the system.
    virtual AccessibleSource* Accessible();
    // Cuts every reader off this window (before the source goes).
    void DisconnectAccessible() noexcept;

private:
    friend LRESULT CALLBACK VeltWindowProc(HWND, UINT, WPARAM, LPARAM);
    friend class TControl;
    void CreateHandle();
    void Attach(HWND window);
    void Detach();
    void InsertControl(TControl* control);
    void RemoveControl(TControl* control);
    void ReadBoundsFromWindow();
    void PaintGraphicChildren(HDC dc, const RECT& dirty);
    bool HandleMouseMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    void SetHovered(TControl* control);
    void TrackLeave();
    bool UpdateCursor();
    LRESULT Reflect(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled);

    HWND handle_ = nullptr;
    WNDPROC defProc_ = DefWindowProcA;
    std::vector<TControl*> controls_;  // creation (painting) order
    std::vector<TWinControl*> tabList_;
    bool tabStop_ = false;
    bool trackingLeave_ = false;
    int notifiedWidth_ = -1, notifiedHeight_ = -1;  // client size last told to Resize
    bool destroying_ = false;
    TControl* mouseCapture_ = nullptr;
    TControl* hovered_ = nullptr;
    velt::BrushHandle brush_;
    TColor brushColor_ = 0;
    std::unique_ptr<AccessibleSource> accessibleSource_;
    std::unique_ptr<AccessibleLink> accessibleLink_;
};

LRESULT CALLBACK VeltWindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);

// Registers (once) a window class of the toolkit. Own classes use
// DefWindowProc; superclasses of a system class keep its procedure as the
// default handler. removeStyle drops class styles (CS_DBLCLKS for buttons,
// so a double click arrives as a second press).
void RegisterToolkitClass(const char* name, const char* systemBase = nullptr, UINT classStyle = 0,
                          UINT removeStyle = 0);
// The default handler of a window class registered above.
WNDPROC ToolkitClassDefaultProc(HWND window);

// Toolkit class names.
constexpr const char* kFormClass = "VeltForm";
constexpr const char* kControlClass = "VeltControl";
constexpr const char* kEditClass = "VeltEdit";
constexpr const char* kButtonClass = "VeltButton";
constexpr const char* kCheckBoxClass = "VeltCheckBox";
constexpr const char* kListBoxClass = "VeltListBox";

HCURSOR CursorHandle(TCursor cursor);

} // namespace velt
