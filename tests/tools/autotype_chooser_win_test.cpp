// Auto-type's chooser driven in process: filtering, arrows, Enter, Escape.
#include "tools/autotype_chooser_win.h"

#include "toolkit/edit.h"
#include "toolkit/listbox.h"
#include "toolkit/toolkit_fixture.h"

namespace velt::test {
namespace {

class AutoTypeChooser : public ToolkitTest {};

TEST_F(AutoTypeChooser, KeysFilterMoveAndPick) {
    const std::vector<std::string> lines = {"Bank Example  (jan)", "Mail  (jan@mail)", "Shop One  (buyer1)",
                                            "Shop Two  (buyer2)"};
    struct Case {
        const char* filter;
        std::vector<WORD> keys;
        int want;
        int shown;  // lines in the list after filtering
    };
    const Case cases[] = {
        {"", {VK_RETURN}, 0, 4},
        {"", {VK_DOWN, VK_DOWN, VK_RETURN}, 2, 4},
        {"", {VK_UP, VK_RETURN}, 0, 4},                      // stays on the first
        {"", {VK_NEXT, VK_RETURN}, 3, 4},                    // stops at the last
        {"SHOP", {VK_DOWN, VK_RETURN}, 3, 2},
        {"buyer1", {VK_RETURN}, 2, 1},
        {"nothing like it", {VK_RETURN, VK_ESCAPE}, -1, 0},  // Enter picks nothing from an empty list
        {"", {VK_DOWN, VK_ESCAPE}, -1, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.filter);
        int shown = -1;
        RunLater(30, [&] {
            HWND w = FindWindowA(kFormClass, "Auto-type: choose the entry");
            auto* form = dynamic_cast<TForm*>(TWinControl::FromHandle(w));
            ASSERT_NE(form, nullptr);
            TEdit* edit = nullptr;
            for (int i = 0; i < form->ControlCount(); ++i) {
                if (auto* e = dynamic_cast<TEdit*>(form->Controls(i))) edit = e;
                if (auto* l = dynamic_cast<TListBox*>(form->Controls(i))) shown = (edit->SetText(c.filter), l->Count());
            }
            for (WORD key : c.keys) PressKey(edit->Handle(), key);
        });
        EXPECT_EQ(ChooseEntry(lines), c.want);
        EXPECT_EQ(shown, c.shown);
    }
}

} // namespace
} // namespace velt::test
