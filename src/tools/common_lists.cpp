#include "tools/common_lists.h"

#include <algorithm>
#include <cstring>

namespace velt {

namespace {

// Walks one block's entries, rebuilding each in `entry`.
class BlockReader {
public:
    BlockReader(const FrontCodedList& list, std::size_t block)
        : p_(list.bytes + list.blocks[block]),
          end_(block + 1 < list.blockCount ? list.bytes + list.blocks[block + 1] : list.bytes + list.size) {}

    bool Next() {
        if (p_ == end_) return false;
        std::size_t n = *p_++;
        while (p_ != end_ && *p_ >= 0x20 && n < FrontCodedList::kMaxEntry) entry_[n++] = static_cast<char>(*p_++);
        length_ = n;
        return true;
    }
    std::string_view Entry() const { return {entry_, length_}; }

private:
    const unsigned char* p_;
    const unsigned char* end_;
    char entry_[FrontCodedList::kMaxEntry];
    std::size_t length_ = 0;
};

// A block's head, which is stored whole.
std::string_view Head(const FrontCodedList& list, std::size_t block) {
    const unsigned char* p = list.bytes + list.blocks[block] + 1;
    const unsigned char* q = p;
    const unsigned char* end = list.bytes + list.size;
    while (q != end && *q >= 0x20) ++q;
    return {reinterpret_cast<const char*>(p), static_cast<std::size_t>(q - p)};
}

} // namespace

bool Contains(const FrontCodedList& list, std::string_view key) {
    if (list.blockCount == 0 || key.empty() || key.size() > FrontCodedList::kMaxEntry) return false;
    // The last block whose head is not after the key.
    std::size_t lo = 0, hi = list.blockCount;
    while (hi - lo > 1) {
        const std::size_t mid = lo + (hi - lo) / 2;
        (Head(list, mid) <= key ? lo : hi) = mid;
    }
    BlockReader reader(list, lo);
    while (reader.Next()) {
        const std::string_view entry = reader.Entry();
        if (entry == key) return true;
        if (entry > key) return false;
    }
    return false;
}

IndexedList::IndexedList(const FrontCodedList& list) : list_(list), bits_((std::size_t(1) << kBits) / 32) {
    for (std::size_t b = 0; b < list.blockCount; ++b) {
        BlockReader reader(list, b);
        while (reader.Next()) {
            const std::uint32_t slot = Slot(reader.Entry());
            bits_[slot / 32] |= std::uint32_t(1) << (slot % 32);
        }
    }
}

// FNV-1a, its top bits.
std::uint32_t IndexedList::Slot(std::string_view text) {
    std::uint32_t h = 2166136261u;
    for (unsigned char c : text) h = (h ^ c) * 16777619u;
    return h >> (32 - kBits);
}

bool IndexedList::Contains(std::string_view key) const {
    const std::uint32_t slot = Slot(key);
    return (bits_[slot / 32] >> (slot % 32) & 1) && velt::Contains(list_, key);
}

const IndexedList& CommonPasswordIndex() {
    static const IndexedList index(CommonPasswords());
    return index;
}

const IndexedList& CommonWordIndex() {
    static const IndexedList index(CommonWords());
    return index;
}

std::vector<std::string> Entries(const FrontCodedList& list) {
    std::vector<std::string> all;
    all.reserve(list.count);
    for (std::size_t b = 0; b < list.blockCount; ++b) {
        BlockReader reader(list, b);
        while (reader.Next()) all.emplace_back(reader.Entry());
    }
    return all;
}

} // namespace velt
