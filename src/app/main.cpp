// velt.exe: the localisation module first, then the main window (whose
// creation asks for the master password and loads the vault), the strength
// dialog, and the message loop.
#include <windows.h>

#include "app/unit1.h"
#include "i18n/localisation_win.h"
#include "tools/locale_numbers_win.h"
#include "toolkit/application.h"
#include "toolkit/dpi.h"
#include "tools/check_pass_win.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    using namespace velt;
    // Started before any window and stopped after the last one is gone.
    DeclareDpiAwareness();  // before any window
    i18n::LocalisationModule localisation;
    int code = 0;
    try {
        InstallUserNumberSeparators();
        Application->SetTitle("Velt");
        Form1 = Application->CreateForm<TForm1>();
        CheckPassBox = Application->CreateForm<TCheckPassBox>(PolishTicked);
        Application->Run();
    } catch (...) {
        Application->HandleException();
        code = 1;
    }
    // The windows go before the translation service; the main window's
    // destruction wipes the master password.
    delete CheckPassBox;
    CheckPassBox = nullptr;
    delete Form1;
    return code;
}
