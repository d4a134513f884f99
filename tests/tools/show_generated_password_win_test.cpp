// The generated-password dialog driven in process.
#include "tools/show_generated_password.h"

#include "toolkit/application.h"
#include "toolkit/edit.h"
#include "toolkit/label.h"
#include "toolkit/toolkit_fixture.h"
#include "ui/button_with_color.h"
#include "ui/password_query.h"

namespace velt::test {
namespace {

struct Shown {
    TForm* form = nullptr;
    TLabel* label = nullptr;
    TEdit* edit = nullptr;
    TBitBtnWithColor* ok = nullptr;
    int buttons = 0;
};

Shown FindDialog(const char* title) {
    Shown s;
    HWND w = FindWindowA(kFormClass, title);
    s.form = w ? dynamic_cast<TForm*>(TWinControl::FromHandle(w)) : nullptr;
    if (!s.form) return s;
    for (int i = 0; i < s.form->ControlCount(); ++i) {
        TControl* c = s.form->Controls(i);
        if (auto* l = dynamic_cast<TLabel*>(c)) s.label = l;
        if (auto* e = dynamic_cast<TEdit*>(c)) s.edit = e;
        if (auto* b = dynamic_cast<TBitBtnWithColor*>(c)) s.ok = b, ++s.buttons;
    }
    return s;
}

class GeneratedPasswordDialog : public ToolkitTest {
protected:
    bool Show(const std::string& prompt, std::function<void(Shown&)> act) {
        RunLater(30, [=] {
            Shown s = FindDialog("Generated password");
            ASSERT_TRUE(s.form && s.label && s.edit && s.ok) << "dialog not found";
            found_ = true;
            act(s);
        });
        found_ = false;
        bool result = ShowGeneratedPassword("Generated password", prompt, "Qx7pL0aZ3mN8vB2cR5tY");
        EXPECT_TRUE(found_);
        EXPECT_EQ(nullptr, FindWindowA(kFormClass, "Generated password")) << "dialog left behind";
        return result;
    }
    bool found_ = false;
};

TEST_F(GeneratedPasswordDialog, LayoutAndContent) {
    Show("Copy from this field", [](Shown& s) {
        const SIZE wh = MeasureAverageCharSize(s.form->Canvas());
        const int w = wh.cx, h = wh.cy;
        RECT client;
        GetClientRect(s.form->Handle(), &client);
        EXPECT_EQ(MulDiv(180, w, 4), client.right);
        EXPECT_EQ(MulDiv(8, w, 4), s.label->Left());
        EXPECT_EQ(MulDiv(8, h, 8), s.label->Top());
        EXPECT_EQ("Copy from this field", s.label->Caption());

        RECT edit = ChildRect(s.edit->Handle());
        EXPECT_EQ(s.label->Left(), edit.left);
        EXPECT_EQ(s.label->Top() + s.label->Height() + 5, edit.top);
        EXPECT_EQ(MulDiv(164, w, 4), edit.right - edit.left);
        EXPECT_EQ("Qx7pL0aZ3mN8vB2cR5tY", s.edit->Text());
        DWORD start = 99, end = 99;
        SendMessageA(s.edit->Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
        EXPECT_EQ(0u, start);
        EXPECT_EQ(20u, end);
        EXPECT_EQ(0, SendMessageA(s.edit->Handle(), EM_GETPASSWORDCHAR, 0, 0));
        EXPECT_EQ(clBlack, s.edit->Font().Color());

        EXPECT_EQ(1, s.buttons);
        RECT ok = ChildRect(s.ok->Handle());
        EXPECT_EQ(MulDiv(67, w, 4), ok.left);
        EXPECT_EQ(edit.bottom + 15, ok.top);
        EXPECT_EQ(MulDiv(50, w, 4), ok.right - ok.left);
        EXPECT_EQ(MulDiv(14, h, 8), ok.bottom - ok.top);
        EXPECT_EQ(ok.bottom + 13, client.bottom);
        EXPECT_EQ("OK", s.ok->Caption());
        EXPECT_TRUE(s.ok->Default());
        EXPECT_TRUE(s.ok->Cancel());
        EXPECT_EQ(clBlack, s.ok->Color());
        EXPECT_EQ(clWhite, s.ok->Font().Color());
        SendMessageA(s.ok->Handle(), BM_CLICK, 0, 0);
    });
}

TEST_F(GeneratedPasswordDialog, EnterAndEscPressOkTheCloseBoxDoesNot) {
    struct Case {
        const char* what;
        UINT key;  // 0: the close box
        bool result;
    } cases[] = {{"Enter", VK_RETURN, true}, {"Esc", VK_ESCAPE, true}, {"close box", 0, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.result, Show("Copy from this field", [&c](Shown& s) {
                      SetWindowTextA(s.edit->Handle(), "edited");  // goes nowhere
                      if (c.key) PressKey(s.edit->Handle(), static_cast<WORD>(c.key));
                      else PostMessageA(s.form->Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
                  }));
    }
}

TEST_F(GeneratedPasswordDialog, LongPromptWrapsAndMovesTheRestDown) {
    int oneLine = 0, wrapped = 0, shortHeight = 0, longHeight = 0;
    auto probe = [](int& label, int& height) {
        return [&label, &height](Shown& s) {
            label = s.label->Height();
            RECT c;
            GetClientRect(s.form->Handle(), &c);
            height = c.bottom;
            PressKey(s.edit->Handle(), VK_RETURN);
        };
    };
    Show("Copy from this field", probe(oneLine, shortHeight));
    Show("Copy the password from this field by hand; it is not kept anywhere once this window closes",
         probe(wrapped, longHeight));
    EXPECT_GE(wrapped, 2 * oneLine);
    EXPECT_EQ(shortHeight + wrapped - oneLine, longHeight);
}

} // namespace
} // namespace velt::test
