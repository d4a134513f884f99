// Additional > "One-time code…" on the real main window at a fixed time: a
// compatible vault is offered strong encryption first; a bare secret set up
// with 8 digits shows its code and is stored as the entry's link; Copy puts
// the code on the clipboard; Remove asks, then takes it away; a clock before
// this version was made is called wrong. A Bitwarden export's Steam code,
// imported through the File menu, is shown for its entry.
#include "app/main_window_fixture.h"

#include <fstream>

#include "core/resource_strings.h"
#include "toolkit/button.h"
#include "toolkit/edit.h"
#include "toolkit/label.h"
#include "vault/entry_items.h"

namespace velt::test {
namespace {

std::string Clipboard() {
    std::string text;
    if (!OpenClipboard(nullptr)) return "<cannot open>";
    if (HANDLE h = GetClipboardData(CF_TEXT)) {
        if (auto* p = static_cast<const char*>(GlobalLock(h))) text = p;
        GlobalUnlock(h);
    }
    CloseClipboard();
    return text;
}

using OneTimeDialogWin = MainWindowTest;
TEST_F(OneTimeDialogWin, SetUpShowCopyAndRemoveAtAFixedTime) {
    struct FixedClock : Clock {
        std::int64_t UnixNow() override { return 1700000000; }  // 10 s left of its 30
    } clock;
    TForm1::SetOneTimeClockForTests(&clock);
    WriteVaultFile("secret", {{"Mail", "", "jan", "pw", ""}});
    TForm1* form = Open({true, "secret"});
    form->StringGrid1->SetSelection(TGridRect{1, 1, 1, 1});
    std::vector<std::string> seen;
    std::string stored, copied, afterRemove;
    bool clockWrong = false;
    RunLater(40, [&] {
        auto* dialog = dynamic_cast<TForm*>(TWinControl::FromHandle(FindWindowA(kFormClass, "One-time code")));
        if (!dialog) PostMessageA(GetActiveWindow(), WM_CLOSE, 0, 0);
        ASSERT_NE(dialog, nullptr);
        std::vector<TLabel*> labels;
        std::vector<TEdit*> edits;
        std::vector<TButton*> buttons;
        for (int i = 0; i < dialog->ControlCount(); ++i) {
            if (auto* l = dynamic_cast<TLabel*>(dialog->Controls(i))) labels.push_back(l);
            if (auto* e = dynamic_cast<TEdit*>(dialog->Controls(i))) edits.push_back(e);
            if (auto* b = dynamic_cast<TButton*>(dialog->Controls(i))) buttons.push_back(b);
        }
        ASSERT_TRUE(labels.size() >= 4 && edits.size() == 4 && buttons.size() == 4);
        seen.push_back(labels[0]->Caption());
        edits[0]->SetText(" jbsw y3dp-ehpk 3pxp ");
        edits[1]->SetText("8");
        buttons[1]->Click();  // Set up
        seen.push_back(labels[0]->Caption());
        seen.push_back(labels[1]->Caption());
        seen.push_back(labels[3]->Caption().substr(0, 40));
        clockWrong = labels[3]->Caption().find("clock is wrong") != std::string::npos;
        seen.push_back(edits[0]->Text());
        stored = std::string(OneTimeCodeOf(form->StringGrid1->Store(), 1));
        buttons[0]->Click();  // Copy
        copied = Clipboard();
        boxes_.QueueAnswer(IDYES);
        buttons[2]->Click();  // Remove, after the question
        afterRemove = labels[0]->Caption();
        buttons[3]->Click();
    });
    boxes_.QueueAnswer(IDYES);  // strong encryption: needed first
    boxes_.QueueAnswer(IDYES);  // and turned on
    SendMessageA(form->Handle(), WM_COMMAND, MAKEWPARAM(form->Onetimecode1->Command(), 0), 0);
    Pump();
    TForm1::SetOneTimeClockForTests(nullptr);
    EXPECT_TRUE(form->StrongProtection());
    EXPECT_EQ(seen, (std::vector<std::string>{"No code set up", "02324550", "10 s left",
                                              "Computer's time: 2023-11-14 22:13:20 UTC", ""}));
    EXPECT_TRUE(clockWrong);
    EXPECT_EQ(stored, "otpauth://totp/?secret=JBSWY3DPEHPK3PXP&digits=8");
    EXPECT_EQ(copied, "02324550");
    EXPECT_EQ(afterRemove, "No code set up");
    EXPECT_EQ(OneTimeCodeOf(form->StringGrid1->Store(), 1), "");
    ASSERT_EQ(boxes_.Boxes().size(), 3u);
    EXPECT_EQ(boxes_.Boxes()[2].text, ResStr(IDS_OTP_REMOVE_ASK));
    EXPECT_TRUE(form->Modified);
    Close(form);
}

struct FixedClock : Clock {
    std::int64_t UnixNow() override { return 1700000000; }
};

// The code and seconds left the dialog shows for the selected row.
std::vector<std::string> ShownCode(TForm1* form) {
    std::vector<std::string> shown;
    RunLater(40, [&] {
        auto* dialog = dynamic_cast<TForm*>(TWinControl::FromHandle(FindWindowA(kFormClass, "One-time code")));
        if (!dialog) PostMessageA(GetActiveWindow(), WM_CLOSE, 0, 0);
        ASSERT_NE(dialog, nullptr);
        for (int i = 0; i < dialog->ControlCount(); ++i)
            if (auto* l = dynamic_cast<TLabel*>(dialog->Controls(i)); l && shown.size() < 2)
                shown.push_back(l->Caption());
        dialog->Close();
    });
    SendMessageA(form->Handle(), WM_COMMAND, MAKEWPARAM(form->Onetimecode1->Command(), 0), 0);
    Pump();
    return shown;
}

TEST_F(OneTimeDialogWin, BitwardenCodeImportedThroughTheFileMenuIsShown) {
    FixedClock clock;
    TForm1::SetOneTimeClockForTests(&clock);
    WriteVaultFile("secret", {{"Mail", "", "jan", "pw", ""}});
    const std::string csv = dir_ + "bitwarden.csv";
    std::ofstream(csv, std::ios::binary)
        << "folder,favorite,type,name,notes,fields,reprompt,login_uri,login_username,login_password,login_totp\n"
           ",,login,Steam,,,0,https://store.steampowered.com,gracz,pw2,steam://GEZDGNBVGY3TQOJQ\n";
    TForm1* form = Open({true, "secret"});
    bool answered = false;
    RunLater(300, [&] { answered = AnswerSaveDialog(0, csv); });
    boxes_.QueueAnswer(IDYES);  // the file holds codes: strong encryption first
    boxes_.QueueAnswer(IDYES);  // and turned on
    SendMessageA(form->Handle(), WM_COMMAND, MAKEWPARAM(form->Importuj1->Command(), 0), 0);
    Pump();
    EXPECT_TRUE(answered);
    EXPECT_TRUE(form->StrongProtection());
    ASSERT_EQ(form->StringGrid1->RowCount(), 3);
    EXPECT_EQ(form->StringGrid1->Store().Cell(1, 2), "Steam");
    form->StringGrid1->SetSelection(TGridRect{1, 2, 1, 2});
    EXPECT_EQ(ShownCode(form), (std::vector<std::string>{"D9HRB", "10 s left"}));
    TForm1::SetOneTimeClockForTests(nullptr);
    DeleteFileA(csv.c_str());
    Close(form);
}

} // namespace
} // namespace velt::test
