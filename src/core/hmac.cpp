#include "core/hmac.h"

#include <cstring>

#include "core/secure_memory.h"

namespace velt {

namespace {

inline std::uint32_t Rotl32(std::uint32_t x, int n) { return (x << n) | (x >> (32 - n)); }
inline std::uint32_t Rotr32(std::uint32_t x, int n) { return (x >> n) | (x << (32 - n)); }
inline std::uint64_t Rotr64(std::uint64_t x, int n) { return (x >> n) | (x << (64 - n)); }

// One engine for the three: a block of 64 or 128 bytes, words read big-endian,
// the message length appended in the last block's final 8 or 16 bytes.
class Hasher {
public:
    explicit Hasher(HashAlgorithm a) : algorithm_(a) {
        static const std::uint32_t sha1[5] = {0x67452301, 0xEFCDAB89, 0x98BADCFE, 0x10325476, 0xC3D2E1F0};
        static const std::uint32_t sha256[8] = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                                                0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};
        static const std::uint64_t sha512[8] = {
            0x6a09e667f3bcc908ULL, 0xbb67ae8584caa73bULL, 0x3c6ef372fe94f82bULL, 0xa54ff53a5f1d36f1ULL,
            0x510e527fade682d1ULL, 0x9b05688c2b3e6c1fULL, 0x1f83d9abfb41bd6bULL, 0x5be0cd19137e2179ULL};
        if (a == HashAlgorithm::Sha1) std::memcpy(s32_, sha1, sizeof sha1);
        else if (a == HashAlgorithm::Sha256) std::memcpy(s32_, sha256, sizeof sha256);
        else std::memcpy(s64_, sha512, sizeof sha512);
    }
    ~Hasher() {
        WipeBytes(block_, sizeof block_);
        WipeBytes(s32_, sizeof s32_);
        WipeBytes(s64_, sizeof s64_);
    }
    Hasher(const Hasher&) = delete;
    Hasher& operator=(const Hasher&) = delete;

    std::size_t BlockSize() const { return algorithm_ == HashAlgorithm::Sha512 ? 128 : 64; }

    void Add(std::string_view data) {
        length_ += data.size();
        for (char c : data) {
            block_[used_++] = static_cast<unsigned char>(c);
            if (used_ == BlockSize()) {
                Compress();
                used_ = 0;
            }
        }
    }

    std::string Finish() {
        const std::uint64_t bits = length_ * 8;
        const std::size_t lengthBytes = BlockSize() / 8;  // 8 or 16; the high 8 of 16 stay zero
        block_[used_++] = 0x80;
        if (used_ > BlockSize() - lengthBytes) {
            std::memset(block_ + used_, 0, BlockSize() - used_);
            Compress();
            used_ = 0;
        }
        std::memset(block_ + used_, 0, BlockSize() - used_);
        for (int i = 0; i < 8; ++i) block_[BlockSize() - 1 - i] = static_cast<unsigned char>(bits >> (8 * i));
        Compress();
        std::string out(DigestSize(algorithm_), '\0');
        for (std::size_t i = 0; i < out.size(); ++i)
            out[i] = static_cast<char>(algorithm_ == HashAlgorithm::Sha512 ? s64_[i / 8] >> (56 - 8 * (i % 8))
                                                                           : s32_[i / 4] >> (24 - 8 * (i % 4)));
        return out;
    }

private:
    std::uint32_t Word32(int i) const {
        const unsigned char* p = block_ + 4 * i;
        return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 | p[3];
    }
    std::uint64_t Word64(int i) const {
        return std::uint64_t(Word32(2 * i)) << 32 | Word32(2 * i + 1);
    }

    void Compress() {
        if (algorithm_ == HashAlgorithm::Sha1) Sha1();
        else if (algorithm_ == HashAlgorithm::Sha256) Sha256();
        else Sha512();
    }

    void Sha1() {
        std::uint32_t w[80];
        for (int i = 0; i < 16; ++i) w[i] = Word32(i);
        for (int i = 16; i < 80; ++i) w[i] = Rotl32(w[i - 3] ^ w[i - 8] ^ w[i - 14] ^ w[i - 16], 1);
        std::uint32_t a = s32_[0], b = s32_[1], c = s32_[2], d = s32_[3], e = s32_[4];
        for (int i = 0; i < 80; ++i) {
            std::uint32_t f, k;
            if (i < 20) f = (b & c) | (~b & d), k = 0x5A827999;
            else if (i < 40) f = b ^ c ^ d, k = 0x6ED9EBA1;
            else if (i < 60) f = (b & c) | (b & d) | (c & d), k = 0x8F1BBCDC;
            else f = b ^ c ^ d, k = 0xCA62C1D6;
            const std::uint32_t t = Rotl32(a, 5) + f + e + k + w[i];
            e = d, d = c, c = Rotl32(b, 30), b = a, a = t;
        }
        s32_[0] += a, s32_[1] += b, s32_[2] += c, s32_[3] += d, s32_[4] += e;
        WipeBytes(w, sizeof w);
    }

    void Sha256() {
        static const std::uint32_t k[64] = {
            0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
            0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
            0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
            0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
            0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
            0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
            0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
            0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2};
        std::uint32_t w[64];
        for (int i = 0; i < 16; ++i) w[i] = Word32(i);
        for (int i = 16; i < 64; ++i) {
            const std::uint32_t s0 = Rotr32(w[i - 15], 7) ^ Rotr32(w[i - 15], 18) ^ (w[i - 15] >> 3);
            const std::uint32_t s1 = Rotr32(w[i - 2], 17) ^ Rotr32(w[i - 2], 19) ^ (w[i - 2] >> 10);
            w[i] = w[i - 16] + s0 + w[i - 7] + s1;
        }
        std::uint32_t v[8];
        std::memcpy(v, s32_, sizeof v);
        for (int i = 0; i < 64; ++i) {
            const std::uint32_t s1 = Rotr32(v[4], 6) ^ Rotr32(v[4], 11) ^ Rotr32(v[4], 25);
            const std::uint32_t ch = (v[4] & v[5]) ^ (~v[4] & v[6]);
            const std::uint32_t t1 = v[7] + s1 + ch + k[i] + w[i];
            const std::uint32_t s0 = Rotr32(v[0], 2) ^ Rotr32(v[0], 13) ^ Rotr32(v[0], 22);
            const std::uint32_t maj = (v[0] & v[1]) ^ (v[0] & v[2]) ^ (v[1] & v[2]);
            std::memmove(v + 1, v, 7 * sizeof v[0]);
            v[4] += t1;
            v[0] = t1 + s0 + maj;
        }
        for (int i = 0; i < 8; ++i) s32_[i] += v[i];
        WipeBytes(w, sizeof w);
        WipeBytes(v, sizeof v);
    }

    void Sha512() {
        static const std::uint64_t k[80] = {
            0x428a2f98d728ae22ULL, 0x7137449123ef65cdULL, 0xb5c0fbcfec4d3b2fULL, 0xe9b5dba58189dbbcULL,
            0x3956c25bf348b538ULL, 0x59f111f1b605d019ULL, 0x923f82a4af194f9bULL, 0xab1c5ed5da6d8118ULL,
            0xd807aa98a3030242ULL, 0x12835b0145706fbeULL, 0x243185be4ee4b28cULL, 0x550c7dc3d5ffb4e2ULL,
            0x72be5d74f27b896fULL, 0x80deb1fe3b1696b1ULL, 0x9bdc06a725c71235ULL, 0xc19bf174cf692694ULL,
            0xe49b69c19ef14ad2ULL, 0xefbe4786384f25e3ULL, 0x0fc19dc68b8cd5b5ULL, 0x240ca1cc77ac9c65ULL,
            0x2de92c6f592b0275ULL, 0x4a7484aa6ea6e483ULL, 0x5cb0a9dcbd41fbd4ULL, 0x76f988da831153b5ULL,
            0x983e5152ee66dfabULL, 0xa831c66d2db43210ULL, 0xb00327c898fb213fULL, 0xbf597fc7beef0ee4ULL,
            0xc6e00bf33da88fc2ULL, 0xd5a79147930aa725ULL, 0x06ca6351e003826fULL, 0x142929670a0e6e70ULL,
            0x27b70a8546d22ffcULL, 0x2e1b21385c26c926ULL, 0x4d2c6dfc5ac42aedULL, 0x53380d139d95b3dfULL,
            0x650a73548baf63deULL, 0x766a0abb3c77b2a8ULL, 0x81c2c92e47edaee6ULL, 0x92722c851482353bULL,
            0xa2bfe8a14cf10364ULL, 0xa81a664bbc423001ULL, 0xc24b8b70d0f89791ULL, 0xc76c51a30654be30ULL,
            0xd192e819d6ef5218ULL, 0xd69906245565a910ULL, 0xf40e35855771202aULL, 0x106aa07032bbd1b8ULL,
            0x19a4c116b8d2d0c8ULL, 0x1e376c085141ab53ULL, 0x2748774cdf8eeb99ULL, 0x34b0bcb5e19b48a8ULL,
            0x391c0cb3c5c95a63ULL, 0x4ed8aa4ae3418acbULL, 0x5b9cca4f7763e373ULL, 0x682e6ff3d6b2b8a3ULL,
            0x748f82ee5defb2fcULL, 0x78a5636f43172f60ULL, 0x84c87814a1f0ab72ULL, 0x8cc702081a6439ecULL,
            0x90befffa23631e28ULL, 0xa4506cebde82bde9ULL, 0xbef9a3f7b2c67915ULL, 0xc67178f2e372532bULL,
            0xca273eceea26619cULL, 0xd186b8c721c0c207ULL, 0xeada7dd6cde0eb1eULL, 0xf57d4f7fee6ed178ULL,
            0x06f067aa72176fbaULL, 0x0a637dc5a2c898a6ULL, 0x113f9804bef90daeULL, 0x1b710b35131c471bULL,
            0x28db77f523047d84ULL, 0x32caab7b40c72493ULL, 0x3c9ebe0a15c9bebcULL, 0x431d67c49c100d4cULL,
            0x4cc5d4becb3e42b6ULL, 0x597f299cfc657e2aULL, 0x5fcb6fab3ad6faecULL, 0x6c44198c4a475817ULL};
        std::uint64_t w[80];
        for (int i = 0; i < 16; ++i) w[i] = Word64(i);
        for (int i = 16; i < 80; ++i) {
            const std::uint64_t s0 = Rotr64(w[i - 15], 1) ^ Rotr64(w[i - 15], 8) ^ (w[i - 15] >> 7);
            const std::uint64_t s1 = Rotr64(w[i - 2], 19) ^ Rotr64(w[i - 2], 61) ^ (w[i - 2] >> 6);
            w[i] = w[i - 16] + s0 + w[i - 7] + s1;
        }
        std::uint64_t v[8];
        std::memcpy(v, s64_, sizeof v);
        for (int i = 0; i < 80; ++i) {
            const std::uint64_t s1 = Rotr64(v[4], 14) ^ Rotr64(v[4], 18) ^ Rotr64(v[4], 41);
            const std::uint64_t ch = (v[4] & v[5]) ^ (~v[4] & v[6]);
            const std::uint64_t t1 = v[7] + s1 + ch + k[i] + w[i];
            const std::uint64_t s0 = Rotr64(v[0], 28) ^ Rotr64(v[0], 34) ^ Rotr64(v[0], 39);
            const std::uint64_t maj = (v[0] & v[1]) ^ (v[0] & v[2]) ^ (v[1] & v[2]);
            std::memmove(v + 1, v, 7 * sizeof v[0]);
            v[4] += t1;
            v[0] = t1 + s0 + maj;
        }
        for (int i = 0; i < 8; ++i) s64_[i] += v[i];
        WipeBytes(w, sizeof w);
        WipeBytes(v, sizeof v);
    }

    HashAlgorithm algorithm_;
    unsigned char block_[128] = {};
    std::size_t used_ = 0;
    std::uint64_t length_ = 0;
    std::uint32_t s32_[8] = {};
    std::uint64_t s64_[8] = {};
};

} // namespace

std::size_t DigestSize(HashAlgorithm algorithm) {
    return algorithm == HashAlgorithm::Sha1 ? 20 : algorithm == HashAlgorithm::Sha256 ? 32 : 64;
}

std::string Hash(HashAlgorithm algorithm, std::string_view message) {
    Hasher h(algorithm);
    h.Add(message);
    return h.Finish();
}

std::string Hmac(HashAlgorithm algorithm, std::string_view key, std::string_view message) {
    Hasher inner(algorithm), outer(algorithm);
    const std::size_t blockSize = inner.BlockSize();
    std::string pad(blockSize, '\0');
    ScopedWipe wipePad(pad);
    std::string longKey;
    ScopedWipe wipeLongKey(longKey);
    if (key.size() > blockSize) {
        longKey = Hash(algorithm, key);
        key = longKey;
    }
    for (std::size_t i = 0; i < key.size(); ++i) pad[i] = key[i];
    for (char& c : pad) c ^= 0x36;
    inner.Add(pad);
    inner.Add(message);
    std::string innerDigest = inner.Finish();
    ScopedWipe wipeInner(innerDigest);
    for (char& c : pad) c ^= 0x36 ^ 0x5c;
    outer.Add(pad);
    outer.Add(innerDigest);
    return outer.Finish();
}

} // namespace velt
