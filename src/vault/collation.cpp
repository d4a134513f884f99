#include "vault/collation.h"

namespace velt {

namespace {

class PlainBatch final : public CollationBatch {
public:
    PlainBatch(const Collation& collation, const std::vector<std::string_view>& texts)
        : collation_(collation), texts_(texts) {}
    int Compare(size_t i, size_t j) const override { return collation_.Compare(texts_[i], texts_[j]); }
    bool Collatable(size_t i) const override {
        return collation_.Compare(texts_[i], texts_[i]) != kCollationFailed;
    }

private:
    const Collation& collation_;
    std::vector<std::string_view> texts_;
};

} // namespace

std::unique_ptr<CollationBatch> Collation::Prepare(const std::vector<std::string_view>& texts) const {
    return std::make_unique<PlainBatch>(*this, texts);
}

int ByteCollation::Compare(std::string_view a, std::string_view b) const {
    int c = a.compare(b);
    return c < 0 ? kCollationLess : c > 0 ? kCollationGreater : kCollationEqual;
}

} // namespace velt
