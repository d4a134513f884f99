#include "vault/save_leftovers.h"

#include <cstdio>

namespace velt {

namespace {

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Consumes `prefix` at the front of `s`, ignoring case.
bool Eat(std::string_view& s, std::string_view prefix) {
    if (s.size() < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i)
        if (Lower(s[i]) != Lower(prefix[i])) return false;
    s.remove_prefix(prefix.size());
    return true;
}

// Consumes 1 to maxDigits digits of the kind `isDigit` accepts.
template <typename IsDigit>
bool EatDigits(std::string_view& s, size_t maxDigits, IsDigit isDigit) {
    size_t n = 0;
    while (n < s.size() && n < maxDigits && isDigit(Lower(s[n]))) ++n;
    if (n == 0 || (n < s.size() && isDigit(Lower(s[n])))) return false;
    s.remove_prefix(n);
    return true;
}

bool IsDecimal(char c) { return c >= '0' && c <= '9'; }
bool IsHex(char c) { return IsDecimal(c) || (c >= 'a' && c <= 'f'); }

} // namespace

std::string SaveTempName(const std::string& target, unsigned long processId, unsigned n) {
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, ".%lx-%u.tmp", processId, n);
    return target + suffix;
}

bool IsSaveTempName(std::string_view vaultName, std::string_view name) {
    // A process id has at most 8 hex digits; n stays below 100 and a
    // stray longer number is not ours.
    return !vaultName.empty() && Eat(name, vaultName) && Eat(name, ".") && EatDigits(name, 8, IsHex) &&
           Eat(name, "-") && EatDigits(name, 3, IsDecimal) && Eat(name, ".tmp") && name.empty();
}

unsigned long SaveTempProcessId(std::string_view vaultName, std::string_view name) {
    if (!IsSaveTempName(vaultName, name)) return 0;
    name.remove_prefix(vaultName.size() + 1);
    unsigned long pid = 0;
    for (; name.front() != '-'; name.remove_prefix(1)) {
        const char c = Lower(name.front());
        pid = pid * 16 + static_cast<unsigned long>(IsDecimal(c) ? c - '0' : c - 'a' + 10);
    }
    return pid;
}

} // namespace velt
