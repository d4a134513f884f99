// The password strength estimate behind "Check password strength": the
// alphabet a text is drawn from, the number of combinations a brute-force
// search must try, and the time it would take, with the cost of one try
// measured on the spot.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace velt {

// Character-class tests on bytes; each holds for the empty text.
bool IsDigitsOnly(std::string_view text);    // 0-9
bool IsUpperOnly(std::string_view text);     // A-Z
bool IsLowerOnly(std::string_view text);     // a-z
bool IsDigitsLower(std::string_view text);   // 0-9 a-z
bool IsDigitsUpper(std::string_view text);   // 0-9 A-Z
bool IsLettersOnly(std::string_view text);   // A-Z a-z
bool IsAlphanumeric(std::string_view text);  // 0-9 A-Z a-z

// The first class above that holds gives 10, 26, 26, 36, 36, 52 or 62;
// anything else 255.
int AlphabetSize(std::string_view text);

// alphabetSize ^ length by repeated squaring in extended precision; length 0
// gives exactly 1. Infinite beyond the long double range.
long double Combinations(int alphabetSize, std::size_t length);

// The fixed calculation whose duration stands for the cost of 1024 tries:
// 1025 rounds of v = round(float(v * 500 + 12)) xor 0xA5C17. The caller
// times it; the returned value only keeps the optimiser from dropping it.
std::uint32_t TimingProbe(std::uint32_t v);

// T = N / 1024 * D / F, in that order.
long double CrackingSeconds(long double combinations, std::int64_t elapsedCounts,
                            std::int64_t frequency);

// Label4's text: "%.2e" of N, or IDS_BEYOND_RANGE when N is not finite.
std::string CombinationsText(long double combinations);

// Label5's text: "No system clock" when frequency <= 0; IDS_BEYOND_RANGE for
// a time that is not finite; else seconds, minutes, hours, days, months of
// 30.5 days or years of 356 days, in the current language.
std::string CrackingTimeText(std::int64_t frequency, long double seconds);

// The high-resolution counter that times the probe.
class PerformanceClock {
public:
    virtual ~PerformanceClock() = default;
    virtual std::int64_t Counter() = 0;
    virtual std::int64_t Frequency() = 0;  // counts per second; <= 0 when absent
};

struct StrengthEstimate {
    int alphabetSize = 0;           // S
    std::size_t length = 0;         // L
    long double combinations = 0;   // N
    std::int64_t frequency = 0;     // F
    std::int64_t elapsed = 0;       // D
    long double seconds = 0;        // T; 0 when F <= 0
    std::string combinationsText;   // for Label4
    std::string timeText;           // for Label5
};

// One click on "Check": everything above for the typed text.
StrengthEstimate EstimateStrength(std::string_view password, PerformanceClock& clock);

} // namespace velt
