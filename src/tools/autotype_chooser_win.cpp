#include "tools/autotype_chooser_win.h"

#include <windows.h>

#include "core/resource_strings.h"
#include "core/text.h"
#include "toolkit/edit.h"
#include "toolkit/forms.h"
#include "toolkit/label.h"
#include "toolkit/listbox.h"
#include "tools/autotype_match.h"
#include "ui/button_with_color.h"
#include "ui/dialog_parts.h"
#include "ui/password_query.h"

namespace velt {

std::vector<int> FilterLines(const std::vector<std::string>& lines, const std::string& filter) {
    const std::u16string wanted = FoldCase(Widen(filter));
    std::vector<int> shown;
    for (size_t i = 0; i < lines.size(); ++i)
        if (FoldCase(Widen(lines[i])).find(wanted) != std::u16string::npos) shown.push_back(static_cast<int>(i));
    return shown;
}

int ChooseEntry(const std::vector<std::string>& lines, const std::string& reason, HWND target) {
    auto form = NewDialogForm();
    const SIZE wh = MeasureAverageCharSize(form->Canvas());
    const int margin = MulDiv(6, wh.cx, 4), width = MulDiv(220, wh.cx, 4);
    form->SetBorderStyle(TFormBorderStyle::bsDialog);
    form->SetCaption(ResStr(IDS_AUTOTYPE_CHOOSE));
    form->SetPosition(TPosition::poScreenCenter);
    form->SetCenterOn(target);
    form->SetClientWidth(width + 2 * margin);

    // Why it opened, then the filter box beside its name.
    auto* why = new TLabel(form.get());
    why->SetParent(form.get());
    why->SetWordWrap(true);
    why->SetMaxWidth(width);
    why->SetCaption(reason);
    why->SetLeft(margin);
    why->SetTop(margin);
    auto* named = new TLabel(form.get());
    named->SetParent(form.get());
    named->SetCaption(ResStr(IDS_AUTOTYPE_FILTER));
    named->SetLeft(margin);
    auto* filter = new TEdit(form.get());
    filter->SetParent(form.get());
    filter->Font().SetColor(clBlack);
    const int filterLeft = margin + named->Width() + margin;
    filter->SetBounds(filterLeft, why->Top() + why->Height() + margin, width + margin - filterLeft, filter->Height());
    named->SetTop(filter->Top() + 3);
    named->SetFocusControl(filter);
    auto* list = new TListBox(form.get());
    list->SetParent(form.get());
    list->Font().SetColor(clBlack);
    list->SetBounds(margin, filter->Top() + filter->Height() + margin / 2, width, MulDiv(120, wh.cy, 8));
    list->SetTabStop(false);  // the filter box keeps the keyboard
    // OK is not the default button: Enter is taken when it is let go (below).
    const int buttonWidth = MulDiv(50, wh.cx, 4), buttonHeight = MulDiv(14, wh.cy, 8);
    const int buttonTop = list->Top() + list->Height() + margin;
    TBitBtnWithColor* ok = AddDialogButton(form.get(), ResStr(IDS_BTN_OK), mrNone,
                                           form->ClientWidth() / 2 - buttonWidth - 4, buttonTop, buttonWidth,
                                           buttonHeight);
    TBitBtnWithColor* cancel = AddDialogButton(form.get(), ResStrInContext(kOwnDialogs, IDS_BTN_CANCEL), mrCancel,
                                               form->ClientWidth() / 2 + 4, buttonTop, buttonWidth, buttonHeight);
    cancel->SetCancel(true);
    form->SetClientHeight(buttonTop + buttonHeight + margin);

    std::vector<int> shown;
    auto refill = [&] {
        shown = FilterLines(lines, filter->Text());
        std::vector<std::string> items;
        for (int i : shown) items.push_back(lines[static_cast<size_t>(i)]);
        list->SetItems(items);
    };
    refill();
    filter->OnChange = [&](TComponent*) { refill(); };
    const auto pick = [&] {
        if (list->ItemIndex() >= 0) form->SetModalResult(mrOk);
    };
    // Enter picks when it is let go: the chooser then keeps the whole press,
    // repeats included, which would otherwise go to the window that comes
    // to the front when the chooser closes.
    bool enterDown = false;
    filter->OnKeyUp = [&](TComponent*, WORD& key, TShiftState) {
        if (key == VK_RETURN && enterDown) pick();
    };
    filter->OnKeyDown = [&](TComponent*, WORD& key, TShiftState) {
        const int n = list->Count(), at = list->ItemIndex();
        int to = at;
        switch (key) {
        case VK_UP: to = at - 1; break;
        case VK_DOWN: to = at + 1; break;
        case VK_PRIOR: to = at - 8; break;
        case VK_NEXT: to = at + 8; break;
        case VK_RETURN: enterDown = true; key = 0; return;
        case VK_ESCAPE: form->SetModalResult(mrCancel); key = 0; return;
        default: return;
        }
        key = 0;
        if (n > 0) list->SetItemIndex(to < 0 ? 0 : to >= n ? n - 1 : to);
    };
    // Enter and Escape as characters only beep in an edit box.
    filter->OnKeyPress = [](TComponent*, char& key) {
        if (key == '\r' || key == '\x1b') key = 0;
    };
    list->OnDblClick = [&](TComponent*) { pick(); };
    ok->OnClick = [&](TComponent*) { pick(); };
    form->OnShow = [&](TComponent*) { SetForegroundWindow(form->Handle()); };
    form->SetActiveControl(filter);

    if (form->ShowModal() != mrOk) return -1;
    const int at = list->ItemIndex();
    return at >= 0 && at < static_cast<int>(shown.size()) ? shown[static_cast<size_t>(at)] : -1;
}

} // namespace velt
