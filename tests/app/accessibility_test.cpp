// The main window as a screen reader hears it: msaa_reader.exe reads it through MSAA
// and WinEvents from a second process, and searches all it heard for the passwords.
#include "app/main_window_fixture.h"

#include <cstdio>
#include <cstdlib>
#include <functional>

#include "app/grid_driver.h"
#include "platform/clipboard.h"
#include "support/screen_reader_win.h"

namespace velt::test {
namespace {

const Rows kRows = {
    {"Bank", "https://bank.example", "jan.kowalski", "Zq9!bank-pass", "konto"},
    {"Poczta", "https://mail.example", "jan@mail.example", "pocztaHaslo77", ""},
    {"Forum", "", "janek", "forum#secret", "stare"},
};

struct ReaderCase {
    const char* what;
    std::function<void(TForm1*)> before;  // may be empty
    std::vector<std::string> args;        // "$form", "$grid", "$edit": those windows
    std::vector<std::string> heard;       // each a part of some line, in UTF-8
};

void Masked(TForm1* f, bool on) {
    f->AsteriskPasswords = on;
    f->StringGrid1->Invalidate();
}

void EditCell(TForm1* f, int col, int row) {
    GridDriver g(f->StringGrid1);
    g.Select(col, row);
    g.Key(VK_F2);
}

// One row a test: each reading takes about a second under Wine. The master
// password and every password of the table are secrets no row may hear.
class Accessibility : public MainWindowTest, public ::testing::WithParamInterface<ReaderCase> {
protected:
    void TearDown() override {
        TForm1::SetClipboardDelayForTests(0);
        MainWindowTest::TearDown();
    }

    void Run() {
        const ReaderCase& c = GetParam();
        TForm1::SetClipboardDelayForTests(1500);
        WriteVaultFile("secret", kRows);
        TForm1* form = Open({true, "secret"});
        form->StringGrid1->SetFocus();
        Pump();
        if (c.before) c.before(form);
        std::string command = "\"" + Beside("msaa_reader.exe") + "\" secret secret";
        for (const auto& row : kRows) command += " secret \"" + row[3] + "\"";
        for (std::string a : c.args) {
            if (a == "$form") a = Hex(form->Handle());
            if (a == "$grid") a = Hex(form->StringGrid1->Handle());
            if (a == "$edit") a = Hex(form->StringGridEdit->Handle());
            command += " " + a;
        }
        std::string all;
        for (const std::string& l : RunPumping(command)) all += l + "\n";
        if (std::getenv("VELT_SHOW_READER")) std::printf("%s", all.c_str());  // what it heard, for a look
        for (const std::string& part : c.heard) EXPECT_NE(all.find(part), std::string::npos) << part << "\n" << all;
        EXPECT_EQ(all.find("LEAK"), std::string::npos) << all;
        form->Modified = false;
    }
};

const ReaderCase kEnglish[] = {
    {"GridIsATableOfTheCells", nullptr, {"tree", "$grid"},
     {"table \"Entries\" [focused] children=15", "cell \"Name: Bank\" desc=\"Row 1 of 3\" [focused,selected]",
      "cell \"Login: jan.kowalski\" desc=\"Row 1 of 3\"",
      "cell \"Address: https://bank.example\" desc=\"Row 1 of 3\" action=\"Open\"",
      "cell \"Description:\" desc=\"Row 2 of 3\"", "searched 80 texts"}},
    {"PasswordShownIsStillHidden", [](TForm1* f) { Masked(f, false); }, {"tree", "$grid"},
     {"cell \"Password: hidden\" value=denied desc=\"Row 3 of 3\" action=\"Copy\" [protected]"}},
    {"PasswordMaskedIsHidden", [](TForm1* f) { Masked(f, true); }, {"tree", "$grid"},
     {"cell \"Password: hidden\" value=denied desc=\"Row 1 of 3\" action=\"Copy\" [protected]"}},
    {"WholeWindow", nullptr, {"tree", "$form"},
     {"client \"Velt 0.2\"", "text \"Text to find\"", "button \"Search\" action=\"Press\"",
      "link \"Visit us!\" action=\"Open\"", "table \"Entries\" [focused] children=15", "cell \"Name: Forum\""}},
    {"WholeWindowPasswordsShown", [](TForm1* f) { Masked(f, false); }, {"tree", "$form"},
     {"cell \"Password: hidden\""}},
    {"EditorOnAShownPasswordGivesNoValue", [](TForm1* f) { Masked(f, false); EditCell(f, 4, 1); }, {"tree", "$form"},
     {"text \"Password\" value=denied [focused,protected]"}},
    {"ArrowKeysMoveTheFocus", nullptr,
     {"hook", "$grid", "key", "$grid", "0x28", "pump", "300", "key", "$grid", "0x27", "pump", "300", "focus", "$grid"},
     {"event focus cell \"Name: Poczta\" desc=\"Row 2 of 3\" [focused,selected]",
      "event focus cell \"Address: https://mail.example\"", "focus cell \"Address: https://mail.example\""}},
    {"LockedGivesNoCells", [](TForm1* f) { f->Zablokuj1Click(f); }, {"tree", "$form", "tree", "$grid"},
     {"static \"Velt is locked.\"", "button \"Unlock\xE2\x80\xA6\" action=\"Press\"",
      "table \"Entries\" [invisible] children=0"}},
    {"EnterOnAPasswordCopiesIt", [](TForm1* f) { GridDriver(f->StringGrid1).Select(4, 2); },
     {"key", "$grid", "0x0D", "pump", "200", "clip"}, {"clip \"pocztaHaslo77\""}},
    {"DefaultActionOfAPasswordCopiesIt", nullptr, {"do", "$grid", "14", "pump", "200", "clip"},
     {"done", "clip \"forum#secret\""}},
    {"CopyLoginThenForgetsIt",
     [](TForm1* f) {
         GridDriver(f->StringGrid1).Select(2, 3);
         f->Copylogin1Click(f);
         EXPECT_EQ(platform::GetClipboardText(), "janek");
     },
     {"pump", "2000", "clip"}, {"clip \"\""}},
    {"CopyLoginWhileLockedCopiesNothing",
     [](TForm1* f) { platform::SetClipboardText("mine", nullptr); f->Zablokuj1Click(f); f->Copylogin1Click(f); },
     {"clip"}, {"clip \"mine\""}},
    {"F2EditsEnterCommitsAndTells", [](TForm1* f) { EditCell(f, 3, 1); f->StringGridEdit->SetText("jkowalski"); },
     {"hook", "$grid", "key", "$edit", "0x0D", "pump", "300"},
     {"event valuechange cell \"Login: jkowalski\" desc=\"Row 1 of 3\""}},
};

const ReaderCase kPolish[] = {
    {"PolishNames", nullptr, {"tree", "$grid"},
     {"table \"Wpisy\"", "cell \"Login: jan.kowalski\" desc=\"Wiersz 1 z 3\"",
      "cell \"Has\xC5\x82o: ukryte\" value=denied desc=\"Wiersz 2 z 3\" action=\"Kopiuj\" [protected]"}},
};

std::string CaseName(const ::testing::TestParamInfo<ReaderCase>& info) { return info.param.what; }

TEST_P(Accessibility, ReaderHears) { Run(); }
INSTANTIATE_TEST_SUITE_P(English, Accessibility, ::testing::ValuesIn(kEnglish), CaseName);

using AccessibilityPlLocale = Accessibility;
TEST_P(AccessibilityPlLocale, ReaderHears) { Run(); }
INSTANTIATE_TEST_SUITE_P(Polish, AccessibilityPlLocale, ::testing::ValuesIn(kPolish), CaseName);

} // namespace
} // namespace velt::test
