// The main window's table under the mouse and the keys: a click opens an
// address or copies a password, a title sorts, the right button and F2 open
// the in-place editor, Enter and Esc close it, Tab past the end adds a row.
#pragma once
#include <string>

#include "app/controls.h"
#include "platform/clipboard_guard.h"
#include "app/vault_session.h"
#include "vault/lock_policy.h"

namespace velt {

class GridGestures {
public:
    // `vault` is told of edits and says whether passwords are masked; `lock`
    // says whether the table is hidden; copies go through `clipboard`.
    GridGestures(TStringGrid& grid, TCellEdit& editor, VaultSession& vault, const LockPolicy& lock,
                 platform::ClipboardGuard& clipboard);

    void DrawCell(int col, int row, const RECT& rect);
    void MouseMove(int x, int y);
    void MouseDown(TMouseButton button, int x, int y);
    void MouseUp(TMouseButton button);
    void KeyDown(WORD& key, TShiftState shift);
    void EditorKeyDown(WORD& key, TShiftState shift);

    // What a click on a cell does: opens an address, copies a password.
    void ActivateCell(int col, int row);
    // A cell's text onto the clipboard, forgotten after the delay.
    void CopyCell(int col, int row);
    void OpenEditor(int col, int row);
    // `commit` writes the text to its cell; either way the editor forgets it.
    void CloseEditor(bool commit);
    // The table was replaced: an editor whose row is gone closes.
    void TableReplaced();
    // Selects the cell and scrolls its row into view.
    void ShowCell(int col, int row);
    // Shows the first cell holding `text` (any case), or says there is none.
    void Find(const std::string& text);

private:
    HWND Owner() const;
    // The editor's text into its cell.
    void CommitEditor();

    TStringGrid& grid_;
    TCellEdit& editor_;
    VaultSession& vault_;
    const LockPolicy& lock_;
    platform::ClipboardGuard& clipboard_;
    size_t longestEdited_ = 0;  // the most the editor's buffers have held since it opened
};

} // namespace velt
