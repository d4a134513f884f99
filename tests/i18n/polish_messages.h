// The shipped catalogue's 48 messages (UTF-8), in catalogue order, and its
// header entry.
#pragma once

namespace velt::i18n::test {

struct Message {
    const char* english;
    const char* polish;
};

inline constexpr Message kPolishMessages[] = {
    {"%.2n days", "%.2n dni"},
    {"%.2n hours", "%.2n godzin"},
    {"%.2n minutes", "%.2n minut"},
    {"%.2n months", "%.2n miesięcy"},
    {"%.2n seconds", "%.2n sekund"},
    {"%.2n years", "%.2n lat"},
    {"About", "O programie"},
    {"Additional", "Dodatkowe"},
    {"Address", "Adres"},
    {"Are you sure to     REMOVE      all your data?\nThis operation is irreversible!",
     "Na pewno chcesz   USUNĄĆ  wszystkie dane?\nTa operacja jest nieodwracalna!"},
    {"Asterisk passwords", "Gwiazdkuj hasła"},
    {"Change password", "Zmień hasło"},
    {"Check", "Sprawdź"},
    {"Check password strength", "Sprawdź siłę hasła"},
    {"Clear database", "Wyczyść bazę"},
    {"Click to open the address", "Kliknij by przejść pod adres"},
    {"Combinations:", "Kombinacji:"},
    {"Copy from this field", "Skopiuj z tego pola"},
    {"Cracking time (brute force):", "Czas łamania (brute force):"},
    {"Description", "Opis"},
    {"Do you want to save changes before closing?", "Czy chcesz zapisać zmiany przed zamknięciem?"},
    {"Easy-to-remember password", "Proste-do-zapamiętania hasło"},
    {"Enter password", "Wpisz hasło"},
    {"Enter text to find; case insensitive", "Wpisz tekst do odnalezienia; wielkość liter ignorowana"},
    {"Enter the password", "Wpisz hasło"},
    {"Exit", "Wyjdź"},
    {"Export", "Eksportuj"},
    {"File", "Plik"},
    {"Generate numerical password", "Generuj hasło liczbowe"},
    {"Generate password", "Generuj hasło"},
    {"Generate simple password", "Generuj proste hasło"},
    {"Generated password", "Wygenerowane hasło"},
    {"Help", "Pomoc"},
    {"Incorrect password!", "Niepoprawne hasło!"},
    {"Is there a new version?", "Czy jest nowa wersja?"},
    {"Language", "Język"},
    {"Login", "Login"},
    {"Name", "Nazwa"},
    {"No system clock", "Brak zegara w systemie"},
    {"Numerical password", "Hasło liczbowe"},
    {"Open/ Reopen", "Otwórz/ Odśwież"},
    {"Password", "Hasło"},
    {"Result", "Wynik"},
    {"Save", "Zapisz"},
    {"Search", "Szukaj"},
    {"Text was not found", "Nie znaleziono tekstu"},
    {"Visit us!", "Odwiedź nas!"},
    {"You need to enter valid password to gain access", "Musisz podać poprawne hasło by uzyskać dostęp"},
};

inline constexpr const char* kPolishHeader =
    "Project-Id-Version: Velt\n"
    "POT-Creation-Date: 2007-09-04 12:48\n"
    "PO-Revision-Date: 2007-09-04 15:39+0100\n"
    "Last-Translator: Velt team (PL)\n"
    "MIME-Version: 1.0\n"
    "Content-Type: text/plain; charset=UTF-8\n"
    "Content-Transfer-Encoding: 8bit\n"
    "X-Generator: catalog-gen 1.2\n"
    "Language-Team: \n"
    "X-Poedit-Language: Polish\n";

} // namespace velt::i18n::test
