// The three password makers behind the "Additional" menu's generators.
// Every character is drawn with RandomBelow from the source passed in; the
// program passes the system's cryptographic generator, so a password cannot
// be predicted from the moment it was made.
#pragma once
#include <string>
#include <string_view>

#include "core/random_source.h"

namespace velt {

constexpr int kGeneratedPasswordLength = 20;

// RandomBelow picks an index into these, in the order written.
inline constexpr std::string_view kRandomPool =
    "qwertyuiopasdfghjklzxcvbnmQWERTYUIOPASDFGHJKLZXCVBNM1234567890";  // 62
inline constexpr std::string_view kConsonantPool = "wrtpsdfghklzcbnm";   // 16: no j q v x
inline constexpr std::string_view kVowelPool = "eyuioa";                 // 6: y is a vowel here

// 20 characters from the random pool.
std::string GenerateRandomPassword(RandomByteSource& source);
// 10 consonant-vowel pairs: 20 lowercase letters, easy to say aloud.
std::string GenerateSimplePassword(RandomByteSource& source);
// 20 decimal digits; may start with 0.
std::string GenerateNumericalPassword(RandomByteSource& source);

} // namespace velt
