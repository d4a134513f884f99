// The system generator gives bytes that vary within one draw and between draws.
#include "platform/system_random.h"
#include "tools/password_generator.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

namespace {

TEST(SystemRandom, ProducesVariedBytes) {
    std::vector<unsigned char> a(4096), b(4096);
    velt::platform::SystemRandom().Fill(a.data(), a.size());
    velt::platform::SystemRandom().Fill(b.data(), b.size());
    std::set<unsigned char> distinct(a.begin(), a.end());
    // 4096 uniform bytes miss any of the 256 values with chance ~1e-7 each.
    EXPECT_GT(distinct.size(), 240u);
    EXPECT_NE(a, b);
    velt::platform::SystemRandom().Fill(nullptr, 0);  // nothing asked, nothing drawn
}

TEST(SystemRandom, FeedsTheGenerators) {
    std::string first = velt::GenerateRandomPassword(velt::platform::SystemRandom());
    std::string second = velt::GenerateRandomPassword(velt::platform::SystemRandom());
    EXPECT_EQ(first.size(), 20u);
    EXPECT_NE(first, second);
}

} // namespace
