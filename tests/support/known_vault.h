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

// Bytes as lower-case hex, as command-line tools print them.
inline std::string ToHex(std::string_view bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string out;
    for (unsigned char c : bytes) {
        out += kDigits[c >> 4];
        out += kDigits[c & 15];
    }
    return out;
}

inline constexpr char kKnownPassword[] = "correct horse";
inline constexpr char kKnownSaltHex[] = "000102030405060708090a0b0c0d0e0f";
inline constexpr char kKnownNonceHex[] = "a0a1a2a3a4a5a6a7a8a9aaab";
// Version 3, which every save writes: Argon2id t = 1, m = 64, p = 1, with
// the items of KnownTableV3.
inline constexpr char kKnownAnswerV3Hex[] =
    "564c5432030002000100000040000000010000000102030405060708090a0b0c0d0e0f10a0a1a2a3a4a5a6a7a8a9aaab"
    "da3d715afbb29bf413360fb96bab601fbbc6d4d76db8bdd8f9e42576d64dc18e5eadc805d09fe5ea78d5b1e84f141032"
    "b7ccfc781d81464a04d3d9ba39b866db168a21cf0331e47b8c9041ce51648d3674932d27fb9f7fa170930f2e2944204c"
    "626c99a8dcb21e1a91c2f269d2de5130a727289588d28c2ac2b4af2e521af05f4d15b4cb915ed76fc9d12b0d00a56d9f"
    "54ba8643fd7b2808ab2632331d292aff26bc6b0e1b353193679d8be4f9ba2b597fb0fce1d14763db6470d99129889a26"
    "e156a1590a3ec93b69158f3448f22450fa25b51b03a79f157633dbefa71cf31f9679696b00ee5b4792595ba9638b45f5"
    "66df4ed25841bf213eb4e198b43739665262bb800908a406296bbdaf9d176a81af676d27f0c720e9e352be7835abaa43"
    "2f2ac64cdf428a25a5306ae0ee15eda857733481f318dcbb2d28bac6d22ddc0e467538adc5e8057cf4a381182164648"
    "333d35bd44f";
inline constexpr char kKnownSaltV3Hex[] = "0102030405060708090a0b0c0d0e0f10";
// Its items: entry 1's id, times, two old passwords and an item of type 200;
// entry 2's id and one-time code; the vault's one deleted entry.
inline constexpr char kKnownItems1Hex[] =
    "0110000000101112131415161718191a1b1c1d1e1f023000000000f153650000000000f153650000000064f1536500000000"
    "00f1536500000000c8f153650000000000f1536500000000030e000000c8f1536500000000737461726531030e00000064f15365"
    "00000000737461726530c803000000010203";
inline constexpr char kKnownItems2Hex[] =
    "0110000000202122232425262728292a2b2c2d2e2f043b0000006f7470617574683a2f2f746f74702f4d61696c3a6a616e3f73"
    "65637265743d47455a44474e425647593354514f4a51266973737565723d4d61696c";
inline constexpr char kKnownVaultItemsHex[] = "0118000000303132333435363738393a3b3c3d3e3f2cf2536500000000";
// Version 2, still read.
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

inline std::string HexOf(std::string_view bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

inline CellStore KnownTableV3() {
    CellStore t = KnownTable();
    t.SetItems(1, Hex(kKnownItems1Hex));
    t.SetItems(2, Hex(kKnownItems2Hex));
    t.SetItems(0, Hex(kKnownVaultItemsHex));
    return t;
}

inline bool SameItems(const CellStore& a, const CellStore& b) {
    if (a.RowCount() != b.RowCount()) return false;
    for (int r = 0; r < a.RowCount(); ++r)
        if (a.Items(r) != b.Items(r)) return false;
    return true;
}

inline bool SameCells(const CellStore& a, const CellStore& b) {
    if (a.RowCount() != b.RowCount()) return false;
    for (int r = 0; r < a.RowCount(); ++r)
        for (int c = 0; c < CellStore::kColumns; ++c)
            if (a.Cell(c, r) != b.Cell(c, r)) return false;
    return true;
}

} // namespace velt::test
