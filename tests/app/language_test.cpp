// The Language menu on the real main window: start-up choice and its tick,
// switching back and forth, the grid titles, and the strength dialog's
// language steps.
#include "app/main_window_fixture.h"

#include "i18n/translator.h"
#include "tools/check_pass_win.h"

namespace velt::test {
namespace {

// Everything the switch changes, as one list of texts.
std::vector<std::string> Texts(TForm1* f) {
    std::vector<std::string> out = {
        f->Plik1->Caption(),     f->Wczytaj1->Caption(),   f->Zapisz1->Caption(),
        f->Eksportuj1->Caption(), f->Zmiehaso1->Caption(), f->Skasujbaz1->Caption(),
        f->Silneszyfrowanie1->Caption(), f->Wyjd1->Caption(),     f->Dodatkowe1->Caption(), f->Generujhaso1->Caption(),
        f->Generujprostszehaso1->Caption(), f->Generujhasonumeryczne1->Caption(),
        f->Checkpasswordstrength1->Caption(), f->Copylogin1->Caption(), f->Typeloginandpassword1->Caption(),
        f->Passwordhealth1->Caption(), f->Language1->Caption(), f->Polski1->Caption(),
        f->English1->Caption(),  f->Pomoc1->Caption(),     f->Nowawersja1->Caption(),
        f->Pomoc2->Caption(),    f->SpeedButton1->Caption(), f->Image2->Hint(),
        f->Edit1->Hint(),        f->StringGrid1->Hint(),   f->Caption(),
    };
    for (int c = 0; c < 6; ++c) out.emplace_back(f->StringGrid1->Cells(c, 0));
    return out;
}

// In the ANSI code page 1250 of the Polish locale.
const std::vector<std::string> kPolish = {
    "Plik", "Otw\xF3rz/ Od\x9Cwie\xBF", "Zapisz", "Eksportuj", "Zmie\xF1 has\xB3o", "Wyczy\x9C\xE6 baz\xEA",
    "Silne szyfrowanie", "Wyjd\x9F", "Dodatkowe", "Generuj has\xB3o", "Generuj proste has\xB3o", "Generuj has\xB3o liczbowe",
    "Sprawd\x9F si\xB3\xEA has\xB3" "a", "Kopiuj login", "Wpisz login i has\xB3o", "Kondycja hase\xB3\x85",
    "J\xEAzyk", "Polski", "English", "O programie", "Czy jest nowa wersja?",
    "Pomoc", "Szukaj", "Odwied\x9F nas!", "Wpisz tekst do odnalezienia; wielko\x9C\xE6 liter ignorowana",
    "Kliknij by przej\x9C\xE6 pod adres", "Velt 0.2",
    "#", "Nazwa", "Adres", "Login", "Has\xB3o", "Opis",
};
const std::vector<std::string> kEnglish = {
    "File", "Open/ Reopen", "Save", "Export", "Change password", "Clear database", "Strong encryption", "Exit", "Additional",
    "Generate password", "Generate simple password", "Generate numerical password", "Check password strength",
    "Copy login", "Type login and password", "Password health\x85", "Language", "Polski", "English", "About",
    "Is there a new version?", "Help", "Search", "Visit us!",
    "Enter text to find; case insensitive", "Click to open the address", "Velt 0.2",
    "#", "Name", "Address", "Login", "Password", "Description",
};

using LanguagePlLocale = MainWindowTest;

TEST_F(LanguagePlLocale, PolishSystemStartsPolishThenSwitchesBothWays) {
    TForm1* form = Open({true, "secret"});
    EXPECT_TRUE(form->Polski1->Checked());
    EXPECT_FALSE(form->English1->Checked());
    EXPECT_EQ(Texts(form), kPolish);

    // The menu bar itself carries the texts.
    HMENU file = GetSubMenu(GetMenu(form->Handle()), 0);
    wchar_t item[64] = {};
    GetMenuStringW(file, 0, item, 64, MF_BYPOSITION);
    EXPECT_EQ(std::wstring(item), L"Otw\u00F3rz/ Od\u015Bwie\u017C\tCtrl+R");

    form->English1Click(form->English1);
    EXPECT_EQ(i18n::CurrentLanguage(), "en");
    EXPECT_FALSE(form->Polski1->Checked());
    EXPECT_TRUE(form->English1->Checked());
    EXPECT_EQ(Texts(form), kEnglish);

    form->Polski1Click(form->Polski1);
    EXPECT_EQ(i18n::CurrentLanguage(), "pl");
    EXPECT_TRUE(form->Polski1->Checked());
    EXPECT_EQ(Texts(form), kPolish);

    // The item already ticked changes nothing.
    form->Polski1Click(form->Polski1);
    EXPECT_EQ(Texts(form), kPolish);

    // Messages follow the language of the moment.
    form->Edit1->SetText("absent");
    form->SpeedButton1Click(form->SpeedButton1);
    ASSERT_EQ(boxes_.Boxes().size(), 1u);
    EXPECT_EQ(boxes_.Boxes()[0].text, "Nie znaleziono tekstu");
}

TEST_F(LanguagePlLocale, StrengthDialogFollowsTheTick) {
    TForm1* form = Create({true, "secret"});
    Form1 = form;
    {
        TCheckPassBox box(nullptr, PolishTicked);
        box.DoCreate();
        EXPECT_EQ(i18n::CurrentLanguage(), "pl");
        EXPECT_EQ(box.Caption(), "Sprawd\x9F si\xB3\xEA has\xB3" "a");
        form->English1Click(form->English1);
        box.Show();
        EXPECT_EQ(box.Caption(), "Check password strength");
        box.Hide();
    }
    Form1 = nullptr;
}

class LangPlPlLocale : public MainWindowTest {
protected:
    const char* Lang() const override { return "pl"; }
};

TEST_F(LangPlPlLocale, PolishMenusWithEnglishTicked) {
    TForm1* form = Create({true, "secret"});
    EXPECT_EQ(i18n::CurrentLanguage(), "pl");
    EXPECT_EQ(form->Plik1->Caption(), "Plik");
    EXPECT_EQ(form->Edit1->Hint(), "Wpisz tekst do odnalezienia; wielko\x9C\xE6 liter ignorowana");
    EXPECT_FALSE(form->Polski1->Checked());
    EXPECT_TRUE(form->English1->Checked());

    // The strength dialog's creation makes the language English; the titles,
    // written when the window is shown, come out English.
    Form1 = form;
    TCheckPassBox box(nullptr, PolishTicked);
    box.DoCreate();
    EXPECT_EQ(i18n::CurrentLanguage(), "en");
    form->Show();
    Pump();
    EXPECT_EQ(form->StringGrid1->Cells(1, 0), "Name");
    EXPECT_EQ(form->Plik1->Caption(), "Plik");
    form->English1Click(form->English1);
    EXPECT_EQ(Texts(form), kEnglish);
    Form1 = nullptr;
}

using Language = MainWindowTest;

TEST_F(Language, EnglishSystemStartsEnglish) {
    TForm1* form = Open({true, "secret"});
    EXPECT_EQ(i18n::CurrentLanguage(), "en_US");
    EXPECT_FALSE(form->Polski1->Checked());
    EXPECT_TRUE(form->English1->Checked());
    EXPECT_EQ(Texts(form), kEnglish);
}

} // namespace
} // namespace velt::test
