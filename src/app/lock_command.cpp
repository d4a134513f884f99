// The main window's lock: File > Lock, the idle timer, the session and power
// notifications and minimising hide the table behind "Unlock…", which asks
// for the master password. Nothing is saved or discarded on the way.
#include <windows.h>

#include "app/unit1.h"
#include "core/resource_strings.h"
#include "core/secure_memory.h"
#include "platform/lazy_library.h"
#include "toolkit/application.h"
#include "toolkit/dialogs.h"
#include "toolkit/label.h"
#include "ui/button_with_color.h"
#include "ui/password_query.h"

namespace velt {

namespace {

constexpr UINT kIdleCheckMs = 5000;

DWORD RealLastInput() {
    LASTINPUTINFO info{sizeof info, 0};
    return GetLastInputInfo(&info) ? info.dwTime : 0;
}
DWORD RealNow() { return GetTickCount(); }

TForm1::TickSource& LastInputSource() {
    static TForm1::TickSource source = &RealLastInput;
    return source;
}
TForm1::TickSource& NowSource() {
    static TForm1::TickSource source = &RealNow;
    return source;
}

// Velt's own dialogs close as cancelled: the button that changes nothing
// (Cancel, else No) of a system dialog, the close box of Velt's own forms.
BOOL CALLBACK CloseOneDialog(HWND window, LPARAM mainWindow) {
    if (window == reinterpret_cast<HWND>(mainWindow) || !IsWindowVisible(window)) return TRUE;
    if ((GetWindowLongA(window, GWL_STYLE) & WS_CAPTION) != WS_CAPTION) return TRUE;  // hints, menus
    char cls[16] = {};
    GetClassNameA(window, cls, sizeof cls);
    if (lstrcmpA(cls, "#32770") == 0) {
        const int id = GetDlgItem(window, IDCANCEL) ? IDCANCEL : GetDlgItem(window, IDNO) ? IDNO : IDOK;
        PostMessageA(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
    } else {
        PostMessageA(window, WM_CLOSE, 0, 0);
    }
    return TRUE;
}

} // namespace

void TForm1::SetIdleClockForTests(TickSource lastInput, TickSource now) {
    LastInputSource() = lastInput ? lastInput : &RealLastInput;
    NowSource() = now ? now : &RealNow;
}

void TForm1::BuildLockControls() {
    LockedLabel = new TLabel(this);
    LockedLabel->SetName("LockedLabel");
    LockedLabel->SetParent(this);
    LockedLabel->SetLeft(240);
    LockedLabel->SetTop(170);
    LockedLabel->SetVisible(false);

    auto* unlock = new TBitBtnWithColor(this);
    unlock->SetName("UnlockButton");
    unlock->SetParent(this);
    unlock->SetBounds(240, 200, 120, 28);
    unlock->SetColor(clBlack);
    unlock->Font().SetColor(clWhite);
    unlock->SetVisible(false);
    unlock->OnClick = [this](TComponent* s) { UnlockClick(s); };
    // Any key asks for the password, as the button does; shortcuts and
    // lone modifiers keep their meaning.
    unlock->OnKeyDown = [this](TComponent* s, WORD& key, TShiftState shift) {
        // Space and Enter press the button itself.
        const bool own = key == VK_SPACE || key == VK_RETURN || key == VK_TAB || key == VK_SHIFT ||
                         key == VK_CONTROL || key == VK_MENU || key == VK_LWIN || key == VK_RWIN;
        if (own || (shift & (ssCtrl | ssAlt))) return;
        key = 0;
        UnlockClick(s);
    };
    UnlockButton = unlock;
}

void TForm1::StartLockWatch() {
    lock_.Opened(NowSource()());
    SetTimer(Handle(), kLockTimerId, kIdleCheckMs, nullptr);
    // Late-loaded: most sessions never lock while Velt runs.
    try {
        using Register = BOOL WINAPI(HWND, DWORD);
        platform::SystemFunction<Register>("wtsapi32.dll", "WTSRegisterSessionNotification")(Handle(), 0);
    } catch (const Exception&) {
        // Without the service the other triggers still lock.
    }
}

void TForm1::CheckIdle() {
    if (lock_.IdleDue(LastInputSource()(), NowSource()(), settings_.idleMinutes))
        LockFor(LockPolicy::Trigger::Idle);
}

bool TForm1::LockFor(LockPolicy::Trigger trigger) {
    if (!lock_.Lock(trigger, settings_.onSessionLock, settings_.onMinimize)) return false;
    clipboard_.ClearIfOurs();
    CloseEditor(true);
    EnumThreadWindows(GetCurrentThreadId(), &CloseOneDialog, reinterpret_cast<LPARAM>(Handle()));
    ShowLocked(true);
    return true;
}

void TForm1::ShowLocked(bool locked, bool focus) {
    StringGrid1->SetVisible(!locked);
    Edit1->SetVisible(!locked);
    SpeedButton1->SetVisible(!locked);
    LockedLabel->SetVisible(locked);
    UnlockButton->SetVisible(locked);
    // Exit, Language and About stay; Import and any later File item follow.
    for (int i = 0; i < Plik1->Count(); ++i)
        if (Plik1->Items(i) != Wyjd1) Plik1->Items(i)->SetEnabled(!locked);
    for (int i = 0; i < Dodatkowe1->Count(); ++i) Dodatkowe1->Items(i)->SetEnabled(!locked);
    if (!focus || !HandleAllocated() || !IsWindowVisible(Handle())) return;
    if (locked)
        UnlockButton->SetFocus();
    else
        StringGrid1->SetFocus();
}

void TForm1::UnlockClick(TComponent*) { Unlock(true); }

bool TForm1::Unlock(bool focusTable, HWND typingTarget) {
    if (unlocking_ || !lock_.Locked()) return false;
    unlocking_ = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{unlocking_};
    std::string typed;
    typed.reserve(256);
    ScopedWipe wipe(typed);
    const std::string caption = ResStr(IDS_ENTER_THE_PASSWORD), prompt = ResStr(IDS_PASSWORD);
    if (!(typingTarget ? PasswordQueryOnEnterRelease(caption, prompt, typed, typingTarget)
                       : PasswordQuery(caption, prompt, typed)))
        return false;
    if (const DWORD wait = lock_.DelayBeforeTry()) Sleep(wait);
    const bool right = SamePassword(typed.data(), typed.size(), MasterPassword.data(), MasterPassword.size());
    lock_.Tried(right, NowSource()());
    if (right) {
        ShowLocked(false, focusTable);
        // Back at the computer: what a sync service left meanwhile. Not when
        // the unlock is on the way to typing into another window.
        if (!typingTarget) OfferConflictCopies();
    } else
        MessageDlg(ResStr(IDS_INCORRECT_PASSWORD), TMsgDlgType::mtError, TMsgDlgButtons::mbOK);
    return right;
}

bool TForm1::LockMessage(UINT msg, WPARAM wParam) {
    try {
        switch (msg) {
        case WM_TIMER:
            if (wParam != kLockTimerId) return false;
            CheckIdle();
            return true;
        case WM_WTSSESSION_CHANGE:
            if (wParam == WTS_SESSION_LOCK || wParam == WTS_CONSOLE_DISCONNECT || wParam == WTS_REMOTE_DISCONNECT)
                LockFor(LockPolicy::Trigger::SessionLock);
            return false;
        case WM_POWERBROADCAST:
            if (wParam == PBT_APMSUSPEND) LockFor(LockPolicy::Trigger::Suspend);
            return false;
        case WM_SIZE:
            // Auto-type minimises Velt to reach the window below; it locks afterwards.
            if (wParam == SIZE_MINIMIZED && !autoTyping_) LockFor(LockPolicy::Trigger::Minimise);
            return false;
        case WM_SYSCOMMAND:
            if ((wParam & 0xFFF0) == SC_MINIMIZE && !autoTyping_) LockFor(LockPolicy::Trigger::Minimise);
            return false;
        default: return false;
        }
    } catch (const Exception& e) {
        ReportError(e);
        return false;
    }
}

} // namespace velt
