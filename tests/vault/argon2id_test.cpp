// Argon2id from the reference code, against RFC 9106's test vector and
// Debian's argon2 command, an independent build of the same algorithm.
#include "vault/argon2id.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "support/freed_memory.h"
#include "support/known_vault.h"
#include "vault/strong_format.h"

namespace velt {
namespace {

std::string Tag(std::string_view password, std::string_view salt, Argon2Cost cost, size_t size = 32,
                std::string_view secret = {}, std::string_view associated = {}) {
    std::string out(size, '\0');
    Argon2id(password, salt, cost, reinterpret_cast<unsigned char*>(&out[0]), size, secret, associated);
    return out;
}

// The command's raw tag in hex; it reads the password from stdin and takes
// the salt as an argument, so both are text here.
std::string CommandTag(const std::string& password, const std::string& salt, Argon2Cost cost) {
    const std::string command = "printf '%s' '" + password + "' | argon2 '" + salt + "' -id -t " +
                                std::to_string(cost.passes) + " -k " + std::to_string(cost.memoryKiB) + " -p " +
                                std::to_string(cost.lanes) + " -l 32 -r";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return "no argon2 command";
    char line[128] = {};
    const bool read = std::fgets(line, sizeof line, pipe) != nullptr;
    pclose(pipe);
    std::string hex = read ? line : "no output (install argon2: scripts/install-deps.sh)";
    while (!hex.empty() && hex.back() == '\n') hex.pop_back();
    return hex;
}

TEST(Argon2id, Rfc9106TestVector) {
    EXPECT_EQ(Tag(std::string(32, '\x01'), std::string(16, '\x02'), {3, 32, 4}, 32, std::string(8, '\x03'),
                  std::string(12, '\x04')),
              test::Hex("0d640df58d78766c08c037a34a8b53c9d01ef0452d75b65eb52520e96b01e659"));
}

TEST(Argon2id, AgreesWithDebiansArgon2Command) {
#ifdef _WIN32
    GTEST_SKIP() << "Debian's argon2 command is checked in the host build";
#endif
    struct Case {
        const char* password;
        const char* salt;
        Argon2Cost cost;
    } cases[] = {
        {"correct horse", "saltsaltsalt", {1, 8, 1}},
        {"correct horse", "saltsaltsalt", {3, 64, 1}},
        {"Has\xb3o g\xb3\xf3wne", "0123456789abcdef", {2, 1024, 4}},  // 8-bit bytes, four lanes
        {"x", "0123456789abcdef", {1, 256, 16}},
        {"ab", "0123456789abcdef", {4, 100, 3}},  // m not a multiple of 4p: rounded down
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.password);
        EXPECT_EQ(test::ToHex(Tag(c.password, c.salt, c.cost)), CommandTag(c.password, c.salt, c.cost));
    }
}

TEST(Argon2id, RefusalsRaiseAndMemoryThatCannotBeHadSaysSo) {
    unsigned char out[32];
    EXPECT_THROW(Argon2id("pw", "short", {1, 64, 1}, out, sizeof out), ECryptoError);  // salt under 8 bytes
    EXPECT_THROW(Argon2id("pw", "saltsalt", {0, 64, 1}, out, sizeof out), ECryptoError);
    test::AllocationLimit limit(1 << 20);
    try {
        Argon2id("pw", "saltsalt", {1, 2048, 1}, out, sizeof out);
        ADD_FAILURE() << "derived";
    } catch (const EKeyOutOfMemory& e) {
        EXPECT_NE(std::string(e.what()).find("not enough free memory"), std::string::npos) << e.what();
    }
}

} // namespace
} // namespace velt
