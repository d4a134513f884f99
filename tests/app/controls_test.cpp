// The main window's control variants.
#include "app/controls.h"

#include "toolkit/toolkit_fixture.h"

namespace velt::test {
namespace {

class LeaveNotifyGrid : public ToolkitTest {};

TEST_F(LeaveNotifyGrid, ReportsEachTimeTheMouseLeaves) {
    TForm* form = NewForm(300, 200);
    auto* grid = new TLeaveNotifyGrid(form);
    grid->SetParent(form);
    grid->SetBounds(10, 10, 200, 150);
    form->Show();
    Pump();
    std::vector<TComponent*> senders;
    grid->OnMouseLeave = [&](TComponent* sender) { senders.push_back(sender); };
    for (int i = 0; i < 2; ++i) {
        SendMessageA(grid->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(40, 40));  // starts tracking
        SendMessageA(grid->Handle(), WM_MOUSELEAVE, 0, 0);
    }
    ASSERT_EQ(senders.size(), 2u);
    EXPECT_EQ(senders[0], grid);
    EXPECT_TRUE(grid->InheritsFrom(TStringGrid::StaticClass()));
}

} // namespace
} // namespace velt::test
