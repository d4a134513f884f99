// The string grid as screen readers hear it: a table whose children are
// the cells below the title row and right of the number column, numbered
// row by row from 1. A cell's name is its column title and its text; the
// secret column's text is never given, whatever the screen shows.
#pragma once
#include "toolkit/accessible.h"

namespace velt {

class TStringGrid;

class GridAccessible : public AccessibleSource {
public:
    explicit GridAccessible(TStringGrid& grid) : grid_(grid) {}

    // The child number of a cell (0 when it is not a child), and back.
    int ChildOf(int col, int row) const;
    bool CellOf(int child, int& col, int& row) const;

    int ChildCount() override;
    std::u16string Name(int child) override;
    std::u16string Description(int child) override;
    HRESULT Value(int child, std::u16string& value) override;
    long Role(int child) override;
    long State(int child) override;
    std::u16string DefaultAction(int child) override;
    void DoDefaultAction(int child) override;
    bool Select(int child, long flags) override;
    bool Location(int child, RECT& screen) override;
    int Focus() override;
    int HitTest(POINT screen) override;
    int Navigate(long direction, int from) override;

private:
    int DataCols() const;
    int DataRows() const;

    TStringGrid& grid_;
};

} // namespace velt
