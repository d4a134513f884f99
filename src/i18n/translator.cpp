#include "i18n/translator.h"

#include <vector>

#include "i18n/file_locator.h"
#include "i18n/translator_errors.h"
#include "i18n/translator_service.h"

namespace velt::i18n {

namespace {

struct ModuleState {
    std::string executablePath;
    std::unique_ptr<TFileLocator> locator;
    std::vector<std::string> resourceDomains;
    std::unique_ptr<RwLock> resourceDomainsLock;
    std::unique_ptr<TTranslator> translator;
    bool ntFamily = true;
    bool started = false;
};

ModuleState g_module;

bool IsOwnerThread() {
    TTranslator* t = g_module.translator.get();
    return t && std::this_thread::get_id() == t->OwnerThreadId();
}

std::u16string TranslateThroughService(const std::u16string& text) { return TranslateResourceText(text); }

TTranslator& RequireTranslator() {
    if (!g_module.translator) throw ETranslator("The translation service has not been started.");
    return *g_module.translator;
}

} // namespace

void StartTranslationModule(const ModuleServices& services) {
    StopTranslationModule();
    g_module.executablePath = services.executablePath;
    g_module.locator = std::make_unique<TFileLocator>(*services.files, g_module.executablePath,
                                                      services.embeddedTablePosition, services.makeLock());
    g_module.locator->ReadEmbeddedTable();
    // Velt's own texts have their Polish in a second domain; the original
    // catalogue answers first.
    g_module.resourceDomains = {"default", "velt"};
    g_module.resourceDomainsLock = services.makeLock();
    TranslatorServices translatorServices{*g_module.locator, *services.files, *services.locale, *services.messages};
    g_module.translator = std::make_unique<TTranslator>(translatorServices, DirectoryOf(g_module.executablePath));
    g_module.ntFamily = services.ntFamily;
    // Redirect the routes: by record, by identifier, formatted.
    SetResourceReader(services.resourceReader);
    SetOwnerThreadTest(&IsOwnerThread);
    SetIdentifierReader(services.identifierReader);
    SetResourceTranslator(&TranslateThroughService);
    g_module.started = true;
}

void StopTranslationModule() {
    g_module.translator.reset();
    g_module.resourceDomainsLock.reset();
    g_module.resourceDomains.clear();
    if (g_module.started) {
        // Undone in the order: formatted and by-identifier routes, then by record.
        SetResourceTranslator(nullptr);
        SetIdentifierReader(nullptr);
        SetOwnerThreadTest(nullptr);
        SetResourceReader(nullptr);
    }
    g_module.locator.reset();
    g_module.executablePath.clear();
    g_module.started = false;
}

bool TranslationModuleStarted() { return g_module.started; }
TTranslator* Translator() { return g_module.translator.get(); }
TFileLocator* Locator() { return g_module.locator.get(); }
bool IsNtFamily() { return g_module.ntFamily; }

void ChooseLanguage(const std::string& code) { RequireTranslator().ChooseLanguage(code); }

std::string CurrentLanguage() { return RequireTranslator().CurrentLanguage(); }

void TranslateComponent(TComponent& component, const std::string& domain) {
    RequireTranslator().TranslateComponent(component, domain);
}

void RetranslateComponent(TComponent& component) { RequireTranslator().RetranslateComponent(component); }

std::u16string TranslateResourceText(const std::u16string& text) {
    if (text.empty()) return text;
    RwLock* lock = g_module.resourceDomainsLock.get();
    TTranslator* translator = g_module.translator.get();
    if (!lock || !translator) return text;
    ReadGuard guard(*lock);
    std::u16string answer = text;
    for (const std::string& domain : g_module.resourceDomains) {
        answer = translator->TranslateInDomain(domain, text);
        if (answer != text) return answer;
    }
    return answer;
}

void UseReadableCatalogue(const std::function<void(const Exception&)>& report) {
    TTranslator* service = Translator();
    if (!service) return;
    try {
        service->Translate(std::u16string());
    } catch (const ETranslator& e) {
        report(e);
        ChooseLanguage("en");
    }
}

} // namespace velt::i18n
