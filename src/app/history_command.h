// Additional > "Password history…": the selected entry's old passwords with
// the dates they were replaced. The list holds the dates alone; the selected
// password shows in a box below, masked as the grid masks it, which screen
// readers are refused. Copy puts it on the clipboard through the guard.
#pragma once
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "toolkit/forms.h"
#include "vault/cell_store.h"
#include "vault/entry_items.h"

namespace velt {

class TEdit;
class TListView;

// The date and time of a Unix time, local, as "2026-12-08 14:05".
std::string HistoryDate(std::int64_t when);

// Built, not yet shown. The table must stay as it is while the dialog lives:
// the passwords are read in place.
class HistoryDialog {
public:
    HistoryDialog(const CellStore& table, int row, bool masked, std::function<void(const std::string&)> copy);
    ~HistoryDialog();
    void Run();
    TForm& Form() { return *form_; }

private:
    void Show(int item);

    std::vector<OldPassword> history_;
    std::function<void(const std::string&)> copy_;
    std::unique_ptr<TForm> form_;
    TListView* list_ = nullptr;
    TEdit* password_ = nullptr;
};

} // namespace velt
