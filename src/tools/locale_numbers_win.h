// The user locale's decimal and thousands separators, for the strength
// estimate's number formats.
#pragma once
#include "tools/number_format.h"

namespace velt {

// GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL / LOCALE_STHOUSAND), in
// the ANSI code page; a value the system does not give keeps its default.
NumberSeparators UserNumberSeparators();

// Reads them once and hands them to the portable formatter (program start).
void InstallUserNumberSeparators();

} // namespace velt
