// The password prompt driven in process: layout, limits, every way of
// closing it, and its texts in Polish.
#include "ui/password_query.h"

#include "core/errors.h"
#include "core/resource_strings.h"
#include "i18n/localisation_win.h"
#include "toolkit/application.h"
#include "toolkit/checkbox.h"
#include "toolkit/edit.h"
#include "toolkit/label.h"
#include "support/screen_reader_win.h"
#include "toolkit/toolkit_fixture.h"
#include "ui/button_with_color.h"

#include <string>

namespace velt::test {
namespace {

// The prompt's controls, found from its window while it is shown.
struct Prompt {
    TForm* form = nullptr;
    TLabel* label = nullptr;
    TEdit* edit = nullptr;
    TCheckBox* check = nullptr;
    TBitBtnWithColor* ok = nullptr;
    TBitBtnWithColor* cancel = nullptr;
};

Prompt FindPrompt(const char* caption) {
    Prompt p;
    HWND w = FindWindowA(kFormClass, caption);
    if (!w) return p;
    p.form = dynamic_cast<TForm*>(TWinControl::FromHandle(w));
    if (!p.form) return p;
    for (int i = 0; i < p.form->ControlCount(); ++i) {
        TControl* c = p.form->Controls(i);
        if (auto* l = dynamic_cast<TLabel*>(c)) p.label = l;
        if (auto* e = dynamic_cast<TEdit*>(c)) p.edit = e;
        if (auto* k = dynamic_cast<TCheckBox*>(c)) p.check = k;
        if (auto* b = dynamic_cast<TBitBtnWithColor*>(c)) (b->ModalResult() == mrOk ? p.ok : p.cancel) = b;
    }
    return p;
}

class PasswordPrompt : public ToolkitTest {
protected:
    // Shows the prompt and runs `act` on it once it is up.
    bool Ask(const std::string& prompt, std::string& password, bool& asterisk,
             std::function<void(Prompt&)> act, const char* caption = "Enter the password") {
        RunLater(30, [=] {
            Prompt p = FindPrompt(caption);
            ASSERT_TRUE(p.form && p.label && p.edit && p.check && p.ok && p.cancel) << "prompt not found";
            found_ = true;
            act(p);
        });
        found_ = false;
        bool accepted = PasswordQuery(caption, prompt, password, asterisk);
        EXPECT_TRUE(found_);
        EXPECT_EQ(nullptr, FindWindowA(kFormClass, caption)) << "dialog left behind";
        return accepted;
    }
    bool found_ = false;
};

TEST_F(PasswordPrompt, LaysItselfOutFromTheFontMeasure) {
    std::string password = "secret";
    bool asterisk = true;
    Ask("Password", password, asterisk, [](Prompt& p) {
        // X and Y measured independently in the dialog's font.
        WindowDC screen;
        SelectGuard font(screen.Get(), p.form->Font().Handle());
        SIZE letters;
        GetTextExtentPoint32A(screen.Get(), "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", 52, &letters);
        const int x = letters.cx / 52, y = letters.cy;
        SIZE measured = MeasureAverageCharSize(p.form->Canvas());
        EXPECT_EQ(x, measured.cx);
        EXPECT_EQ(y, measured.cy);

        RECT client;
        GetClientRect(p.form->Handle(), &client);
        EXPECT_EQ(MulDiv(180, x, 4), client.right);
        EXPECT_EQ(MulDiv(8, x, 4), p.label->Left());
        EXPECT_EQ(MulDiv(8, y, 8), p.label->Top());
        EXPECT_LE(p.label->Width(), MulDiv(164, x, 4));

        RECT edit = ChildRect(p.edit->Handle());
        EXPECT_EQ(p.label->Left(), edit.left);
        EXPECT_EQ(p.label->Top() + p.label->Height() + 5, edit.top);
        EXPECT_EQ(MulDiv(164, x, 4), edit.right - edit.left);

        RECT check = ChildRect(p.check->Handle());
        EXPECT_EQ(p.label->Left(), check.left);
        EXPECT_EQ(edit.bottom + 5, check.top);
        EXPECT_EQ(200, check.right - check.left);

        const int b = check.bottom + 15;
        RECT ok = ChildRect(p.ok->Handle()), cancel = ChildRect(p.cancel->Handle());
        EXPECT_EQ(MulDiv(38, x, 4), ok.left);
        EXPECT_EQ(b, ok.top);
        EXPECT_EQ(MulDiv(50, x, 4), ok.right - ok.left);
        EXPECT_EQ(MulDiv(14, y, 8), ok.bottom - ok.top);
        EXPECT_EQ(MulDiv(92, x, 4), cancel.left);
        EXPECT_EQ(b, cancel.top);
        EXPECT_EQ(ok.right - ok.left, cancel.right - cancel.left);
        EXPECT_EQ(cancel.bottom + 13, client.bottom);
        if (x == 6 && y == 13) {
            // The usual default font: the figures every size derives from.
            EXPECT_EQ(270, client.right);
            EXPECT_EQ(12, p.label->Left());
            EXPECT_EQ(13, p.label->Top());
            EXPECT_EQ(246, edit.right - edit.left);
            EXPECT_EQ(57, ok.left);
            EXPECT_EQ(75, ok.right - ok.left);
            EXPECT_EQ(138, cancel.left);
            EXPECT_EQ(23, cancel.bottom - cancel.top);
        }

        // Centred on the screen, fixed dialog frame.
        RECT w;
        GetWindowRect(p.form->Handle(), &w);
        EXPECT_NEAR(GetSystemMetrics(SM_CXSCREEN), w.left + w.right, 2);
        const LONG style = GetWindowLongA(p.form->Handle(), GWL_STYLE);
        EXPECT_FALSE(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
        EXPECT_TRUE(style & WS_SYSMENU);
        SendMessageA(p.cancel->Handle(), BM_CLICK, 0, 0);
    });
}

TEST_F(PasswordPrompt, StartsMaskedSelectedAndUnticked) {
    std::string password = "hunter2";
    bool asterisk = true;
    Ask("Password", password, asterisk, [](Prompt& p) {
        HWND e = p.edit->Handle();
        EXPECT_EQ(e, GetFocus());
        EXPECT_EQ('*', static_cast<char>(SendMessageA(e, EM_GETPASSWORDCHAR, 0, 0)));
        DWORD start = 99, end = 99;
        SendMessageA(e, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
        EXPECT_EQ(0u, start);
        EXPECT_EQ(7u, end);
        EXPECT_EQ(BST_UNCHECKED, SendMessageA(p.check->Handle(), BM_GETCHECK, 0, 0));
        EXPECT_EQ("Asterisk passwords", p.check->Caption());
        EXPECT_EQ("OK", p.ok->Caption());
        EXPECT_EQ("Cancel", p.cancel->Caption());
        EXPECT_TRUE(p.ok->Default());
        EXPECT_TRUE(p.cancel->Cancel());
        EXPECT_EQ(bkCustom, p.ok->Kind());
        EXPECT_EQ(nullptr, p.ok->Glyph());
        EXPECT_EQ(clBlack, p.ok->Color());
        EXPECT_EQ(clWhite, p.ok->Font().Color());
        EXPECT_EQ(clBlack, p.form->Color());
        EXPECT_EQ(clWhite, p.form->Font().Color());
        EXPECT_EQ(clBlack, p.edit->Font().Color());
        // Focus in the box: OK is the active button.
        EXPECT_TRUE(p.ok->IsActive());
        EXPECT_FALSE(p.cancel->IsActive());
        SendMessageA(p.cancel->Handle(), BM_CLICK, 0, 0);
    });
}

// A screen reader in another process hears a protected box named by the
// prompt, never the password in it.
TEST_F(PasswordPrompt, ReaderHearsAPasswordFieldWithoutItsText) {
    std::string password = "hunter2";
    bool asterisk = false;
    Ask("Password", password, asterisk, [](Prompt& p) {
        std::string heard;
        const std::string reader = "\"" + Beside("msaa_reader.exe") + "\" secret hunter2 tree " + Hex(p.form->Handle());
        for (const std::string& line : RunPumping(reader)) heard += line + "\n";
        for (const char* part : {"static \"Password\"", "text \"Password\" value=denied [focused,protected]",
                                 "checkbox \"Asterisk passwords\" action=\"Tick\"",
                                 "button \"OK\" action=\"Press\" [default]", "button \"Cancel\" action=\"Press\""})
            EXPECT_NE(heard.find(part), std::string::npos) << part << "\n" << heard;
        EXPECT_EQ(heard.find("LEAK"), std::string::npos) << heard;
        SendMessageA(p.cancel->Handle(), BM_CLICK, 0, 0);
    });
}

TEST_F(PasswordPrompt, WrappingPromptPushesTheControlsDown) {
    int shortLabel = 0, shortHeight = 0, longLabel = 0, longHeight = 0;
    std::string password;
    bool asterisk = false;
    auto measure = [](int& label, int& height) {
        return [&label, &height](Prompt& p) {
            label = p.label->Height();
            RECT c;
            GetClientRect(p.form->Handle(), &c);
            height = c.bottom;
            EXPECT_EQ(p.label->Top() + label + 5, ChildRect(p.edit->Handle()).top);
            EXPECT_LE(p.label->Width(), MulDiv(164, MeasureAverageCharSize(p.form->Canvas()).cx, 4));
            SendMessageA(p.cancel->Handle(), BM_CLICK, 0, 0);
        };
    };
    Ask("Password", password, asterisk, measure(shortLabel, shortHeight));
    Ask("Type the master password of the vault here; it both checks the file and keys the cipher of every field",
        password, asterisk, measure(longLabel, longHeight));
    EXPECT_GE(longLabel, 2 * shortLabel);
    EXPECT_EQ(shortHeight + (longLabel - shortLabel), longHeight);
}

TEST_F(PasswordPrompt, TypingStopsAt255Characters) {
    std::string password;
    bool asterisk = false;
    EXPECT_TRUE(Ask("Password", password, asterisk, [](Prompt& p) {
        TypeText(p.edit->Handle(), std::string(300, 'x'));
        Pump();
        EXPECT_EQ(255, GetWindowTextLengthA(p.edit->Handle()));
        SendMessageA(p.ok->Handle(), BM_CLICK, 0, 0);
    }));
    EXPECT_EQ(std::string(255, 'x'), password);
}

TEST_F(PasswordPrompt, EachWayOfClosing) {
    enum How { OkButton, EnterKey, EnterOnCheckBox, CancelButton, EscapeKey, CloseBox };
    struct Case {
        const char* what;
        How how;
        bool tick;
        bool accepted;
    } cases[] = {
        {"OK", OkButton, true, true},        {"Enter", EnterKey, false, true},
        {"Enter on the check box", EnterOnCheckBox, true, true},
        {"Cancel", CancelButton, true, false}, {"Esc", EscapeKey, false, false},
        {"close box", CloseBox, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string password = "before";
        bool asterisk = !c.tick;  // accepting must overwrite it
        const bool accepted = Ask("Password", password, asterisk, [&c](Prompt& p) {
            SetWindowTextA(p.edit->Handle(), "after");
            if (c.tick) SendMessageA(p.check->Handle(), BM_CLICK, 0, 0);
            switch (c.how) {
            case OkButton: SendMessageA(p.ok->Handle(), BM_CLICK, 0, 0); break;
            case EnterKey: PressKey(p.edit->Handle(), VK_RETURN); break;
            case EnterOnCheckBox: p.check->SetFocus(); PressKey(p.check->Handle(), VK_RETURN); break;
            case CancelButton: SendMessageA(p.cancel->Handle(), BM_CLICK, 0, 0); break;
            case EscapeKey: PressKey(p.edit->Handle(), VK_ESCAPE); break;
            case CloseBox: PostMessageA(p.form->Handle(), WM_SYSCOMMAND, SC_CLOSE, 0); break;
            }
        });
        EXPECT_EQ(c.accepted, accepted);
        if (c.accepted) {
            EXPECT_EQ("after", password);
            EXPECT_EQ(c.tick, asterisk);
        } else {
            EXPECT_EQ("before", password);
            EXPECT_EQ(!c.tick, asterisk);
        }
    }
    // An empty box is accepted as it is.
    std::string password = "x";
    bool asterisk = true;
    EXPECT_TRUE(Ask("Password", password, asterisk, [](Prompt& p) {
        SetWindowTextA(p.edit->Handle(), "");
        PressKey(p.edit->Handle(), VK_RETURN);
    }));
    EXPECT_EQ("", password);
    EXPECT_FALSE(asterisk);
}

std::u16string Failing(const std::u16string&) { throw Exception("translator failed"); }

TEST_F(PasswordPrompt, FailureWhileBuildingLeavesNoDialog) {
    const int owned = Application->ComponentCount();
    std::string password = "keep";
    bool asterisk = true;
    SetResourceTranslator(Failing);
    EXPECT_THROW(PasswordQuery("Enter the password", "Password", password, asterisk), Exception);
    SetResourceTranslator(nullptr);
    EXPECT_EQ(nullptr, FindWindowA(kFormClass, "Enter the password"));
    EXPECT_EQ(owned, Application->ComponentCount());
    EXPECT_EQ("keep", password);
    EXPECT_TRUE(asterisk);
}

class PasswordPromptPlLocale : public PasswordPrompt {};

TEST_F(PasswordPromptPlLocale, PolishCaptionsButFixedButtons) {
    SetEnvironmentVariableA("LANG", "pl_PL.UTF-8");
    i18n::LocalisationModule localisation;
    const std::string caption = ResStr(IDS_ENTER_THE_PASSWORD);
    const std::string prompt = ResStr(IDS_PASSWORD);
    ASSERT_EQ("Has\xB3o", prompt);
    std::string password;
    bool asterisk = false;
    Ask(prompt, password, asterisk, [](Prompt& p) {
        EXPECT_EQ("Gwiazdkuj has\xB3" "a", p.check->Caption());
        EXPECT_EQ("Has\xB3o", p.label->Caption());
        EXPECT_EQ("OK", p.ok->Caption());
        EXPECT_EQ("Cancel", p.cancel->Caption());
        SendMessageA(p.cancel->Handle(), BM_CLICK, 0, 0);
    }, caption.c_str());
    SetEnvironmentVariableA("LANG", nullptr);
}

} // namespace
} // namespace velt::test
