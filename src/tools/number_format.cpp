#include "tools/number_format.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace velt {

namespace {

NumberSeparators g_separators;

// A value as d.ddd x 10^exponent with the given number of significant
// digits, correctly rounded by the C library. The library's own decimal
// point (whatever its locale) is skipped: only digits are kept.
struct Decimal {
    bool negative = false;
    std::string digits;
    int exponent = 0;
};

Decimal ToDecimal(long double value, int significant) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*Le", significant - 1, value);
    Decimal d;
    const char* p = buf;
    if (*p == '-') { d.negative = true; ++p; }
    for (; *p && *p != 'e' && *p != 'E'; ++p)
        if (*p >= '0' && *p <= '9') d.digits += *p;
    if (*p) d.exponent = std::atoi(p + 1);
    return d;
}

std::string NonFinite(long double value) {
    if (std::isnan(value)) return "NAN";
    return value < 0 ? "-INF" : "INF";
}

std::string PaddedExponent(int exponent, int width) {
    std::string digits = std::to_string(exponent < 0 ? -exponent : exponent);
    if (static_cast<int>(digits.size()) < width) digits.insert(0, width - digits.size(), '0');
    return digits;
}

bool AllZero(const std::string& digits) { return digits.find_first_not_of('0') == std::string::npos; }

std::string General18(long double value) {
    Decimal d = ToDecimal(value, 18);
    std::string digits = d.digits;
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
    std::string out = d.negative ? "-" : "";
    out += digits[0];
    if (digits.size() > 1) out += g_separators.decimal + digits.substr(1);
    out += 'E';
    if (d.exponent < 0) out += '-';
    return out + PaddedExponent(d.exponent, 2);
}

} // namespace

void SetNumberSeparators(const NumberSeparators& separators) { g_separators = separators; }
const NumberSeparators& CurrentNumberSeparators() { return g_separators; }

std::string FormatScientific(long double value) {
    if (!std::isfinite(value)) return NonFinite(value);
    Decimal d = ToDecimal(value, 2);
    std::string out = d.negative ? "-" : "";
    out += d.digits[0];
    out += g_separators.decimal;
    out += d.digits[1];
    out += 'E';
    out += d.exponent < 0 ? '-' : '+';
    return out + PaddedExponent(d.exponent, 3);
}

std::string FormatNumber(long double value) {
    if (!std::isfinite(value)) return NonFinite(value);
    if (std::fabs(value) >= 1e18L) return General18(value);
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.2Lf", value);
    const char* p = buf;
    bool negative = *p == '-';
    if (negative) ++p;
    std::string whole, fraction;
    for (; *p >= '0' && *p <= '9'; ++p) whole += *p;
    for (; *p; ++p)
        if (*p >= '0' && *p <= '9') fraction += *p;
    // Just under 10^18 can round up to 19 digits before the point.
    if (whole.size() > 18) return General18(value);
    std::string out = negative && !(AllZero(whole) && AllZero(fraction)) ? "-" : "";
    for (std::size_t i = 0; i < whole.size(); ++i) {
        if (i > 0 && (whole.size() - i) % 3 == 0) out += g_separators.thousands;
        out += whole[i];
    }
    return out + g_separators.decimal + fraction;
}

std::string FormatWithNumber(const std::string& format, long double value) {
    std::string out;
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format.compare(i, 4, "%.2n") == 0) {
            out += FormatNumber(value);
            i += 3;
        } else if (format.compare(i, 2, "%%") == 0) {
            out += '%';
            ++i;
        } else {
            out += format[i];
        }
    }
    return out;
}

} // namespace velt
