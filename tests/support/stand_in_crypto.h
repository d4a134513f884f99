// Stand-ins for the strong vault's primitives, for host tests and fuzzing:
// fast and deterministic, with the properties the format relies on (a key
// depends on password, salt and count; any changed byte of key, nonce,
// header or ciphertext fails the tag). Not cryptography.
#pragma once
#include <cstdint>
#include <cstring>
#include <string_view>

#include "core/clock.h"
#include "core/random_source.h"
#include "vault/strong_format.h"

namespace velt::test {

class StandInCrypto : public StrongCrypto {
public:
    int derivations = 0;
    bool failNext = false;         // the next call raises ECryptoError
    bool outOfMemoryNext = false;  // the next Argon2id derivation finds no memory

    void DeriveKey(std::string_view password, const unsigned char* salt, size_t saltSize, std::uint32_t iterations,
                   unsigned char* key) override {
        MaybeFail();
        ++derivations;
        for (int part = 0; part < 4; ++part) {
            std::uint64_t h = Fnv(kBasis + part, password.data(), password.size());
            h = Fnv(h, salt, saltSize);
            h = Fnv(h, &iterations, sizeof iterations);
            std::memcpy(key + 8 * part, &h, 8);
        }
    }
    void DeriveArgon2id(std::string_view password, const unsigned char* salt, size_t saltSize, std::uint32_t passes,
                        std::uint32_t memoryKiB, std::uint32_t lanes, unsigned char* key) override {
        if (outOfMemoryNext) {
            outOfMemoryNext = false;
            throw EKeyOutOfMemory("stand-in: no memory");
        }
        const std::uint32_t cost[3] = {passes, memoryKiB, lanes};
        DeriveKey(password, salt, saltSize, cost[0] * 7919u + cost[1] * 31u + cost[2] + 0x9e3779b9u, key);
    }
    void Seal(const unsigned char* key, const unsigned char* nonce, std::string_view aad, unsigned char* data,
              size_t size, unsigned char* tag) override {
        MaybeFail();
        Stream(key, nonce, data, size);
        Tag(key, nonce, aad, data, size, tag);
    }
    bool Open(const unsigned char* key, const unsigned char* nonce, std::string_view aad, unsigned char* data,
              size_t size, const unsigned char* tag) override {
        MaybeFail();
        unsigned char expected[kStrongTagSize];
        Tag(key, nonce, aad, data, size, expected);
        if (std::memcmp(expected, tag, sizeof expected) != 0) return false;
        Stream(key, nonce, data, size);
        return true;
    }

    void Mac(const unsigned char* key, std::string_view message, unsigned char* mac) override {
        MaybeFail();
        for (int part = 0; part < 4; ++part) {
            std::uint64_t h = Fnv(kBasis + 3 * part + 2, key, kStrongKeySize);
            h = Fnv(h, message.data(), message.size());
            std::memcpy(mac + 8 * part, &h, 8);
        }
    }

private:
    static constexpr std::uint64_t kBasis = 0xcbf29ce484222325ull;
    static std::uint64_t Fnv(std::uint64_t h, const void* p, size_t n) {
        const auto* b = static_cast<const unsigned char*>(p);
        for (size_t i = 0; i < n; ++i) h = (h ^ b[i]) * 0x100000001b3ull;
        return h;
    }
    void MaybeFail() {
        if (failNext) {
            failNext = false;
            throw ECryptoError("stand-in failure");
        }
    }
    static void Stream(const unsigned char* key, const unsigned char* nonce, unsigned char* data, size_t size) {
        std::uint64_t s = Fnv(Fnv(kBasis, key, kStrongKeySize), nonce, kStrongNonceSize) | 1;
        for (size_t i = 0; i < size; ++i) {
            if (i % 8 == 0) {
                s ^= s << 13;
                s ^= s >> 7;
                s ^= s << 17;
            }
            data[i] ^= static_cast<unsigned char>(s >> (8 * (i % 8)));
        }
    }
    static void Tag(const unsigned char* key, const unsigned char* nonce, std::string_view aad,
                    const unsigned char* data, size_t size, unsigned char* tag) {
        for (int part = 0; part < 2; ++part) {
            std::uint64_t h = Fnv(kBasis + 7 * part + 1, key, kStrongKeySize);
            h = Fnv(h, nonce, kStrongNonceSize);
            h = Fnv(h, aad.data(), aad.size());
            h = Fnv(h, data, size);
            h = Fnv(h, &size, sizeof size);
            std::memcpy(tag + 8 * part, &h, 8);
        }
    }
};

// A clock that stands still until told.
class FixedClock : public Clock {
public:
    std::int64_t now = 1700000000;
    std::int64_t UnixNow() override { return now; }
};

// Bytes that never repeat: 0, 1, 2, ... across calls (wrapping at 256), or
// exactly the bytes queued in `script` first.
class CountingRandom : public RandomByteSource {
public:
    std::string script;
    unsigned next = 0;
    void Fill(unsigned char* data, std::size_t size) override {
        for (std::size_t i = 0; i < size; ++i) {
            if (!script.empty()) {
                data[i] = static_cast<unsigned char>(script[0]);
                script.erase(0, 1);
            } else {
                data[i] = static_cast<unsigned char>(next++);
            }
        }
    }
};

} // namespace velt::test
