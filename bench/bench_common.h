// What the benchmarks share: the clock, the vault-sized table, and the rows
// of the report that scripts/bench.sh gathers into one table.
#pragma once
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "vault/cell_store.h"

namespace velt::bench {

inline double Now() {
    static const double frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return double(f.QuadPart);
    }();
    LARGE_INTEGER c;
    QueryPerformanceCounter(&c);
    return double(c.QuadPart) / frequency;
}

template <typename F>
double Time(F&& f) {
    const double t = Now();
    f();
    return Now() - t;
}

// Best of `rounds` runs, in seconds.
template <typename F>
double Best(int rounds, F&& f) {
    double best = 1e300;
    for (int i = 0; i < rounds; ++i) best = std::min(best, Time(f));
    return best;
}

inline double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// One row of the report: figure, Velt's value, the reference's, the target
// and the verdict ("" when there is no target). Lines starting with "@|"
// are what the script reads; everything else is for people.
inline void Row(const std::string& figure, const std::string& velt, const std::string& reference,
                const std::string& target, const char* verdict) {
    std::printf("@|%s|%s|%s|%s|%s\n", figure.c_str(), velt.c_str(), reference.c_str(), target.c_str(), verdict);
    std::fflush(stdout);
}

inline const char* Verdict(bool met) { return met ? "met" : "NOT MET"; }

inline std::string Fmt(const char* format, double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, format, value);
    return buffer;
}
inline std::string Ms(double seconds) { return Fmt(seconds < 0.01 ? "%.2f ms" : "%.1f ms", seconds * 1000); }
inline std::string Sec(double seconds) { return Fmt("%.3f s", seconds); }
inline std::string Mb(double bytes) { return Fmt("%.1f MB", bytes / 1e6); }

// The vault at its limit: 65,535 entries, every field 255 random bytes of
// a password-ish alphabet, numbered 1 to n in column 0.
inline CellStore VaultSizedTable(int rows, unsigned seed = 2024) {
    std::mt19937 rng(seed);
    const char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 .-_@";
    CellStore t;
    t.SetRowCount(rows + 1);
    t.SetCell(0, 0, "#");
    for (int r = 1; r <= rows; ++r) {
        t.SetCell(0, r, std::to_string(r));
        for (int c = 1; c < 6; ++c) {
            char* cell = t.ResizeCell(c, r, 255);
            for (int i = 0; i < 255; ++i) cell[i] = letters[rng() % (sizeof letters - 1)];
        }
    }
    return t;
}

// A realistic vault at the limit: names, logins and notes of 5-30
// characters, addresses of 15-60, passwords of 8-20, with Polish letters
// (code page 1250 bytes) and the repeats real lists have.
inline CellStore RealisticTable(int rows, unsigned seed = 7) {
    std::mt19937 rng(seed);
    const char* first[] = {"Jan", "Anna", "\xA3ukasz", "\xAF" "aneta", "Zbigniew", "\x8C" "wiatos\xB3" "aw", "Ma\xB3gorzata",
                           "Piotr", "Katarzyna", "Pawe\xB3", "Agnieszka", "Tomasz", "El\xBF" "bieta", "Krzysztof", "Ewa"};
    const char* last[] = {"Kowalski", "Nowak", "W\xF3jcik", "\xA3\xB9" "cka", "Zieli\xF1ska", "Kowalska",
                          "Wi\x9Cniewski", "D\xB9" "browski", "Lewandowska", "Kami\xF1ski", "Szyma\xF1" "czyk", "G\xF3rska",
                          "Nowak-Jeziora\xF1ski", "\xAF\xF3\xB3kiewicz", "O'Neill"};
    const char* sites[] = {"bank", "poczta", "allegro", "sklep-\xBF" "ywno\x9C" "ci", "forum", "praca", "urz\xB9" "d", "gazeta"};
    const char* words[] = {"konto", "s\xB3u\xBF" "bowe", "prywatne", "has\xB3o", "do", "zmiany", "stare", "nowe",
                           "domowe", "firma", "test", "zapasowe", "bank", "karta", "g\xB3\xF3wne"};
    const char symbols[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789!#$%&*+-=?@_";
    auto pick = [&](auto& list) { return std::string(list[rng() % (sizeof list / sizeof list[0])]); };
    auto cut = [](std::string s, size_t lo, size_t hi) {
        if (s.size() > hi) s.resize(hi);
        while (s.size() < lo) s += 'x';
        return s;
    };
    CellStore t;
    t.SetRowCount(rows + 1);
    t.SetCell(0, 0, "#");
    for (int r = 1; r <= rows; ++r) {
        const std::string f = pick(first), l = pick(last), site = pick(sites);
        t.SetCell(0, r, std::to_string(r));
        const unsigned kind = rng() % 3;
        const std::string name = kind == 0   ? f + " " + l
                                 : kind == 1 ? l + " " + f + " " + std::to_string(rng() % 100)
                                             : site + " - " + pick(words) + " " + pick(words);
        t.SetCell(1, r, cut(name, 5, 30));
        t.SetCell(2, r, cut("https://www." + site + ".pl/" + (rng() % 2 ? "logowanie/" + l : f), 15, 60));
        t.SetCell(3, r, cut(rng() % 2 ? f + "." + l + std::to_string(rng() % 100) : l + std::to_string(rng() % 1000), 5, 30));
        std::string password(8 + rng() % 13, ' ');
        for (char& ch : password) ch = symbols[rng() % (sizeof symbols - 1)];
        t.SetCell(4, r, password);
        std::string note = pick(words);
        for (int w = static_cast<int>(rng() % 4); w > 0; --w) note += " " + pick(words);
        t.SetCell(5, r, cut(note, 5, 30));
    }
    return t;
}

// The references for Save and Load: the same bytes written with one
// WriteFile (flushed when Save would flush), and read back with one ReadFile.
inline double PlainWrite(const std::string& path, const std::string& bytes, bool flush = true) {
    return Time([&] {
        HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        DWORD n = 0;
        WriteFile(h, bytes.data(), DWORD(bytes.size()), &n, nullptr);
        if (flush) FlushFileBuffers(h);
        CloseHandle(h);
    });
}

inline double PlainRead(const std::string& path, size_t size) {
    return Time([&] {
        std::string buffer(size, '\0');
        HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        DWORD n = 0;
        ReadFile(h, &buffer[0], DWORD(size), &n, nullptr);
        CloseHandle(h);
    });
}

// The folder for a benchmark's files: the first argument, else the
// temporary folder; with a trailing separator.
inline std::string BenchFolder(int argc, char** argv) {
    std::string dir;
    if (argc > 1) {
        dir = argv[1];
    } else {
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        dir = temp;
    }
    if (!dir.empty() && dir.back() != '\\' && dir.back() != '/') dir += '\\';
    return dir;
}

inline const char* const kBenchPassword = "correct horse battery staple";

} // namespace velt::bench
