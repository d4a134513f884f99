// The locale collation that orders the text columns of the entry table.
// Windows supplies CompareStringA's order (collation_win.h); host tests pass
// in their own.
#pragma once
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace velt {

// Results use CompareStringA's values.
enum CollationResult : int {
    kCollationFailed = 0,
    kCollationLess = 1,
    kCollationEqual = 2,
    kCollationGreater = 3,
};

// Many texts prepared once so that sorting can compare them cheaply by index.
class CollationBatch {
public:
    virtual ~CollationBatch() = default;
    // Same result as Collation::Compare of texts i and j.
    virtual int Compare(size_t i, size_t j) const = 0;
    // False when text i fails every comparison it takes part in.
    virtual bool Collatable(size_t i) const = 0;
};

class Collation {
public:
    virtual ~Collation() = default;

    // 1, 2 or 3 when a sorts before, with or after b; 0 when it fails.
    // A failure must come from a text that cannot be collated: such a text
    // fails every comparison, with itself too. Sorting relies on that.
    virtual int Compare(std::string_view a, std::string_view b) const = 0;

    // The texts must outlive the batch. The default compares through Compare.
    virtual std::unique_ptr<CollationBatch> Prepare(const std::vector<std::string_view>& texts) const;
};

// Byte order, as std::string compares; handy for tests and tools.
class ByteCollation final : public Collation {
public:
    int Compare(std::string_view a, std::string_view b) const override;
};

} // namespace velt
