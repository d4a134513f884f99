#include "i18n/language_code.h"

namespace velt::i18n {

namespace {

struct LocaleCode {
    std::uint32_t id;
    const char* code;
};

constexpr LocaleCode kLocaleCodes[] = {
    {0x0406, "da_DK"}, {0x0407, "de_DE"}, {0x0408, "el_GR"}, {0x0409, "en_US"}, {0x040A, "es_ES"},
    {0x0C0A, "es_ES"}, {0x040B, "fi_FI"}, {0x040C, "fr_FR"}, {0x040F, "is_IS"}, {0x0410, "it_IT"},
    {0x0412, "ko_KR"}, {0x0413, "nl_NL"}, {0x0414, "nb_NO"}, {0x0415, "pl_PL"}, {0x0416, "pt_BR"},
    {0x0419, "ru_RU"}, {0x041D, "sv_SE"}, {0x0809, "en_GB"}, {0x080C, "fr_BE"}, {0x0813, "nl_BE"},
    {0x0814, "nn_NO"}, {0x0816, "pt_PT"}, {0x081D, "sv_FI"}, {0x0C0C, "fr_CA"}, {0x1007, "de_LU"},
};

bool IsNo(const std::string& name) {
    return name.size() == 2 && (name[0] == 'n' || name[0] == 'N') && (name[1] == 'o' || name[1] == 'O');
}

} // namespace

std::string LanguageCodeForLocaleId(std::uint32_t localeId) {
    for (const LocaleCode& c : kLocaleCodes)
        if (c.id == localeId) return c.code;
    return "C";
}

std::string SystemLanguageCode(LocaleSource& locale) {
    char language[5] = {};
    char country[5] = {};
    // Two letters and the terminating zero each, or the names are not used.
    if (locale.IsoLanguageName(language) == 3 && locale.IsoCountryName(country) == 3) {
        std::string name(language, 2);
        return (IsNo(name) ? std::string("nb") : name) + "_" + std::string(country, 2);
    }
    return LanguageCodeForLocaleId(locale.ThreadLocale());
}

std::string AutomaticLanguageCode(LocaleSource& locale) {
    std::string code = locale.EnvironmentVariable("LANG");
    if (code.empty()) code = SystemLanguageCode(locale);
    std::size_t dot = code.find('.');
    if (dot != std::string::npos) code.resize(dot);
    return code;
}

} // namespace velt::i18n
