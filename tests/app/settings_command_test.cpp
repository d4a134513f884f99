// The Settings dialog on the real main window: OK writes velt.ini and the new
// values hold, Cancel and Escape change nothing, and a folder that cannot be
// written says so while the new values still hold for this run.
#include "app/main_window_fixture.h"

#include <fstream>
#include <iterator>

#include "app/settings_command.h"

namespace velt::test {
namespace {

using SettingsWin = MainWindowTest;

std::string Bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST_F(SettingsWin, OkSavesCancelAndEscapeDoNot) {
    struct Case {
        const char* name;
        bool readOnlyIni;
        UINT key;  // 0: the OK button
        bool saved;
        bool holds;
        size_t boxes;
        const char* hotkeyTyped;
        const char* hotkeyKept;
        const char* sequenceTyped = "{PASSWORD}{ENTER}";
        const char* sequenceKept = "{PASSWORD}{ENTER}";
    };
    const Case cases[] = {
        {"ok", false, 0, true, true, 0, " win+shift+f9", "Shift+Win+F9"},
        {"shortcut off", false, 0, true, true, 0, " ", ""},
        {"unreadable shortcut", false, 0, true, true, 1, "Ctrl+Alt+", "Ctrl+Alt+T"},
        {"cancel by Escape", false, VK_ESCAPE, false, false, 0, "Alt+1", "Ctrl+Alt+T"},
        {"unwritable", true, 0, false, true, 1, "Alt+1", "Alt+1"},
        {"empty sequence", false, 0, true, true, 1, "Alt+1", "Alt+1", " ", kDefaultAutoTypeSequence},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string ini = dir_ + "velt.ini";
        SetFileAttributesA(ini.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(ini.c_str());
        if (c.readOnlyIni) {
            std::ofstream(ini) << "[Backup]\nKeep=3\n";
            SetFileAttributesA(ini.c_str(), FILE_ATTRIBUTE_READONLY);
        }
        const std::string before = Bytes(ini);
        TForm1* form = Open({true, "secret"});
        RunLater(40, [&] {
            HWND w = FindWindowA(kFormClass, "Settings");
            auto* dialog = dynamic_cast<TForm*>(TWinControl::FromHandle(w));
            ASSERT_NE(dialog, nullptr);
            for (int i = 0; i < dialog->ControlCount(); ++i) {
                auto* e = dynamic_cast<TEdit*>(dialog->Controls(i));
                const std::string text = e ? e->Text() : "";
                if (e) e->SetText(text == "5" ? "12" : text == "3" ? "1" : text == "10" ? "0" : text == "Ctrl+Alt+T" ? c.hotkeyTyped : c.sequenceTyped);
                if (auto* k = dynamic_cast<TCheckBox*>(dialog->Controls(i))) k->SetChecked(true);
            }
            if (c.key) {
                PostMessageA(GetFocus(), WM_KEYDOWN, c.key, 0);
                return;
            }
            for (int i = 0; i < dialog->ControlCount(); ++i)
                if (auto* b = dynamic_cast<TButton*>(dialog->Controls(i)); b && b->ModalResult() == mrOk) b->Click();
        });
        form->Ustawienia1Click(form);
        Pump();
        const Settings want{12, true, true, 1, false, c.hotkeyKept, c.sequenceKept, 0, true, true};
        EXPECT_EQ(form->CurrentSettings() == want, c.holds);
        EXPECT_EQ(form->BackupsToKeep, c.holds ? 1 : 3);
        EXPECT_EQ(boxes_.Boxes().size(), c.boxes);
        if (c.saved)
            EXPECT_EQ(ReadSettingsFile(ini), want);
        else
            EXPECT_TRUE(Bytes(ini) == before);
        boxes_.Clear();
        Close(form);
        SetFileAttributesA(ini.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(ini.c_str());
    }
}

// A shortcut another program holds is named in Settings; one turned off is not.
TEST_F(SettingsWin, ShortcutHeldElsewhereIsReported) {
    struct Case {
        const char* ini;
        bool heldElsewhere;
        bool registered;
        const char* note;
    };
    const Case cases[] = {
        {"", false, true, ""},
        {"", true, false, "Another program holds Ctrl+Alt+T, so the shortcut does not work now."},
        {"[AutoType]\nHotkey=Alt+Shift+F7\n", true, true, ""},
        {"[AutoType]\nHotkey=\n", true, false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ini);
        std::ofstream(dir_ + "velt.ini") << c.ini;
        if (c.heldElsewhere) ASSERT_TRUE(RegisterHotKey(nullptr, 7, MOD_CONTROL | MOD_ALT, 'T'));
        TForm1* form = Open({true, "secret"});
        EXPECT_EQ(form->HotkeyRegistered(), c.registered);
        EXPECT_EQ(form->HotkeyNote(), c.note);
        Close(form);
        if (c.heldElsewhere) UnregisterHotKey(nullptr, 7);
    }
}

// Keys pressed as the keyboard presses them (the system's key state and
// Alt's menu gesture follow), then handled.
void Press(std::initializer_list<std::pair<WORD, bool>> keys) {
    std::vector<INPUT> in;
    for (const auto& [key, down] : keys) {
        INPUT i{};
        i.type = INPUT_KEYBOARD;
        i.ki.wVk = key;
        i.ki.wScan = static_cast<WORD>(MapVirtualKeyA(key, MAPVK_VK_TO_VSC));
        i.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
        in.push_back(i);
    }
    SendInput(static_cast<UINT>(in.size()), in.data(), sizeof(INPUT));
    PumpFor(80);
}

// Alt and the underlined letter, pressed and let go: a label's field takes
// the focus, a check box is ticked or cleared, and what is typed next lands
// there (Alt's release does not leave the keyboard in the menu).
TEST_F(SettingsWin, AltLettersReachTheirControlsAndTypingGoesOn) {
    struct Case {
        WORD letter;
        int edit;   // the edit box focused after it (-1: a check box)
        int check;  // the check box toggled (-1: none)
        const char* typed;  // what the edit box holds after "7" is typed
    };
    const Case cases[] = {{'L', 0, -1, "7"}, {'B', 1, -1, "7"}, {'W', -1, 0, ""}, {'M', -1, 1, ""},
                          {'Q', -1, -1, ""}, {'S', 2, -1, "7"}, {'T', 3, -1, "7"}, {'P', 4, -1, "7"},
                          {'A', -1, 2, ""}, {'Y', -1, 3, ""}};
    TForm1* form = Open({true, "secret"});
    bool closedByEscape = false;
    RunLater(40, [&] {
        auto* dialog = dynamic_cast<TForm*>(TWinControl::FromHandle(FindWindowA(kFormClass, "Settings")));
        ASSERT_NE(dialog, nullptr);
        std::vector<TEdit*> edits;
        std::vector<TCheckBox*> checks;
        for (int i = 0; i < dialog->ControlCount(); ++i) {
            if (auto* e = dynamic_cast<TEdit*>(dialog->Controls(i))) edits.push_back(e);
            if (auto* k = dynamic_cast<TCheckBox*>(dialog->Controls(i))) checks.push_back(k);
        }
        ASSERT_EQ(edits.size(), 5u);
        ASSERT_EQ(checks.size(), 4u);
        SetForegroundWindow(dialog->Handle());
        for (const Case& c : cases) {
            SCOPED_TRACE(static_cast<char>(c.letter));
            std::vector<bool> before;
            for (TCheckBox* k : checks) before.push_back(k->Checked());
            // Alt let go before the letter, as quick fingers do, on every other row.
            if ((&c - cases) % 2)
                Press({{VK_MENU, true}, {c.letter, true}, {c.letter, false}, {VK_MENU, false}});
            else
                Press({{VK_MENU, true}, {c.letter, true}, {VK_MENU, false}, {c.letter, false}});
            for (size_t k = 0; k < checks.size(); ++k)
                EXPECT_EQ(checks[k]->Checked(), before[k] != (static_cast<int>(k) == c.check));
            if (c.edit < 0) continue;
            TEdit* edit = edits[static_cast<size_t>(c.edit)];
            EXPECT_EQ(GetFocus(), edit->Handle());
            Press({{'7', true}, {'7', false}});
            EXPECT_EQ(edit->Text(), c.typed);
        }
        Press({{VK_ESCAPE, true}, {VK_ESCAPE, false}});
        closedByEscape = dialog->ModalResult() == mrCancel;
        if (!closedByEscape) dialog->Close();
    });
    form->Ustawienia1Click(form);
    Pump();
    EXPECT_TRUE(closedByEscape);
    Close(form);
}

// In Polish the dialog's Cancel and the refusal's caption are Polish too, and
// Shift alone makes no shortcut.
using SettingsWinPlLocale = MainWindowTest;
TEST_F(SettingsWinPlLocale, PolishButtonsAndShiftAloneRefused) {
    TForm1* form = Open({true, "secret"});
    std::string cancel;
    RunLater(40, [&] {
        auto* dialog = dynamic_cast<TForm*>(TWinControl::FromHandle(FindWindowA(kFormClass, "Ustawienia")));
        ASSERT_NE(dialog, nullptr);
        TButton* ok = nullptr;
        for (int i = 0; i < dialog->ControlCount(); ++i) {
            auto* e = dynamic_cast<TEdit*>(dialog->Controls(i));
            if (e && e->Text() == "Ctrl+Alt+T") e->SetText("Shift+K");
            auto* b = dynamic_cast<TButton*>(dialog->Controls(i));
            if (b && b->ModalResult() == mrOk) ok = b;
            if (b && b->ModalResult() == mrCancel) cancel = b->Caption();
        }
        ASSERT_NE(ok, nullptr);
        ok->Click();
    });
    form->Ustawienia1Click(form);
    Pump();
    EXPECT_EQ(cancel, "Anuluj");
    ASSERT_EQ(boxes_.Boxes().size(), 1u);
    EXPECT_EQ(boxes_.Boxes()[0].caption, "Ostrze\xBF" "enie");
    EXPECT_EQ(boxes_.Boxes()[0].text.rfind("\x84Shift+K\x94 nie jest skr\xF3tem", 0), 0u);
    EXPECT_EQ(form->CurrentSettings().hotkey, "Ctrl+Alt+T");
    Close(form);
}

} // namespace
} // namespace velt::test
