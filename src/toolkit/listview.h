// The system list view in report view: columns with titles, whole-row
// selection, read-only items whose texts the owner gives when they are
// shown, so a list of any length fills at once. Enter or a double click on an
// item activates it.
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
    void SetItemCount(int count);
    int ItemCount() const;
    // As shown: asks OnItemText.
    std::string ItemText(int item, int column) const;
    int ColumnWidth(int column) const;
    void SetColumnWidth(int column, int width);
    // The width a column needs for `text`, the list's margins included.
    int TextWidth(const std::string& text);
    // The selected item, or -1.
    int Selected() const;
    void SetSelected(int item);

    // The text of an item's column.
    std::function<std::string(int item, int column)> OnItemText;
    // The item newly selected.
    std::function<void(TComponent* sender, int item)> OnSelect;
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
    std::string text_;  // the last text given to the list, which it reads after the notification
};

} // namespace velt
