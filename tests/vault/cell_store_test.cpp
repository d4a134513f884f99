#include "vault/cell_store.h"

#include <gtest/gtest.h>

#include "support/freed_memory.h"

#include <algorithm>
#include <array>
#include <memory>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>


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
        for (int r = 1; r <= 4; ++r) t.SetItems(r, "items" + std::to_string(r));
        t.MoveRow(c.from, c.to);
        EXPECT_EQ(Column0(t), c.expected) << c.from << "->" << c.to;
        // Whole rows move, items too; a copy and a resized row keep them.
        const CellStore copy = t;
        t.ResizeRow(1, {1, 0, 0, 0, 0, 0});
        for (int r = 1; r <= 4; ++r) {
            EXPECT_EQ(copy.Cell(1, r), "name" + std::string(copy.Cell(0, r)));
            EXPECT_EQ(copy.Items(r), "items" + std::string(copy.Cell(0, r)));
        }
        EXPECT_EQ(t.Items(1), copy.Items(1));
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

using Model = std::vector<std::array<std::string, 6>>;

// Every byte of the blocks outside a cell's text must be zero: what a cell
// gave up was wiped.
void ExpectOnlyLiveTextsRemain(const CellStore& t) {
    std::vector<std::string_view> blocks = t.TextBlocks();
    std::vector<std::vector<bool>> live;
    for (std::string_view b : blocks) live.emplace_back(b.size(), false);
    for (int r = 0; r < t.RowCount(); ++r)
        for (std::string_view cell : t.RowCells(r))
            for (size_t i = 0; i < blocks.size(); ++i)
                if (!cell.empty() && cell.data() >= blocks[i].data() &&
                    cell.data() + cell.size() <= blocks[i].data() + blocks[i].size())
                    for (size_t k = 0; k < cell.size(); ++k) live[i][static_cast<size_t>(cell.data() - blocks[i].data()) + k] = true;
    for (size_t i = 0; i < blocks.size(); ++i)
        for (size_t k = 0; k < blocks[i].size(); ++k)
            if (!live[i][k] && blocks[i][k] != '\0') {
                ADD_FAILURE() << "block " << i << " byte " << k << " was not wiped";
                return;
            }
}

// Random edits against a plain model: texts of every size (some beyond a
// block, to force compaction), a cell set to a part of itself, rows dropped,
// added, cleared, moved and reordered. After each step the store holds the
// model's texts, only those, and never more garbage than texts once past
// the floor.
TEST(CellStore, EditsKeepTheTextsAndWipeWhatIsGivenUp) {
    std::mt19937 rng(99);
    CellStore t;
    Model m(2);
    auto text = [&](size_t len) {
        std::string s(len, ' ');
        for (char& ch : s) ch = static_cast<char>('a' + rng() % 26);
        return s;
    };
    for (int step = 0; step < 600; ++step) {
        const int rows = t.RowCount();
        const int col = static_cast<int>(rng() % 6), row = static_cast<int>(rng() % rows);
        switch (rng() % 9) {
            case 0: case 1: case 2: {
                const size_t sizes[] = {0, 1, 7, 255, 4000, CellStore::kBlockSize / 3, CellStore::kBlockSize + 5};
                const std::string s = text(sizes[rng() % (step % 50 == 0 ? 7 : 5)]);
                t.SetCell(col, row, s);
                m[static_cast<size_t>(row)][static_cast<size_t>(col)] = s;
                break;
            }
            case 3: {  // a part of its own text
                std::string& cell = m[static_cast<size_t>(row)][static_cast<size_t>(col)];
                const size_t from = cell.empty() ? 0 : rng() % cell.size();
                t.SetCell(col, row, t.Cell(col, row).substr(from));
                cell = cell.substr(from);
                break;
            }
            case 4: {
                const int n = 1 + static_cast<int>(rng() % 12);
                t.SetRowCount(n);
                m.resize(static_cast<size_t>(n));
                break;
            }
            case 5:
                t.ClearRow(row);
                for (std::string& cell : m[static_cast<size_t>(row)]) cell.clear();
                break;
            case 6: {
                const int to = static_cast<int>(rng() % rows);
                t.MoveRow(row, to);
                auto moved = m[static_cast<size_t>(row)];
                m.erase(m.begin() + row);
                m.insert(m.begin() + to, moved);
                break;
            }
            case 7: {
                std::vector<int> order(static_cast<size_t>(rows - 1));
                for (size_t k = 0; k < order.size(); ++k) order[k] = static_cast<int>(k);
                std::shuffle(order.begin(), order.end(), rng);
                t.ReorderEntries(order);
                Model next{m[0]};
                for (int k : order) next.push_back(m[static_cast<size_t>(k) + 1]);
                m = next;
                break;
            }
            default: {
                CellStore copy = t;  // copies are packed and equal
                EXPECT_EQ(copy, t);
                EXPECT_EQ(copy.GarbageBytes(), 0u);
                t = std::move(copy);
                break;
            }
        }
        ASSERT_EQ(t.RowCount(), static_cast<int>(m.size())) << step;
        for (int r = 0; r < t.RowCount(); ++r)
            for (int c = 0; c < 6; ++c) ASSERT_EQ(t.Cell(c, r), m[static_cast<size_t>(r)][static_cast<size_t>(c)]) << step;
        EXPECT_TRUE(t.GarbageBytes() <= CellStore::kCompactFloor || t.GarbageBytes() <= t.TextBytes()) << step;
        if (step % 20 == 0) ExpectOnlyLiveTextsRemain(t);
    }
}

// Editing a cell touches that cell alone: the other texts stay where they
// are, and a text that fits the cell's room stays in place.
TEST(CellStore, EditingOneCellMovesNothingElse) {
    CellStore t = Numbered(1000);
    const char* other = t.Cell(1, 500).data();
    const size_t blocks = t.BlockCount();
    const char* own = t.Cell(1, 7).data();
    t.SetCell(1, 7, "n7");  // shorter: same room
    EXPECT_EQ(t.Cell(1, 7).data(), own);
    t.SetCell(1, 7, std::string(300, 'x'));  // longer: new room, the old one wiped
    EXPECT_EQ(t.Cell(1, 500).data(), other);
    EXPECT_EQ(t.BlockCount(), blocks);
    EXPECT_EQ(t.GarbageBytes(), 5u);
    ExpectOnlyLiveTextsRemain(t);
    // Empty cells still point somewhere valid (system calls refuse null).
    EXPECT_NE(t.Cell(3, 7).data(), nullptr);
}

// The counts compaction rests on: text held after a copy and after a row
// built in one piece (as the loader does), and no compaction below the floor.
TEST(CellStore, CountsTextsAndCompactsOnlyPastTheFloor) {
    CellStore small;
    small.SetRowCount(3);
    small.SetCell(1, 1, "a");
    small.SetCell(1, 2, std::string(100, 'x'));
    const char* a = small.Cell(1, 1).data();
    small.SetRowCount(2);
    EXPECT_EQ(small.GarbageBytes(), 100u);
    EXPECT_EQ(small.Cell(1, 1).data(), a);

    CellStore big;
    big.SetRowCount(1001);
    for (int r = 1; r <= 1000; ++r) big.SetCell(CellStore::kPasswordColumn, r, std::string(2000, 'p'));
    CellStore copy = big;
    copy.SetRowCount(2);
    EXPECT_EQ(copy.GarbageBytes(), 0u);

    CellStore built;
    built.ResizeRow(1, {1, 2, 0, 0, 3, 0});
    EXPECT_EQ(built.TextBytes(), 6u);

    // Texts placed where a loader's buffer holds them: edited, copied, packed.
    CellStore adopted;
    char* at = adopted.AdoptBlock(std::string("\0Mail\0pass1\0items", 18));
    adopted.PlaceCell(1, 1, at + 1, 4);
    adopted.PlaceCell(CellStore::kPasswordColumn, 1, at + 6, 5);
    adopted.PlaceItems(1, at + 12, 5);
    EXPECT_THROW(adopted.PlaceCell(1, 1, at + 1, 4), std::logic_error);
    adopted.SetCell(1, 1, "Webmail");
    adopted.SetCell(CellStore::kPasswordColumn, 1, "p2");
    EXPECT_EQ(std::string(at, 12), std::string(12, '\0') .replace(6, 2, "p2")) << "given up, wiped";
    for (const CellStore& t : {adopted, CellStore(adopted)})
        EXPECT_EQ(std::string(t.RowCells(1)[1]) + std::string(t.RowCells(1)[4]) + std::string(t.Items(1)), "Webmailp2items");
}

// A table given up whole (a reload, the end) leaves no password in the
// memory it gives back.
TEST(CellStore, ReleasedTablesLeaveNoPasswordInFreedMemory) {
    constexpr std::string_view kMarker = "marker-pass-5170";
    for (bool reload : {false, true}) {
        auto t = std::make_unique<CellStore>(Numbered(300));
        for (int r = 1; r <= 300; ++r) t->SetCell(CellStore::kPasswordColumn, r, kMarker);
        t->SetItems(7, std::string("old: ") + std::string(kMarker));  // an old password
        test::FreedMemoryWatch watch(kMarker);
        if (reload) *t = Numbered(2);
        else t.reset();
        EXPECT_GT(watch.Freed(), 0u);
        EXPECT_EQ(watch.Hits(), 0u) << (reload ? "reload" : "end");
    }
}

} // namespace
} // namespace velt
