// The main window's menu bar: its items, their shortcuts and handlers, and
// the captions of the items Velt added, which its catalogue translates.
#include "app/unit1.h"

#include "core/resource_strings.h"

namespace velt {

TMenuItem* TForm1::AddItem(TMenuItem* parent, const char* name, const char* caption, TShortCut shortCut,
                           void (TForm1::*handler)(TComponent*)) {
    auto* item = new TMenuItem(this);
    item->SetName(name);
    item->SetCaption(caption);
    item->SetShortCut(shortCut);
    if (handler) item->OnClick = [this, handler](TComponent* s) { (this->*handler)(s); };
    parent->Add(item);
    return item;
}

void TForm1::BuildMenu() {
    MainMenu1 = new TMainMenu(this);
    MainMenu1->SetName("MainMenu1");
    TMenuItem* bar = MainMenu1->Items();
    const TShortCut ctrl = scCtrl;

    Plik1 = AddItem(bar, "Plik1", "File", 0, nullptr);
    Wczytaj1 = AddItem(Plik1, "Wczytaj1", "Open/ Reopen", ctrl | 'R', &TForm1::Wczytaj1Click);
    Zapisz1 = AddItem(Plik1, "Zapisz1", "Save", ctrl | 'S', &TForm1::Zapisz1Click);
    Eksportuj1 = AddItem(Plik1, "Eksportuj1", "Export", 0, &TForm1::Eksportuj1Click);
    Importuj1 = AddItem(Plik1, "Importuj1", "Import\x85", ctrl | 'I', &TForm1::Importuj1Click);
    N2 = AddItem(Plik1, "N2", "-", 0, nullptr);
    Zmiehaso1 = AddItem(Plik1, "Zmiehaso1", "Change password", ctrl | 'Z', &TForm1::Zmiehaso1Click);
    Skasujbaz1 = AddItem(Plik1, "Skasujbaz1", "Clear database", 0, &TForm1::Skasujbaz1Click);
    Silneszyfrowanie1 = AddItem(Plik1, "Silneszyfrowanie1", "Strong encryption", 0, &TForm1::Silneszyfrowanie1Click);
    Zablokuj1 = AddItem(Plik1, "Zablokuj1", "Lock", ctrl | 'L', &TForm1::Zablokuj1Click);
    N1 = AddItem(Plik1, "N1", "-", 0, nullptr);
    Wyjd1 = AddItem(Plik1, "Wyjd1", "Exit", ctrl | 'W', &TForm1::Wyjd1Click);

    Dodatkowe1 = AddItem(bar, "Dodatkowe1", "Additional", 0, nullptr);
    Generujhaso1 = AddItem(Dodatkowe1, "Generujhaso1", "Generate password", ctrl | 'H', &TForm1::Generujhaso1Click);
    Generujprostszehaso1 = AddItem(Dodatkowe1, "Generujprostszehaso1", "Generate simple password", ctrl | 'P',
                                   &TForm1::Generujprostszehaso1Click);
    Generujhasonumeryczne1 = AddItem(Dodatkowe1, "Generujhasonumeryczne1", "Generate numerical password",
                                     ctrl | 'N', &TForm1::Generujhasonumeryczne1Click);
    Checkpasswordstrength1 = AddItem(Dodatkowe1, "Checkpasswordstrength1", "Check password strength", ctrl | 'U',
                                     &TForm1::Checkpasswordstrength1Click);
    Copylogin1 = AddItem(Dodatkowe1, "Copylogin1", "Copy login", ctrl | 'B', &TForm1::Copylogin1Click);
    Typeloginandpassword1 = AddItem(Dodatkowe1, "Typeloginandpassword1", "Type login and password", ctrl | 'T',
                                    &TForm1::Typeloginandpassword1Click);
    Onetimecode1 = AddItem(Dodatkowe1, "Onetimecode1", "One-time code\x85", 0, &TForm1::Onetimecode1Click);
    Copyonetimecode1 = AddItem(Dodatkowe1, "Copyonetimecode1", "Copy one-time code", ctrl | scShift | 'T',
                               &TForm1::Copyonetimecode1Click);
    Typepasswordcharacters1 = AddItem(Dodatkowe1, "Typepasswordcharacters1", "Type password characters\x85", 0,
                                      &TForm1::Typepasswordcharacters1Click);
    Passwordhealth1 = AddItem(Dodatkowe1, "Passwordhealth1", "Password health\x85", 0, &TForm1::Passwordhealth1Click);
    Passwordhistory1 =
        AddItem(Dodatkowe1, "Passwordhistory1", "Password history\x85", 0, &TForm1::Passwordhistory1Click);
    N3 = AddItem(Dodatkowe1, "N3", "-", 0, nullptr);
    Ustawienia1 = AddItem(Dodatkowe1, "Ustawienia1", "Settings\x85", 0, &TForm1::Ustawienia1Click);

    Language1 = AddItem(bar, "Language1", "Language", 0, nullptr);
    Polski1 = AddItem(Language1, "Polski1", "Polski", 0, &TForm1::Polski1Click);
    English1 = AddItem(Language1, "English1", "English", 0, &TForm1::English1Click);

    Pomoc1 = AddItem(bar, "Pomoc1", "About", 0, &TForm1::Pomoc1Click);
    Nowawersja1 = AddItem(Pomoc1, "Nowawersja1", "Is there a new version?", 0, &TForm1::Nowawersja1Click);
    Pomoc2 = AddItem(Pomoc1, "Pomoc2", "Help", VK_F1, &TForm1::Pomoc2Click);

    SetMenu(MainMenu1);
}

void TForm1::WriteOwnCaptions() {
    Silneszyfrowanie1->SetCaption(ResStr(IDS_STRONG_ENCRYPTION));
    Importuj1->SetCaption(ResStr(IDS_IMPORT_MENU));
    Zablokuj1->SetCaption(ResStr(IDS_LOCK));
    Ustawienia1->SetCaption(ResStr(IDS_SETTINGS_MENU));
    Typeloginandpassword1->SetCaption(ResStr(IDS_TYPE_LOGIN_MENU));
    Passwordhealth1->SetCaption(ResStr(IDS_HEALTH_MENU));
    Typepasswordcharacters1->SetCaption(ResStr(IDS_BOXES_MENU));
    Copyonetimecode1->SetCaption(ResStr(IDS_OTP_COPY_MENU));
    Onetimecode1->SetCaption(ResStr(IDS_OTP_MENU));
    Passwordhistory1->SetCaption(ResStr(IDS_HISTORY_MENU));
    LockedLabel->SetCaption(ResStr(IDS_LOCKED));
    UnlockButton->SetCaption(ResStr(IDS_UNLOCK));
    Copylogin1->SetCaption(ResStr(IDS_COPY_LOGIN));
    Edit1->SetAccessibleName(ResStr(IDS_ACC_SEARCH_TEXT));
    StringGrid1->SetAccessibleName(ResStr(IDS_ACC_ENTRIES));
    StringGrid1->SetColumnAction(2, ResStr(IDS_ACC_OPEN));
    StringGrid1->SetColumnAction(4, ResStr(IDS_ACC_COPY));
}

} // namespace velt
