// Additional > "Password health…": the report on the table's passwords, in
// a dialog that names entries and never shows a password.
#pragma once
#include <memory>
#include <vector>

#include "toolkit/forms.h"
#include "tools/password_health.h"
#include "vault/cell_store.h"

namespace velt {

class TListView;

// The report worked out and its dialog built, not yet shown. The table must
// stay as it is while the dialog lives: the report reads its cells in place.
class HealthDialog {
public:
    HealthDialog(const CellStore& table, bool compatibleFormat);
    ~HealthDialog();

    // Modal; the grid row of the entry chosen with Enter or a double click,
    // or 0 when the report was closed.
    int Run();
    TForm& Form() { return *form_; }

private:
    std::string Text(int item, int column) const;

    std::vector<HealthEntry> entries_;
    HealthReport report_;
    std::unique_ptr<TForm> form_;
    TListView* list_ = nullptr;
    int chosen_ = 0;
};

inline int ShowPasswordHealth(const CellStore& table, bool compatibleFormat) {
    return HealthDialog(table, compatibleFormat).Run();
}

} // namespace velt
