// Component translation of real toolkit windows, with the localisation
// module started as the program starts it (Polish catalogue embedded in
// this test program). Polish locale, so 8-bit captions keep every letter.
#include <windows.h>

#include <gtest/gtest.h>

#include "core/text.h"
#include "i18n/component_translation.h"
#include "i18n/localisation_win.h"
#include "i18n/translator.h"
#include "i18n/translator_errors.h"
#include "toolkit/button.h"
#include "toolkit/edit.h"
#include "toolkit/label.h"
#include "toolkit/menus.h"
#include "toolkit/toolkit_fixture.h"

namespace velt::i18n {
namespace {

using velt::test::RunLater;

// A small strength dialog and main window, as the program designs them.
struct Windows {
    TForm* main;
    TMenuItem* file;
    TMenuItem* save;
    TMenuItem* polski;
    TLabel* result;
    TButton* check;
    TEdit* search;
    TForm* dialog;  // owned by the main window, translated on its own
    TLabel* dialogLabel;
};

class ComponentTranslationPlLocale : public velt::test::ToolkitTest {
protected:
    void SetUp() override {
        ToolkitTest::SetUp();
        SetEnvironmentVariableA("LANG", "pl");
        StartLocalisation();
    }
    void TearDown() override {
        StopLocalisation();
        SetEnvironmentVariableA("LANG", nullptr);
        ToolkitTest::TearDown();
    }

    Windows Make() {
        Windows w{};
        w.main = NewForm(400, 200);
        w.main->SetName("Form1");
        w.main->SetCaption("Check password strength");
        auto* menu = new TMainMenu(w.main);
        w.file = new TMenuItem(w.main);
        w.file->SetName("Plik1");
        w.file->SetCaption("File");
        menu->Items()->Add(w.file);
        w.save = new TMenuItem(w.main);
        w.save->SetName("Zapisz1");
        w.save->SetCaption("Save");
        w.save->SetHint("Save");
        w.file->Add(w.save);
        w.polski = new TMenuItem(w.main);
        w.polski->SetName("Polski1");
        w.polski->SetCaption("Polski");
        w.file->Add(w.polski);
        w.main->SetMenu(menu);
        w.result = new TLabel(w.main);
        w.result->SetName("Password");  // a name with a catalogue entry
        w.result->SetParent(w.main);
        w.result->SetCaption("Result");
        w.check = new TButton(w.main);
        w.check->SetName("Check1");
        w.check->SetParent(w.main);
        w.check->SetCaption("Check");
        w.check->SetHint("Click to open the address");
        w.search = new TEdit(w.main);
        w.search->SetName("Edit1");
        w.search->SetParent(w.main);
        w.search->SetHint("Enter text to find; case insensitive");
        w.dialog = new TForm(w.main);
        w.dialog->SetName("CheckPassBox");
        w.dialog->SetCaption("Generated password");
        w.dialogLabel = new TLabel(w.dialog);
        w.dialogLabel->SetParent(w.dialog);
        w.dialogLabel->SetCaption("Combinations:");
        return w;
    }
};

TEST_F(ComponentTranslationPlLocale, PolishEnglishPolishOnRealWindows) {
    Windows w = Make();
    ASSERT_EQ(GetACP(), 1250u);
    TranslateComponent(*w.dialog);
    TranslateComponent(*w.main);
    auto expectPolish = [&] {
        EXPECT_EQ(w.main->Caption(), "Sprawd\x9F si\xB3\xEA has\xB3" "a");
        EXPECT_EQ(w.file->Caption(), "Plik");
        EXPECT_EQ(w.save->Caption(), "Zapisz");
        EXPECT_EQ(w.save->Hint(), "Zapisz");
        EXPECT_EQ(w.polski->Caption(), "Polski");
        EXPECT_EQ(w.result->Caption(), "Wynik");
        EXPECT_EQ(w.check->Caption(), Narrow(u"Sprawdź"));
        EXPECT_EQ(w.check->Hint(), Narrow(u"Kliknij by przejść pod adres"));
        EXPECT_EQ(w.search->Hint(), Narrow(u"Wpisz tekst do odnalezienia; wielkość liter ignorowana"));
    };
    auto expectEnglish = [&] {
        EXPECT_EQ(w.main->Caption(), "Check password strength");
        EXPECT_EQ(w.file->Caption(), "File");
        EXPECT_EQ(w.save->Caption(), "Save");
        EXPECT_EQ(w.save->Hint(), "Save");
        EXPECT_EQ(w.result->Caption(), "Result");
        EXPECT_EQ(w.check->Caption(), "Check");
        EXPECT_EQ(w.check->Hint(), "Click to open the address");
        EXPECT_EQ(w.search->Hint(), "Enter text to find; case insensitive");
    };
    expectPolish();
    char title[128] = {};
    GetWindowTextA(w.main->Handle(), title, sizeof title);
    EXPECT_STREQ(title, "Sprawd\x9F si\xB3\xEA has\xB3" "a") << "the window shows the translation";
    EXPECT_EQ(w.result->Name(), "Password") << "names are never translated";
    EXPECT_EQ(w.search->Text(), "") << "empty text stays empty";

    ChooseLanguage("en");
    RetranslateComponent(*w.main);
    expectEnglish();
    EXPECT_EQ(w.dialog->Caption(), "Wygenerowane has\xB3o") << "the dialog has its own marker";
    ChooseLanguage("pl");
    RetranslateComponent(*w.main);
    expectPolish();
}

TEST_F(ComponentTranslationPlLocale, LabelChangedByTheProgramIsRestored) {
    Windows w = Make();
    TranslateComponent(*w.main);
    w.result->SetCaption("2,5E20");
    ChooseLanguage("en");
    RetranslateComponent(*w.main);
    EXPECT_EQ(w.result->Caption(), "Result");
    EXPECT_EQ(w.dialogLabel->Caption(), "Combinations:");
    w.result->SetCaption("0");
    ChooseLanguage("pl");
    RetranslateComponent(*w.main);
    EXPECT_EQ(w.result->Caption(), "Wynik");
    EXPECT_EQ(w.dialogLabel->Caption(), "Kombinacji:") << "translated with its owner this time";
}

// The real box, with no owner window, answered from inside its own loop.
TEST_F(ComponentTranslationPlLocale, SecondTranslateInAnotherLanguageShowsTheErrorBox) {
    Windows w = Make();
    TranslateComponent(*w.main);
    ChooseLanguage("en");
    std::string caption, text;
    HWND owner = reinterpret_cast<HWND>(1);
    RunLater(50, [&] {
        HWND box = FindWindowA("#32770", "Error");
        ASSERT_NE(box, nullptr);
        char buffer[1024] = {};
        GetWindowTextA(box, buffer, sizeof buffer);
        caption = buffer;
        GetDlgItemTextA(box, 0xFFFF, buffer, sizeof buffer);
        text = buffer;
        owner = GetWindow(box, GW_OWNER);
        PostMessageA(box, WM_COMMAND, IDOK, 0);
    });
    TranslateComponent(*w.main);
    EXPECT_EQ(caption, "Error");
    EXPECT_EQ(text,
              "This application tried to switch the language, but in an incorrect way. The programmer needs to "
              "replace a call to TranslateComponent with a call to RetranslateComponent(). The programmer should see "
              "the changelog of the translation unit for more information.");
    EXPECT_EQ(owner, nullptr);
    EXPECT_EQ(w.result->Caption(), "Wynik") << "nothing was translated";
    EXPECT_EQ(FindTranslationMarker(*w.main)->TranslatedLanguage, "en");
    EXPECT_THROW(RetranslateComponent(*w.dialog), ETranslatorProgrammingError);
}

} // namespace
} // namespace velt::i18n
