#include "core/sip_hash.h"

namespace velt {

namespace {

std::uint64_t Rotl(std::uint64_t x, int b) { return x << b | x >> (64 - b); }

std::uint64_t Load64(const std::uint8_t* p) {
    std::uint64_t v = 0;
    for (int i = 7; i >= 0; --i) v = v << 8 | p[i];
    return v;
}

} // namespace

SipHash::SipHash(const Key key) {
    const std::uint64_t k0 = Load64(key), k1 = Load64(key + 8);
    v0_ = k0 ^ 0x736F6D6570736575ull;
    v1_ = k1 ^ 0x646F72616E646F6Dull;
    v2_ = k0 ^ 0x6C7967656E657261ull;
    v3_ = k1 ^ 0x7465646279746573ull;
}

void SipHash::Rounds(int n) {
    for (int i = 0; i < n; ++i) {
        v0_ += v1_;
        v1_ = Rotl(v1_, 13) ^ v0_;
        v0_ = Rotl(v0_, 32);
        v2_ += v3_;
        v3_ = Rotl(v3_, 16) ^ v2_;
        v0_ += v3_;
        v3_ = Rotl(v3_, 21) ^ v0_;
        v2_ += v1_;
        v1_ = Rotl(v1_, 17) ^ v2_;
        v2_ = Rotl(v2_, 32);
    }
}

void SipHash::Compress(std::uint64_t m) {
    v3_ ^= m;
    Rounds(2);
    v0_ ^= m;
}

void SipHash::Update(std::string_view bytes) {
    const auto* p = reinterpret_cast<const std::uint8_t*>(bytes.data());
    std::size_t n = bytes.size();
    unsigned filled = static_cast<unsigned>(length_ & 7);
    length_ += n;
    // Finish the word begun by the last call, then whole words.
    for (; filled && n; --n, ++p) {
        tail_ |= std::uint64_t(*p) << (8 * filled);
        if (++filled == 8) {
            Compress(tail_);
            tail_ = 0;
            filled = 0;
        }
    }
    for (; n >= 8; n -= 8, p += 8) Compress(Load64(p));
    for (unsigned i = 0; i < n; ++i) tail_ |= std::uint64_t(p[i]) << (8 * i);
}

std::uint64_t SipHash::Finish() {
    Compress(tail_ | length_ << 56);
    v2_ ^= 0xFF;
    Rounds(4);
    return v0_ ^ v1_ ^ v2_ ^ v3_;
}

} // namespace velt
