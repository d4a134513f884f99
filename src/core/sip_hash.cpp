#include "core/sip_hash.h"

#include "core/byte_order.h"
#include "core/secure_memory.h"

namespace velt {

namespace {

std::uint64_t Rotl(std::uint64_t x, int b) { return x << b | x >> (64 - b); }

std::uint64_t Load64(const std::uint8_t* p) { return GetLE32(p) | std::uint64_t(GetLE32(p + 4)) << 32; }

// The state in locals while words go in: the 32-bit build keeps them in
// registers only so.
struct State {
    std::uint64_t v0, v1, v2, v3;

    void Rounds(int n) {
        for (int i = 0; i < n; ++i) {
            v0 += v1;
            v1 = Rotl(v1, 13) ^ v0;
            v0 = Rotl(v0, 32);
            v2 += v3;
            v3 = Rotl(v3, 16) ^ v2;
            v0 += v3;
            v3 = Rotl(v3, 21) ^ v0;
            v2 += v1;
            v1 = Rotl(v1, 17) ^ v2;
            v2 = Rotl(v2, 32);
        }
    }
    void Compress(std::uint64_t m) {
        v3 ^= m;
        Rounds(2);
        v0 ^= m;
    }
};

} // namespace

SipHash::SipHash(const Key key) {
    const std::uint64_t k0 = Load64(key), k1 = Load64(key + 8);
    v0_ = k0 ^ 0x736F6D6570736575ull;
    v1_ = k1 ^ 0x646F72616E646F6Dull;
    v2_ = k0 ^ 0x6C7967656E657261ull;
    v3_ = k1 ^ 0x7465646279746573ull;
}

SipHash::~SipHash() {
    WipeBytes(&v0_, sizeof v0_);
    WipeBytes(&v1_, sizeof v1_);
    WipeBytes(&v2_, sizeof v2_);
    WipeBytes(&v3_, sizeof v3_);
    WipeBytes(&tail_, sizeof tail_);
}

void SipHash::Update(std::string_view bytes) {
    const auto* p = reinterpret_cast<const std::uint8_t*>(bytes.data());
    std::size_t n = bytes.size();
    unsigned filled = static_cast<unsigned>(length_ & 7);
    length_ += n;
    State s{v0_, v1_, v2_, v3_};
    // Finish the word begun by the last call, then whole words.
    for (; filled && n; --n, ++p) {
        tail_ |= std::uint64_t(*p) << (8 * filled);
        if (++filled == 8) {
            s.Compress(tail_);
            tail_ = 0;
            filled = 0;
        }
    }
    for (; n >= 8; n -= 8, p += 8) s.Compress(Load64(p));
    for (unsigned i = 0; i < n; ++i) tail_ |= std::uint64_t(p[i]) << (8 * i);
    v0_ = s.v0, v1_ = s.v1, v2_ = s.v2, v3_ = s.v3;
}

std::uint64_t SipHash::Finish() {
    State s{v0_, v1_, v2_, v3_};
    s.Compress(tail_ | length_ << 56);
    s.v2 ^= 0xFF;
    s.Rounds(4);
    return s.v0 ^ s.v1 ^ s.v2 ^ s.v3;
}

} // namespace velt
