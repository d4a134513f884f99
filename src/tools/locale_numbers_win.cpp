#include "tools/locale_numbers_win.h"

#include <windows.h>

namespace velt {

namespace {

std::string LocaleText(LCTYPE type, const std::string& fallback) {
    char buf[16];
    int n = GetLocaleInfoA(LOCALE_USER_DEFAULT, type, buf, sizeof buf);
    if (n <= 0) return fallback;
    return std::string(buf, static_cast<size_t>(n - 1));
}

} // namespace

NumberSeparators UserNumberSeparators() {
    NumberSeparators s;
    s.decimal = LocaleText(LOCALE_SDECIMAL, s.decimal);
    s.thousands = LocaleText(LOCALE_STHOUSAND, s.thousands);
    return s;
}

void InstallUserNumberSeparators() { SetNumberSeparators(UserNumberSeparators()); }

} // namespace velt
