#include "toolkit/string_grid.h"

#include <algorithm>

#include "toolkit/accessible.h"
#include "toolkit/gdi.h"
#include "toolkit/grid_accessible.h"

namespace velt {

// The picture is composed off screen and copied in one blit, so scrolling
// and selecting never flicker. Kept between paints: only the dirty part is
// redrawn into it.
class TStringGrid::BackBuffer {
public:
    // The buffer's DC, `fresh` when it was just (re)made and holds nothing.
    HDC Prepare(HDC compatibleWith, int width, int height, bool& fresh) {
        width = std::max(width, 1);
        height = std::max(height, 1);
        fresh = false;
        if (!dc_ || width != width_ || height != height_) {
            select_.reset();
            bitmap_.Reset();
            dc_ = std::make_unique<MemoryDC>(compatibleWith);
            bitmap_.Reset(CreateCompatibleBitmap(compatibleWith, width, height));
            select_ = std::make_unique<SelectGuard>(dc_->Get(), bitmap_.Get());
            width_ = width;
            height_ = height;
            fresh = true;
        }
        return dc_->Get();
    }

private:
    // Destroyed in reverse: the bitmap is deselected before it and the DC go.
    std::unique_ptr<MemoryDC> dc_;
    BitmapHandle bitmap_;
    std::unique_ptr<SelectGuard> select_;
    int width_ = 0;
    int height_ = 0;
};

namespace {


// Clears the canvas's paint DC however the paint ends.
class PaintDCScope {
public:
    PaintDCScope(TControlCanvas& canvas, HDC dc) : canvas_(canvas) { canvas_.SetPaintDC(dc); }
    ~PaintDCScope() { canvas_.SetPaintDC(nullptr); }
    PaintDCScope(const PaintDCScope&) = delete;
    PaintDCScope& operator=(const PaintDCScope&) = delete;

private:
    TControlCanvas& canvas_;
};

} // namespace

const ClassInfo& TStringGrid::StaticClass() {
    static const ClassInfo info("TStringGrid", &TWinControl::StaticClass(), {});
    return info;
}

TStringGrid::TStringGrid(TComponent* owner)
    : TWinControl(owner),
      model_(CellStore::kColumns, 2, 1, 1),
      fixedColor_(clBtnFace),
      lineColor_(clSilver),
      fixedLineColor_(clBlack),
      canvas_(this),
      buffer_(std::make_unique<BackBuffer>()) {
    model_.SetRowCount(store_.RowCount());
    SetColor(clWindow);
    SetTabStop(true);
    SetBounds(0, 0, 320, 120);
    model_.SetClientSize(320, 120);
    canvas_.Font().Assign(Font());
}

TStringGrid::~TStringGrid() { DisconnectAccessible(); }

// ---------------------------------------------------------------- table

std::string_view TStringGrid::Cells(int col, int row) const {
    if (col < 0 || col >= store_.ColCount() || row < 0 || row >= store_.RowCount()) return {};
    return store_.Cell(col, row);
}

void TStringGrid::SetCells(int col, int row, std::string_view text) {
    store_.SetCell(col, row, text);
    InvalidateCell(col, row);
    if (HandleAllocated()) {
        if (int child = GridAccessible(*this).ChildOf(col, row)) {
            NotifyAccessible(EVENT_OBJECT_NAMECHANGE, Handle(), child);
            NotifyAccessible(EVENT_OBJECT_VALUECHANGE, Handle(), child);
        }
    }
}

void TStringGrid::SetRowCount(int rows) {
    store_.SetRowCount(std::max(rows, 1));
    Changed();
}

void TStringGrid::MoveRow(int from, int to) {
    store_.MoveRow(from, to);
    Invalidate();
}

const GridModel& TStringGrid::Synced() const {
    if (model_.RowCount() != store_.RowCount()) {
        model_.SetRowCount(store_.RowCount());
        const_cast<TStringGrid*>(this)->UpdateScrollBar();
    }
    return model_;
}

// ---------------------------------------------------------------- geometry and state

void TStringGrid::SetDefaultColWidth(int width) {
    model_.SetDefaultColWidth(Scaled(width));
    Invalidate();
}

void TStringGrid::SetColWidths(int col, int width) {
    if (col < 0 || col >= model_.ColCount()) return;
    model_.SetColWidth(col, Scaled(width));
    Invalidate();
}

void TStringGrid::SetDefaultRowHeight(int height) {
    rowHeight_ = height;
    model_.SetDefaultRowHeight(Scaled(height));
    Changed();
}

void TStringGrid::ScaleChanged() {
    const int dpi = Dpi();
    if (dpi != modelDpi_) {
        // Widths the user dragged keep their share of the window.
        model_.SetDefaultColWidth(MulDiv(model_.DefaultColWidth(), dpi, modelDpi_));
        for (int c = 0; c < model_.ColCount(); ++c)
            model_.SetColWidth(c, MulDiv(model_.ColWidth(c), dpi, modelDpi_));
        model_.SetDefaultRowHeight(Scaled(rowHeight_));
        model_.SetLineWidth(Scaled(1));
        model_.SetTextInset(Scaled(2));
        modelDpi_ = dpi;
    }
    TWinControl::ScaleChanged();
    ReadClientSize();
    Changed();
}

void TStringGrid::SetTopRow(int row) {
    Synced();
    model_.SetTopRow(row);
    Changed();
}

RECT TStringGrid::CellRect(int col, int row) const {
    GridBox box = Synced().CellRect(col, row);
    if (box.IsEmpty()) return RECT{0, 0, 0, 0};
    return RECT{box.Left, box.Top, box.Right, box.Bottom};
}

void TStringGrid::MouseToCell(int x, int y, int& col, int& row) const {
    GridCoord c = MouseToCell(x, y);
    col = c.Col;
    row = c.Row;
}

void TStringGrid::SetCol(int col) {
    Synced();
    model_.MoveTo(col, model_.Row(), false);
    Changed();
}

void TStringGrid::SetRow(int row) {
    Synced();
    model_.MoveTo(model_.Col(), row, false);
    Changed();
}

void TStringGrid::SetSelection(const TGridRect& rect) {
    Synced();
    model_.SetSelection(rect);
    Changed();
}

void TStringGrid::SetFixedColor(TColor color) {
    fixedColor_ = color;
    Invalidate();
}

void TStringGrid::SetGridLineColor(TColor color) {
    lineColor_ = color;
    Invalidate();
}

void TStringGrid::SetFixedLineColor(TColor color) {
    fixedLineColor_ = color;
    Invalidate();
}

GridPalette TStringGrid::Palette() const {
    const COLORREF text = ColorToRGB(Font().Color());
    GridPalette p;
    p.Background = ColorToRGB(Color());
    p.Cell = p.Background;
    p.CellText = text;
    p.Fixed = ColorToRGB(fixedColor_);
    p.FixedText = text;
    p.Line = ColorToRGB(lineColor_);
    p.FixedLine = ColorToRGB(fixedLineColor_);
    p.Highlight = ColorToRGB(clHighlight);
    p.HighlightText = ColorToRGB(clHighlightText);
    return p;
}

// ---------------------------------------------------------------- window

void TStringGrid::GetCreateParams(CreateParams& params) {
    TWinControl::GetCreateParams(params);
    params.style |= WS_VSCROLL;
}

void TStringGrid::HandleCreated() {
    TWinControl::HandleCreated();
    shownScroll_ = ScrollState{};
    ReadClientSize();
    UpdateScrollBar();
}

UINT TStringGrid::DialogCode(UINT defaultCode) {
    return defaultCode | DLGC_WANTARROWS | DLGC_WANTTAB;
}

void TStringGrid::ReadClientSize() {
    if (HandleAllocated()) {
        RECT r;
        GetClientRect(Handle(), &r);
        model_.SetClientSize(r.right, r.bottom);
    } else {
        model_.SetClientSize(Scaled(Width()), Scaled(Height()));
    }
}

void TStringGrid::UpdateScrollBar() {
    if (!HandleAllocated()) return;
    const GridModel& m = model_;
    ScrollState want;
    if (m.NeedsVScroll()) {
        want.max = m.RowCount() - 1;
        want.page = m.VisibleRowCount();
        want.pos = m.TopRow();
    } else {
        want.max = 0;  // a page larger than the range hides the bar
        want.page = 1;
        want.pos = 0;
    }
    if (want.max == shownScroll_.max && want.page == shownScroll_.page && want.pos == shownScroll_.pos) return;
    shownScroll_ = want;  // before the call: hiding the bar resizes us right away
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    si.nMin = m.NeedsVScroll() ? m.FixedRows() : 0;
    si.nMax = want.max;
    si.nPage = static_cast<UINT>(want.page);
    si.nPos = want.pos;
    SetScrollInfo(Handle(), SB_VERT, &si, TRUE);
}

void TStringGrid::Changed() {
    Synced();
    UpdateScrollBar();
    Invalidate();
    NotifyFocus(false);
}

// ---------------------------------------------------------------- screen readers

long TStringGrid::AccessibleRole() const { return ROLE_SYSTEM_TABLE; }

AccessibleSource* TStringGrid::Accessible() {
    if (!accessible_) accessible_ = std::make_unique<GridAccessible>(*this);
    return accessible_.get();
}

std::string TStringGrid::ColumnAction(int col) const {
    return col >= 0 && col < static_cast<int>(actions_.size()) ? actions_[static_cast<size_t>(col)] : std::string();
}

void TStringGrid::SetColumnAction(int col, const std::string& name) {
    if (col < 0 || col >= ColCount()) return;
    if (static_cast<int>(actions_.size()) <= col) actions_.resize(static_cast<size_t>(col) + 1);
    actions_[static_cast<size_t>(col)] = name;
}

void TStringGrid::NotifyFocus(bool always) {
    if (!HandleAllocated() || !Focused()) return;
    GridCoord now = model_.Current();
    if (!always && now == notifiedFocus_) return;
    notifiedFocus_ = now;
    if (int child = GridAccessible(*this).ChildOf(now.Col, now.Row))
        NotifyAccessible(EVENT_OBJECT_FOCUS, Handle(), child);
}

void TStringGrid::Invalidate() {
    Synced();
    if (HandleAllocated()) InvalidateRect(Handle(), nullptr, FALSE);
}

void TStringGrid::InvalidateCell(int col, int row) {
    if (!HandleAllocated()) return;
    RECT r = CellRect(col, row);
    if (IsRectEmpty(&r)) return;
    r.right += model_.LineWidth();
    r.bottom += model_.LineWidth();
    InvalidateRect(Handle(), &r, FALSE);
}

void TStringGrid::Resize() {
    ReadClientSize();
    UpdateScrollBar();
    Invalidate();
    TWinControl::Resize();
}

void TStringGrid::FontChanged() {
    canvas_.Font().Assign(Font());
    TWinControl::FontChanged();
    Invalidate();
}

void TStringGrid::ColorChanged() {
    TWinControl::ColorChanged();
    Invalidate();
}

// ---------------------------------------------------------------- painting

void TStringGrid::DrawCell(int col, int row, const RECT& rect, TGridDrawState state) {
    if (OnDrawCell) OnDrawCell(this, col, row, rect, state);
}

void TStringGrid::Paint(HDC target, RECT dirty, bool direct) {
    Synced();
    const GridPalette palette = Palette();
    auto textOf = [this](int col, int row) { return Cells(col, row); };
    auto hook = [this](const GridCellPaint& p) {
        canvas_.SetPaintDC(p.Dc);
        canvas_.Brush().style = TBrushStyle::bsSolid;
        canvas_.Brush().color = static_cast<TColor>(p.Background);
        if (canvas_.Font().Color() != static_cast<TColor>(p.TextColor))
            canvas_.Font().SetColor(static_cast<TColor>(p.TextColor));
        cellBackground_ = static_cast<TColor>(p.Background);
        DrawCell(p.Col, p.Row, p.Rect, p.State);
    };
    const int width = model_.ClientWidth();
    const int height = model_.ClientHeight();
    HDC dc = target;
    if (!direct) {
        bool fresh = false;
        dc = buffer_->Prepare(target, width, height, fresh);
        if (fresh) dirty = RECT{0, 0, width, height};
    }
    PaintDCScope scope(canvas_, dc);
    paintedCells_ = GridPainter::Paint(dc, model_, dirty, palette, Font().Handle(), Focused(), textOf, hook);
    if (!direct)
        BitBlt(target, dirty.left, dirty.top, dirty.right - dirty.left, dirty.bottom - dirty.top, dc, dirty.left,
               dirty.top, SRCCOPY);
}

// ---------------------------------------------------------------- keyboard

void TStringGrid::KeyDown(WORD& key, TShiftState shift) {
    TWinControl::KeyDown(key, shift);  // the owner's handler may add a row first
    if (!key || (shift & ssAlt)) return;
    GridKey gridKey;
    switch (key) {
    case VK_LEFT: gridKey = GridKey::Left; break;
    case VK_RIGHT: gridKey = GridKey::Right; break;
    case VK_UP: gridKey = GridKey::Up; break;
    case VK_DOWN: gridKey = GridKey::Down; break;
    case VK_PRIOR: gridKey = GridKey::PageUp; break;
    case VK_NEXT: gridKey = GridKey::PageDown; break;
    case VK_HOME: gridKey = GridKey::Home; break;
    case VK_END: gridKey = GridKey::End; break;
    case VK_TAB: gridKey = GridKey::Tab; break;
    default: return;
    }
    key = 0;
    Synced();
    bool moved = model_.Key(gridKey, (shift & ssShift) != 0, (shift & ssCtrl) != 0);
    Changed();
    if (moved) Click();
}

// ---------------------------------------------------------------- mouse

void TStringGrid::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    if (CanFocus() && !Focused()) SetFocus();
    Synced();
    if (button == TMouseButton::mbLeft && state_ == State::Idle) {
        int border = model_.SizingColumnAt(x, y);
        if (border >= 0) {
            // A resize, not a press on the title: the owner hears nothing of it.
            state_ = State::Sizing;
            sizingCol_ = border;
            sizingOffset_ = x - (model_.ColLeft(border) + model_.ColWidth(border));
            SetCapture(Handle());
            return;
        }
        GridCoord cell = model_.MouseToCell(x, y);
        if (cell.Col >= model_.FixedCols() && cell.Row >= model_.FixedRows()) {
            model_.MoveTo(cell.Col, cell.Row, (shift & ssShift) != 0);
            state_ = State::Selecting;
            SetCapture(Handle());
            Changed();
        }
    }
    TWinControl::MouseDown(button, shift, x, y);
}

void TStringGrid::MouseMove(TShiftState shift, int x, int y) {
    if (state_ == State::Sizing) {
        int width = std::max(x - sizingOffset_ - model_.ColLeft(sizingCol_), GridModel::kMinColWidth);
        if (width != model_.ColWidth(sizingCol_)) {
            model_.SetColWidth(sizingCol_, width);
            Invalidate();
        }
    } else if (state_ == State::Selecting) {
        Synced();
        GridCoord target = model_.DragTarget(x, y);
        GridCoord before = model_.Current();
        int top = model_.TopRow();
        model_.MoveTo(target.Col, target.Row, true);
        if (model_.Current() != before || model_.TopRow() != top) Changed();
    }
    TWinControl::MouseMove(shift, x, y);
}

void TStringGrid::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    State was = state_;
    if (button == TMouseButton::mbLeft && was != State::Idle) {
        if (was == State::Selecting) MouseMove(shift, x, y);
        EndDrag();
        if (was == State::Selecting) Click();
    }
    TWinControl::MouseUp(button, shift, x, y);
}

void TStringGrid::EndDrag() {
    state_ = State::Idle;
    sizingCol_ = -1;
    if (HandleAllocated() && GetCapture() == Handle()) ReleaseCapture();
}

// ---------------------------------------------------------------- scrolling

void TStringGrid::Scroll(WPARAM code) {
    Synced();
    int top = model_.TopRow();
    switch (LOWORD(code)) {
    case SB_LINEUP: --top; break;
    case SB_LINEDOWN: ++top; break;
    case SB_PAGEUP: top -= model_.VisibleRowCount(); break;
    case SB_PAGEDOWN: top += model_.VisibleRowCount(); break;
    case SB_TOP: top = model_.FixedRows(); break;
    case SB_BOTTOM: top = model_.MaxTopRow(); break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: {
        // The 32-bit track position: HIWORD(code) stops at 65,535.
        SCROLLINFO si{};
        si.cbSize = sizeof si;
        si.fMask = SIF_TRACKPOS;
        if (GetScrollInfo(Handle(), SB_VERT, &si)) top = si.nTrackPos;
        break;
    }
    default: return;
    }
    if (top == model_.TopRow()) return;
    model_.SetTopRow(top);
    Changed();
    Update();
}

void TStringGrid::Wheel(int delta) {
    wheelRemainder_ += delta;
    int notches = wheelRemainder_ / WHEEL_DELTA;
    wheelRemainder_ %= WHEEL_DELTA;
    if (!notches) return;
    UINT lines = 3;
    SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
    Synced();
    int rows = lines == WHEEL_PAGESCROLL ? model_.VisibleRowCount() : static_cast<int>(lines);
    int top = model_.TopRow();
    model_.SetTopRow(top - notches * rows);
    if (model_.TopRow() != top) {
        Changed();
        Update();
    }
}

LRESULT TStringGrid::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_ERASEBKGND:
        return 1;  // every pixel is painted from the back buffer
    case WM_PAINT: {
        PaintDC dc(Handle());
        Paint(dc.Get(), dc.Dirty(), false);
        return 0;
    }
    case WM_PRINTCLIENT:
        Paint(reinterpret_cast<HDC>(wParam), RECT{0, 0, model_.ClientWidth(), model_.ClientHeight()}, true);
        return 0;
    case WM_VSCROLL:
        Scroll(wParam);
        return 0;
    case WM_MOUSEWHEEL:
        Wheel(GET_WHEEL_DELTA_WPARAM(wParam));
        return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS: {
        LRESULT r = TWinControl::WndProc(msg, wParam, lParam);
        Invalidate();  // the current cell's focus rectangle
        if (msg == WM_SETFOCUS) NotifyFocus(true);
        return r;
    }
    case WM_SETCURSOR:
        if (reinterpret_cast<HWND>(wParam) == Handle() && LOWORD(lParam) == HTCLIENT) {
            POINT p;
            GetCursorPos(&p);
            ::ScreenToClient(Handle(), &p);
            if (state_ == State::Sizing || (state_ == State::Idle && model_.SizingColumnAt(p.x, p.y) >= 0)) {
                ::SetCursor(LoadCursorA(nullptr, IDC_SIZEWE));
                return TRUE;
            }
        }
        break;
    case WM_CAPTURECHANGED:
        if (reinterpret_cast<HWND>(lParam) != Handle()) {
            state_ = State::Idle;
            sizingCol_ = -1;
        }
        break;
    default:
        break;
    }
    return TWinControl::WndProc(msg, wParam, lParam);
}

} // namespace velt
