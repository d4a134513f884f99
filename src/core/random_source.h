// Where the password generators take their randomness from. The program
// passes the operating system's cryptographic generator; tests pass fakes.
#pragma once
#include <cstddef>
#include <cstdint>

namespace velt {

class RandomByteSource {
public:
    virtual ~RandomByteSource() = default;
    // Fills size bytes; throws velt::Exception when no randomness is available.
    virtual void Fill(unsigned char* data, std::size_t size) = 0;
};

// A whole number from 0 to n - 1, every value exactly equally likely: draws
// just enough bytes to cover n and throws away draws from the incomplete last
// block instead of folding them in with a modulo (which would favour the low
// values). n = 0 or 1 gives 0 without drawing.
std::uint32_t RandomBelow(RandomByteSource& source, std::uint32_t n);

} // namespace velt
