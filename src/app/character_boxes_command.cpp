#include "app/character_boxes_command.h"

#include <windows.h>

#include <algorithm>

#include "app/settings_command.h"
#include "app/unit1.h"
#include "core/resource_strings.h"
#include "core/secure_memory.h"
#include "toolkit/checkbox.h"
#include "toolkit/dialogs.h"
#include "toolkit/edit.h"
#include "toolkit/label.h"
#include "tools/autotype_typist_win.h"
#include "tools/character_positions.h"
#include "ui/dialog_parts.h"
#include "ui/password_query.h"
#include "vault/vault_file.h"

namespace velt {

namespace {

constexpr int kBoxesPerLine = 10;
constexpr DWORD kFrontWaitMs = 2000;

} // namespace

bool ChooseCharacters(int length, CharacterChoice& choice) {
    auto form = NewDialogForm();
    const SIZE wh = MeasureAverageCharSize(form->Canvas());
    const int w = wh.cx, h = wh.cy;
    const int margin = MulDiv(8, w, 4), row = MulDiv(14, h, 8), boxWidth = MulDiv(22, w, 4);
    form->SetBorderStyle(TFormBorderStyle::bsDialog);
    form->SetCaption(ResStr(IDS_BOXES_TITLE));
    form->SetPosition(TPosition::poScreenCenter);
    form->SetClientWidth(std::max(2 * margin + kBoxesPerLine * boxWidth, MulDiv(180, w, 4)));

    int top = MulDiv(8, h, 8);
    auto* label = new TLabel(form.get());
    label->SetParent(form.get());
    label->SetCaption(ResStr(IDS_BOXES_POSITIONS));
    label->SetLeft(margin);
    label->SetTop(top);
    top += label->Height() + 4;
    auto* text = new TEdit(form.get());
    text->SetParent(form.get());
    text->Font().SetColor(clBlack);
    text->SetBounds(margin, top, form->ClientWidth() - 2 * margin, text->Height());
    text->SetMaxLength(255);
    text->SetText(PositionsText(choice.positions));
    label->SetFocusControl(text);
    top += text->Height() + row / 2;

    // The boxes carry their numbers only; screen readers hear the number
    // and whether it is ticked.
    std::vector<TCheckBox*> boxes;
    int boxHeight = 0;
    for (int i = 0; i < length; ++i) {
        auto* box = new TCheckBox(form.get());
        box->SetParent(form.get());
        box->SetCaption(std::to_string(i + 1));
        boxHeight = box->Height();
        box->SetBounds(margin + (i % kBoxesPerLine) * boxWidth, top + (i / kBoxesPerLine) * (boxHeight + 2),
                       boxWidth - 2, boxHeight);
        boxes.push_back(box);
    }
    top += ((length + kBoxesPerLine - 1) / kBoxesPerLine) * (boxHeight + 2) + row / 2;

    // Ticks and text follow each other; a text that cannot be read yet
    // leaves the ticks as they were.
    bool syncing = false;
    auto showTicks = [&](const std::vector<int>& positions) {
        syncing = true;
        for (int i = 0; i < length; ++i)
            boxes[i]->SetChecked(std::binary_search(positions.begin(), positions.end(), i + 1));
        syncing = false;
    };
    showTicks(choice.positions);
    text->OnChange = [&](TComponent*) {
        if (syncing) return;
        try {
            showTicks(ParsePositions(text->Text(), length));
        } catch (const EPositionsError&) {
        }
    };
    for (TCheckBox* box : boxes)
        box->OnClick = [&](TComponent*) {
            if (syncing) return;
            std::vector<int> ticked;
            for (int i = 0; i < length; ++i)
                if (boxes[i]->Checked()) ticked.push_back(i + 1);
            syncing = true;
            text->SetText(PositionsText(ticked));
            syncing = false;
        };

    auto* tab = new TCheckBox(form.get());
    tab->SetParent(form.get());
    tab->SetBounds(margin, top, form->ClientWidth() - 2 * margin, tab->Height());
    tab->SetCaption(ResStr(IDS_BOXES_TAB));
    tab->SetChecked(choice.tabAfterEach);
    top += tab->Height() + row;

    const int buttonWidth = MulDiv(50, w, 4);
    TBitBtnWithColor* ok = AddDialogButton(form.get(), "OK", mrOk, form->ClientWidth() / 2 - buttonWidth - 4, top,
                                           buttonWidth, row);
    ok->SetDefault(true);
    TBitBtnWithColor* cancel =
        AddDialogButton(form.get(), ResStrInContext(kOwnDialogs, IDS_BTN_CANCEL), mrCancel, form->ClientWidth() / 2 + 4, top,
                        buttonWidth, row);
    cancel->SetCancel(true);
    form->SetClientHeight(cancel->Top() + cancel->Height() + 13);
    form->SetActiveControl(text);

    while (form->ShowModal() == mrOk) {
        try {
            choice.positions = ParsePositions(text->Text(), length);
        } catch (const EPositionsError& e) {
            MessageDlg(e.Message(), TMsgDlgType::mtWarning, TMsgDlgButtons::mbOK);
            continue;
        }
        if (choice.positions.empty()) {
            MessageDlg(ResStr(IDS_BOXES_NONE_CHOSEN), TMsgDlgType::mtWarning, TMsgDlgButtons::mbOK);
            continue;
        }
        choice.tabAfterEach = tab->Checked();
        return true;
    }
    return false;
}

void TForm1::Typepasswordcharacters1Click(TComponent*) {
    const int row = StringGrid1->Selection().Top;
    if (autoTyping_ || Locked() || row < 1 || row >= StringGrid1->RowCount()) return;
    CloseEditor(true);
    std::string_view password = StringGrid1->Store().Cell(CellStore::kPasswordColumn, row);
    const int length = CharacterCount(password, VaultCodePage());
    if (length == 0) {
        MessageDlg(ResStr(IDS_BOXES_NO_PASSWORD), TMsgDlgType::mtInformation, TMsgDlgButtons::mbOK);
        return;
    }
    CharacterChoice choice;
    choice.tabAfterEach = settings_.tabAfterEachCharacter;
    if (!ChooseCharacters(length, choice)) return;
    // The lock may have come while the boxes were shown.
    if (Locked() || row >= StringGrid1->RowCount()) return;
    password = StringGrid1->Store().Cell(CellStore::kPasswordColumn, row);
    if (CharacterCount(password, VaultCodePage()) != length) return;
    if (choice.tabAfterEach != settings_.tabAfterEachCharacter) {
        settings_.tabAfterEachCharacter = choice.tabAfterEach;
        try {
            WriteSettings(*MakeWindowsSaveOps(), SettingsPath(ProgramDir), settings_);
        } catch (const Exception& e) {
            MessageDlg(FormatText(ResStr(IDS_SETTINGS_NOT_SAVED), {e.Message()}), TMsgDlgType::mtError,
                       TMsgDlgButtons::mbOK);
        }
    }

    std::u16string chosen = CharactersAt(password, choice.positions, VaultCodePage());
    const Keystrokes keys(chosen, choice.tabAfterEach);
    WipeString(chosen);
    if (keys.Refused()) {
        const std::string name(StringGrid1->Store().Cell(1, row));
        const std::string named = name.empty() ? FormatText(ResStr(IDS_IMPORT_ROW), {row}) : name;
        MessageDlg(FormatText(ResStr(IDS_AUTOTYPE_KEY_IN_FIELD), {named}), TMsgDlgType::mtWarning,
                   TMsgDlgButtons::mbOK);
        return;
    }

    TypeBehindVelt([&](HWND target, const std::u16string& title) { TypeKeys(target, title, keys, kHotkeyCtrl); });
}

} // namespace velt
