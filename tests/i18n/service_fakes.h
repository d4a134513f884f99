// Fakes for the translation service's locale and message boxes, and a
// fixture that starts the localisation module on in-memory files.
#pragma once
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "i18n/memory_files.h"
#include "i18n/mo_builder.h"
#include "i18n/translator.h"

namespace velt::i18n::test {

class FakeLocale : public LocaleSource {
public:
    std::map<std::string, std::string> environment;
    std::string language = "en", country = "US";
    int languageResult = 3, countryResult = 3;
    std::uint32_t threadLocale = 0x0409;

    std::string EnvironmentVariable(const std::string& name) override {
        auto it = environment.find(name);
        return it == environment.end() ? std::string() : it->second;
    }
    int IsoLanguageName(char (&buffer)[5]) override { return Copy(language, buffer, languageResult); }
    int IsoCountryName(char (&buffer)[5]) override { return Copy(country, buffer, countryResult); }
    std::uint32_t ThreadLocale() override { return threadLocale; }

private:
    static int Copy(const std::string& s, char (&buffer)[5], int result) {
        for (std::size_t i = 0; i < 5; ++i) buffer[i] = i < s.size() ? s[i] : '\0';
        return result;
    }
};

class RecordingMessages : public MessageBoxSink {
public:
    std::vector<std::pair<std::string, std::string>> shown;  // caption, text
    void Show(const std::string& caption, const std::string& text) override { shown.emplace_back(caption, text); }
};

inline const std::string kExe = "C:\\Velt\\velt.exe";
inline const std::string kPolishName = "locale\\pl\\LC_MESSAGES\\default.mo";
inline const std::string kAddedName = "locale\\pl\\LC_MESSAGES\\velt.mo";

// The module running over an executable that carries the Polish catalogue
// (unless told otherwise), with the locale set before Start().
struct ModuleFixture {
    MemoryFiles files;
    FakeLocale locale;
    RecordingMessages messages;
    std::map<std::string, Bytes> alsoEmbedded;  // beside the Polish catalogue

    void Start(bool embedPolish = true) {
        std::uint64_t table = 0;
        std::map<std::string, Bytes> embedded = alsoEmbedded;
        if (embedPolish) embedded[kPolishName] = PolishCatalogue();
        files.files[kExe] = ExecutableWithFiles(embedded, &table);
        ModuleServices services;
        services.files = &files;
        services.locale = &locale;
        services.messages = &messages;
        services.executablePath = kExe;
        services.embeddedTablePosition = table;
        StartTranslationModule(services);
    }
    ~ModuleFixture() { StopTranslationModule(); }
};

} // namespace velt::i18n::test
