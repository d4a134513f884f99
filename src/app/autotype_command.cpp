// Auto-type from the main window: the global shortcut (WM_HOTKEY) types the
// entry that matches the window in front, and Additional > "Type login and
// password" types the selected row into the window under Velt.
#include <windows.h>

#include "app/unit1.h"
#include "core/hotkey.h"
#include "core/one_time_code.h"
#include "core/resource_strings.h"
#include "core/secure_memory.h"
#include "toolkit/dialogs.h"
#include "toolkit/msgbox.h"
#include "tools/autotype_chooser_win.h"
#include "tools/autotype_match.h"
#include "tools/autotype_typist_win.h"
#include "vault/entry_items.h"

namespace velt {

namespace {

constexpr DWORD kFrontWaitMs = 2000;

// Auto-type's words come while another program is in front: the box goes on
// top, owned by Velt's window (none while it is minimised, as an owned box
// would be hidden with it).
void Warn(HWND main, const std::string& text) {
    ShowMessageBox(IsIconic(main) ? nullptr : main, text, ResStr(IDS_MSG_WARNING),
                   MB_OK | MB_ICONWARNING | MB_TOPMOST | MB_SETFOREGROUND);
}

} // namespace

bool TForm1::AutoTypeMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    // Where Windows names the window that was active, and where a click on
    // Velt is about to take the front from it.
    if (msg == WM_ACTIVATE && LOWORD(wParam) != WA_INACTIVE) foregroundWatch_.Seen(reinterpret_cast<HWND>(lParam));
    if (msg == WM_MOUSEACTIVATE) foregroundWatch_.Seen(GetForegroundWindow());
    if (msg != WM_HOTKEY || wParam != kAutoTypeHotkeyId) return false;
    try {
        AutoTypeHotkey(LOWORD(lParam));
    } catch (const Exception& e) {
        ReportError(e);
    }
    return true;
}

void TForm1::UnregisterAutoTypeHotkey() {
    if (hotkeyState_ == HotkeyState::Registered && HandleAllocated()) UnregisterHotKey(Handle(), kAutoTypeHotkeyId);
    hotkeyState_ = HotkeyState::Off;
}

void TForm1::RegisterAutoTypeHotkey() {
    UnregisterAutoTypeHotkey();
    const auto hotkey = ParseHotkey(settings_.hotkey);
    if (!hotkey) return;
    foregroundWatch_.Start();
    hotkeyState_ = RegisterHotKey(Handle(), kAutoTypeHotkeyId, hotkey->modifiers | MOD_NOREPEAT, hotkey->key)
                       ? HotkeyState::Registered
                       : HotkeyState::Taken;
    hotkeyLayout_ = LayoutTypingShortcut(hotkey->modifiers, hotkey->key);
}

std::string TForm1::HotkeyNote() const {
    if (hotkeyState_ == HotkeyState::Taken) return FormatText(ResStr(IDS_SET_HOTKEY_TAKEN), {settings_.hotkey});
    if (hotkeyState_ == HotkeyState::Registered && !hotkeyLayout_.empty())
        return FormatText(ResStr(IDS_SET_HOTKEY_TYPES), {settings_.hotkey, hotkeyLayout_});
    return std::string();
}

int TForm1::ChooseRowFor(HWND target, const std::u16string& title, bool ask) {
    const CellStore& table = StringGrid1->Store();
    std::vector<EntryText> entries;
    std::vector<int> rows;
    for (int row = 1; row < table.RowCount(); ++row) {
        if (table.Cell(1, row).empty() && table.Cell(3, row).empty() && table.Cell(4, row).empty()) continue;
        entries.push_back({table.Cell(1, row), table.Cell(2, row)});
        rows.push_back(row);
    }
    std::vector<size_t> found = MatchEntries(entries, title, VaultCodePage());
    if (found.size() == 1 && !settings_.confirm && !ask) return rows[found[0]];
    const int reason = found.empty()       ? IDS_AUTOTYPE_NONE_MATCHED
                       : found.size() == 1 ? IDS_AUTOTYPE_ONE_MATCHED
                                           : IDS_AUTOTYPE_SEVERAL_MATCHED;
    if (found.empty())
        for (size_t i = 0; i < entries.size(); ++i) found.push_back(i);
    std::vector<std::string> lines;
    for (size_t i : found) {
        const int row = rows[i];
        std::string line(table.Cell(1, row));
        if (!table.Cell(3, row).empty()) line += "  (" + std::string(table.Cell(3, row)) + ")";
        if (!table.Cell(2, row).empty()) line += "  " + std::string(table.Cell(2, row));
        lines.push_back(line);
    }
    const int picked = ChooseEntry(lines, ResStr(reason), target);
    return picked < 0 ? 0 : rows[found[static_cast<size_t>(picked)]];
}

std::u16string TForm1::OneTimeCodeToType(int row) {
    try {
        const std::string_view link = OneTimeCodeOf(StringGrid1->Store(), row);
        if (!link.empty()) return Widen(OneTimeCode::Parse(link).CodeAt(OneTimeClock().UnixNow()));
    } catch (const EOneTimeCodeError&) {
    }
    // Said once, before the first key; the target is brought back before typing.
    Warn(Handle(), ResStr(IDS_AUTOTYPE_NO_CODE));
    return {};
}

void TForm1::TypeRow(HWND target, const std::u16string& title, int row, unsigned heldModifiers) {
    const CellStore& table = StringGrid1->Store();
    std::u16string username = VaultCodePage().Widen(table.Cell(3, row));
    std::u16string password = VaultCodePage().Widen(table.Cell(4, row));
    struct Wipe {
        std::u16string& a;
        std::u16string& b;
        ~Wipe() {
            WipeString(a);
            WipeString(b);
        }
    } wipe{username, password};
    const std::vector<SequencePart> parts = ParseSequence(Widen(settings_.sequence));
    const std::u16string code = UsesOneTimeCode(parts) ? OneTimeCodeToType(row) : std::u16string();
    const Keystrokes keys(parts, username, password, code);
    if (keys.Refused()) {
        const std::string name(table.Cell(1, row));
        const std::string named = name.empty() ? FormatText(ResStr(IDS_IMPORT_ROW), {row}) : name;
        Warn(Handle(), FormatText(ResStr(IDS_AUTOTYPE_KEY_IN_FIELD), {named}));
        return;
    }
    TypeKeys(target, title, keys, heldModifiers);
}

void TForm1::TypeKeys(HWND target, const std::u16string& title, const Keystrokes& keys, unsigned heldModifiers) {
    if (!WaitForKeysReleased(heldModifiers)) {
        Warn(Handle(), ResStr(IDS_AUTOTYPE_KEYS_HELD));
        return;
    }
    // The chooser or the prompt took the front: give it back, then type.
    if (GetForegroundWindow() != target && !WaitForForeground(target, kFrontWaitMs)) {
        Warn(Handle(), ResStr(IDS_AUTOTYPE_STOPPED));
        return;
    }
    switch (TypeInto(target, title, keys, static_cast<unsigned>(settings_.keyDelayMs), settings_.keysLayout).outcome) {
    case TypeOutcome::Typed:
    case TypeOutcome::Escaped: break;
    case TypeOutcome::Stopped: Warn(Handle(), ResStr(IDS_AUTOTYPE_STOPPED)); break;
    case TypeOutcome::Blocked: Warn(Handle(), ResStr(IDS_AUTOTYPE_BLOCKED)); break;
    case TypeOutcome::Elevated: Warn(Handle(), ResStr(IDS_AUTOTYPE_ELEVATED)); break;
    }
}

void TForm1::AutoTypeHotkey(unsigned modifiers) {
    HWND target = GetForegroundWindow();
    // Velt's own windows are never the target.
    if (autoTyping_ || !BelongsToAnotherProcess(target)) return;
    autoTyping_ = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{autoTyping_};
    // Typed only while the target still shows the page it was matched by.
    const std::u16string title = WindowTitle(target);
    // Right Alt held on a layout with AltGr: the user may have meant a
    // character, so one match is offered rather than typed.
    const bool altGr = (GetAsyncKeyState(VK_RMENU) & 0x8000) &&
                       HasAltGr(GetKeyboardLayout(GetWindowThreadProcessId(target, nullptr)));
    if (Locked() && !Unlock(false, target)) return;
    CloseEditor(true);
    const int row = ChooseRowFor(target, title, altGr);
    if (row < 1) return;
    TypeRow(target, title, row, modifiers);
}

HWND TForm1::TargetBehindVelt() {
    // The window the user came from; else the one below Velt; else
    // whatever Windows brings forward once Velt is out of the way.
    HWND chosen = foregroundWatch_.Last();
    if (!chosen) chosen = WindowBelow(Handle());
    ShowWindow(Handle(), SW_MINIMIZE);  // autoTyping_ keeps this from locking
    HWND target = chosen ? WaitForForeground(chosen, kFrontWaitMs) : WaitForForeground(nullptr, kFrontWaitMs);
    if (!target) {
        ShowWindow(Handle(), SW_RESTORE);
        Warn(Handle(), ResStr(IDS_AUTOTYPE_NO_WINDOW));
    }
    return target;
}

void TForm1::TypeBehindVelt(const std::function<void(HWND target, const std::u16string& title)>& type) {
    autoTyping_ = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{autoTyping_};
    CloseEditor(true);
    HWND target = TargetBehindVelt();
    if (!target) return;
    // The page the target shows as it comes forward is the one typed into.
    type(target, WindowTitle(target));
    // Minimised for the typing: a lock on minimising now applies.
    autoTyping_ = false;
    if (IsIconic(Handle())) LockFor(LockPolicy::Trigger::Minimise);
}

void TForm1::Typeloginandpassword1Click(TComponent*) {
    const int row = StringGrid1->Selection().Top;
    if (autoTyping_ || Locked() || row < 1 || row >= StringGrid1->RowCount()) return;
    TypeBehindVelt([&](HWND target, const std::u16string& title) { TypeRow(target, title, row, kHotkeyCtrl); });
}

} // namespace velt
