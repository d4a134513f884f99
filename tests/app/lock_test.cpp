// The lock on the real main window: each trigger through its message or the
// fake idle clock, unlocking right and wrong, and the table, an open edit and
// unsaved changes coming back whole.
#include "app/main_window_fixture.h"

#include <fstream>
#include <iterator>

#include "app/grid_driver.h"

namespace velt::test {
namespace {

DWORD g_lastInput = 0;
DWORD g_now = 1000;
DWORD FakeLastInput() { return g_lastInput; }
DWORD FakeNow() { return g_now; }

std::string Bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class LockWin : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        g_lastInput = 0;
        g_now = 1000;
        TForm1::SetIdleClockForTests(&FakeLastInput, &FakeNow);
    }
    void TearDown() override {
        TForm1::SetIdleClockForTests(nullptr, nullptr);
        DeleteFileA((dir_ + "velt.ini").c_str());
        MainWindowTest::TearDown();
    }
    void WriteIni(const std::string& text) { std::ofstream(dir_ + "velt.ini", std::ios::binary) << text; }
    static bool TableShown(TForm1* f) {
        return IsWindowVisible(f->StringGrid1->Handle()) && IsWindowVisible(f->Edit1->Handle()) &&
               !f->LockedLabel->Visible() && !f->UnlockButton->Visible();
    }
};

TEST_F(LockWin, EachTriggerLocksOnlyWhenItsSettingSaysSo) {
    struct Case {
        const char* name;
        const char* ini;
        void (*act)(TForm1*);
        bool locks;
    };
    auto session = [](TForm1* f) { SendMessageA(f->Handle(), WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK, 0); };
    auto suspend = [](TForm1* f) { SendMessageA(f->Handle(), WM_POWERBROADCAST, PBT_APMSUSPEND, 0); };
    auto minimise = [](TForm1* f) { ShowWindow(f->Handle(), SW_MINIMIZE); };
    auto idle = [](TForm1* f) { SendMessageA(f->Handle(), WM_TIMER, TForm1::kLockTimerId, 0); };
    const Case cases[] = {
        {"session lock", "", session, true},
        {"session lock off", "[Lock]\nOnSessionLock=0", session, false},
        {"suspend", "", suspend, true},
        {"suspend off", "[Lock]\nOnSessionLock=0", suspend, false},
        {"minimise off", "", minimise, false},
        {"minimise on", "[Lock]\nOnMinimize=1", minimise, true},
        {"idle 5 minutes, Wine's 0", "", idle, true},
        {"idle off", "[Lock]\nIdleMinutes=0", idle, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteIni(c.ini);
        WriteVaultFile("secret", {{"Mail", "", "", "", ""}});
        TForm1* form = Open({true, "secret"});
        g_now = 1000 + 4 * 60000;
        idle(form);  // four minutes: not yet
        EXPECT_FALSE(form->Locked());
        g_now = 1000 + 5 * 60000;
        c.act(form);
        Pump();
        EXPECT_EQ(form->Locked(), c.locks);
        EXPECT_EQ(TableShown(form), !c.locks);
        c.act(form);  // a second trigger changes nothing
        EXPECT_EQ(form->Locked(), c.locks);
        form->Modified = false;
        Close(form);
        g_now = 1000;
    }
}

TEST_F(LockWin, UnlockRightAndWrongKeepsEverythingUnsaved) {
    WriteVaultFile("secret", {{"Mail", "", "", "", ""}, {"Bank", "", "", "", ""}});
    TForm1* form = Open({true, "secret", true});
    EXPECT_TRUE(promptHadCheck_);
    GridDriver grid(form->StringGrid1);
    grid.Press(1, 2, TMouseButton::mbRight);
    form->StringGridEdit->SetText("Webmail");  // an edit still open
    const std::string before = Bytes(VaultPath());

    form->Zablokuj1Click(form);
    EXPECT_TRUE(form->Locked());
    EXPECT_FALSE(TableShown(form));
    EXPECT_FALSE(IsWindowVisible(form->StringGridEdit->Handle()));
    EXPECT_EQ(SendMessageW(form->StringGridEdit->Handle(), WM_GETTEXTLENGTH, 0, 0), 0);  // nothing left to read
    EXPECT_FALSE(form->Zapisz1->Enabled());
    EXPECT_FALSE(form->Ustawienia1->Enabled());
    EXPECT_FALSE(form->Passwordhealth1->Enabled());
    EXPECT_TRUE(form->Wyjd1->Enabled());
    EXPECT_TRUE(form->Modified);
    EXPECT_EQ(form->StringGrid1->Cells(1, 2), "Webmail");  // committed, not shown

    for (int i = 0; i < 2; ++i) {
        AnswerPrompt({true, "guess"});
        form->UnlockClick(form);
        EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Error: Incorrect password!"});
        boxes_.Clear();
        EXPECT_TRUE(form->Locked());
    }
    AnswerPrompt({false, ""});
    form->UnlockClick(form);
    EXPECT_TRUE(form->Locked());
    EXPECT_FALSE(Application->Terminated());

    AnswerPrompt({true, "secret"});
    SendMessageA(form->UnlockButton->Handle(), WM_KEYDOWN, 'X', 0);  // any key asks too
    EXPECT_FALSE(form->Locked());
    EXPECT_FALSE(promptHadCheck_);  // unlocking leaves the masking as it was
    EXPECT_TRUE(form->AsteriskPasswords);
    EXPECT_TRUE(TableShown(form));
    EXPECT_TRUE(form->Zapisz1->Enabled());
    EXPECT_EQ(form->StringGrid1->Cells(1, 1), "Mail");
    EXPECT_EQ(form->StringGrid1->Cells(1, 2), "Webmail");
    EXPECT_TRUE(form->Modified);
    EXPECT_TRUE(Bytes(VaultPath()) == before);  // nothing saved on the way

    form->Zapisz1Click(form);
    CellStore saved;
    ASSERT_EQ(LoadVault(VaultPath(), "secret", saved), VaultLoadResult::Loaded);
    EXPECT_EQ(saved.Cell(1, 2), "Webmail");
}

// Velt's own dialogs, open when the lock fires, close as cancelled.
TEST_F(LockWin, OpenDialogsCloseAsCancelled) {
    struct Case {
        const char* name;
        void (*open)(TForm1*);
    } cases[] = {
        {"change password", [](TForm1* f) { f->Zmiehaso1Click(f); }},
        {"generated password", [](TForm1* f) { f->Generujhaso1Click(f); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteVaultFile("secret", {{"Mail", "", "", "", ""}});
        TForm1* form = Open({true, "secret"});
        SafetyTimer safety(5000);
        RunLater(200, [form] { SendMessageA(form->Handle(), WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK, 0); });
        c.open(form);
        EXPECT_FALSE(safety.Fired());
        EXPECT_TRUE(form->Locked());
        EXPECT_EQ(form->MasterPassword, "secret");
        EXPECT_FALSE(form->Modified);
        form->Modified = false;
        Close(form);
    }
}

} // namespace
} // namespace velt::test
