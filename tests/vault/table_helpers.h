// Shared by the vault tests: random tables, a literal bubble sort to compare
// the fast sort against, and small collations.
#pragma once
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "vault/cell_store.h"
#include "vault/collation.h"
#include "vault/collation_keys.h"
#include "vault/table_ops.h"

namespace velt::test {

// The swap rule, pass by pass, exactly as the grid did it.
inline void BubbleSortByColumn(CellStore& t, int column, const Collation& collation) {
    const int n = t.EntryCount();
    for (int p = 1; p <= n; ++p)
        for (int j = 1; j <= n - p; ++j)
            if (CompareCells(t.Cell(column, j), t.Cell(column, j + 1), column, collation) > 0) t.MoveRow(j, j + 1);
}

// Entry rows numbered 1..rows, each cell drawn from `pool` (many equal keys
// when the pool is small).
inline CellStore RandomTable(std::mt19937& rng, int rows, const std::vector<std::string>& pool) {
    CellStore t;
    t.SetRowCount(rows + 1);
    std::uniform_int_distribution<size_t> pick(0, pool.size() - 1);
    for (int r = 1; r <= rows; ++r) {
        t.SetCell(0, r, std::to_string(r));
        for (int c = 1; c < CellStore::kColumns; ++c) t.SetCell(c, r, pool[pick(rng)]);
    }
    return t;
}

inline std::vector<std::string> RowsOf(const CellStore& t) {
    std::vector<std::string> out;
    for (int r = 0; r < t.RowCount(); ++r) {
        std::string line;
        for (std::string_view cell : t.RowCells(r)) line += std::string(cell) + "|";
        out.push_back(line);
    }
    return out;
}

// Like a locale: letters compare without case first, and only a tie puts
// lower case before upper case: "apple" < "banana" < "Banana".
class CaselessCollation : public Collation {
public:
    int Compare(std::string_view a, std::string_view b) const override {
        int c = Fold(a, false).compare(Fold(b, false));
        if (c == 0) c = Fold(a, true).compare(Fold(b, true));
        return c < 0 ? kCollationLess : c > 0 ? kCollationGreater : kCollationEqual;
    }

private:
    static std::string Fold(std::string_view s, bool swapCase) {
        std::string out(s);
        for (char& ch : out) {
            if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch + 32);
            else if (swapCase && ch >= 'a' && ch <= 'z') ch = static_cast<char>(ch - 32);
        }
        return out;
    }
};

// A text holding '!' cannot be collated: every comparison with it fails.
class FailingCollation : public CaselessCollation {
public:
    int Compare(std::string_view a, std::string_view b) const override {
        if (a.find('!') != std::string_view::npos || b.find('!') != std::string_view::npos) return kCollationFailed;
        return CaselessCollation::Compare(a, b);
    }
};

// Weighs like a Windows locale: letters without case first, hyphens and
// apostrophes left out; then case; then the texts as they stand. A text
// holding '!' cannot be collated. Sorts through KeyedCollationBatch, with
// the weights that describe it, but none for '~' (as Windows gives none for
// byte 0): texts holding it must go to the full comparison.
class WordCollation : public Collation {
public:
    WordCollation() {
        for (int b = 0; b < 256; ++b) {
            const char c = static_cast<char>(b);
            weights_.usable[static_cast<size_t>(b)] = c != '!' && c != '~';
            if (c != '-' && c != '\'' && c != '~') weights_.primary[static_cast<size_t>(b)] = Primary(std::string_view(&c, 1));
        }
    }
    int Compare(std::string_view a, std::string_view b) const override {
        if (a.find('!') != std::string_view::npos || b.find('!') != std::string_view::npos) return kCollationFailed;
        int c = Primary(a).compare(Primary(b));
        if (c == 0) c = Swapped(a).compare(Swapped(b));
        if (c == 0) c = a.compare(b);
        return c < 0 ? kCollationLess : c > 0 ? kCollationGreater : kCollationEqual;
    }
    std::unique_ptr<CollationBatch> Prepare(const std::vector<std::string_view>& texts) const override {
        return std::make_unique<KeyedCollationBatch>(weights_, *this, texts);
    }

private:
    // Two weight bytes for a letter, so that keys are cut inside letters too.
    static std::string Primary(std::string_view s) {
        std::string out;
        for (char ch : s) {
            if (ch == '-' || ch == '\'') continue;
            out += '\x02';
            out += ch >= 'A' && ch <= 'Z' ? static_cast<char>(ch + 32) : ch;
        }
        return out;
    }
    static std::string Swapped(std::string_view s) {
        std::string out(s);
        for (char& ch : out)
            if (ch >= 'a' && ch <= 'z') ch = static_cast<char>(ch - 32);
            else if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch + 32);
        return out;
    }
    ByteWeights weights_;
};

} // namespace velt::test
