// Top-level windows: TForm with its border, position, modal showing, default
// and cancel buttons, keyboard handling and canvas.
#pragma once
#include <windows.h>

#include <vector>

#include "toolkit/controls.h"

namespace velt {

class TMainMenu;
class TButton;

enum class TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog };
enum class TPosition { poDesigned, poScreenCenter };
enum TCloseAction { caNone, caHide, caFree, caMinimize };

using TModalResult = int;
constexpr TModalResult mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3, mrRetry = 4, mrIgnore = 5, mrYes = 6,
                       mrNo = 7, mrAll = 8;

using TCloseEvent = std::function<void(TComponent* sender, TCloseAction& action)>;
using TCloseQueryEvent = std::function<void(TComponent* sender, bool& canClose)>;

// A canvas on a window: during painting it draws on the paint DC; outside
// painting it takes the window's DC on first use and gives it back when the
// message loop finishes the current message.
class TControlCanvas : public TCanvas {
public:
    explicit TControlCanvas(TWinControl* control) : control_(control) {}
    ~TControlCanvas() override;
    HDC Handle() override;
    void SetPaintDC(HDC dc) { paintDC_ = dc; }
    void FreeHandle();
    static void FreeDeviceContexts();

private:
    TWinControl* control_;
    HDC paintDC_ = nullptr;
    HDC acquired_ = nullptr;
    HWND acquiredFrom_ = nullptr;
};

class TForm : public TWinControl {
    VELT_PERSISTENT_CLASS()
public:
    explicit TForm(TComponent* owner);
    ~TForm() override;

    TFormBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TFormBorderStyle style);
    TPosition Position() const { return position_; }
    void SetPosition(TPosition position) { position_ = position; }
    // poScreenCenter centres on the work area of this window's monitor
    // rather than on the primary screen (null: the primary screen).
    void SetCenterOn(HWND window) { centerOn_ = window; }

    int ClientWidth() const override;
    int ClientHeight() const override;
    void SetClientSize(int width, int height) override;
    // The DPI the form and its controls are drawn for: the system's until
    // the window exists, then its monitor's.
    int PixelsPerInch() const { return dpi_; }
    // Lays the form out again for another DPI, keeping its client size in
    // layout figures; `suggested` (as WM_DPICHANGED gives it) places it.
    void ChangeDpi(int dpi, const RECT* suggested = nullptr);
    void SetBounds(int left, int top, int width, int height) override;
    long AccessibleRole() const override;

    // Shows the form modally: other windows of the program are disabled
    // until ModalResult becomes non-zero (a button with a modal result, the
    // close box or Esc with a cancel button give mrCancel).
    TModalResult ShowModal();
    TModalResult ModalResult() const { return modalResult_; }
    void SetModalResult(TModalResult result) { modalResult_ = result; }
    bool Modal() const { return modal_; }
    // As the close box: a modal form ends with mrCancel; otherwise
    // OnCloseQuery and OnClose decide, and closing the main form ends the
    // program.
    void Close();

    TControlCanvas& Canvas() { return canvas_; }
    TMainMenu* Menu() const { return menu_; }
    void SetMenu(TMainMenu* menu);
    void MenuChanged();

    // The control that has (or last had) the focus in this form.
    TWinControl* ActiveControl() const { return activeControl_; }
    void SetActiveControl(TWinControl* control);
    // The button Enter presses now: the focused push button, else the
    // default button. Null when none is usable.
    TButton* ActiveButton() const;
    TButton* CancelButton() const;

    // Runs OnCreate; TApplication::CreateForm calls it after construction,
    // forms made in code call it themselves if they use OnCreate.
    void DoCreate();

    // Keys the form handles before the focused control sees them.
    bool PreTranslateMessage(MSG& msg);
    // A control received the focus: buttons update their active state.
    void FocusChanged(TWinControl* control);
    void ControlDestroyed(TWinControl* control);

    TNotifyEvent OnCreate;
    TNotifyEvent OnShow;
    TNotifyEvent OnHide;
    TNotifyEvent OnPaint;
    TNotifyEvent OnActivate;
    TNotifyEvent OnDeactivate;
    TCloseEvent OnClose;
    TCloseQueryEvent OnCloseQuery;

    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

protected:
    void GetCreateParams(CreateParams& params) override;
    void HandleCreated() override;
    void VisibleChanged() override;
    void FontChanged() override;
    void Paint(TCanvas& canvas) override;
    void Resize() override;
    virtual bool CloseQuery();

private:
    DWORD Style() const;
    DWORD ExStyle() const;
    void CenterOnScreen();
    void KeepOnScreen();
    void SetIcons();
    void SetInitialFocus();
    bool DialogKey(const MSG& msg);
    // Alt+letter: the labelled control takes the focus, a button is pressed.
    bool MnemonicKey(const MSG& msg);
    void CollectButtons(const TWinControl* parent, std::vector<TButton*>& out) const;
    void ApplyBorderStyle();
    // The window rectangle around a client area (layout figures) at `dpi` (0: the form's).
    RECT FrameFor(int clientWidth, int clientHeight, int dpi = 0) const;

    TFormBorderStyle borderStyle_ = TFormBorderStyle::bsSizeable;
    TPosition position_ = TPosition::poDesigned;
    HWND centerOn_ = nullptr;
    int clientWidth_ = 320, clientHeight_ = 240;
    int dpi_ = kDesignDpi;
    bool sizeByClient_ = true;
    bool shownOnce_ = false;
    bool modal_ = false;
    TModalResult modalResult_ = mrNone;
    TControlCanvas canvas_;
    TMainMenu* menu_ = nullptr;
    TWinControl* activeControl_ = nullptr;
    HWND savedFocus_ = nullptr;
};

} // namespace velt
