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
#include "tools/autotype_chooser_win.h"
#include "tools/autotype_match.h"
#include "tools/autotype_typist_win.h"
#include "vault/entry_items.h"

namespace velt {

namespace {

constexpr DWORD kFrontWaitMs = 2000;

std::u16string WindowTitle(HWND window) {
    wchar_t title[512] = {};
    const int n = GetWindowTextW(window, title, 512);
    return std::u16string(reinterpret_cast<const char16_t*>(title), n > 0 ? static_cast<size_t>(n) : 0);
}

} // namespace

void TForm1::UnregisterAutoTypeHotkey() {
    if (hotkeyState_ == HotkeyState::Registered && HandleAllocated()) UnregisterHotKey(Handle(), kAutoTypeHotkeyId);
    hotkeyState_ = HotkeyState::Off;
}

void TForm1::RegisterAutoTypeHotkey() {
    UnregisterAutoTypeHotkey();
    const auto hotkey = ParseHotkey(settings_.hotkey);
    if (!hotkey) return;
    hotkeyState_ = RegisterHotKey(Handle(), kAutoTypeHotkeyId, hotkey->modifiers | MOD_NOREPEAT, hotkey->key)
                       ? HotkeyState::Registered
                       : HotkeyState::Taken;
}

std::string TForm1::HotkeyNote() const {
    return hotkeyState_ == HotkeyState::Taken ? FormatText(ResStr(IDS_SET_HOTKEY_TAKEN), {settings_.hotkey})
                                              : std::string();
}

int TForm1::ChooseRowFor(const std::u16string& title) {
    const CellStore& table = StringGrid1->Store();
    std::vector<EntryText> entries;
    std::vector<int> rows;
    for (int row = 1; row < table.RowCount(); ++row) {
        if (table.Cell(1, row).empty() && table.Cell(3, row).empty() && table.Cell(4, row).empty()) continue;
        entries.push_back({table.Cell(1, row), table.Cell(2, row)});
        rows.push_back(row);
    }
    std::vector<size_t> found = MatchEntries(entries, title, SystemCodePage());
    if (found.size() == 1) return rows[found[0]];
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
    const int picked = ChooseEntry(lines);
    return picked < 0 ? 0 : rows[found[static_cast<size_t>(picked)]];
}

std::u16string TForm1::OneTimeCodeToType(int row, HWND target) {
    try {
        const std::string_view link = OneTimeCodeOf(StringGrid1->Store(), row);
        if (!link.empty()) return Widen(OneTimeCode::Parse(link).CodeAt(OneTimeClock().UnixNow()));
    } catch (const EOneTimeCodeError&) {
    }
    // Said once, before the first key; then the target is brought back.
    MessageDlg(ResStr(IDS_AUTOTYPE_NO_CODE), TMsgDlgType::mtWarning, TMsgDlgButtons::mbOK);
    WaitForForeground(target, kFrontWaitMs);
    return {};
}

void TForm1::TypeRow(HWND target, int row, unsigned heldModifiers) {
    const CellStore& table = StringGrid1->Store();
    std::u16string username = Widen(table.Cell(3, row));
    std::u16string password = Widen(table.Cell(4, row));
    struct Wipe {
        std::u16string& a;
        std::u16string& b;
        ~Wipe() {
            WipeString(a);
            WipeString(b);
        }
    } wipe{username, password};
    const std::vector<SequencePart> parts = ParseSequence(Widen(settings_.sequence));
    const std::u16string code = UsesOneTimeCode(parts) ? OneTimeCodeToType(row, target) : std::u16string();
    const Keystrokes keys(parts, username, password, code);
    WaitForKeysReleased(heldModifiers);
    switch (TypeInto(target, keys, static_cast<unsigned>(settings_.keyDelayMs))) {
    case TypeOutcome::Typed: break;
    case TypeOutcome::Stopped:
        MessageDlg(ResStr(IDS_AUTOTYPE_STOPPED), TMsgDlgType::mtWarning, TMsgDlgButtons::mbOK);
        break;
    case TypeOutcome::Elevated:
        MessageDlg(ResStr(IDS_AUTOTYPE_ELEVATED), TMsgDlgType::mtWarning, TMsgDlgButtons::mbOK);
        break;
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
    const std::u16string title = WindowTitle(target);
    if (Locked() && !Unlock(false)) return;
    CloseEditor(true);
    const int row = ChooseRowFor(title);
    if (row < 1) return;
    // The chooser or the prompt took the front: give it back, then type.
    if (GetForegroundWindow() != target) {
        WaitForKeysReleased(modifiers);
        if (!WaitForForeground(target, kFrontWaitMs)) {
            MessageDlg(ResStr(IDS_AUTOTYPE_STOPPED), TMsgDlgType::mtWarning, TMsgDlgButtons::mbOK);
            return;
        }
    }
    TypeRow(target, row, modifiers);
}

void TForm1::Typeloginandpassword1Click(TComponent*) {
    const int row = StringGrid1->Selection().Top;
    if (autoTyping_ || Locked() || row < 1 || row >= StringGrid1->RowCount()) return;
    autoTyping_ = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{autoTyping_};
    CloseEditor(true);
    HWND below = WindowBelow(Handle());
    ShowWindow(Handle(), SW_MINIMIZE);  // autoTyping_ keeps this from locking
    // Windows brings the next window forward by itself; where nothing
    // comes (no window manager), the one below is asked to.
    HWND target = WaitForForeground(nullptr, kFrontWaitMs / 4);
    if (!target && below) target = WaitForForeground(below, kFrontWaitMs - kFrontWaitMs / 4);
    if (!target) {
        ShowWindow(Handle(), SW_RESTORE);
        MessageDlg(ResStr(IDS_AUTOTYPE_NO_WINDOW), TMsgDlgType::mtWarning, TMsgDlgButtons::mbOK);
        return;
    }
    TypeRow(target, row, kHotkeyCtrl);
    // Minimised for the typing: a lock on minimising now applies.
    autoTyping_ = false;
    if (IsIconic(Handle())) LockFor(LockPolicy::Trigger::Minimise);
}

} // namespace velt
