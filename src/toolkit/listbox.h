// A list of lines to pick one from (a system LISTBOX): the lines, the
// chosen one, and a double click.
#pragma once
#include <string>
#include <vector>

#include "toolkit/controls.h"

namespace velt {

class TListBox : public TWinControl {
    VELT_PERSISTENT_CLASS()
public:
    explicit TListBox(TComponent* owner);

    // Replaces the lines (ANSI code page); the first one becomes chosen.
    void SetItems(const std::vector<std::string>& items);
    int Count() const { return static_cast<int>(items_.size()); }
    // -1: none. Setting it scrolls the line into view.
    int ItemIndex() const;
    void SetItemIndex(int index);

protected:
    void GetCreateParams(CreateParams& params) override;
    void HandleCreated() override;
    void Command(WORD notifyCode) override;

private:
    std::vector<std::string> items_;
    int itemIndex_ = -1;
};

} // namespace velt
