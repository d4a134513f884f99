// The main window (unit Unit1): the entry table in StringGrid1, the search
// box and the menu bar. It lays them out and wires commands and gestures to
// the units that own them; the open vault is its VaultSession.
#pragma once
#include <memory>
#include <string>

#include "app/controls.h"
#include "app/framed_speed_button.h"
#include "app/vault_session.h"
#include "vault/lock_policy.h"
#include "vault/settings.h"
#include "platform/clipboard_guard.h"
#include "toolkit/bevel.h"
#include "toolkit/dialogs.h"
#include "toolkit/forms.h"
#include "toolkit/image.h"
#include "toolkit/label.h"
#include "toolkit/menus.h"
#include "ui/button_with_color.h"

namespace velt {

class TForm1 : public TForm, public VaultSession {
    VELT_PERSISTENT_CLASS()
public:
    // Builds the window's components (no window on screen yet); FormCreate
    // runs from DoCreate, as TApplication::CreateForm does.
    explicit TForm1(TComponent* owner);
    ~TForm1() override;

    // How long a copied password stays on the clipboard in windows made
    // from now on (0 restores the program's delay).
    static void SetClipboardDelayForTests(unsigned ms);
    // The idle clock the lock reads (null restores GetLastInputInfo and
    // GetTickCount): the tick of the last input (0: none) and now.
    using TickSource = DWORD (*)();
    static constexpr UINT_PTR kLockTimerId = 0x4C4B;  // the idle check, every few seconds
    static void SetIdleClockForTests(TickSource lastInput, TickSource now);

    // ---- components, in painting order
    TImage* Image1;
    TFramedSpeedButton* SpeedButton1;
    TImage* Image2;
    TBevel* Bevel1;
    TLeaveNotifyGrid* StringGrid1;
    TCellEdit* Edit1;
    TCellEdit* StringGridEdit;
    TSaveDialog* SaveDialog1;
    TOpenDialog* OpenDialog1;  // Import's, so it offers the last file again
    TLabel* LockedLabel;          // "Velt is locked.", shown only while locked
    TBitBtnWithColor* UnlockButton;  // "Unlock…", likewise

    TMainMenu* MainMenu1;
    TMenuItem* Plik1;
    TMenuItem* Wczytaj1;
    TMenuItem* Zapisz1;
    TMenuItem* Eksportuj1;
    TMenuItem* Importuj1;          // "Import…"
    TMenuItem* N2;
    TMenuItem* Zmiehaso1;
    TMenuItem* Skasujbaz1;
    TMenuItem* Silneszyfrowanie1;  // "Strong encryption", a check item
    TMenuItem* Zablokuj1;          // "Lock"
    TMenuItem* N1;
    TMenuItem* Wyjd1;
    TMenuItem* Dodatkowe1;
    TMenuItem* Generujhaso1;
    TMenuItem* Generujprostszehaso1;
    TMenuItem* Generujhasonumeryczne1;
    TMenuItem* Checkpasswordstrength1;
    TMenuItem* Copylogin1;         // "Copy login"
    TMenuItem* Typeloginandpassword1;  // auto-type of the selected row
    TMenuItem* Passwordhealth1;    // "Password health…"
    TMenuItem* Passwordhistory1;   // "Password history…"
    TMenuItem* N3;
    TMenuItem* Ustawienia1;        // "Settings…"
    TMenuItem* Language1;
    TMenuItem* Polski1;
    TMenuItem* English1;
    TMenuItem* Pomoc1;
    TMenuItem* Nowawersja1;
    TMenuItem* Pomoc2;

    // ---- published methods
    void Save();
    void Load();
    std::string ExportCSV(const std::string& fileName);
    std::string ExportHTM(const std::string& fileName);
    void PrzetlumaczStringGrida();
    void FormMouseExit(TComponent* sender) {}

    // ---- handlers
    void FormCreate(TComponent* sender);
    void FormShow(TComponent* sender);
    void FormResize(TComponent* sender);
    void FormClose(TComponent* sender, TCloseAction& action);
    void Wczytaj1Click(TComponent* sender);
    void Zapisz1Click(TComponent* sender);
    void Eksportuj1Click(TComponent* sender);
    void Importuj1Click(TComponent* sender);
    void Zmiehaso1Click(TComponent* sender);
    void Skasujbaz1Click(TComponent* sender);
    void Silneszyfrowanie1Click(TComponent* sender);
    void Wyjd1Click(TComponent* sender);
    void Zablokuj1Click(TComponent* sender);
    void Ustawienia1Click(TComponent* sender);
    void UnlockClick(TComponent* sender);
    void Generujhaso1Click(TComponent* sender);
    void Generujprostszehaso1Click(TComponent* sender);
    void Generujhasonumeryczne1Click(TComponent* sender);
    void Checkpasswordstrength1Click(TComponent* sender);
    void Copylogin1Click(TComponent* sender);
    void Typeloginandpassword1Click(TComponent* sender);
    void Passwordhealth1Click(TComponent* sender);
    void Passwordhistory1Click(TComponent* sender);
    void Polski1Click(TComponent* sender);
    void English1Click(TComponent* sender);
    void Pomoc1Click(TComponent* sender) {}
    void Nowawersja1Click(TComponent* sender);
    void Pomoc2Click(TComponent* sender);
    void Image2Click(TComponent* sender);
    void SpeedButton1Click(TComponent* sender);
    void StringGrid1DrawCell(TComponent* sender, int col, int row, const RECT& rect, TGridDrawState state);
    void StringGrid1MouseMove(TComponent* sender, TShiftState shift, int x, int y);
    void StringGrid1MouseDown(TComponent* sender, TMouseButton button, TShiftState shift, int x, int y);
    void StringGrid1MouseUp(TComponent* sender, TMouseButton button, TShiftState shift, int x, int y);
    void StringGrid1Click(TComponent* sender);
    void StringGrid1KeyDown(TComponent* sender, WORD& key, TShiftState shift);
    void StringGridEditChange(TComponent* sender);
    void StringGridEditKeyDown(TComponent* sender, WORD& key, TShiftState shift);

    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

protected:
    // What the open vault shows through the window.
    void TableReplaced() override;
    void RepaintGrid() override;
    void Terminate() override;
    void ReportError(const Exception& e) override;
    void LanguageStep() override;

private:
    void BuildControls();
    void BuildMenu();
    TMenuItem* AddItem(TMenuItem* parent, const char* name, const char* caption, TShortCut shortCut,
                       void (TForm1::*handler)(TComponent*));
    void OpenEditor(int col, int row);
    // The editor's text into its cell, with what a strong vault records of it.
    void CommitCell(int col, int row, const std::string& text);
    // What a click on a cell does: opens an address, copies a password.
    void ActivateCell(int col, int row);
    // A cell's text onto the clipboard, forgotten after the delay.
    void CopyCell(int col, int row);
    void CloseEditor(bool commit);
    void ShellOpenText(const std::string& target);
    void SwitchLanguage(bool polish);

    // Texts Velt added to the window; component translation knows only the
    // "default" catalogue, so they are written from resource strings.
    void WriteOwnCaptions();

    // The lock (lock_command.cpp): hides the table and waits for the
    // master password; `trigger` decides whether it fires now.
    bool LockFor(LockPolicy::Trigger trigger);
    void BuildLockControls();
    void StartLockWatch();
    void CheckIdle();
    // `focus`: the button or the table takes the focus (which brings the
    // window to the front).
    void ShowLocked(bool locked, bool focus = true);
    // The lock's messages (timer, session, power, minimise); true when handled.
    bool LockMessage(UINT msg, WPARAM wParam);

    // Auto-type (autotype_command.cpp): the global shortcut and the typing.
    static constexpr int kAutoTypeHotkeyId = 0x4154;
    enum class HotkeyState { Off, Registered, Taken };
    void RegisterAutoTypeHotkey();
    void UnregisterAutoTypeHotkey();
    void AutoTypeHotkey(unsigned modifiers);
    // The row to type for a window with this title (0: none chosen).
    int ChooseRowFor(const std::u16string& title);
    void TypeRow(HWND target, int row, unsigned heldModifiers);
    // The master password asked for while locked; true when it was right.
    // `focusTable` false leaves the window in front where it is.
    bool Unlock(bool focusTable);
    HotkeyState hotkeyState_ = HotkeyState::Off;
    bool autoTyping_ = false;

    // A password copied from the grid; forgotten after a delay and at the end.
    platform::ClipboardGuard clipboard_;
    LockPolicy lock_;
    bool unlocking_ = false;

public:
    bool Locked() const noexcept { return lock_.Locked(); }
    bool HotkeyRegistered() const noexcept { return hotkeyState_ == HotkeyState::Registered; }
    // What Settings says about the shortcut ("" when all is well).
    std::string HotkeyNote() const;
};

// The one main window of the program (null before it is created).
extern TForm1* Form1;

// The Language menu's record of the chosen language: Polski1 ticked.
bool PolishTicked();

} // namespace velt
