// The one place the importer reaches the project's wipe helper, so moving
// that helper elsewhere changes a single include and line here.
#pragma once
#include <cstddef>
#include <string>

#include "vault/cell_store.h"

namespace velt::import {

inline void Wipe(void* p, std::size_t n) noexcept { WipeBytes(p, n); }

// The whole capacity: bytes past size() may still hold an older, longer text.
template <typename String>
void Wipe(String& s) noexcept {
    Wipe(s.data(), s.capacity() * sizeof(typename String::value_type));
    s.clear();
}

// Grows s to hold at least n units without leaving the old buffer unwiped
// on the heap when it has to move.
template <typename String>
void ReserveWiped(String& s, std::size_t n) {
    if (s.capacity() >= n) return;
    String bigger;
    bigger.reserve(n < 2 * s.capacity() ? 2 * s.capacity() : n);
    bigger.assign(s.data(), s.size());
    Wipe(s);
    s.swap(bigger);
}

} // namespace velt::import
