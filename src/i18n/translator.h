// The localisation module: the one translation service and catalogue
// locator of the process, and the entry points the rest of the program uses.
//
// Windows programs start it with StartLocalisation() (localisation_win.h)
// first thing in main and stop it last; tests start it with their own
// services through StartTranslationModule().
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "core/errors.h"
#include "core/resource_strings.h"
#include "i18n/system_access.h"

namespace velt {
class TComponent;
}

namespace velt::i18n {

class TTranslator;
class TFileLocator;

// Everything the module needs from the system.
struct ModuleServices {
    FileAccess* files = nullptr;
    LocaleSource* locale = nullptr;
    MessageBoxSink* messages = nullptr;
    std::unique_ptr<RwLock> (*makeLock)() = &MakeStdRwLock;
    std::string executablePath;
    std::uint64_t embeddedTablePosition = 0;  // the number behind the marker
    ResourceReader resourceReader = nullptr;      // 16-bit, by record (null: built-in English)
    IdentifierReader identifierReader = nullptr;  // 8-bit, by identifier (null: built-in English)
    bool ntFamily = true;
};

// Start-up, in this order: the executable path, the locator (which reads
// the embedded-file table), the resource-string domains and their lock,
// the service (automatic language, domain "default" bound to "locale"
// beside the executable), the system family, and last every resource-string
// route redirected through the service.
void StartTranslationModule(const ModuleServices& services);
// Shutdown in reverse: the service (its domains release their catalogues),
// the resource-string domains and lock, the redirections, the locator, the
// executable path. Safe to call when not started.
void StopTranslationModule();
bool TranslationModuleStarted();

// The service and the locator; null when the module is not started.
TTranslator* Translator();
TFileLocator* Locator();
bool IsNtFamily();

// Sets the interface language for every domain ("" chooses automatically).
// Raises ETranslator when the module is not started.
void ChooseLanguage(const std::string& code);

// A catalogue on disk that cannot be read (cut short, empty, not a
// catalogue at all) would fail every text the program fetches, the password
// prompt's first. Opens the current language's catalogue now; on failure
// hands the error to `report` once and goes on in English.
void UseReadableCatalogue(const std::function<void(const Exception&)>& report);
// The current language code, such as "pl_PL", "pl", "en" or "C".
std::string CurrentLanguage();

// Translates every text property reachable from the component (a window
// and everything it owns) into the current language, remembering the
// English values. Once per component: after a language change use
// RetranslateComponent. An empty domain means the default domain.
void TranslateComponent(TComponent& component, const std::string& domain = "");
// Looks every remembered value up again in the current language. Raises
// ETranslatorProgrammingError for a component never translated.
void RetranslateComponent(TComponent& component);

// What every resource string passes through: the first answer of the
// resource-string domains that differs from the text. Empty stays empty;
// before start-up and after shutdown the text comes back unchanged.
std::u16string TranslateResourceText(const std::u16string& text);

} // namespace velt::i18n
