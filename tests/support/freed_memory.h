// Test-only: the host test binary replaces the global operator new and
// delete so that, while a watch is alive, every block given back is searched
// for a marker. A secret that reaches freed memory unwiped shows up as a hit.
#pragma once
#include <cstddef>
#include <string_view>

namespace velt::test {

class FreedMemoryWatch {
public:
    // `marker` must not live on the heap (a literal).
    explicit FreedMemoryWatch(std::string_view marker);
    ~FreedMemoryWatch();
    FreedMemoryWatch(const FreedMemoryWatch&) = delete;
    FreedMemoryWatch& operator=(const FreedMemoryWatch&) = delete;

    size_t Freed() const;  // blocks given back since the watch began
    size_t Hits() const;   // of those, blocks that held the marker
};

// While alive, a nothrow allocation of more than `bytes` fails, as when the
// system has no more to give.
class AllocationLimit {
public:
    explicit AllocationLimit(size_t bytes);
    ~AllocationLimit();
    AllocationLimit(const AllocationLimit&) = delete;
    AllocationLimit& operator=(const AllocationLimit&) = delete;
};

} // namespace velt::test
