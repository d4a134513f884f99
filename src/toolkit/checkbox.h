// A check box (a system BUTTON) whose caption takes the control's font
// colour on its Color background.
#pragma once
#include "toolkit/controls.h"

namespace velt {

class TCheckBox : public TWinControl {
    VELT_PERSISTENT_CLASS()
public:
    explicit TCheckBox(TComponent* owner);

    bool Checked() const;
    void SetChecked(bool v);

    long AccessibleRole() const override;
    long AccessibleState() const override;
    std::u16string AccessibleAction() const override;
    void AccessibleDoAction() override;

protected:
    void GetCreateParams(CreateParams& params) override;
    void HandleCreated() override;
    void Command(WORD notifyCode) override;

private:
    mutable bool checked_ = false;
};

} // namespace velt
