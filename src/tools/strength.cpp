#include "tools/strength.h"

#include <cmath>

#include "core/resource_strings.h"
#include "tools/number_format.h"

namespace velt {

namespace {

bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }
bool IsUpper(unsigned char c) { return c >= 'A' && c <= 'Z'; }
bool IsLower(unsigned char c) { return c >= 'a' && c <= 'z'; }

template <typename Allowed>
bool All(std::string_view text, Allowed allowed) {
    for (unsigned char c : text)
        if (!allowed(c)) return false;
    return true;
}

// Read at run time, so the compiler cannot work the probe out in advance.
volatile std::uint32_t g_probeSeed = 1;
volatile std::uint32_t g_probeSink;

} // namespace

bool IsDigitsOnly(std::string_view t) { return All(t, IsDigit); }
bool IsUpperOnly(std::string_view t) { return All(t, IsUpper); }
bool IsLowerOnly(std::string_view t) { return All(t, IsLower); }
bool IsDigitsLower(std::string_view t) { return All(t, [](unsigned char c) { return IsDigit(c) || IsLower(c); }); }
bool IsDigitsUpper(std::string_view t) { return All(t, [](unsigned char c) { return IsDigit(c) || IsUpper(c); }); }
bool IsLettersOnly(std::string_view t) { return All(t, [](unsigned char c) { return IsUpper(c) || IsLower(c); }); }
bool IsAlphanumeric(std::string_view t) {
    return All(t, [](unsigned char c) { return IsDigit(c) || IsUpper(c) || IsLower(c); });
}

int AlphabetSize(std::string_view text) {
    if (IsDigitsOnly(text)) return 10;
    if (IsUpperOnly(text)) return 26;
    if (IsLowerOnly(text)) return 26;
    if (IsDigitsLower(text)) return 36;
    if (IsDigitsUpper(text)) return 36;
    if (IsLettersOnly(text)) return 52;
    if (IsAlphanumeric(text)) return 62;
    return 255;
}

long double Combinations(int alphabetSize, std::size_t length) {
    long double result = 1;
    long double base = alphabetSize;
    while (length > 0) {
        if (length & 1) result *= base;
        length >>= 1;
        if (length > 0) base *= base;
    }
    return result;
}

namespace {

// The compiler can no longer prove the value whole: without this it drops
// the conversion and the rounding, and the probe times three integer
// instructions instead of the calculation the estimate stands for.
inline void HideFromOptimiser(long double& value) {
#if defined(__i386__) || defined(__x86_64__)
    __asm__ volatile("" : "+t"(value));  // stays on the x87 stack
#else
    __asm__ volatile("" : "+m"(value));
#endif
}

} // namespace

std::uint32_t TimingProbe(std::uint32_t v) {
    for (int round = 0; round < 1025; ++round) {
        std::int32_t wrapped = static_cast<std::int32_t>(v * 500u + 12u);
        long double f = wrapped;
        HideFromOptimiser(f);
        // The rounding of the current mode (to nearest), one x87 store.
        v = static_cast<std::uint32_t>(std::llrint(f)) ^ 0xA5C17u;
    }
    return v;
}

long double CrackingSeconds(long double combinations, std::int64_t elapsedCounts,
                            std::int64_t frequency) {
    return combinations / 1024 * static_cast<long double>(elapsedCounts) /
           static_cast<long double>(frequency);
}

std::string CombinationsText(long double combinations) {
    if (!std::isfinite(combinations)) return ResStr(IDS_BEYOND_RANGE);
    return FormatScientific(combinations);
}

std::string CrackingTimeText(std::int64_t frequency, long double t) {
    if (frequency <= 0) return ResStr(IDS_NO_SYSTEM_CLOCK);
    if (!std::isfinite(t)) return ResStr(IDS_BEYOND_RANGE);
    // The unit is chosen before the number is rounded.
    if (t < 60) return FormatWithNumber(ResStr(IDS_TIME_SECONDS), t);
    if (t < 3600) return FormatWithNumber(ResStr(IDS_TIME_MINUTES), t / 60);
    if (t < 86400) return FormatWithNumber(ResStr(IDS_TIME_HOURS), t / 60 / 60);
    if (t < 2635200) return FormatWithNumber(ResStr(IDS_TIME_DAYS), t / 60 / 60 / 24);
    if (t < 30758400) return FormatWithNumber(ResStr(IDS_TIME_MONTHS), t / 60 / 60 / 24 / 30.5L);
    return FormatWithNumber(ResStr(IDS_TIME_YEARS), t / 60 / 60 / 24 / 356);
}

StrengthEstimate EstimateStrength(std::string_view password, PerformanceClock& clock) {
    StrengthEstimate e;
    e.length = password.size();
    e.alphabetSize = AlphabetSize(password);
    e.combinations = Combinations(e.alphabetSize, e.length);
    std::int64_t t0 = clock.Counter();
    e.frequency = clock.Frequency();
    g_probeSink = TimingProbe(g_probeSeed);
    e.elapsed = clock.Counter() - t0;
    if (e.frequency > 0) e.seconds = CrackingSeconds(e.combinations, e.elapsed, e.frequency);
    e.combinationsText = CombinationsText(e.combinations);
    e.timeText = CrackingTimeText(e.frequency, e.seconds);
    return e;
}

} // namespace velt
