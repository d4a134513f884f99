#include "app/history_command.h"

#include <windows.h>

#include <ctime>

#include "core/resource_strings.h"
#include "core/secure_memory.h"
#include "toolkit/edit.h"
#include "toolkit/label.h"
#include "toolkit/listview.h"
#include "ui/dialog_parts.h"
#include "ui/password_query.h"

namespace velt {

std::string HistoryDate(std::int64_t when) {
    const std::time_t t = static_cast<std::time_t>(when);
    const std::tm* local = std::localtime(&t);
    char text[32] = "?";
    if (local) std::strftime(text, sizeof text, "%Y-%m-%d %H:%M", local);
    return text;
}

HistoryDialog::HistoryDialog(const CellStore& table, int row, bool masked, std::function<void(const std::string&)> copy)
    : history_(PasswordHistory(table, row)), copy_(std::move(copy)), form_(NewDialogForm()) {
    TForm* form = form_.get();
    const SIZE wh = MeasureAverageCharSize(form->Canvas());
    const int w = wh.cx, h = wh.cy;
    const int margin = MulDiv(8, w, 4), line = MulDiv(14, h, 8);
    const int width = MulDiv(200, w, 4);
    form->SetBorderStyle(TFormBorderStyle::bsDialog);
    form->SetCaption(FormatText(ResStr(IDS_HISTORY_TITLE), {std::string(table.Cell(1, row))}));
    form->SetClientWidth(width + 2 * margin);
    form->SetPosition(TPosition::poScreenCenter);

    list_ = new TListView(form);
    list_->SetParent(form);
    list_->Font().SetColor(clBlack);
    list_->AddColumn(ResStr(IDS_HISTORY_COL_REPLACED), 0);
    list_->OnItemText = [this](int item, int) {
        if (history_.empty()) return item == 0 ? ResStr(IDS_HISTORY_NONE) : std::string();
        return item < static_cast<int>(history_.size()) ? HistoryDate(history_[static_cast<size_t>(item)].replaced)
                                                        : std::string();
    };
    list_->SetItemCount(std::max<int>(1, static_cast<int>(history_.size())));
    list_->SetBounds(margin, margin, width, 8 * line);
    list_->SetColumnWidth(0, width - 24);
    list_->OnSelect = [this](TComponent*, int item) { Show(item); };
    list_->SetAccessibleName(ResStr(IDS_HISTORY_COL_REPLACED));

    auto* label = new TLabel(form);
    label->SetParent(form);
    label->SetCaption(ResStr(IDS_HISTORY_PASSWORD));
    label->SetLeft(margin);
    label->SetTop(list_->Top() + list_->Height() + line / 2);
    password_ = new TEdit(form);
    password_->SetParent(form);
    password_->SetReadOnly(true);
    password_->SetSecret(true);
    password_->SetPasswordChar(masked ? '*' : '\0');
    password_->Font().SetColor(clBlack);
    password_->SetBounds(margin, label->Top() + label->Height() + 2, width, line + 6);
    label->SetFocusControl(password_);

    const int buttonWidth = MulDiv(50, w, 4), top = password_->Top() + password_->Height() + line / 2;
    TBitBtnWithColor* copyButton =
        AddDialogButton(form, ResStr(IDS_HISTORY_COPY), mrNone, margin, top, buttonWidth, line);
    copyButton->OnClick = [this](TComponent*) {
        const int item = list_->Selected();
        if (item >= 0 && item < static_cast<int>(history_.size()))
            copy_(std::string(history_[static_cast<size_t>(item)].text));
    };
    copyButton->SetEnabled(!history_.empty());
    TBitBtnWithColor* close = AddDialogButton(form, ResStr(IDS_HEALTH_CLOSE), mrCancel,
                                              form->ClientWidth() - margin - buttonWidth, top, buttonWidth, line);
    close->SetCancel(true);
    form->SetClientHeight(close->Top() + close->Height() + 13);
    list_->SetSelected(0);
    Show(0);
    form->SetActiveControl(list_);
}

HistoryDialog::~HistoryDialog() = default;

void HistoryDialog::Show(int item) {
    std::string text;
    if (item >= 0 && item < static_cast<int>(history_.size())) text = history_[static_cast<size_t>(item)].text;
    password_->SetText(text);
    WipeString(text);
}

void HistoryDialog::Run() { form_->ShowModal(); }

} // namespace velt
