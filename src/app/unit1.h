// The main window (unit Unit1): the entry table in StringGrid1, the search
// box and the menu bar. It lays them out and wires commands and gestures to
// the units that own them; the open vault is its VaultSession.
#pragma once
#include <functional>
#include <memory>
#include <string>

#include "app/controls.h"
#include "app/framed_speed_button.h"
#include "app/grid_gestures.h"
#include "app/vault_session.h"
#include "core/clock.h"
#include "vault/lock_policy.h"
#include "vault/settings.h"
#include "platform/clipboard_guard.h"
#include "toolkit/bevel.h"
#include "toolkit/dialogs.h"
#include "toolkit/forms.h"
#include "toolkit/image.h"
#include "toolkit/label.h"
#include "toolkit/menus.h"
#include "tools/autotype_typist_win.h"
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
    TMenuItem* Onetimecode1;             // "One-time code…": show, set up, remove
    TMenuItem* Copyonetimecode1;         // the selected entry's one-time code
    TMenuItem* Typepasswordcharacters1;  // the bank's character boxes
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
    void Typepasswordcharacters1Click(TComponent* sender);  // character_boxes_command.cpp
    void Copyonetimecode1Click(TComponent* sender);         // one_time_code_command.cpp
    void Onetimecode1Click(TComponent* sender);             // one_time_dialog.cpp
    // The clock one-time codes are worked out at (null: the system's).
    static void SetOneTimeClockForTests(Clock* clock);
    void Passwordhealth1Click(TComponent* sender);
    void Passwordhistory1Click(TComponent* sender);
    void Polski1Click(TComponent* sender);
    void English1Click(TComponent* sender);
    void Pomoc1Click(TComponent* sender) {}
    void Nowawersja1Click(TComponent* sender);
    void Pomoc2Click(TComponent* sender);
    void Image2Click(TComponent* sender);
    void SpeedButton1Click(TComponent* sender);
    // The table's gestures live in GridGestures.
    void StringGrid1DrawCell(TComponent*, int col, int row, const RECT& rect, TGridDrawState) {
        grid_->DrawCell(col, row, rect);
    }
    void StringGrid1MouseMove(TComponent*, TShiftState, int x, int y) { grid_->MouseMove(x, y); }
    void StringGrid1MouseDown(TComponent*, TMouseButton b, TShiftState, int x, int y) { grid_->MouseDown(b, x, y); }
    void StringGrid1MouseUp(TComponent*, TMouseButton b, TShiftState, int, int) { grid_->MouseUp(b); }
    void StringGrid1Click(TComponent*) { CloseEditor(true); }
    void StringGrid1KeyDown(TComponent*, WORD& key, TShiftState shift) { grid_->KeyDown(key, shift); }
    void StringGridEditChange(TComponent*) { EditorChanged(); }
    void StringGridEditKeyDown(TComponent*, WORD& key, TShiftState shift) { grid_->EditorKeyDown(key, shift); }

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
    void CopyCell(int col, int row) { grid_->CopyCell(col, row); }
    void CloseEditor(bool commit) { grid_->CloseEditor(commit); }
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
    // The shortcut, and the window that was in front before Velt; true
    // when the message was the shortcut.
    bool AutoTypeMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    void AutoTypeHotkey(unsigned modifiers);
    // The row to type for a window with this title (0: none chosen);
    // `ask` shows the chooser even for one match.
    int ChooseRowFor(HWND target, const std::u16string& title, bool ask);
    // Types the row into `target` while it shows `title`.
    void TypeRow(HWND target, const std::u16string& title, int row, unsigned heldModifiers);
    // Types `keys` into `target` while it shows `title`, once the keys in
    // `heldModifiers` are let go; says why when it cannot.
    void TypeKeys(HWND target, const std::u16string& title, const Keystrokes& keys, unsigned heldModifiers);
    // Minimises Velt and brings back the window the user came from; null,
    // and said, when there is none.
    HWND TargetBehindVelt();
    // Minimises Velt, then types into the window that comes to the front
    // with `type`, given it and its title; no second typing meanwhile.
    void TypeBehindVelt(const std::function<void(HWND target, const std::u16string& title)>& type);
    // What {TOTP} types for the row; without a code, says so and gives "".
    std::u16string OneTimeCodeToType(int row);
    // The master password asked for while locked; true when it was right.
    // `focusTable` false leaves the window in front where it is. Asked for
    // auto-type into `typingTarget`, the prompt closes when Enter is let go
    // (its repeats stay in the prompt) and opens on that window's monitor.
    bool Unlock(bool focusTable, HWND typingTarget = nullptr);
    HotkeyState hotkeyState_ = HotkeyState::Off;
    std::string hotkeyLayout_;  // an installed layout on which the shortcut types
    // The clock one-time codes are worked out at.
    static Clock& OneTimeClock();
    bool autoTyping_ = false;
    ForegroundWatch foregroundWatch_;

    // A password copied from the grid; forgotten after a delay and at the end.
    platform::ClipboardGuard clipboard_;
    LockPolicy lock_;
    bool unlocking_ = false;
    std::unique_ptr<GridGestures> grid_;  // made with the grid and its editor

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
