// A 32-bit hash of byte strings for the open-addressing indexes: four bytes a
// step in 32-bit arithmetic (the program runs as a 32-bit one), each text's
// length included, mixed at the end so that the low bits index the slots.
// Equal hashes are still compared; a seed drawn per run keeps texts chosen
// to collide from piling up in one place.
#pragma once
#include <cstdint>
#include <cstring>
#include <string_view>

namespace velt {

class ByteHash {
public:
    explicit ByteHash(std::uint32_t seed) : h_(seed) {}

    void Add(std::string_view text) {
        std::size_t i = 0;
        for (; i + 4 <= text.size(); i += 4) {
            std::uint32_t k;
            std::memcpy(&k, text.data() + i, 4);
            Mix(k);
        }
        std::uint32_t tail = static_cast<std::uint32_t>(text.size()) << 24;
        for (int shift = 0; i < text.size(); ++i, shift += 8)
            tail ^= static_cast<std::uint32_t>(static_cast<unsigned char>(text[i])) << shift;
        Mix(tail);
    }

    std::uint32_t Finish() const {
        std::uint32_t h = h_;
        h ^= h >> 16;
        h *= 0x85EBCA6Bu;
        h ^= h >> 13;
        h *= 0xC2B2AE35u;
        return h ^ (h >> 16);
    }

private:
    static std::uint32_t Rotl(std::uint32_t x, int r) { return x << r | x >> (32 - r); }
    void Mix(std::uint32_t k) {
        k *= 0xCC9E2D51u;
        h_ ^= Rotl(k, 15) * 0x1B873593u;
        h_ = Rotl(h_, 13) * 5 + 0xE6546B64u;
    }
    std::uint32_t h_;
};

} // namespace velt
