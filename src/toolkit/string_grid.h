// TStringGrid: a grid of text cells with a fixed title row and number
// column, range selection, column sizing in the title row, Tab movement, a
// vertical scroll bar and owner drawing after the standard drawing. It owns
// the table's one CellStore; the vault operations work on Store() directly
// and the grid follows the row count at its next paint or input.
#pragma once
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "toolkit/forms.h"
#include "toolkit/controls.h"
#include "toolkit/grid_model.h"
#include "toolkit/grid_painter.h"
#include "vault/cell_store.h"

namespace velt {

// Raised for every painted cell after its standard drawing; draw on the
// grid's Canvas(), whose brush holds the background the grid chose.
using TDrawCellEvent =
    std::function<void(TComponent* sender, int col, int row, const RECT& rect, TGridDrawState state)>;
using TCellEvent = std::function<void(TComponent* sender, int col, int row)>;

class GridAccessible;

class TStringGrid : public TWinControl {
    VELT_PERSISTENT_CLASS()
public:
    explicit TStringGrid(TComponent* owner);
    ~TStringGrid() override;

    // ---- the table (the only copy of the data)
    CellStore& Store() { return store_; }
    const CellStore& Store() const { return store_; }
    // Empty text for a cell outside the table.
    std::string_view Cells(int col, int row) const;
    void SetCells(int col, int row, std::string_view text);
    int ColCount() const { return store_.ColCount(); }
    int RowCount() const { return store_.RowCount(); }
    void SetRowCount(int rows);
    void MoveRow(int from, int to);
    int FixedCols() const { return model_.FixedCols(); }
    int FixedRows() const { return model_.FixedRows(); }

    // ---- geometry (layout figures, like the bounds; CellRect and the mouse
    // are in pixels)
    int DefaultColWidth() const { return Unscaled(model_.DefaultColWidth()); }
    // Resets every column, including widths the user dragged.
    void SetDefaultColWidth(int width);
    int ColWidths(int col) const { return Unscaled(model_.ColWidth(col)); }
    void SetColWidths(int col, int width);
    int DefaultRowHeight() const { return rowHeight_; }
    void SetDefaultRowHeight(int height);
    int TopRow() const { return Synced().TopRow(); }
    void SetTopRow(int row);
    // Scrollable rows wholly shown.
    int VisibleRowCount() const { return Synced().VisibleRowCount(); }
    bool VScrollBarVisible() const { return Synced().NeedsVScroll(); }
    // Client rectangle of the cell without its lines; empty when scrolled away.
    RECT CellRect(int col, int row) const;
    // -1 along an axis outside the cells.
    GridCoord MouseToCell(int x, int y) const { return Synced().MouseToCell(x, y); }
    void MouseToCell(int x, int y, int& col, int& row) const;

    // ---- current cell and selection (setting them raises no OnClick)
    int Col() const { return Synced().Col(); }
    int Row() const { return Synced().Row(); }
    void SetCol(int col);
    void SetRow(int row);
    TGridRect Selection() const { return Synced().Selection(); }
    void SetSelection(const TGridRect& rect);
    // True while a press on a title border is resizing a column.
    bool Sizing() const { return sizingCol_ >= 0; }

    // ---- appearance
    TColor FixedColor() const { return fixedColor_; }
    void SetFixedColor(TColor color);
    TColor GridLineColor() const { return lineColor_; }
    void SetGridLineColor(TColor color);
    TColor FixedLineColor() const { return fixedLineColor_; }
    void SetFixedLineColor(TColor color);

    // Valid inside OnDrawCell: the surface and the chosen cell background.
    TCanvas& Canvas() { return canvas_; }
    TColor CellBackground() const { return cellBackground_; }
    // Cells painted by the last paint (what OnDrawCell saw).
    int PaintedCellCount() const { return paintedCells_; }

    // Also takes in row-count changes made through Store().
    void Invalidate() override;

    TDrawCellEvent OnDrawCell;

    // ---- what screen readers hear: a table of the cells
    // A column whose text is never given to them, shown or masked.
    int SecretColumn() const { return secretCol_; }
    void SetSecretColumn(int col) { secretCol_ = col; }
    // The name of the default action of a column's cells (empty: none);
    // a reader's request for it runs OnCellAction.
    std::string ColumnAction(int col) const;
    void SetColumnAction(int col, const std::string& name);
    TCellEvent OnCellAction;
    long AccessibleRole() const override;

    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

protected:
    void GetCreateParams(CreateParams& params) override;
    void HandleCreated() override;
    UINT DialogCode(UINT defaultCode) override;
    void Resize() override;
    void FontChanged() override;
    void ColorChanged() override;
    void ScaleChanged() override;
    AccessibleSource* Accessible() override;

    // OnKeyDown first; then the grid moves unless the handler cleared key.
    void KeyDown(WORD& key, TShiftState shift) override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseMove(TShiftState shift, int x, int y) override;
    virtual void DrawCell(int col, int row, const RECT& rect, TGridDrawState state);

private:
    class BackBuffer;
    enum class State { Idle, Selecting, Sizing };

    const GridModel& Synced() const;
    void ReadClientSize();
    void UpdateScrollBar();
    void Changed();  // scroll bar and repaint after a change of state
    void InvalidateCell(int col, int row);
    void Paint(HDC target, RECT dirty, bool direct);
    void Scroll(WPARAM code);
    void Wheel(int delta);
    void EndDrag();
    // Tells readers where the current cell went (only while focused).
    void NotifyFocus(bool always);
    GridPalette Palette() const;

    CellStore store_;
    mutable GridModel model_;
    State state_ = State::Idle;
    int sizingCol_ = -1;
    int sizingOffset_ = 0;
    int rowHeight_ = 24;
    int modelDpi_ = kDesignDpi;  // the DPI the model's pixels are for
    int wheelRemainder_ = 0;
    TColor fixedColor_;
    TColor lineColor_;
    TColor fixedLineColor_;
    TControlCanvas canvas_;
    TColor cellBackground_ = clBlack;
    int paintedCells_ = 0;
    struct ScrollState {
        int max = -1, page = -1, pos = -1;
    } shownScroll_;
    std::unique_ptr<BackBuffer> buffer_;
    std::unique_ptr<GridAccessible> accessible_;
    int secretCol_ = -1;
    std::vector<std::string> actions_;
    GridCoord notifiedFocus_;
};

} // namespace velt
