// Generators and RandomBelow against fake byte sources: exact rejection of
// the bytes that would bias a modulo, the shapes of the three passwords, and
// a chi-square check that every pool character comes out equally often.
#include "tools/password_generator.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <deque>
#include <map>
#include <vector>

namespace velt {
namespace {

// Hands out the listed bytes in order and counts them.
class ScriptedSource : public RandomByteSource {
public:
    explicit ScriptedSource(std::vector<unsigned char> bytes) : bytes_(bytes.begin(), bytes.end()) {}
    void Fill(unsigned char* data, std::size_t size) override {
        for (std::size_t i = 0; i < size; ++i) {
            if (bytes_.empty()) throw std::runtime_error("script exhausted");
            data[i] = bytes_.front();
            bytes_.pop_front();
            ++used;
        }
    }
    std::size_t used = 0;

private:
    std::deque<unsigned char> bytes_;
};

// Deterministic stand-in for the system generator: SplitMix64 over a counter.
class CounterSource : public RandomByteSource {
public:
    explicit CounterSource(std::uint64_t seed) : counter_(seed) {}
    void Fill(unsigned char* data, std::size_t size) override {
        for (std::size_t i = 0; i < size; ++i) {
            if (left_ == 0) {
                std::uint64_t z = (counter_ += 0x9E3779B97F4A7C15ull);
                z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
                z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
                block_ = z ^ (z >> 31);
                left_ = 8;
            }
            data[i] = static_cast<unsigned char>(block_);
            block_ >>= 8;
            --left_;
        }
    }

private:
    std::uint64_t counter_, block_ = 0;
    int left_ = 0;
};

TEST(RandomBelow, RejectsTheBytesOfTheIncompleteLastBlock) {
    struct Case {
        std::uint32_t n;
        std::vector<unsigned char> bytes;
        std::uint32_t expected;
        std::size_t used;
    } cases[] = {
        {62, {250, 5}, 5, 2},            // 248..255 would favour 0..7
        {62, {248, 255, 247}, 61, 3},
        {62, {0}, 0, 1},
        {16, {255}, 15, 1},              // 256 is a multiple of 16: nothing rejected
        {6, {252, 253, 254, 255, 251}, 5, 5},
        {10, {250, 249}, 9, 2},
        {256, {255}, 255, 1},
        {1, {}, 0, 0},                   // a single choice draws nothing
        {1000, {0xFD, 0xE8, 0x03, 0xE7}, 999, 4},  // two bytes; 65000.. rejected
        {1000, {0xFD, 0xE7}, 999, 2},
    };
    for (const Case& c : cases) {
        ScriptedSource source(c.bytes);
        EXPECT_EQ(RandomBelow(source, c.n), c.expected) << "n=" << c.n;
        EXPECT_EQ(source.used, c.used) << "n=" << c.n;
    }
}

TEST(PasswordGenerator, ShapesOfTheThreePasswords) {
    EXPECT_EQ(kRandomPool.size(), 62u);
    EXPECT_EQ(kConsonantPool.size(), 16u);
    EXPECT_EQ(kVowelPool.size(), 6u);
    CounterSource source(1);
    for (int round = 0; round < 200; ++round) {
        std::string random = GenerateRandomPassword(source);
        std::string simple = GenerateSimplePassword(source);
        std::string digits = GenerateNumericalPassword(source);
        ASSERT_EQ(random.size(), 20u);
        ASSERT_EQ(simple.size(), 20u);
        ASSERT_EQ(digits.size(), 20u);
        for (int i = 0; i < 20; ++i) {
            EXPECT_NE(kRandomPool.find(random[i]), std::string_view::npos) << random;
            std::string_view pool = i % 2 == 0 ? kConsonantPool : kVowelPool;
            EXPECT_NE(pool.find(simple[i]), std::string_view::npos) << simple << " at " << i;
            EXPECT_TRUE(digits[i] >= '0' && digits[i] <= '9') << digits;
        }
    }
}

TEST(PasswordGenerator, PoolIndexesFollowTheListedOrder) {
    ScriptedSource first(std::vector<unsigned char>(40, 0));
    EXPECT_EQ(GenerateRandomPassword(first), std::string(20, 'q'));
    EXPECT_EQ(GenerateSimplePassword(first), "wewewewewewewewewewe");
    ScriptedSource last(std::vector<unsigned char>(40, 61));
    EXPECT_EQ(GenerateRandomPassword(last), std::string(20, '0'));
    std::vector<unsigned char> pairs;
    for (int i = 0; i < 10; ++i) pairs.insert(pairs.end(), {15, 5});
    ScriptedSource lastPairs(pairs);
    EXPECT_EQ(GenerateSimplePassword(lastPairs), "mamamamamamamamamama");
    ScriptedSource nines(std::vector<unsigned char>(20, 9));
    EXPECT_EQ(GenerateNumericalPassword(nines), std::string(20, '9'));
}

// Chi-square of the character counts of 100,000 draws against equal shares.
double ChiSquare(const std::map<char, long>& counts, std::string_view pool, long total) {
    double expected = static_cast<double>(total) / pool.size();
    double sum = 0;
    for (char c : pool) {
        auto it = counts.find(c);
        double observed = it == counts.end() ? 0 : static_cast<double>(it->second);
        sum += (observed - expected) * (observed - expected) / expected;
    }
    return sum;
}

TEST(PasswordGenerator, EveryPoolCharacterEquallyLikely) {
    // Critical values of chi-square at p = 0.001 for 61, 15, 5 and 9 degrees
    // of freedom. Folding bytes with a plain modulo would exceed the first
    // and third by far (8 of 62 and 4 of 6 values a quarter more likely).
    CounterSource source(20240611);
    std::map<char, long> random, consonants, vowels, digits;
    for (int i = 0; i < 5000; ++i) {
        for (char c : GenerateRandomPassword(source)) ++random[c];
        for (char c : GenerateNumericalPassword(source)) ++digits[c];
    }
    for (int i = 0; i < 10000; ++i) {
        std::string s = GenerateSimplePassword(source);
        for (int k = 0; k < 20; k += 2) {
            ++consonants[s[k]];
            ++vowels[s[k + 1]];
        }
    }
    EXPECT_EQ(random.size(), 62u);
    EXPECT_LT(ChiSquare(random, kRandomPool, 100000), 100.9);
    EXPECT_LT(ChiSquare(consonants, kConsonantPool, 100000), 37.7);
    EXPECT_LT(ChiSquare(vowels, kVowelPool, 100000), 20.5);
    EXPECT_LT(ChiSquare(digits, "0123456789", 100000), 27.9);
}

} // namespace
} // namespace velt
