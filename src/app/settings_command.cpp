#include "app/settings_command.h"

#include <windows.h>

#include <algorithm>
#include <memory>

#include "core/errors.h"
#include "core/hotkey.h"
#include "core/resource_strings.h"
#include "platform/handle.h"
#include "toolkit/application.h"
#include "toolkit/checkbox.h"
#include "toolkit/dialogs.h"
#include "toolkit/edit.h"
#include "toolkit/forms.h"
#include "toolkit/label.h"
#include "ui/button_with_color.h"
#include "ui/dialog_parts.h"
#include "ui/password_query.h"
#include "vault/vault_file.h"

namespace velt {

namespace {

// A hand-edited file is small; anything beyond this is not velt.ini.
constexpr DWORD kMaxSettingsFile = 64 * 1024;

TLabel* MakeLabel(TForm* form, const std::string& caption, int left, int top) {
    auto* label = new TLabel(form);
    label->SetParent(form);
    label->SetCaption(caption);
    label->SetLeft(left);
    label->SetTop(top);
    return label;
}

TEdit* MakeNumber(TForm* form, int value, int left, int top, int width) {
    auto* edit = new TEdit(form);
    edit->SetParent(form);
    edit->Font().SetColor(clBlack);
    edit->SetBounds(left, top, width, edit->Height());
    edit->SetMaxLength(4);
    edit->SetText(std::to_string(value));
    return edit;
}

TCheckBox* MakeCheck(TForm* form, const std::string& caption, bool checked, int left, int top, int width) {
    auto* check = new TCheckBox(form);
    check->SetParent(form);
    check->SetBounds(left, top, width, check->Height());
    check->SetCaption(caption);
    check->SetChecked(checked);
    return check;
}

// A number typed in a box: above the range it is the most allowed; no
// number at all keeps what was there.
int NumberFrom(const std::string& text, int hi, int previous) {
    if (text.empty() || text.find_first_not_of("0123456789 ") != std::string::npos ||
        text.find_first_of("0123456789") == std::string::npos)
        return previous;
    return ParseSettingNumber(text, 0, hi, hi);
}

TEdit* MakeText(TForm* form, const std::string& value, int left, int top, int width) {
    TEdit* edit = MakeNumber(form, 0, left, top, width);
    edit->SetMaxLength(255);
    edit->SetText(value);
    return edit;
}

// The shortcut typed in the box, written the usual way; "" turns it off.
// One that cannot be read is reported and the previous one stays.
std::string HotkeyFrom(const std::string& text, const std::string& previous) {
    if (text.find_first_not_of(" \t") == std::string::npos) return "";
    if (const auto hotkey = ParseHotkey(text)) return FormatHotkey(*hotkey);
    MessageDlg(FormatText(ResStr(IDS_SET_HOTKEY_BAD), {text, previous.empty() ? "-" : previous}),
               TMsgDlgType::mtWarning, TMsgDlgButtons::mbOK);
    return previous;
}

// The sequence typed in the box; an empty one would type nothing, so it is
// reported and the previous one stays.
std::string SequenceFrom(const std::string& text, const std::string& previous) {
    if (text.find_first_not_of(" \t") != std::string::npos) return text;
    MessageDlg(FormatText(ResStr(IDS_SET_SEQUENCE_EMPTY), {previous}), TMsgDlgType::mtWarning, TMsgDlgButtons::mbOK);
    return previous;
}

} // namespace

std::string SettingsPath(const std::string& dir) { return dir + "velt.ini"; }

Settings ReadSettingsFile(const std::string& path) {
    platform::UniqueHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) return Settings{};
    std::string text(kMaxSettingsFile, '\0');
    DWORD got = 0;
    if (!ReadFile(file.Get(), &text[0], kMaxSettingsFile, &got, nullptr)) return Settings{};
    text.resize(got);
    return ParseSettings(text);
}

bool ShowSettingsDialog(Settings& settings, const std::string& hotkeyNote) {
    auto form = NewDialogForm();
    const SIZE wh = MeasureAverageCharSize(form->Canvas());
    const int w = wh.cx, h = wh.cy;
    const int margin = MulDiv(8, w, 4), row = MulDiv(14, h, 8), numberWidth = MulDiv(24, w, 4);

    form->SetBorderStyle(TFormBorderStyle::bsDialog);
    form->SetCaption(ResStr(IDS_SETTINGS));
    form->SetClientWidth(MulDiv(200, w, 4));
    form->SetPosition(TPosition::poScreenCenter);

    int top = MulDiv(8, h, 8);
    TLabel* after = MakeLabel(form.get(), ResStr(IDS_SET_LOCK_AFTER), margin, top + 3);
    const int numberLeft = after->Left() + after->Width() + 6;
    TEdit* idle = MakeNumber(form.get(), settings.idleMinutes, numberLeft, top, numberWidth);
    after->SetFocusControl(idle);
    TLabel* minutes = MakeLabel(form.get(), ResStr(IDS_SET_MINUTES), idle->Left() + idle->Width() + 6, top + 3);
    top += idle->Height() + row / 2;
    const int wide = MulDiv(184, w, 4);
    TCheckBox* session = MakeCheck(form.get(), ResStr(IDS_SET_ON_SESSION), settings.onSessionLock, margin, top, wide);
    top += session->Height() + row / 4;
    TCheckBox* minimise = MakeCheck(form.get(), ResStr(IDS_SET_ON_MINIMIZE), settings.onMinimize, margin, top, wide);
    top += minimise->Height() + row / 2;
    TLabel* keepLabel = MakeLabel(form.get(), ResStr(IDS_SET_KEEP), margin, top + 3);
    TEdit* keep = MakeNumber(form.get(), settings.keep, keepLabel->Left() + keepLabel->Width() + 6, top, numberWidth);
    keepLabel->SetFocusControl(keep);
    TLabel* range = MakeLabel(form.get(), ResStr(IDS_SET_KEEP_RANGE), keep->Left() + keep->Width() + 6, top + 3);
    top += keep->Height() + row / 2;

    // Auto-type: the labels in one column, the boxes in the next.
    TLabel* hotkeyLabel = MakeLabel(form.get(), ResStr(IDS_SET_HOTKEY), margin, top + 3);
    TLabel* sequenceLabel = MakeLabel(form.get(), ResStr(IDS_SET_SEQUENCE), margin, 0);
    TLabel* delayLabel = MakeLabel(form.get(), ResStr(IDS_SET_KEY_DELAY), margin, 0);
    const int boxLeft = std::max({hotkeyLabel->Width(), sequenceLabel->Width(), delayLabel->Width()}) + margin + 6;
    TEdit* hotkey = MakeText(form.get(), settings.hotkey, boxLeft, top, MulDiv(60, w, 4));
    TLabel* hotkeyEmpty =
        MakeLabel(form.get(), ResStr(IDS_SET_HOTKEY_EMPTY), hotkey->Left() + hotkey->Width() + 6, top + 3);
    hotkeyLabel->SetFocusControl(hotkey);
    top += hotkey->Height() + row / 4;
    TLabel* note = nullptr;
    if (!hotkeyNote.empty()) {
        note = MakeLabel(form.get(), hotkeyNote, boxLeft, top);
        note->Font().SetColor(0x4080FF);  // orange on the black form
        top += note->Height() + row / 4;
    }
    sequenceLabel->SetTop(top + 3);
    // The default sequence shows whole, with room to add to it.
    const int sequenceWidth = form->Unscaled(form->Canvas().TextWidth(kDefaultAutoTypeSequence)) + MulDiv(24, w, 4);
    TEdit* sequence = MakeText(form.get(), settings.sequence, boxLeft, top, sequenceWidth);
    sequenceLabel->SetFocusControl(sequence);
    top += sequence->Height() + row / 4;
    delayLabel->SetTop(top + 3);
    TEdit* delay = MakeNumber(form.get(), settings.keyDelayMs, boxLeft, top, numberWidth);
    delayLabel->SetFocusControl(delay);
    TLabel* ms = MakeLabel(form.get(), ResStr(IDS_SET_KEY_DELAY_RANGE), delay->Left() + delay->Width() + 6, top + 3);
    top += delay->Height() + row / 4;
    const std::string confirmText = ResStr(IDS_SET_CONFIRM);
    const int confirmWidth = std::max(wide, form->Unscaled(form->Canvas().TextWidth(confirmText)) + MulDiv(16, w, 4));
    TCheckBox* confirm = MakeCheck(form.get(), confirmText, settings.confirm, margin, top, confirmWidth);
    top += confirm->Height() + row / 4;
    const std::string layoutText = ResStr(IDS_SET_KEYS_LAYOUT);
    const int layoutWidth = std::max(wide, form->Unscaled(form->Canvas().TextWidth(layoutText)) + MulDiv(16, w, 4));
    TCheckBox* asLayout = MakeCheck(form.get(), layoutText, settings.keysLayout, margin, top, layoutWidth);
    top += asLayout->Height() + row;

    // Wide enough for the longest line in either language.
    const int right = std::max({minutes->Left() + minutes->Width(), session->Left() + session->Width(),
                                confirm->Left() + confirm->Width(), asLayout->Left() + asLayout->Width(),
                                range->Left() + range->Width(), hotkeyEmpty->Left() + hotkeyEmpty->Width(),
                                sequence->Left() + sequence->Width(), ms->Left() + ms->Width(),
                                note ? note->Left() + note->Width() : 0});
    if (right + margin > form->ClientWidth()) form->SetClientWidth(right + margin);

    const int buttonWidth = MulDiv(50, w, 4);
    TBitBtnWithColor* ok = AddDialogButton(form.get(), "OK", mrOk, form->ClientWidth() / 2 - buttonWidth - 4, top,
                                           buttonWidth, row);
    ok->SetDefault(true);
    TBitBtnWithColor* cancel =
        AddDialogButton(form.get(), ResStrInContext(kOwnDialogs, IDS_BTN_CANCEL), mrCancel,
                        form->ClientWidth() / 2 + 4, top, buttonWidth, row);
    cancel->SetCancel(true);
    form->SetClientHeight(cancel->Top() + cancel->Height() + 13);
    form->SetActiveControl(idle);

    if (form->ShowModal() != mrOk) return false;
    settings.idleMinutes = NumberFrom(idle->Text(), kMaxIdleMinutes, settings.idleMinutes);
    settings.onSessionLock = session->Checked();
    settings.onMinimize = minimise->Checked();
    settings.keep = NumberFrom(keep->Text(), 9, settings.keep);
    settings.hotkey = HotkeyFrom(hotkey->Text(), settings.hotkey);
    settings.sequence = SequenceFrom(sequence->Text(), settings.sequence);
    settings.keyDelayMs = NumberFrom(delay->Text(), kMaxKeyDelayMs, settings.keyDelayMs);
    settings.confirm = confirm->Checked();
    settings.keysLayout = asLayout->Checked();
    return true;
}

bool SettingsCommand(Settings& current, const std::string& path, const std::string& hotkeyNote) {
    Settings chosen = current;
    if (!ShowSettingsDialog(chosen, hotkeyNote)) return false;
    current = chosen;
    try {
        WriteSettings(*MakeWindowsSaveOps(), path, chosen);
    } catch (const Exception& e) {
        MessageDlg(FormatText(ResStr(IDS_SETTINGS_NOT_SAVED), {e.Message()}), TMsgDlgType::mtError,
                   TMsgDlgButtons::mbOK);
    }
    return true;
}

} // namespace velt
