// Modal showing, default and cancel buttons, the close box, the active
// button, and menu shortcuts.
#include "toolkit/forms.h"

#include "toolkit/button.h"
#include "toolkit/checkbox.h"
#include "toolkit/edit.h"
#include "toolkit/menus.h"
#include "toolkit_fixture.h"

namespace velt::test {
namespace {

// An edit box, an OK button (default, mrOk) and a Cancel button (cancel,
// mrCancel), as the run-time dialogs have them.
struct Dialog {
    TForm* form;
    TEdit* edit;
    TCheckBox* check;
    TButton* ok;
    TButton* cancel;
    TButton* yes;
};

class Modal : public ToolkitTest {
protected:
    Dialog Make() {
        Dialog d{};
        d.form = NewForm(300, 120);
        d.form->SetBorderStyle(TFormBorderStyle::bsDialog);
        d.edit = new TEdit(d.form);
        d.edit->SetParent(d.form);
        d.edit->SetBounds(10, 10, 200, 21);
        d.check = new TCheckBox(d.form);
        d.check->SetParent(d.form);
        d.check->SetBounds(10, 40, 200, 17);
        d.ok = new TButton(d.form);
        d.ok->SetParent(d.form);
        d.ok->SetBounds(10, 80, 75, 23);
        d.ok->SetCaption("OK");
        d.ok->SetModalResult(mrOk);
        d.ok->SetDefault(true);
        d.cancel = new TButton(d.form);
        d.cancel->SetParent(d.form);
        d.cancel->SetBounds(100, 80, 75, 23);
        d.cancel->SetCaption("Cancel");
        d.cancel->SetModalResult(mrCancel);
        d.cancel->SetCancel(true);
        d.yes = new TButton(d.form);
        d.yes->SetParent(d.form);
        d.yes->SetBounds(190, 80, 75, 23);
        d.yes->SetCaption("Yes");
        d.yes->SetModalResult(mrYes);
        return d;
    }
};

TEST_F(Modal, ReturnsTheModalResultOfTheClickedButton) {
    struct Case {
        TButton* Dialog::*button;
        TModalResult expected;
    } cases[] = {{&Dialog::ok, mrOk}, {&Dialog::cancel, mrCancel}, {&Dialog::yes, mrYes}};
    for (const Case& c : cases) {
        Dialog d = Make();
        TButton* b = d.*c.button;
        RunLater(20, [b] { SendMessageA(b->Handle(), BM_CLICK, 0, 0); });
        EXPECT_EQ(d.form->ShowModal(), c.expected);
        EXPECT_EQ(d.form->ModalResult(), c.expected);
        EXPECT_FALSE(IsWindowVisible(d.form->Handle()));
        EXPECT_FALSE(d.form->Modal());
    }
}

TEST_F(Modal, KeysAndCloseBox) {
    enum Target { Edit, Check, Cancel, Form };
    struct Case {
        const char* what;
        Target focus;
        UINT msg;
        WPARAM wParam;
        TModalResult expected;
    } cases[] = {
        {"Enter in the edit box presses the default button", Edit, WM_KEYDOWN, VK_RETURN, mrOk},
        {"Enter on a check box presses the default button", Check, WM_KEYDOWN, VK_RETURN, mrOk},
        {"Enter on a focused button presses that button", Cancel, WM_KEYDOWN, VK_RETURN, mrCancel},
        {"Esc presses the cancel button", Edit, WM_KEYDOWN, VK_ESCAPE, mrCancel},
        {"the close box gives Cancel", Form, WM_SYSCOMMAND, SC_CLOSE, mrCancel},
        {"WM_CLOSE gives Cancel", Form, WM_CLOSE, 0, mrCancel},
    };
    for (const Case& c : cases) {
        Dialog d = Make();
        int okClicks = 0;
        d.ok->OnClick = [&](TComponent*) { ++okClicks; };
        RunLater(20, [&] {
            TWinControl* target = c.focus == Edit ? static_cast<TWinControl*>(d.edit)
                                  : c.focus == Check ? static_cast<TWinControl*>(d.check)
                                  : c.focus == Cancel ? static_cast<TWinControl*>(d.cancel)
                                                      : static_cast<TWinControl*>(d.form);
            if (target != d.form) target->SetFocus();
            PostMessageA(target->Handle(), c.msg, c.wParam, 0);
        });
        EXPECT_EQ(d.form->ShowModal(), c.expected) << c.what;
        EXPECT_EQ(okClicks, c.expected == mrOk ? 1 : 0) << c.what;
    }
}

TEST_F(Modal, FirstTabStopHasTheFocusAndTabMovesInTabOrder) {
    Dialog d = Make();
    d.edit->SetText("secret");
    d.edit->SelectAll();
    std::vector<HWND> seen;
    RunLater(20, [&] {
        seen.push_back(GetFocus());
        for (int i = 0; i < 5; ++i) {
            PostMessageA(GetFocus(), WM_KEYDOWN, VK_TAB, 0);
            Pump();
            seen.push_back(GetFocus());
        }
        d.form->SetModalResult(mrAbort);
    });
    EXPECT_EQ(d.form->ShowModal(), mrAbort);
    std::vector<HWND> expected{d.edit->Handle(), d.check->Handle(), d.ok->Handle(),
                               d.cancel->Handle(), d.yes->Handle(), d.edit->Handle()};
    EXPECT_EQ(seen, expected);
    // Selected as set before showing.
    EXPECT_EQ(d.edit->SelStart(), 0);
    EXPECT_EQ(d.edit->SelLength(), 6);
}

TEST_F(Modal, ActiveButtonFollowsTheFocus) {
    Dialog d = Make();
    struct Step {
        TWinControl* focus;  // null: leave the initial focus (the edit box)
        bool okActive, cancelActive;
    } steps[] = {
        {nullptr, true, false},
        {d.cancel, false, true},
        {d.check, true, false},  // not a push button: the default is active
        {d.ok, true, false},
        {d.yes, false, false},
    };
    RunLater(20, [&] {
        for (const Step& s : steps) {
            if (s.focus) s.focus->SetFocus();
            EXPECT_EQ(d.ok->IsActive(), s.okActive);
            EXPECT_EQ(d.cancel->IsActive(), s.cancelActive);
        }
        d.form->Close();
    });
    EXPECT_EQ(d.form->ShowModal(), mrCancel);
}

TEST_F(Modal, CloseQueryCanRefuse) {
    Dialog d = Make();
    int asked = 0;
    d.form->OnCloseQuery = [&](TComponent*, bool& canClose) { canClose = ++asked > 1; };
    RunLater(20, [&] { SendMessageA(d.ok->Handle(), BM_CLICK, 0, 0); });
    RunLater(80, [&] {
        EXPECT_TRUE(IsWindowVisible(d.form->Handle()));
        SendMessageA(d.yes->Handle(), BM_CLICK, 0, 0);
    });
    EXPECT_EQ(d.form->ShowModal(), mrYes);
    EXPECT_EQ(asked, 2);
}

TEST_F(Modal, OtherWindowsAreDisabledWhileModal) {
    TForm* owner = NewForm();
    owner->Show();
    Dialog d = Make();
    bool ownerEnabledInside = true;
    RunLater(20, [&] {
        ownerEnabledInside = IsWindowEnabled(owner->Handle());
        d.form->Close();
    });
    d.form->ShowModal();
    EXPECT_FALSE(ownerEnabledInside);
    EXPECT_TRUE(IsWindowEnabled(owner->Handle()));
}

TEST_F(Modal, ScreenCentredAndClientSize) {
    Dialog d = Make();
    RunLater(20, [&] {
        RECT r;
        GetWindowRect(d.form->Handle(), &r);
        int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
        EXPECT_NEAR((r.left + r.right) / 2, sw / 2, 1);
        EXPECT_NEAR((r.top + r.bottom) / 2, sh / 2, 1);
        RECT c;
        GetClientRect(d.form->Handle(), &c);
        EXPECT_EQ(c.right, 300);
        EXPECT_EQ(c.bottom, 120);
        LONG style = GetWindowLongA(d.form->Handle(), GWL_STYLE);
        EXPECT_FALSE(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME));
        d.form->Close();
    });
    d.form->ShowModal();
}

class FormEvents : public ToolkitTest {};

TEST_F(FormEvents, ShowAndResizeOrder) {
    TForm* form = NewForm(200, 100);
    form->SetBorderStyle(TFormBorderStyle::bsSingle);
    std::vector<std::string> events;
    form->OnResize = [&](TComponent*) {
        events.push_back("resize " + std::to_string(form->ClientWidth()) + "x" + std::to_string(form->ClientHeight()));
    };
    form->OnShow = [&](TComponent*) { events.push_back("show"); };
    form->Handle();  // made early: no layout event before the first showing
    form->Show();
    Pump();
    form->SetClientSize(250, 120);
    Pump();
    form->Hide();
    form->Show();
    std::vector<std::string> expected{"resize 200x100", "show", "resize 250x120", "show"};
    EXPECT_EQ(events, expected);
    LONG style = GetWindowLongA(form->Handle(), GWL_STYLE);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_TRUE(style & WS_MAXIMIZEBOX);
    EXPECT_FALSE(style & WS_THICKFRAME);
}

TEST_F(FormEvents, DesignedPositionKeepsTheWindowOnTheScreen) {
    const int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
    const struct {
        int left, top;
        bool moves;
    } cases[] = {{40, 30, false}, {sw - 100, sh - 50, true}, {-500, 20, true}};
    for (const auto& c : cases) {
        TForm* form = NewForm();
        form->SetPosition(TPosition::poDesigned);
        form->SetBounds(c.left, c.top, form->Width(), form->Height());
        form->Show();
        RECT r;
        GetWindowRect(form->Handle(), &r);
        EXPECT_EQ(r.left != c.left || r.top != c.top, c.moves) << c.left;
        EXPECT_TRUE(r.left >= 0 && r.top >= 0 && r.right <= sw && r.bottom <= sh) << c.left;
    }
}

class Menus : public ToolkitTest {};

TEST_F(Menus, ShortcutsWorkAnywhereInTheForm) {
    TForm* form = NewForm();
    auto* menu = new TMainMenu(form);
    auto* file = new TMenuItem(form);
    file->SetCaption("File");
    menu->Items()->Add(file);
    std::vector<std::string> ran;
    struct Item {
        const char* caption;
        TShortCut shortCut;
    } items[] = {{"Open/ Reopen", ShortCut('R', ssCtrl)}, {"Save", ShortCut('S', ssCtrl)},
                 {"Help", ShortCut(VK_F1, 0)}, {"Disabled", ShortCut('D', ssCtrl)}};
    for (const Item& i : items) {
        auto* item = new TMenuItem(form);
        item->SetCaption(i.caption);
        item->SetShortCut(i.shortCut);
        std::string name = i.caption;
        item->OnClick = [&ran, name](TComponent*) { ran.push_back(name); };
        if (name == "Disabled") item->SetEnabled(false);
        file->Add(item);
    }
    form->SetMenu(menu);
    auto* edit = new TEdit(form);
    edit->SetParent(form);
    form->Show();
    edit->SetFocus();
    Pump();

    PressKey(edit->Handle(), 'R', true);
    PressKey(form->Handle(), VK_F1);
    PressKey(edit->Handle(), 'S', true);
    PressKey(edit->Handle(), 'D', true);   // disabled: nothing
    PressKey(edit->Handle(), 'R', false);  // no Ctrl: typed into the edit box
    std::vector<std::string> expected{"Open/ Reopen", "Help", "Save"};
    EXPECT_EQ(ran, expected);
    EXPECT_EQ(edit->Text(), "r");
}

TEST_F(Menus, MenuTextShowsShortcutAndFollowsCaptionChanges) {
    TForm* form = NewForm();
    auto* menu = new TMainMenu(form);
    auto* file = new TMenuItem(form);
    file->SetCaption("File");
    menu->Items()->Add(file);
    auto* open = new TMenuItem(form);
    open->SetCaption("Open/ Reopen");
    open->SetShortCut(ShortCut('R', ssCtrl));
    file->Add(open);
    form->SetMenu(menu);
    form->Show();

    auto text = [&](HMENU m, int pos) {
        char buf[128] = {};
        GetMenuStringA(m, static_cast<UINT>(pos), buf, sizeof buf, MF_BYPOSITION);
        return std::string(buf);
    };
    HMENU bar = GetMenu(form->Handle());
    EXPECT_EQ(text(bar, 0), "File");
    EXPECT_EQ(text(GetSubMenu(bar, 0), 0), "Open/ Reopen\tCtrl+R");

    open->SetCaption("Otw\xF3rz");
    file->SetCaption("Plik");
    open->SetChecked(true);
    bar = GetMenu(form->Handle());
    EXPECT_EQ(text(bar, 0), "Plik");
    EXPECT_EQ(text(GetSubMenu(bar, 0), 0), "Otw\xF3rz\tCtrl+R");
    EXPECT_TRUE(GetMenuState(GetSubMenu(bar, 0), 0, MF_BYPOSITION) & MF_CHECKED);

    int clicks = 0;
    open->OnClick = [&](TComponent*) { ++clicks; };
    SendMessageA(form->Handle(), WM_COMMAND, open->Command(), 0);
    EXPECT_EQ(clicks, 1);
}

TEST(ShortCutText, Names) {
    struct Case {
        TShortCut sc;
        const char* text;
    } cases[] = {
        {ShortCut('R', ssCtrl), "Ctrl+R"},  {ShortCut(VK_F1, 0), "F1"},
        {ShortCut('Z', ssCtrl), "Ctrl+Z"},  {ShortCut(VK_DELETE, ssShift | ssCtrl), "Shift+Ctrl+Del"},
        {ShortCut('5', ssAlt), "Alt+5"},    {0, ""},
    };
    for (const Case& c : cases) EXPECT_EQ(ShortCutToText(c.sc), c.text);
}

} // namespace
} // namespace velt::test
