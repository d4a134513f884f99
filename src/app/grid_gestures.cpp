#include "app/grid_gestures.h"

#include <algorithm>

#include "core/resource_strings.h"
#include "core/secure_memory.h"
#include "platform/shell.h"
#include "toolkit/dialogs.h"
#include "vault/collation_win.h"
#include "vault/entry_items.h"
#include "vault/table_ops.h"

namespace velt {

GridGestures::GridGestures(TStringGrid& grid, TCellEdit& editor, VaultSession& vault, const LockPolicy& lock,
                           platform::ClipboardGuard& clipboard)
    : grid_(grid), editor_(editor), vault_(vault), lock_(lock), clipboard_(clipboard) {}

HWND GridGestures::Owner() const { return grid_.Parent() ? grid_.Parent()->Handle() : grid_.Handle(); }

void GridGestures::DrawCell(int col, int row, const RECT& rect) {
    if (col != CellStore::kPasswordColumn || row < 1 || !vault_.AsteriskPasswords) return;
    TCanvas& canvas = grid_.Canvas();
    canvas.Font().SetColor(clRed);
    canvas.FillRect(rect);
    canvas.TextOut(rect.left + grid_.Scaled(1), rect.top + grid_.Scaled(5),
                   std::string(grid_.Cells(col, row).size(), '*'));
}

void GridGestures::MouseMove(int x, int y) {
    GridCoord cell = grid_.MouseToCell(x, y);
    bool address = cell.Col == 2 && cell.Row >= 1;
    grid_.SetCursor(address ? TCursor::crHandPoint : TCursor::crDefault);
    grid_.SetShowHint(address);
}

void GridGestures::MouseDown(TMouseButton button, int x, int y) {
    // A press on a title border resizes the column instead.
    if (grid_.Sizing()) return;
    GridCoord cell = grid_.MouseToCell(x, y);
    if (cell.Row == 0) {
        CloseEditor(false);
        if (SortByColumn(grid_.Store(), cell.Col, UserLocaleCollation())) grid_.Invalidate();
        return;
    }
    if (cell.Col < 1 || cell.Row < 1) return;
    if (button == TMouseButton::mbLeft) {
        ActivateCell(cell.Col, cell.Row);
    } else if (button == TMouseButton::mbRight) {
        OpenEditor(cell.Col, cell.Row);
        // The release must reach the grid, not the editor now under the
        // pointer: there it would open the edit box's own context menu,
        // which swallows the first keys typed.
        SetCapture(grid_.Handle());
    }
}

void GridGestures::MouseUp(TMouseButton button) {
    if (button == TMouseButton::mbRight && GetCapture() == grid_.Handle()) ReleaseCapture();
}

void GridGestures::ActivateCell(int col, int row) {
    if (lock_.Locked() || row < 1 || row >= grid_.RowCount()) return;
    if (col == 2) {
        const std::string address(grid_.Cells(col, row));
        if (!address.empty()) platform::ShellOpen(Owner(), address);
    } else if (col == CellStore::kPasswordColumn) {
        CopyCell(col, row);
    }
}

void GridGestures::CopyCell(int col, int row) {
    if (lock_.Locked() || col < 1 || row < 1 || row >= grid_.RowCount()) return;
    clipboard_.Copy(std::string(grid_.Cells(col, row)), Owner());
}

void GridGestures::OpenEditor(int col, int row) {
    TCellEdit& e = editor_;
    if (e.EditCol > 0 && e.EditRow > 0 && e.EditRow < grid_.RowCount()) CommitEditor();
    const RECT r = grid_.Unscaled(grid_.CellRect(col, row));
    e.SetBounds(r.left + grid_.Left(), r.top + grid_.Top(), r.right - r.left, e.Height());
    e.EditCol = col;
    e.EditRow = row;
    e.SetPasswordChar(col == CellStore::kPasswordColumn && vault_.AsteriskPasswords ? '*' : '\0');
    e.SetSecret(col == CellStore::kPasswordColumn);
    e.SetAccessibleName(std::string(grid_.Cells(col, 0)));
    std::string text(grid_.Cells(col, row));
    ScopedWipe wipe(text);
    longestEdited_ = std::max(longestEdited_, text.size());
    if (e.Text() != text) e.SetText(text);
    e.Show();
    e.SetFocus();
}

void GridGestures::CloseEditor(bool commit) {
    TCellEdit& e = editor_;
    // The target row may have gone with a reload or a clear: drop the text then.
    if (commit && e.EditRow > 0 && e.EditCol > 0 && e.EditRow < grid_.RowCount()) CommitEditor();
    e.Hide();
    // A hidden window's text can still be read by any program.
    e.WipeText(longestEdited_);
    longestEdited_ = 0;
    e.EditCol = 0;
    e.EditRow = 0;
}

void GridGestures::CommitEditor() {
    std::string text = editor_.Text();
    ScopedWipe wipe(text);
    longestEdited_ = std::max(longestEdited_, text.size());
    std::string before(grid_.Cells(editor_.EditCol, editor_.EditRow));
    ScopedWipe wipeBefore(before);
    grid_.SetCells(editor_.EditCol, editor_.EditRow, text);
    // A strong vault remembers when each field changed, and the passwords replaced.
    const VaultProtection& protection = vault_.CurrentProtection();
    if (protection.Strong())
        RecordFieldChange(grid_.Store(), editor_.EditRow, editor_.EditCol, before, protection.Time().UnixNow(),
                          protection.HistoryKeep());
}

void GridGestures::TableReplaced() {
    if (editor_.EditRow >= grid_.RowCount()) CloseEditor(false);
}

void GridGestures::ShowCell(int col, int row) {
    grid_.SetSelection(TGridRect{col, row, col, row});
    if (grid_.VScrollBarVisible()) grid_.SetTopRow(row);
}

void GridGestures::Find(const std::string& text) {
    auto found = FindCell(grid_.Store(), text);
    if (!found) {
        MessageDlg(ResStr(IDS_TEXT_NOT_FOUND), TMsgDlgType::mtInformation, TMsgDlgButtons::mbOK,
                   TMsgDlgCaption::Framework);
        return;
    }
    ShowCell(found->col, found->row);
}

void GridGestures::KeyDown(WORD& key, TShiftState shift) {
    if (shift & (ssCtrl | ssAlt)) return;
    if (key == VK_RETURN || key == VK_F2) {
        const int col = grid_.Col(), row = grid_.Row();
        const bool enter = key == VK_RETURN;
        key = 0;
        if (enter) ActivateCell(col, row);
        else OpenEditor(col, row);
        return;
    }
    if (key != VK_TAB) return;
    TGridRect sel = grid_.Selection();
    if (!AddRowOnTab(grid_.Store(), sel.Left, sel.Top)) return;
    const VaultProtection& protection = vault_.CurrentProtection();
    if (protection.Strong())
        StampNewEntry(grid_.Store(), grid_.RowCount() - 1, protection.Random(), protection.Time().UnixNow());
    grid_.Invalidate();
}

// Enter keeps the text, Esc drops it; either way back to the grid.
void GridGestures::EditorKeyDown(WORD& key, TShiftState shift) {
    if ((key != VK_RETURN && key != VK_ESCAPE) || (shift & (ssCtrl | ssAlt))) return;
    const bool keep = key == VK_RETURN;
    key = 0;
    CloseEditor(keep);
    grid_.SetFocus();
}

} // namespace velt
