// Cheap keys for sorting by a locale collation whose order starts with the
// primary (letter) weights of the whole text: a text's primary weights are
// those of its characters one after another, and texts whose primary
// weights differ are ordered by them alone, bytewise, a text that runs out
// first sorting first. Diacritics, case and the characters that weigh only
// apart (hyphen, apostrophe) decide only between texts whose primary
// weights are all equal; those pairs go to the full comparison.
//
// Each text keeps the first bytes of its primary weights inline; most pairs
// differ there. Pairs that tie on those bytes walk the rest through the
// per-byte table, and only texts with equal primary weights call the full
// collation. The result is the full collation's, provided the weights
// describe it (the Windows side checks that before it uses them).
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "vault/collation.h"

namespace velt {

// The primary weights of each byte of a single-byte code page, as sort keys
// give them. A byte marked unusable (no weights known, or a character the
// collation may refuse) sends every comparison of a text holding it to the
// full collation.
struct ByteWeights {
    std::array<std::string, 256> primary;
    std::array<bool, 256> usable{};
};

class KeyedCollationBatch final : public CollationBatch {
public:
    // `full` decides what the keys cannot; texts, weights and `full` must
    // outlive the batch.
    KeyedCollationBatch(const ByteWeights& weights, const Collation& full, const std::vector<std::string_view>& texts);

    int Compare(size_t i, size_t j) const override;
    bool Collatable(size_t i) const override;

    // Bytes of primary weight kept inline per text.
    static constexpr size_t kKeyBytes = 32;

private:
    struct Key {
        unsigned char bytes[kKeyBytes];
        std::uint8_t size;  // bytes used
        bool complete;      // the text's primary weights end within them
        bool usable;        // every byte of the text has known weights
    };
    int ComparePrimary(std::string_view a, std::string_view b) const;

    const ByteWeights& weights_;
    const Collation& full_;
    std::vector<std::string_view> texts_;
    std::vector<Key> keys_;
};

} // namespace velt
