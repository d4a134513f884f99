// The accessible object of an ordinary window: the control itself, as its
// Accessible* members describe it, and its children in creation order.
// Child windows are objects of their own; controls painted by the window
// (labels, speed buttons) are simple children with the same description.
#pragma once
#include <vector>

#include "toolkit/accessible.h"
#include "toolkit/controls.h"

namespace velt {

class ControlAccessible : public AccessibleSource {
public:
    explicit ControlAccessible(TWinControl& control) : control_(control) {}

    int ChildCount() override { return static_cast<int>(Children().size()); }
    std::u16string Name(int child) override { return Of(child).AccessibleText(); }
    std::u16string Shortcut(int child) override;
    HRESULT Value(int child, std::u16string& value) override { return Of(child).AccessibleValue(value); }
    long Role(int child) override { return Of(child).AccessibleRole(); }
    long State(int child) override;
    std::u16string DefaultAction(int child) override { return Of(child).AccessibleAction(); }
    void DoDefaultAction(int child) override;
    bool Location(int child, RECT& screen) override;
    int Focus() override;
    int HitTest(POINT screen) override;
    int Navigate(long direction, int from) override;
    IDispatch* ChildObject(int child) override;

private:
    std::vector<TControl*> Children() const;
    TControl& Of(int child) const;

    TWinControl& control_;
};

} // namespace velt
