// SipHash-2-4: a keyed 64-bit hash whose collisions cannot be chosen without
// the key. For hash tables fed with outside data, keyed afresh each time.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace velt {

class SipHash {
public:
    using Key = std::uint8_t[16];

    explicit SipHash(const Key key);
    // The state and the unfinished word hold key and message bytes: wiped.
    ~SipHash();
    SipHash(const SipHash&) = delete;
    SipHash& operator=(const SipHash&) = delete;
    // Appends bytes to the message; any split of a message gives the same hash.
    void Update(std::string_view bytes);
    // The hash of everything appended. Call once.
    std::uint64_t Finish();

private:
    std::uint64_t v0_, v1_, v2_, v3_;
    std::uint64_t tail_ = 0;  // the bytes of an unfinished word, low first
    std::uint64_t length_ = 0;
};

} // namespace velt
