// CSV rows that all share one value of the fixed, public hash the import's
// duplicate index once used: four bytes a step, every step invertible. For
// each name a four-byte password is solved that brings the state after it
// to one value, so every row gets the same hash. For the test that keeps
// the search within its budget and for the benchmark.
#pragma once
#include <cstdint>
#include <cstring>
#include <string>

namespace velt::test {

namespace colliding {
inline std::uint32_t Rotl(std::uint32_t x, int r) { return x << r | x >> (32 - r); }
inline std::uint32_t Inverse(std::uint32_t odd) {
    std::uint32_t x = odd;  // right in 3 bits; each step doubles them
    for (int i = 0; i < 5; ++i) x *= 2 - odd * x;
    return x;
}
inline std::uint32_t Mix(std::uint32_t h, std::uint32_t k) {
    return Rotl(h ^ Rotl(k * 0xCC9E2D51u, 15) * 0x1B873593u, 13) * 5 + 0xE6546B64u;
}
} // namespace colliding

// Row n of a Chrome file ("name,url,username,password"): name, two empty
// fields, the solved password quoted. Empty when that password holds a NUL.
inline std::string CollidingRow(int n) {
    using namespace colliding;
    const std::string name = "n" + std::to_string(1000000 + n);  // 8 bytes: two steps and a tail
    std::uint32_t h = 0x9747B28Cu, k;
    for (int i = 0; i < 8; i += 4) std::memcpy(&k, name.data() + i, 4), h = Mix(h, k);
    h = Mix(Mix(Mix(h, 8u << 24), 0), 0);  // the name's tail, empty address and login
    const std::uint32_t y = Rotl((0x12345678u - 0xE6546B64u) * Inverse(5), 32 - 13) ^ h;
    k = Rotl(y * Inverse(0x1B873593u), 32 - 15) * Inverse(0xCC9E2D51u);
    std::string password(4, '\0'), quoted = "\"";
    std::memcpy(&password[0], &k, 4);
    if (password.find('\0') != std::string::npos) return {};
    for (char c : password) quoted += c == '"' ? "\"\"" : std::string(1, c);
    return name + ",,," + quoted + "\"\n";
}

// The first `count` rows that hold no NUL.
inline std::string CollidingRows(int count) {
    std::string rows;
    for (int n = 0; count > 0; ++n) {
        const std::string row = CollidingRow(n);
        if (!row.empty()) rows += row, --count;
    }
    return rows;
}

} // namespace velt::test
