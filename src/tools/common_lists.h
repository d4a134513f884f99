// The lists attackers try first, compiled in: the 30,000 most common
// passwords, and common English and Polish words and first names. Both are
// lower-case UTF-8, sorted by bytes, without duplicates, generated at build
// time from their published packages (scripts/make-lists.py).
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velt {

// Entries front-coded in blocks: each is a byte below 0x20 that counts the
// bytes it shares with the entry before it (0 at a block's head), then the
// rest of its bytes, all above 0x20. A lookup is a binary search over the
// blocks' heads and a walk through one block.
struct FrontCodedList {
    static constexpr std::size_t kBlock = 16;
    static constexpr std::size_t kMaxEntry = 63;
    const unsigned char* bytes;
    std::size_t size;
    const std::uint32_t* blocks;  // offset of each block's head
    std::size_t blockCount;
    std::size_t count;
};

bool Contains(const FrontCodedList& list, std::string_view key);
// Every entry in order (for tests).
std::vector<std::string> Entries(const FrontCodedList& list);

const FrontCodedList& CommonPasswords();
const FrontCodedList& CommonWords();

// A list with a bit per hash of its entries in front: most texts that are
// not in it are told by one bit, without a search. Built on first use.
class IndexedList {
public:
    explicit IndexedList(const FrontCodedList& list);
    bool Contains(std::string_view key) const;

private:
    static constexpr int kBits = 18;
    static std::uint32_t Slot(std::string_view text);
    const FrontCodedList& list_;
    std::vector<std::uint32_t> bits_;
};

const IndexedList& CommonPasswordIndex();
const IndexedList& CommonWordIndex();

} // namespace velt
