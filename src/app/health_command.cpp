#include "app/health_command.h"

#include <windows.h>

#include <algorithm>

#include "core/resource_strings.h"
#include "platform/system_random.h"
#include "toolkit/dpi.h"
#include "toolkit/label.h"
#include "toolkit/listview.h"
#include "ui/dialog_parts.h"
#include "ui/password_query.h"

namespace velt {

namespace {

// Entries texts measured for the column's width: the longest by bytes.
constexpr std::size_t kMeasured = 20;

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

HealthDialog::HealthDialog(const CellStore& table, bool compatibleFormat)
    : entries_(EntriesOf(table)), report_(CheckPasswordHealth(entries_, compatibleFormat, platform::SystemRandom())),
      form_(NewDialogForm()) {
    TForm* form = form_.get();
    const SIZE wh = MeasureAverageCharSize(form->Canvas());
    const int w = wh.cx, h = wh.cy;
    const int margin = MulDiv(8, w, 4), row = MulDiv(14, h, 8);
    form->SetBorderStyle(TFormBorderStyle::bsDialog);
    form->SetCaption(ResStr(IDS_HEALTH_TITLE));
    form->SetClientWidth(MulDiv(340, w, 4));
    form->SetPosition(TPosition::poScreenCenter);

    auto* heading = new TLabel(form);
    heading->SetParent(form);
    heading->SetCaption(HealthHeading(report_));
    heading->SetLeft(margin);
    heading->SetTop(MulDiv(8, h, 8));
    if (heading->Width() + 2 * margin > form->ClientWidth()) form->SetClientWidth(heading->Width() + 2 * margin);

    list_ = new TListView(form);
    list_->SetParent(form);
    list_->Font().SetColor(clBlack);
    list_->AddColumn(ResStr(IDS_HEALTH_COL_FINDING), 0);
    list_->AddColumn(ResStr(IDS_HEALTH_COL_ENTRIES), 0);
    list_->OnItemText = [this](int item, int column) { return Text(item, column); };
    const int items = std::max<int>(1, static_cast<int>(report_.lines.size()));
    list_->SetItemCount(items);

    // Every finding whole (there are few kinds); the entries as wide as the
    // longest lines need, within the screen.
    int findingWidth = 0, entriesWidth = MulDiv(100, w, 4);
    std::vector<std::pair<std::size_t, int>> longest;  // (bytes of the names shown, item)
    for (int i = 0; i < items; ++i) {
        const HealthLine* line = report_.lines.empty() ? nullptr : &report_.lines[static_cast<std::size_t>(i)];
        if (!line || i == 0 || line->finding != line[-1].finding)
            findingWidth = std::max(findingWidth, list_->TextWidth(Text(i, 0)));
        if (!line) continue;
        std::size_t bytes = 0;
        for (std::size_t k = 0; k < line->count && k < 10; ++k)
            bytes += entries_[static_cast<std::size_t>(report_.rows[line->first + k] - 1)].name.size() + 2;
        longest.push_back({bytes, i});
    }
    const std::size_t measured = std::min(longest.size(), kMeasured);
    std::partial_sort(longest.begin(), longest.begin() + static_cast<std::ptrdiff_t>(measured), longest.end(),
                      std::greater<>());
    for (std::size_t i = 0; i < measured; ++i)
        entriesWidth = std::max(entriesWidth, list_->TextWidth(Text(longest[i].second, 1)));
    // The system's metrics in pixels at the form's DPI; the layout is in 96-DPI figures.
    const int scroll = form->Unscaled(SystemMetricForDpi(SM_CXVSCROLL, form->Dpi())) + 4;
    const int widest = form->Unscaled(SystemMetricForDpi(SM_CXMAXIMIZED, form->Dpi())) - 2 * margin - 16;
    const int listWidth =
        std::max(form->ClientWidth() - 2 * margin, std::min(findingWidth + entriesWidth + scroll, widest));
    form->SetClientWidth(listWidth + 2 * margin);
    list_->SetBounds(margin, heading->Top() + heading->Height() + row / 2, listWidth, 12 * row);
    list_->SetColumnWidth(0, std::min(findingWidth, listWidth - MulDiv(60, w, 4) - scroll));
    list_->SetColumnWidth(1, listWidth - list_->ColumnWidth(0) - scroll);
    list_->SetSelected(0);
    list_->OnActivate = [this](TComponent*, int item) {
        if (item >= static_cast<int>(report_.lines.size())) return;
        const HealthLine& line = report_.lines[static_cast<std::size_t>(item)];
        if (line.count == 0) return;  // the vault's own line
        chosen_ = report_.rows[line.first];
        form_->SetModalResult(mrOk);
    };

    const int buttonWidth = MulDiv(50, w, 4);
    TBitBtnWithColor* close = AddDialogButton(form, ResStr(IDS_HEALTH_CLOSE), mrCancel,
                                              form->ClientWidth() - margin - buttonWidth,
                                              list_->Top() + list_->Height() + row / 2, buttonWidth, row);
    close->SetCancel(true);
    form->SetClientHeight(close->Top() + close->Height() + 13);
    form->SetActiveControl(list_);
}

HealthDialog::~HealthDialog() = default;

std::string HealthDialog::Text(int item, int column) const {
    if (item < 0) return {};
    if (report_.lines.empty()) return item == 0 && column == 0 ? ResStr(IDS_HEALTH_NONE) : std::string();
    if (item >= static_cast<int>(report_.lines.size())) return {};
    const HealthLine& line = report_.lines[static_cast<std::size_t>(item)];
    return column == 0 ? FindingText(line) : EntriesText(entries_, report_, line);
}

int HealthDialog::Run() {
    chosen_ = 0;
    form_->ShowModal();
    return chosen_;
}

} // namespace velt
