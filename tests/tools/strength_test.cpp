// The strength estimate: class tests and alphabet sizes, combinations in
// extended precision, the wording of the time, and both number formats in
// English and Polish separators.
#include "tools/strength.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <iostream>
#include <limits>

#include "core/resource_strings.h"
#include "tools/number_format.h"

namespace velt {
namespace {

TEST(Strength, AlphabetSizeTakesTheFirstClassThatHolds) {
    struct Case {
        const char* text;
        int size;
    } cases[] = {
        {"", 10}, {"0123456789", 10}, {"ABCZ", 26}, {"abcz", 26}, {"abc123", 36}, {"0z", 36},
        {"ABC123", 36}, {"AbC", 52}, {"zA", 52}, {"Ab1", 62}, {"a b", 255}, {"abc!", 255},
        {"\xB9", 255},   // a Polish letter in cp1250
        {"@", 255}, {"[", 255}, {"`", 255}, {"{", 255}, {"/", 255}, {":", 255},  // neighbours of the ranges
    };
    for (const Case& c : cases) EXPECT_EQ(AlphabetSize(c.text), c.size) << '"' << c.text << '"';
    // Every test holds for the empty text; the mixed ones only where stated.
    EXPECT_TRUE(IsDigitsOnly("") && IsUpperOnly("") && IsLowerOnly("") && IsDigitsLower("") &&
                IsDigitsUpper("") && IsLettersOnly("") && IsAlphanumeric(""));
    EXPECT_FALSE(IsDigitsLower("aB1"));
    EXPECT_FALSE(IsDigitsUpper("aB1"));
    EXPECT_FALSE(IsLettersOnly("aB1"));
    EXPECT_TRUE(IsAlphanumeric("aB1"));
    EXPECT_FALSE(IsAlphanumeric(std::string("a\0b", 3)));
}

TEST(Strength, CombinationsInExtendedPrecision) {
    EXPECT_EQ(Combinations(10, 0), 1.0L);
    EXPECT_EQ(Combinations(26, 3), 17576.0L);
    EXPECT_EQ(Combinations(52, 3), 140608.0L);
    EXPECT_EQ(Combinations(62, 3), 238328.0L);
    EXPECT_EQ(Combinations(10, 19), 1e19L);  // exact only with a 64-bit mantissa
    EXPECT_TRUE(std::isfinite(Combinations(255, 2049)));
    EXPECT_TRUE(std::isinf(Combinations(255, 2050)));
    EXPECT_TRUE(std::isfinite(Combinations(62, 2751)));
    EXPECT_TRUE(std::isinf(Combinations(62, 2752)));
}

TEST(Strength, LongDoubleIsX87Extended) {
    volatile long double one = 1;
    volatile long double tiny = std::ldexp(1.0L, -63);
    std::cout << "LDBL_MANT_DIG=" << LDBL_MANT_DIG << ", 1 + 2^-63 "
              << ((one + tiny) != one ? "differs from 1" : "rounds to 1") << "\n";
#if defined(_WIN32)
    // mingw keeps the full 64-bit mantissa, and its start-up leaves the x87
    // precision control there (the system default would be 53 bits).
    EXPECT_EQ(LDBL_MANT_DIG, 64);
    EXPECT_NE(one + tiny, one);
    EXPECT_GT(std::numeric_limits<long double>::max(), 1e4932L);
#endif
}

// The probe's value after 1025 rounds, worked out in integers: the trip
// through floating point must give back every 32-bit value exactly (a
// float or double step would lose the high values).
TEST(Strength, TimingProbeRoundTripsEveryValue) {
    for (std::uint32_t seed : {0u, 1u, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu, 0x12345678u}) {
        std::uint32_t v = seed;
        for (int round = 0; round < 1025; ++round) v = (v * 500u + 12u) ^ 0xA5C17u;
        EXPECT_EQ(TimingProbe(seed), v) << seed;
    }
}

TEST(NumberFormat, ScientificTwoDigits) {
    struct Case {
        long double value;
        const char* text;
    } cases[] = {
        {1, "1.0E+000"}, {17576, "1.8E+004"}, {140608, "1.4E+005"}, {238328, "2.4E+005"},
        {218340105584896.0L, "2.2E+014"}, {0, "0.0E+000"}, {0.5L, "5.0E-001"}, {9.96L, "1.0E+001"},
        {1e100L, "1.0E+100"}, {Combinations(62, 20), "7.0E+035"}, {Combinations(255, 2000), "1.2E+4813"},
    };
    for (const Case& c : cases) EXPECT_EQ(FormatScientific(c.value), c.text);
}

TEST(NumberFormat, FixedWithThousandsThenGeneralFrom1e18) {
    struct Case {
        long double value;
        const char* text;
    } cases[] = {
        {0, "0.00"}, {0.004L, "0.00"}, {59.999L, "60.00"}, {999.999L, "1,000.00"}, {12345.678L, "12,345.68"},
        {1234567.891L, "1,234,567.89"}, {-1234.5L, "-1,234.50"}, {-0.001L, "0.00"},
        {999999999999999999.0L, "999,999,999,999,999,999.00"}, {1e18L, "1E18"}, {2.5e20L, "2.5E20"},
        {123456789012345678901234.0L, "1.23456789012345679E23"}, {1e300L, "1E300"},
    };
    for (const Case& c : cases) EXPECT_EQ(FormatNumber(c.value), c.text);
    EXPECT_EQ(FormatWithNumber("%.2n%% of %.2n", 1), "1.00% of 1.00");
    EXPECT_EQ(FormatWithNumber("%d %.3n", 1), "%d %.3n");
}

TEST(Strength, CrackingTimeWording) {
    const std::int64_t f = 10000000;
    const long double day = 86400;
    struct Case {
        std::int64_t frequency;
        long double seconds;
        const char* text;
    } cases[] = {
        {f, 0, "0.00 seconds"},
        {f, 59.999999L, "60.00 seconds"},  // the unit is chosen before rounding
        {f, 60, "1.00 minutes"},
        {f, 3600, "1.00 hours"},
        {f, 30 * day, "30.00 days"},
        {f, 30.5L * day, "1.00 months"},
        {f, 31 * day, "1.02 months"},
        {f, 356 * day, "1.00 years"},
        {f, 12345.678L * 356 * day, "12,345.68 years"},
        {f, 2.5e20L * 356 * day, "2.5E20 years"},
        {0, 5, "No system clock"},
        {-1, 5, "No system clock"},
        {f, std::numeric_limits<long double>::infinity(), "Too large to compute"},
        {f, std::numeric_limits<long double>::quiet_NaN(), "Too large to compute"},
    };
    for (const Case& c : cases) EXPECT_EQ(CrackingTimeText(c.frequency, c.seconds), c.text) << c.text;
}

class FakeClock : public PerformanceClock {
public:
    FakeClock(std::int64_t frequency, std::int64_t step) : frequency_(frequency), step_(step) {}
    std::int64_t Counter() override { return now_ += step_; }
    std::int64_t Frequency() override { return frequency_; }

private:
    std::int64_t frequency_, step_, now_ = 1000;
};

TEST(Strength, EstimateOfOneCheck) {
    struct Case {
        std::string text;
        std::int64_t frequency;
        const char* combinations;
        const char* time;
    } cases[] = {
        {"", 10000000, "1.0E+000", "0.00 seconds"},
        {"abc", 10000000, "1.8E+004", "0.00 seconds"},
        {"Ab1", 0, "2.4E+005", "No system clock"},
        // 62^20 / 1024 * 100 / 10^7 s, in years of 356 days.
        {"aB3dE5gH7jK9mN1pQ3sT", 10000000, "7.0E+035", "2.23650613006768966E20 years"},
        {std::string(2050, '!'), 10000000, "Too large to compute", "Too large to compute"},
    };
    for (const Case& c : cases) {
        FakeClock clock(c.frequency, 100);
        StrengthEstimate e = EstimateStrength(c.text, clock);
        EXPECT_EQ(e.length, c.text.size());
        EXPECT_EQ(e.elapsed, 100);
        EXPECT_EQ(e.combinationsText, c.combinations) << c.text.substr(0, 20);
        EXPECT_EQ(e.timeText, c.time) << c.text.substr(0, 20);
    }
    // The largest text still in range; repeated squaring leaves the last
    // of 18 digits uncertain, so only the first ones are compared.
    FakeClock clock(10000000, 100);
    StrengthEstimate longest = EstimateStrength(std::string(2049, '!'), clock);
    EXPECT_EQ(longest.combinationsText, "1.0E+4931");
    EXPECT_EQ(longest.timeText.substr(0, 12), "3.1810171612");
    EXPECT_EQ(longest.timeText.substr(longest.timeText.size() - 11), "E4915 years");
    // N / 1024 * D / F: 238328 tries at one count per 1024 tries, one count a second.
    FakeClock slow(1, 1024);
    EXPECT_EQ(EstimateStrength("Ab1", slow).seconds, 238328.0L);
}

std::u16string ToPolish(const std::u16string& text) {
    if (text == u"%.2n days") return u"%.2n dni";
    if (text == u"%.2n years") return u"%.2n lat";
    return text;
}

TEST(NumberFormat, PolishSeparatorsAndFormats) {
    SetNumberSeparators({",", "\xA0"});
    SetResourceTranslator(&ToPolish);
    EXPECT_EQ(FormatScientific(17576), "1,8E+004");
    EXPECT_EQ(FormatNumber(12345.678L), "12\xA0" "345,68");
    EXPECT_EQ(FormatNumber(2.5e20L), "2,5E20");
    EXPECT_EQ(CrackingTimeText(1, 30 * 86400.0L), "30,00 dni");
    EXPECT_EQ(CrackingTimeText(1, 1234567.0L * 356 * 86400), "1\xA0" "234\xA0" "567,00 lat");
    SetResourceTranslator(nullptr);
    SetNumberSeparators({});
    EXPECT_EQ(FormatNumber(12345.678L), "12,345.68");
}

} // namespace
} // namespace velt
