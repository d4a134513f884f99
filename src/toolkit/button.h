// The push button: a system BUTTON with Default, Cancel and ModalResult.
// Owner-drawn descendants (the coloured button) override OwnerDraw() and
// DrawItem(), and repaint when the active state changes.
#pragma once
#include "toolkit/controls.h"
#include "toolkit/forms.h"

namespace velt {

class TButton : public TWinControl {
    VELT_PERSISTENT_CLASS()
public:
    explicit TButton(TComponent* owner);

    bool Default() const { return default_; }
    void SetDefault(bool v);
    bool Cancel() const { return cancel_; }
    void SetCancel(bool v) { cancel_ = v; }
    TModalResult ModalResult() const { return modalResult_; }
    void SetModalResult(TModalResult v) { modalResult_ = v; }

    // OnClick, then the button's modal result (when not mrNone) goes to
    // its form, which closes a modal form.
    void Click() override;

    // The button Enter would press: it has the focus, or it is the default
    // button while the focus is on a control that is not a push button.
    bool IsActive() const { return active_; }
    // The form tells every button where the focus went.
    void FocusChanged(TWinControl* focused);

    long AccessibleRole() const override;
    long AccessibleState() const override;
    std::u16string AccessibleAction() const override;

protected:
    virtual bool OwnerDraw() const { return false; }
    // The active state changed: a system button shows or drops the default
    // frame; an owner-drawn one repaints.
    virtual void ActiveChanged();
    void GetCreateParams(CreateParams& params) override;
    void HandleCreated() override;
    void Command(WORD notifyCode) override;
    void FontChanged() override;
    void EnabledChanged() override;

private:
    bool default_ = false;
    bool cancel_ = false;
    bool active_ = false;
    TModalResult modalResult_ = mrNone;
};

} // namespace velt
