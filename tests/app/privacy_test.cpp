// What Velt leaves behind: a password copied from the grid leaves the
// clipboard on every way the window ends; the old master password leaves
// memory after Change password; an interrupted save's temporary file leaves
// the folder at the next start, unless another Velt is still writing it.
#include "app/main_window_fixture.h"

#include <cstring>
#include <functional>
#include <fstream>

#include "app/grid_driver.h"
#include "core/text.h"
#include "platform/clipboard.h"
#include "support/memory_scan_win.h"
#include "tools/check_pass_win.h"
#include "support/other_process_win.h"
#include "vault/save_leftovers.h"

namespace velt::test {
namespace {

std::string ClipboardNow() {
    try {
        return platform::GetClipboardText();
    } catch (...) {
        return "<cannot open>";
    }
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

class Privacy : public MainWindowTest {
protected:
    void TearDown() override {
        TForm1::SetClipboardDelayForTests(0);
        MainWindowTest::TearDown();
    }
};

TEST_F(Privacy, CopiedPasswordLeavesTheClipboardOnEveryEnd) {
    struct Case {
        const char* name;
        bool copiedOver;  // the user copied something else since
        void (*end)(TForm1*);  // null: the window is freed
        const char* expected;
    };
    const Case cases[] = {
        {"after the delay", false, [](TForm1*) { PumpFor(600); }, ""},
        {"Exit", false, [](TForm1* f) { f->Wyjd1Click(f); }, ""},
        {"close box", false, [](TForm1* f) { SendMessageA(f->Handle(), WM_CLOSE, 0, 0); }, ""},
        {"logging off asked", false, [](TForm1* f) { SendMessageA(f->Handle(), WM_QUERYENDSESSION, 0, 0); }, ""},
        {"session ends", false, [](TForm1* f) { SendMessageA(f->Handle(), WM_ENDSESSION, TRUE, 0); }, ""},
        {"window freed", false, nullptr, ""},
        {"copied over, then the delay", true, [](TForm1*) { PumpFor(600); }, "mine"},
        {"copied over, then Exit", true, [](TForm1* f) { f->Wyjd1Click(f); }, "mine"},
    };
    TForm1::SetClipboardDelayForTests(150);
    WriteVaultFile("secret", {{"Mail", "", "", "hunter2hunt", ""}});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TForm1* form = Open({true, "secret"});
        GridDriver(form->StringGrid1).Press(4, 1, TMouseButton::mbLeft);
        ASSERT_EQ(ClipboardNow(), "hunter2hunt");
        if (c.copiedOver) platform::SetClipboardText("mine");
        if (c.end) c.end(form);
        else windows_.pop_back();
        Pump();
        EXPECT_EQ(ClipboardNow(), c.expected);
        Application->ClearTerminated();
    }
}

// Every copy of a password, also one made in an edit box by Ctrl+C or Cut,
// carries the privacy marks and the characters the grid shows, and is
// cleared after the delay.
TEST_F(Privacy, EveryCopyOfASecretIsMarkedAndCleared) {
    const std::string password = "Za\xBF\xF3\xB3\xE6 1!";  // "Zażółć 1!" in the vault's code page
    // In the box the bytes show in the system's code page, as they are typed.
    auto inBox = [](HWND dialog) { return FindWindowExA(dialog, nullptr, kEditClass, nullptr); };
    // Ctrl+C and Ctrl+X as the box gets them from the keyboard; the context
    // menu's Copy sends WM_COPY.
    auto copyIn = [](HWND edit, UINT message, WPARAM key = 0) {
        SendMessageA(edit, EM_SETSEL, 0, -1);
        SendMessageA(edit, message, key, 0);
    };
    struct Case {
        const char* name;
        std::function<void(TForm1*)> copy;
        bool fromGrid;  // the vault's bytes; else what the box showed
        const char* leftInBox;  // null: not checked
    };
    std::string boxText;
    auto editorCopy = [&](char key) {
        return [&, key](TForm1* f) {
            GridDriver g(f->StringGrid1);
            g.Select(4, 1);
            g.Key(VK_F2);
            copyIn(f->StringGridEdit->Handle(), WM_CHAR, static_cast<WPARAM>(key));
            boxText = f->StringGridEdit->Text();
        };
    };
    auto dialogCopy = [&](const std::string& caption, std::function<void(TForm1*)> open) {
        return [&, caption, open](TForm1* f) {
            RunLater(40, [&, caption] {
                HWND dialog = FindWindowA(kFormClass, caption.c_str());
                HWND edit = inBox(dialog);
                ASSERT_NE(edit, nullptr) << caption;
                if (GetWindowTextLengthA(edit) == 0) SetWindowTextA(edit, password.c_str());
                copyIn(edit, WM_COPY);
                boxText = ClipboardNow();
                PostMessageA(dialog, WM_CLOSE, 0, 0);
            });
            open(f);
        };
    };
    const Case cases[] = {
        {"a click on the cell", [](TForm1* f) { GridDriver(f->StringGrid1).Press(4, 1, TMouseButton::mbLeft); }, true, nullptr},
        {"Ctrl+C in the grid's editor", editorCopy('\x03'), false, "Za\xBF\xF3\xB3\xE6 1!"},
        {"Cut in the grid's editor", editorCopy('\x18'), false, ""},
        {"the generated password", dialogCopy(ResStr(IDS_GENERATED_PASSWORD), [](TForm1* f) { f->Generujhaso1Click(f); }), false, nullptr},
        {"the strength box", dialogCopy("Check password strength", [](TForm1* f) {
             TCheckPassBox box(nullptr, [] { return false; });
             box.DoCreate();  // as start-up makes it
             CheckPassBox = &box;
             f->Checkpasswordstrength1Click(f);
             CheckPassBox = nullptr;
         }), false, nullptr},
    };
    TForm1::SetClipboardDelayForTests(300);
    WriteVaultFile("secret", {{"Mail", "", "", password, ""}});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TForm1* form = Open({true, "secret"});
        boxText.clear();
        c.copy(form);
        Pump();
        const std::string bytes = ClipboardNow();
        EXPECT_EQ(bytes, c.fromGrid || c.leftInBox ? password : boxText);
        EXPECT_FALSE(bytes.empty());
        for (const char* mark : {"ExcludeClipboardContentFromMonitorProcessing", "CanIncludeInClipboardHistory", "CanUploadToCloudClipboard"})
            EXPECT_TRUE(IsClipboardFormatAvailable(RegisterClipboardFormatA(mark))) << mark;
        ASSERT_TRUE(OpenClipboard(nullptr));
        HANDLE unicode = GetClipboardData(CF_UNICODETEXT);
        std::u16string characters = unicode ? static_cast<const char16_t*>(GlobalLock(unicode)) : u"";
        if (unicode) GlobalUnlock(unicode);
        CloseClipboard();
        EXPECT_EQ(characters, c.fromGrid ? u"Zażółć 1!" : Widen(bytes));
        if (c.leftInBox) {
            EXPECT_EQ(form->StringGridEdit->Text(), c.leftInBox);
        }
        PumpFor(600);
        EXPECT_EQ(ClipboardNow(), "");
        form->Modified = false;
        windows_.pop_back();
    }
}

// ---------------------------------------------------------------- memory

const Disguised kOldPassword{{0x15, 0x36, 0x3e, 0x77, 0x17, 0x3b, 0x29, 0x2e, 0x3f, 0x28, 0x79, 0x6e, 0x68}};
const Disguised kNewPassword{{0x1c, 0x28, 0x3f, 0x29, 0x32, 0x77, 0x11, 0x3f, 0x23, 0x79, 0x6d, 0x6d}};

// Answers the next password prompt as a user does: types the password over
// the selected text the box shows, one character at a time, then Enter.
void TypeIntoNextPrompt(const Disguised& password) {
    RunLater(40, [&password] {
        HWND prompt = FindWindowA(kFormClass, ResStr(IDS_ENTER_THE_PASSWORD).c_str());
        HWND edit = FindWindowExA(prompt, nullptr, kEditClass, nullptr);
        ASSERT_NE(edit, nullptr) << "no password prompt";
        for (size_t i = 0; i < password.Size(); ++i) PostMessageA(edit, WM_CHAR, password.At(i), 1);
        Pump();
        PressKey(edit, VK_RETURN);
    });
}

TEST_F(Privacy, ChangePasswordLeavesNoCopyOfTheOldOne) {
    // No vault yet, so the test never needs the password in plain to make one.
    TypeIntoNextPrompt(kOldPassword);
    auto* form = new TForm1(nullptr);
    windows_.emplace_back(form);
    form->DoCreate();
    form->Show();
    Pump();
    ASSERT_EQ(form->MasterPassword.size(), kOldPassword.Size());
    Copies start = CountInOwnMemory(kOldPassword);
    EXPECT_EQ(start.ansi, 1);  // the master password itself
    EXPECT_EQ(start.utf16, 0);

    TypeIntoNextPrompt(kNewPassword);
    form->Zmiehaso1Click(form);
    Pump();
    ASSERT_EQ(form->MasterPassword.size(), kNewPassword.Size());
    // The whole old password, and what a buffer cut at its start would keep.
    for (size_t cut : {0u, 1u, 2u, 4u}) {
        Disguised tail{{kOldPassword.bytes.begin() + static_cast<long>(cut), kOldPassword.bytes.end()}};
        Copies old = CountInOwnMemory(tail);
        EXPECT_EQ(old.ansi, 0) << "without the first " << cut;
        EXPECT_EQ(old.utf16, 0) << "without the first " << cut;
    }
    EXPECT_GE(CountInOwnMemory(kNewPassword).ansi, 1);  // the scan finds what is there
}

// ---------------------------------------------------------------- leftovers

TEST_F(Privacy, StartUpRemovesWhatInterruptedSavesLeft) {
    struct Case {
        const char* name;
        const char* password;
        bool leftoverRemoved;
    };
    const Case cases[] = {
        {"vault read", "secret", true},
        {"wrong password: nothing read, nothing touched", "wrong", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteVaultFile("secret", {{"Mail", "", "", "pw", ""}});
        const std::string leftover = VaultPath() + ".1a2b-0.tmp";
        const std::string written = VaultPath() + ".1a2c-1.tmp";  // another Velt saving now
        const std::string others[] = {VaultPath() + ".bak", dir_ + "notes.tmp", dir_ + "other.pdb.1a2b-0.tmp"};
        // Another Velt between its save's Close and Replace: a holder copied
        // under this program's file name, its file closed. And a process
        // alive under another name, whose file is a leftover.
        char self[MAX_PATH];
        GetModuleFileNameA(nullptr, self, MAX_PATH);
        const std::string copyDir = dir_ + "copy\\", twin = copyDir + (std::strrchr(self, '\\') + 1);
        CreateDirectoryA(copyDir.c_str(), nullptr);
        ASSERT_TRUE(CopyFileA(Beside("file_holder.exe").c_str(), twin.c_str(), FALSE));
        for (const std::string& p : {leftover, written, copyDir + "held", copyDir + "held2"})
            std::ofstream(p, std::ios::binary) << "half a vault";
        {
            OtherProcess writer("exclusive", written);
            OtherProcess velt("exclusive", copyDir + "held", twin);
            OtherProcess stranger("exclusive", copyDir + "held2");
            ASSERT_EQ(writer.Reply(), "ready");
            ASSERT_EQ(velt.Reply(), "ready");
            ASSERT_EQ(stranger.Reply(), "ready");
            const std::string closed = SaveTempName(VaultPath(), velt.Id(), 0);
            const std::string strangers = SaveTempName(VaultPath(), stranger.Id(), 0);
            for (const std::string& p : {closed, strangers, others[0], others[1], others[2]})
                std::ofstream(p, std::ios::binary) << "half a vault";
            Create({true, c.password});
            EXPECT_EQ(Exists(leftover), !c.leftoverRemoved);
            EXPECT_EQ(Exists(strangers), !c.leftoverRemoved);
            EXPECT_TRUE(Exists(written));
            EXPECT_TRUE(Exists(closed));
            EXPECT_TRUE(Exists(VaultPath()));
            for (const std::string& p : others) EXPECT_TRUE(Exists(p)) << p;
            for (const std::string& p : {closed, strangers}) DeleteFileA(p.c_str());
        }
        for (const std::string& p : {leftover, written, others[0], others[1], others[2]}) DeleteFileA(p.c_str());
        for (const char* p : {"held", "held2"}) DeleteFileA((copyDir + p).c_str());
        DeleteFileA(twin.c_str());
        RemoveDirectoryA(copyDir.c_str());
        Application->ClearTerminated();
    }
}

} // namespace
} // namespace velt::test
