#include "core/secure_memory.h"

#include <gtest/gtest.h>

namespace velt {
namespace {

// The buffer is kept by clear(), so its old bytes can be read back.
TEST(SecureMemory, WipesEveryByteTheStringHeld) {
    struct Case {
        const char* what;
        std::string text;
        size_t keep;  // the text is cut to this many bytes before the wipe
    } cases[] = {
        {"whole text", "a password long enough to live on the heap", 42},
        {"an earlier, longer text beyond the size", "a password long enough to live on the heap", 3},
    };
    for (Case& c : cases) {
        const char* p = c.text.data();
        const size_t n = c.text.size();
        c.text.resize(c.keep);
        WipeString(c.text);
        EXPECT_TRUE(c.text.empty()) << c.what;
        EXPECT_EQ(c.text.data(), p) << c.what;
        EXPECT_EQ(std::string(p, n), std::string(n, '\0')) << c.what;
    }
}

TEST(SecureMemory, ScopedWipeOnEveryWayOutUnlessReleased) {
    unsigned char key[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    try {
        ScopedWipe wipe(key, sizeof key);
        throw 1;
    } catch (int) {
    }
    EXPECT_EQ(std::string(reinterpret_cast<char*>(key), 8), std::string(8, '\0'));

    unsigned char sealed[2] = {9, 9};
    {
        ScopedWipe wipe(sealed, sizeof sealed);
        wipe.Release();
    }
    EXPECT_EQ(sealed[0], 9);
}

} // namespace
} // namespace velt
