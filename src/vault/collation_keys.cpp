#include "vault/collation_keys.h"

#include <algorithm>

namespace velt {

namespace {

// The primary weight bytes of a text, one at a time.
class WeightStream {
public:
    WeightStream(const ByteWeights& weights, std::string_view text) : weights_(weights), text_(text) {}
    // False at the end.
    bool Next(unsigned char& byte) {
        while (at_ == current_.size()) {
            if (pos_ == text_.size()) return false;
            current_ = weights_.primary[static_cast<unsigned char>(text_[pos_++])];
            at_ = 0;
        }
        byte = static_cast<unsigned char>(current_[at_++]);
        return true;
    }

private:
    const ByteWeights& weights_;
    std::string_view text_;
    size_t pos_ = 0;
    std::string_view current_;
    size_t at_ = 0;
};

} // namespace

KeyedCollationBatch::KeyedCollationBatch(const ByteWeights& weights, const Collation& full,
                                         const std::vector<std::string_view>& texts)
    : weights_(weights), full_(full), texts_(texts), keys_(texts.size()) {
    for (size_t i = 0; i < texts_.size(); ++i) {
        Key& k = keys_[i];
        k.usable = true;
        for (char c : texts_[i]) k.usable = k.usable && weights_.usable[static_cast<unsigned char>(c)];
        WeightStream stream(weights_, texts_[i]);
        size_t n = 0;
        unsigned char b = 0;
        while (n < kKeyBytes && stream.Next(b)) k.bytes[n++] = b;
        k.size = static_cast<std::uint8_t>(n);
        k.complete = n < kKeyBytes || !stream.Next(b);
    }
}

int KeyedCollationBatch::ComparePrimary(std::string_view a, std::string_view b) const {
    WeightStream sa(weights_, a), sb(weights_, b);
    for (;;) {
        unsigned char x = 0, y = 0;
        const bool hasX = sa.Next(x), hasY = sb.Next(y);
        if (!hasX || !hasY) return hasX ? kCollationGreater : hasY ? kCollationLess : kCollationEqual;
        if (x != y) return x < y ? kCollationLess : kCollationGreater;
    }
}

int KeyedCollationBatch::Compare(size_t i, size_t j) const {
    const Key& a = keys_[i];
    const Key& b = keys_[j];
    const std::string_view ta = texts_[i], tb = texts_[j];
    if (!a.usable || !b.usable) return full_.Compare(ta, tb);
    // The keys alone first: reading the texts costs a cache miss each.
    const size_t common = std::min(a.size, b.size);
    // Keys mostly differ in their first bytes: a plain loop beats a call.
    for (size_t k = 0; k < common; ++k)
        if (a.bytes[k] != b.bytes[k]) return a.bytes[k] < b.bytes[k] ? kCollationLess : kCollationGreater;
    if (a.size != b.size) return a.size < b.size ? kCollationLess : kCollationGreater;
    if (ta == tb) return kCollationEqual;
    if (!a.complete || !b.complete) {
        if (a.complete != b.complete) return a.complete ? kCollationLess : kCollationGreater;
        if (const int c = ComparePrimary(ta, tb); c != kCollationEqual) return c;
    }
    // Equal letters: diacritics, case and the characters weighed apart decide.
    return full_.Compare(ta, tb);
}

bool KeyedCollationBatch::Collatable(size_t i) const {
    return keys_[i].usable || full_.Compare(texts_[i], texts_[i]) != kCollationFailed;
}

} // namespace velt
