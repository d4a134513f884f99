#include "vault/cell_store.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>


namespace velt {
namespace {

CellStore Numbered(int rows) {
    CellStore t;
    t.SetRowCount(rows + 1);
    for (int r = 1; r <= rows; ++r) {
        t.SetCell(0, r, std::to_string(r));
        t.SetCell(1, r, "name" + std::to_string(r));
    }
    return t;
}

std::string Column0(const CellStore& t) {
    std::string s;
    for (int r = 1; r < t.RowCount(); ++r) s += std::string(t.Cell(0, r)) + (r + 1 < t.RowCount() ? "," : "");
    return s;
}

TEST(CellStore, StartsWithTitleRowAndOneEmptyEntryRow) {
    CellStore t;
    EXPECT_EQ(t.ColCount(), 6);
    EXPECT_EQ(t.RowCount(), 2);
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < 6; ++c) EXPECT_TRUE(t.Cell(c, r).empty());
}

TEST(CellStore, RowCountDropsAndAddsRows) {
    CellStore t = Numbered(5);
    t.SetCell(2, 0, "Address");
    t.SetRowCount(3);
    EXPECT_EQ(Column0(t), "1,2");
    t.SetRowCount(5);
    EXPECT_EQ(Column0(t), "1,2,,");
    EXPECT_TRUE(t.Cell(1, 4).empty());
    EXPECT_EQ(t.Cell(2, 0), "Address");
    t.SetRowCount(1);
    EXPECT_EQ(t.EntryCount(), 0);
    EXPECT_THROW(t.SetRowCount(0), std::out_of_range);
}

TEST(CellStore, MoveRowShiftsTheRowsBetween) {
    struct Case {
        int from, to;
        const char* expected;
    } cases[] = {
        {1, 2, "2,1,3,4"},  // next row: a swap
        {1, 4, "2,3,4,1"},
        {4, 1, "4,1,2,3"},
        {3, 2, "1,3,2,4"},
        {2, 2, "1,2,3,4"},
    };
    for (const Case& c : cases) {
        CellStore t = Numbered(4);
        t.MoveRow(c.from, c.to);
        EXPECT_EQ(Column0(t), c.expected) << c.from << "->" << c.to;
        // Whole rows move.
        for (int r = 1; r <= 4; ++r) EXPECT_EQ(t.Cell(1, r), "name" + std::string(t.Cell(0, r)));
    }
}

TEST(CellStore, ReorderEntriesTakesOnlyPermutations) {
    CellStore t = Numbered(3);
    t.ReorderEntries({2, 0, 1});
    EXPECT_EQ(Column0(t), "3,1,2");
    EXPECT_THROW(t.ReorderEntries({0, 0, 1}), std::invalid_argument);
    EXPECT_THROW(t.ReorderEntries({0, 1}), std::invalid_argument);
    EXPECT_THROW(t.ReorderEntries({0, 1, 3}), std::invalid_argument);
    EXPECT_EQ(Column0(t), "3,1,2");
}

TEST(CellStore, RejectsCellsOutsideTheGrid) {
    CellStore t;
    EXPECT_THROW(t.Cell(6, 0), std::out_of_range);
    EXPECT_THROW(t.Cell(-1, 0), std::out_of_range);
    EXPECT_THROW(t.Cell(0, 2), std::out_of_range);
    EXPECT_THROW(t.MoveRow(0, 2), std::out_of_range);
    EXPECT_THROW(t.SwapRows(-1, 1), std::out_of_range);
}

} // namespace
} // namespace velt
