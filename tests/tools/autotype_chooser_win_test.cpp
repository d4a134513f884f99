// Auto-type's chooser driven in process: filtering, arrows, Enter, Escape,
// its buttons, and a line too long for the list.
#include "tools/autotype_chooser_win.h"
#include "tools/autotype_typist_win.h"

#include <array>

#include "toolkit/button.h"
#include "toolkit/edit.h"
#include "toolkit/listbox.h"
#include "toolkit/toolkit_fixture.h"

namespace velt::test {
namespace {

class AutoTypeChooser : public ToolkitTest {};

TEST_F(AutoTypeChooser, KeysFilterMoveAndPick) {
    const std::vector<std::string> lines = {"Bank Example  (jan)", "Mail  (jan@mail)", "Shop One  (buyer1)",
                                            "Shop Two  (buyer2)  " + std::string(120, 'w')};
    struct Case {
        const char* filter;
        std::vector<WORD> keys;
        int want;
        int shown;  // lines in the list after filtering
        const char* button = "";  // clicked after the keys
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
        {"", {VK_DOWN}, 1, 4, "OK"}, {"", {VK_DOWN}, -1, 4, "Cancel"}, {"buyer1", {}, 2, 1, "OK"},
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
                if (auto* l = dynamic_cast<TListBox*>(form->Controls(i))) {
                    shown = (edit->SetText(c.filter), l->Count());
                    RECT r;
                    GetClientRect(l->Handle(), &r);
                    if (shown == 4) EXPECT_GT(SendMessageA(l->Handle(), LB_GETHORIZONTALEXTENT, 0, 0), r.right);
                }
            }
            for (WORD key : c.keys) PressKey(edit->Handle(), key);
            for (int i = 0; i < form->ControlCount(); ++i)
                if (auto* b = dynamic_cast<TButton*>(form->Controls(i)); b && b->Caption() == c.button) b->Click();
        });
        EXPECT_EQ(ChooseEntry(lines, "Several entries match."), c.want);
        EXPECT_EQ(shown, c.shown);
    }
}

// The inputs of one keystroke: named keys with their scan codes; characters
// as Unicode packets, or as a layout's keys with Shift where it has them.
TEST(AutoTypeKeys, InputsOfEachKeystroke) {
    const HKL us = LoadKeyboardLayoutW(L"00000409", 0);
    const struct {
        Keystroke key;
        HKL layout;
        std::vector<std::array<unsigned, 3>> want;  // vk, scan, flags
    } cases[] = {
        {{Keystroke::Tab, 0}, nullptr, {{VK_TAB, 0x0F, 0}, {VK_TAB, 0x0F, KEYEVENTF_KEYUP}}},
        {{Keystroke::Enter, 0}, us, {{VK_RETURN, 0x1C, 0}, {VK_RETURN, 0x1C, KEYEVENTF_KEYUP}}},
        {{Keystroke::Char, u'ż'}, nullptr, {{0, u'ż', KEYEVENTF_UNICODE}, {0, u'ż', KEYEVENTF_UNICODE | KEYEVENTF_KEYUP}}},
        {{Keystroke::Char, u'a'}, us, {{'A', 0x1E, 0}, {'A', 0x1E, KEYEVENTF_KEYUP}}},
        {{Keystroke::Char, u'A'}, us,
         {{VK_SHIFT, 0x2A, 0}, {'A', 0x1E, 0}, {'A', 0x1E, KEYEVENTF_KEYUP}, {VK_SHIFT, 0x2A, KEYEVENTF_KEYUP}}},
        {{Keystroke::Char, u'€'}, us, {{0, u'€', KEYEVENTF_UNICODE}, {0, u'€', KEYEVENTF_UNICODE | KEYEVENTF_KEYUP}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.key.value);
        INPUT inputs[kMaxKeyInputs];
        const int n = KeyInputs(c.key, c.layout, inputs);
        std::vector<std::array<unsigned, 3>> got;
        for (int i = 0; i < n; ++i) got.push_back({inputs[i].ki.wVk, inputs[i].ki.wScan, inputs[i].ki.dwFlags});
        EXPECT_EQ(got, c.want);
    }
}

} // namespace
} // namespace velt::test
