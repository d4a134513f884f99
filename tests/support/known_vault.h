// The strong format's known answer and the small table helpers that the
// format tests, the Windows tests and the fuzz target share.
#pragma once
#include <string>
#include <string_view>

#include "vault/cell_store.h"

namespace velt::test {

inline std::string Hex(std::string_view hex) {
    std::string out;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        out += static_cast<char>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16));
    return out;
}

inline constexpr char kKnownPassword[] = "correct horse";
inline constexpr char kKnownSaltHex[] = "000102030405060708090a0b0c0d0e0f";
inline constexpr char kKnownNonceHex[] = "a0a1a2a3a4a5a6a7a8a9aaab";
// Version 2, which every save writes.
inline constexpr char kKnownAnswerHex[] =
    "564c543202000100a0860100000102030405060708090a0b0c0d0e0fa0a1a2a3a4a5a6a7a8a9aaabc7c290a1fd75af7b7a09ea6a160e71"
    "70de9ca22e361c1c59e0b9878977d6b084649c14a58bf2438b0239409a2620f6fe7eb6f1872e5525c02247b7f15993114911fb48827add"
    "236840877999929820600c0e63c55d540f5882a8b6fbc78b9b";
// Version 1, still read.
inline constexpr char kKnownAnswerV1Hex[] =
    "564c543201000100a0860100000102030405060708090a0b0c0d0e0fa0a1a2a3a4a5a6a7a8a9aaab8013b90d21c0a3d83dc61256e4fd8ed4"
    "f0e4e1b4750a4d289d6837cb0f388359c882ffaf37f1e2fd6835b6687f9943315c8721f4cc285c09f565232c0c136041183596a88a60e8"
    "99ecfc29f2e421af";

// The two entries of the known answer.
inline CellStore KnownTable() {
    CellStore t;
    t.SetRowCount(3);
    const char* cells[2][5] = {{"Bank \xA3\xF3\x64\x9F", "https://bank.example", "jan", "Has\xB3o#1", "opis"},
                               {"Mail", "", "", "pw", ""}};
    for (int r = 1; r <= 2; ++r) {
        t.SetCell(0, r, std::to_string(r));
        for (int c = 1; c <= 5; ++c) t.SetCell(c, r, cells[r - 1][c - 1]);
    }
    return t;
}

inline bool SameCells(const CellStore& a, const CellStore& b) {
    if (a.RowCount() != b.RowCount()) return false;
    for (int r = 0; r < a.RowCount(); ++r)
        for (int c = 0; c < CellStore::kColumns; ++c)
            if (a.Cell(c, r) != b.Cell(c, r)) return false;
    return true;
}

} // namespace velt::test
