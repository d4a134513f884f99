// The one way Velt wipes a secret (a password, a key, a plaintext) before its
// memory is given back or reused. Every wipe in the program comes here, so
// there is one implementation to audit against the optimiser.
#pragma once
#include <cstddef>
#include <string>

namespace velt {

// Zeroes n bytes at p. The stores survive optimisation even when the memory
// is freed right after.
void WipeBytes(void* p, size_t n) noexcept;

// Zeroes every byte the string holds, up to its capacity, and empties it.
template <class Char>
void WipeString(std::basic_string<Char>& s) noexcept {
    // Growing within the capacity never reallocates, and makes the bytes
    // after the text (an earlier, longer secret) part of what is wiped.
    s.resize(s.capacity());
    WipeBytes(s.data(), s.size() * sizeof(Char));
    s.clear();
}

// Makes room for at least n units without leaving the old buffer unwiped on
// the heap when the text has to move.
template <class Char>
void ReserveWiped(std::basic_string<Char>& s, size_t n) {
    if (s.capacity() >= n) return;
    std::basic_string<Char> bigger;
    bigger.reserve(n < 2 * s.capacity() ? 2 * s.capacity() : n);
    bigger.assign(s.data(), s.size());
    WipeString(s);
    s.swap(bigger);
}

// Wipes a buffer or a string on every way out of a scope.
class ScopedWipe {
public:
    ScopedWipe(void* p, size_t n) noexcept : data_(p), size_(n) {}
    explicit ScopedWipe(std::string& s) noexcept : text_(&s) {}
    ~ScopedWipe() {
        if (text_) WipeString(*text_);
        else if (data_) WipeBytes(data_, size_);
    }
    // The buffer no longer holds a secret (it was sealed, say): leave it.
    void Release() noexcept {
        data_ = nullptr;
        text_ = nullptr;
    }
    ScopedWipe(const ScopedWipe&) = delete;
    ScopedWipe& operator=(const ScopedWipe&) = delete;

private:
    void* data_ = nullptr;
    size_t size_ = 0;
    std::string* text_ = nullptr;
};

} // namespace velt
