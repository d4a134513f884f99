// The password tools and the export reached through the menu bar, as the
// user reaches them, in both languages; export failures through the error
// report; the system's Save dialog driven in process.
#include "app/main_window_fixture.h"

#include <commdlg.h>
#include <dlgs.h>

#include <fstream>
#include <iterator>

#include "tools/locale_numbers_win.h"
#include "toolkit/label.h"
#include "tools/check_pass_win.h"
#include "tools/number_format.h"

namespace velt::test {
namespace {

std::string ReadAll(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

bool Exists(const std::string& name) { return GetFileAttributesA(name.c_str()) != INVALID_FILE_ATTRIBUTES; }

class MenuTest : public MainWindowTest {
protected:
    void TearDown() override {
        delete CheckPassBox;
        Form1 = nullptr;
        SetNumberSeparators({});
        for (const char* name : {"out.csv", "out.htm", "typed.csv", "locked.csv", "in.csv"}) {
            SetFileAttributesA((dir_ + name).c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileA((dir_ + name).c_str());
        }
        MainWindowTest::TearDown();
    }

    // The main window and the strength dialog, made as start-up makes them.
    TForm1* Start(const Rows& rows) {
        InstallUserNumberSeparators();
        WriteVaultFile("secret", rows);
        TForm1* form = Open({true, "secret"});
        Form1 = form;
        CheckPassBox = new TCheckPassBox(nullptr, PolishTicked);
        CheckPassBox->DoCreate();
        return form;
    }

    // A menu command as the menu bar sends it; errors go to the error report.
    static void Choose(TForm1* form, TMenuItem* item) {
        SendMessageA(form->Handle(), WM_COMMAND, MAKEWPARAM(item->Command(), 0), 0);
    }
};

// The texts of one language.
struct Language {
    bool polish;
    const char* generated;
    const char* easy;
    const char* numerical;
    const char* prompt;
    const char* strengthCaption;
    const char* check;
    const char* titleLine;
    const char* nameHeading;
};

const Language kLanguages[] = {
    {true, "Wygenerowane has\xB3o", "Proste-do-zapami\xEAtania has\xB3o", "Has\xB3o liczbowe", "Skopiuj z tego pola",
     "Sprawd\x9F si\xB3\xEA has\xB3" "a", "Sprawd\x9F", "#;Nazwa;Adres;Login;Has\xB3o;Opis;\r\n", "   <th>Nazwa</th>\r\n"},
    {false, "Generated password", "Easy-to-remember password", "Numerical password", "Copy from this field",
     "Check password strength", "Check", "#;Name;Address;Login;Password;Description;\r\n",
     "   <th>Name</th>\r\n"},
};

using MenuCommandsPlLocale = MenuTest;

TEST_F(MenuCommandsPlLocale, ToolsAndExportInBothLanguages) {
    TForm1* form = Start({{"Poczta", "poczta.example.pl", "jan", "\xBF\xF3\xB3w", ""}});
    for (const Language& lang : kLanguages) {
        SCOPED_TRACE(lang.polish ? "Polish" : "English");
        if (lang.polish) Choose(form, form->Polski1);
        else Choose(form, form->English1);
        ASSERT_EQ(form->Polski1->Checked(), lang.polish);

        struct Generator {
            TMenuItem* item;
            const char* title;
            const char* alphabet;
        };
        const Generator generators[] = {
            {form->Generujhaso1, lang.generated, "qwertyuiopasdfghjklzxcvbnmQWERTYUIOPASDFGHJKLZXCVBNM1234567890"},
            {form->Generujprostszehaso1, lang.easy, "wrtpsdfghklzcbnmeyuioa"},
            {form->Generujhasonumeryczne1, lang.numerical, "0123456789"},
        };
        for (const Generator& g : generators) {
            SCOPED_TRACE(g.title);
            std::string password, prompt;
            RunLater(40, [&] {
                auto* dialog = dynamic_cast<TForm*>(TWinControl::FromHandle(FindWindowA(kFormClass, g.title)));
                if (!dialog) PostMessageA(GetActiveWindow(), WM_CLOSE, 0, 0);  // whatever came up
                ASSERT_NE(dialog, nullptr);
                for (int i = 0; i < dialog->ControlCount(); ++i) {
                    if (auto* e = dynamic_cast<TEdit*>(dialog->Controls(i))) password = e->Text();
                    if (auto* l = dynamic_cast<TLabel*>(dialog->Controls(i))) prompt = l->Caption();
                }
                PressKey(dialog->Handle(), VK_ESCAPE);
            });
            Choose(form, g.item);
            EXPECT_EQ(prompt, lang.prompt);
            ASSERT_EQ(password.size(), 20u);
            EXPECT_EQ(password.find_first_not_of(g.alphabet), std::string::npos) << password;
        }

        // The strength dialog, shown modally by its command.
        std::string caption, combinations;
        RunLater(40, [&] {
            TCheckPassBox* box = CheckPassBox;
            ASSERT_TRUE(box->Visible());
            caption = box->Caption();
            EXPECT_EQ(box->SpeedButton1->Caption(), lang.check);
            box->Edit1->SetText("abc");
            box->SpeedButton1->Click();
            combinations = box->Label4->Caption();
            box->Close();
        });
        Choose(form, form->Checkpasswordstrength1);
        EXPECT_EQ(caption, lang.strengthCaption);
        EXPECT_EQ(combinations, "1,8E+004");
        EXPECT_FALSE(CheckPassBox->Visible());

        // Both exports, the title row in the language of the moment.
        for (int filter : {1, 2}) {
            SaveDialogHook previous = SetSaveDialogHook([&](TSaveDialog& d) {
                d.SetFileName(dir_ + "out");
                d.SetFilterIndex(filter);
                return true;
            });
            Choose(form, form->Eksportuj1);
            SetSaveDialogHook(previous);
        }
        std::string csv = ReadAll(dir_ + "out.csv");
        EXPECT_EQ(csv, std::string(lang.titleLine) + "1;Poczta;poczta.example.pl;jan;\xBF\xF3\xB3w;;\r\n");
        EXPECT_NE(ReadAll(dir_ + "out.htm").find(lang.nameHeading), std::string::npos);
    }
    EXPECT_TRUE(boxes_.Boxes().empty()) << BoxTexts()[0];
    EXPECT_FALSE(form->Modified);
}

using MenuCommands = MenuTest;

TEST_F(MenuCommands, ExportFailuresGoToTheErrorReport) {
    TForm1* form = Start({{"Mail", "", "", "pw", ""}});
    const std::string locked = dir_ + "locked.csv";
    std::ofstream(locked) << "kept";
    SetFileAttributesA(locked.c_str(), FILE_ATTRIBUTE_READONLY);
    struct Case {
        std::string name;
        int filter;
        const char* report;
    };
    const Case cases[] = {
        {dir_ + "missing\\out", 1, "Velt: Invalid filename."},
        {dir_ + "missing\\out", 2, "Velt: Invalid filename."},
        {locked, 1, "Velt: File access denied."},
        {dir_ + "locked", 2, ""},  // locked.htm is another file: written
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        boxes_.Clear();
        SaveDialogHook previous = SetSaveDialogHook([&](TSaveDialog& d) {
            d.SetFileName(c.name);
            d.SetFilterIndex(c.filter);
            return true;
        });
        Choose(form, form->Eksportuj1);
        SetSaveDialogHook(previous);
        EXPECT_EQ(BoxTexts(), *c.report ? std::vector<std::string>{c.report} : std::vector<std::string>{});
    }
    EXPECT_EQ(ReadAll(locked), "kept");
    EXPECT_TRUE(Exists(dir_ + "locked.htm"));
    DeleteFileA((dir_ + "locked.htm").c_str());
    EXPECT_EQ(form->StringGrid1->Cells(1, 1), "Mail");
    EXPECT_FALSE(form->Modified);
}

// The system's Save dialog: the chosen entry decides the format, and a name
// without an extension gets the format's own.
TEST_F(MenuCommands, TheSaveDialogsFilterDecidesTheFormat) {
    TForm1* form = Start({{"Mail", "", "", "pw", ""}});
    struct Case {
        const char* typed;
        int entry;  // 0-based in the dialog's list
        const char* written;
        bool html;
    };
    const Case cases[] = {
        {"out", 0, "out.csv", false},
        {"out", 1, "out.htm", true},
        {"typed.csv", 1, "typed.csv", true},  // the typed extension stays
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.written);
        DeleteFileA((dir_ + c.written).c_str());
        bool found = false;
        RunLater(300, [&] { found = test::AnswerSaveDialog(c.entry, dir_ + c.typed); });
        Choose(form, form->Eksportuj1);
        ASSERT_TRUE(found);
        std::string file = ReadAll(dir_ + c.written);
        EXPECT_EQ(file.rfind(c.html ? "<!DOCTYPE HTML" : "#;Name;", 0), 0u) << file.substr(0, 40);
        EXPECT_EQ(form->SaveDialog1->FilterIndex(), c.entry + 1);
    }
    EXPECT_FALSE(Exists(dir_ + "out"));
    EXPECT_FALSE(Exists(dir_ + "typed.csv.htm"));
    EXPECT_TRUE(boxes_.Boxes().empty());
}

// File > Import… from the menu bar: the system's Open dialog, the summary,
// Save, and the entries still there at the next start.
TEST_F(MenuCommands, ImportThenSaveAndRestart) {
    const Rows kept = {{"Mail", "https://m", "ann", "pw", ""}};
    TForm1* form = Start(kept);
    std::ofstream(dir_ + "in.csv", std::ios::binary) << "name,url,username,password,note\r\n"
                                                        "Mail,https://m,ann,pw,\r\n"  // already there
                                                        "Bank,https://b,bob,\"p,1\",\"two\nlines\"\r\n";
    bool found = false;
    RunLater(300, [&] { found = test::AnswerSaveDialog(0, dir_ + "in.csv"); });
    Choose(form, form->Importuj1);
    ASSERT_TRUE(found);
    ASSERT_EQ(boxes_.Boxes().size(), 1u);
    const std::string summary = boxes_.Boxes()[0].text;
    EXPECT_EQ(summary.rfind("Imported 1 entries from Chrome/Edge.\r\n1 entries were skipped", 0), 0u) << summary;
    EXPECT_TRUE(form->Modified);
    Choose(form, form->Zapisz1);
    EXPECT_FALSE(form->Modified);
    Close(form);

    boxes_.Clear();
    TForm1* again = Create({true, "secret"});
    EXPECT_TRUE(boxes_.Boxes().empty());
    const Rows expected = {kept[0], {"Bank", "https://b", "bob", "p,1", "two\r\nlines"}};
    ASSERT_EQ(again->StringGrid1->RowCount(), 3);
    for (int r = 1; r <= 2; ++r)
        for (int c = 1; c <= 5; ++c) EXPECT_EQ(again->StringGrid1->Cells(c, r), expected[r - 1][c - 1]) << r << c;
}

} // namespace
} // namespace velt::test
