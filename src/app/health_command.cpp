#include "app/health_command.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "core/resource_strings.h"
#include "platform/system_random.h"
#include "toolkit/label.h"
#include "toolkit/listview.h"
#include "tools/password_health.h"
#include "ui/dialog_parts.h"
#include "ui/password_query.h"

namespace velt {

namespace {

std::vector<HealthEntry> EntriesOf(const CellStore& table) {
    std::vector<HealthEntry> entries;
    entries.reserve(static_cast<std::size_t>(table.EntryCount()));
    for (int r = 1; r < table.RowCount(); ++r) {
        const CellStore::RowView cells = table.RowCells(r);
        entries.push_back({cells[1], cells[3], cells[CellStore::kPasswordColumn]});
    }
    return entries;
}

} // namespace

int ShowPasswordHealth(const CellStore& table, bool compatibleFormat) {
    const std::vector<HealthEntry> entries = EntriesOf(table);
    std::uint32_t key = 0;
    platform::SystemRandom().Fill(reinterpret_cast<unsigned char*>(&key), sizeof key);
    const HealthReport report = CheckPasswordHealth(entries, compatibleFormat, key);

    auto form = NewDialogForm();
    const SIZE wh = MeasureAverageCharSize(form->Canvas());
    const int w = wh.cx, h = wh.cy;
    const int margin = MulDiv(8, w, 4), row = MulDiv(14, h, 8);
    form->SetBorderStyle(TFormBorderStyle::bsDialog);
    form->SetCaption(ResStr(IDS_HEALTH_TITLE));
    form->SetClientWidth(MulDiv(340, w, 4));
    form->SetPosition(TPosition::poScreenCenter);

    auto* heading = new TLabel(form.get());
    heading->SetParent(form.get());
    heading->SetCaption(HealthHeading(report));
    heading->SetLeft(margin);
    heading->SetTop(MulDiv(8, h, 8));
    if (heading->Width() + 2 * margin > form->ClientWidth()) form->SetClientWidth(heading->Width() + 2 * margin);

    auto* list = new TListView(form.get());
    list->SetParent(form.get());
    list->Font().SetColor(clBlack);
    list->AddColumn(ResStr(IDS_HEALTH_COL_FINDING), 0);
    list->AddColumn(ResStr(IDS_HEALTH_COL_ENTRIES), 0);
    // The grid row each item leads to; 0 for the vault's own line.
    std::vector<int> targets;
    targets.reserve(report.lines.size());
    for (const HealthLine& line : report.lines) {
        list->AddItem({FindingText(line), EntriesText(entries, line)});
        targets.push_back(line.rows.empty() ? 0 : line.rows.front());
    }
    if (report.lines.empty()) {
        list->AddItem({ResStr(IDS_HEALTH_NONE), ""});
        targets.push_back(0);
    }
    // Every finding whole; the entries get the rest, within the screen.
    const int scroll = GetSystemMetrics(SM_CXVSCROLL) + 4;
    const int findingWidth = list->WidestText(0);
    const int entriesWidth = std::max(list->WidestText(1), MulDiv(100, w, 4));
    const int widest = GetSystemMetrics(SM_CXMAXIMIZED) - 2 * margin - 16;
    const int listWidth = std::max(form->ClientWidth() - 2 * margin,
                                   std::min(findingWidth + entriesWidth + scroll, widest));
    form->SetClientWidth(listWidth + 2 * margin);
    list->SetBounds(margin, heading->Top() + heading->Height() + row / 2, listWidth, 12 * row);
    list->SetColumnWidth(0, std::min(findingWidth, listWidth - MulDiv(60, w, 4) - scroll));
    list->SetColumnWidth(1, listWidth - list->ColumnWidth(0) - scroll);
    list->SetSelected(0);

    int chosen = 0;
    TForm* dialog = form.get();
    list->OnActivate = [&chosen, &targets, dialog](TComponent*, int item) {
        const int target = targets.at(static_cast<std::size_t>(item));
        if (target <= 0) return;
        chosen = target;
        dialog->SetModalResult(mrOk);
    };

    const int buttonWidth = MulDiv(50, w, 4);
    TBitBtnWithColor* close =
        AddDialogButton(form.get(), ResStr(IDS_HEALTH_CLOSE), mrCancel, form->ClientWidth() - margin - buttonWidth,
                        list->Top() + list->Height() + row / 2, buttonWidth, row);
    close->SetCancel(true);
    form->SetClientHeight(close->Top() + close->Height() + 13);
    form->SetActiveControl(list);
    form->ShowModal();
    return chosen;
}

} // namespace velt
