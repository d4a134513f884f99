// The automatic choice of the interface language.
#pragma once
#include <cstdint>
#include <string>

#include "i18n/system_access.h"

namespace velt::i18n {

// "pl_PL" from the user locale's ISO names, else from the thread locale's
// identifier, else "C".
std::string SystemLanguageCode(LocaleSource& locale);

// The code for the thread locale identifier, "C" when it has none.
std::string LanguageCodeForLocaleId(std::uint32_t localeId);

// "LANG" when set and not empty, else the system's code; cut before its
// first "." (pl_PL.UTF-8 gives pl_PL).
std::string AutomaticLanguageCode(LocaleSource& locale);

} // namespace velt::i18n
