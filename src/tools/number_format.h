// The two number formats of the strength estimate, with the decimal and
// thousands separators of the user's locale (installed at start-up; "." and
// "," until then).
#pragma once
#include <string>

namespace velt {

struct NumberSeparators {
    std::string decimal = ".";
    std::string thousands = ",";
};

void SetNumberSeparators(const NumberSeparators& separators);
const NumberSeparators& CurrentNumberSeparators();

// "%.2e": two significant digits, "E", sign and at least three exponent
// digits: 1 -> 1.0E+000, 17576 -> 1.8E+004.
std::string FormatScientific(long double value);

// "%.2n": thousands separators and two decimals (12345.678 -> 12,345.68);
// from 10^18 on, up to 18 significant digits without trailing zeros and an
// exponent of at least two digits: 2.5E20.
std::string FormatNumber(long double value);

// Puts FormatNumber(value) in place of each "%.2n" of a (translated) format
// such as "%.2n days"; "%%" gives "%", anything else is copied unchanged.
std::string FormatWithNumber(const std::string& format, long double value);

} // namespace velt
