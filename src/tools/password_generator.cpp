#include "tools/password_generator.h"

namespace velt {

namespace {

char Pick(RandomByteSource& source, std::string_view pool) {
    return pool[RandomBelow(source, static_cast<std::uint32_t>(pool.size()))];
}

} // namespace

std::string GenerateRandomPassword(RandomByteSource& source) {
    std::string password;
    for (int i = 0; i < kGeneratedPasswordLength; ++i) password += Pick(source, kRandomPool);
    return password;
}

std::string GenerateSimplePassword(RandomByteSource& source) {
    std::string password;
    for (int i = 0; i < kGeneratedPasswordLength / 2; ++i) {
        password += Pick(source, kConsonantPool);
        password += Pick(source, kVowelPool);
    }
    return password;
}

std::string GenerateNumericalPassword(RandomByteSource& source) {
    std::string password;
    for (int i = 0; i < kGeneratedPasswordLength; ++i)
        password += static_cast<char>('0' + RandomBelow(source, 10));
    return password;
}

} // namespace velt
