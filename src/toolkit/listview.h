// The system list view in report view: columns with titles, whole-row
// selection, read-only items. Enter or a double click on an item activates it.
#pragma once
#include <string>
#include <vector>

#include "toolkit/controls.h"

namespace velt {

class TListView : public TWinControl {
    VELT_PERSISTENT_CLASS()
public:
    explicit TListView(TComponent* owner);

    // Both need the window, so the view has its parent by then.
    void AddColumn(const std::string& title, int width);
    // An item with a text in each column, at the end; its index.
    int AddItem(const std::vector<std::string>& texts);

    int ItemCount() const;
    std::string ItemText(int item, int column) const;
    int ColumnWidth(int column) const;
    void SetColumnWidth(int column, int width);
    // The width the widest text of a column takes, padding included.
    int WidestText(int column) const;
    // The selected item, or -1.
    int Selected() const;
    void SetSelected(int item);

    // The item Enter or a double click chose.
    std::function<void(TComponent* sender, int item)> OnActivate;

protected:
    void GetCreateParams(CreateParams& params) override;
    void HandleCreated() override;
    bool Notify(const NMHDR& header, LRESULT& result) override;
    void KeyDown(WORD& key, TShiftState shift) override;

private:
    void Activate(int item);
    int columns_ = 0;
};

} // namespace velt
