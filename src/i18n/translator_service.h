// TTranslator: the translation service. Holds the current language and the
// text domains, and answers lookups from their catalogues.
#pragma once
#include <deque>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "core/component.h"
#include "core/resource_strings.h"
#include "i18n/component_translation.h"
#include "i18n/domain.h"
#include "i18n/file_locator.h"
#include "i18n/system_access.h"

namespace velt::i18n {

struct TranslatorServices {
    TFileLocator& locator;
    FileAccess& files;
    LocaleSource& locale;
    MessageBoxSink& messages;
};

class TTranslator {
public:
    // Chooses the language automatically and binds the domain "default" to
    // `executableDirectory` + "locale". No catalogue is opened yet.
    TTranslator(const TranslatorServices& services, const std::string& executableDirectory);
    virtual ~TTranslator();
    TTranslator(const TTranslator&) = delete;
    TTranslator& operator=(const TTranslator&) = delete;

    // Empty: the automatic choice ("LANG", else the system locale).
    void ChooseLanguage(const std::string& code);
    const std::string& CurrentLanguage() const { return language_; }

    // Lookups in the default domain. The 8-bit forms widen with the ANSI
    // code page first.
    virtual std::u16string Translate(const std::string& text);
    virtual std::u16string Translate(const std::u16string& text);
    virtual std::u16string TranslateInDomain(const std::string& domain, const std::string& text);
    virtual std::u16string TranslateInDomain(const std::string& domain, const std::u16string& text);

    // Notifications for derived classes; they do nothing here.
    virtual void LanguageChanged(const std::string& code) {}
    virtual void DomainChanged(const std::string& name) {}
    virtual void DomainDirectoryChanged(const std::string& name, const std::string& directory) {}

    void SetDefaultDomain(const std::string& name);
    void SetDomainDirectory(const std::string& name, const std::string& directory);
    TDomain& FindOrAddDomain(const std::string& name);

    // Reads one resource string and, on the creating thread only,
    // translates it.
    std::u16string LoadResourceText(const ResStringRec* record);

    // Component translation. The first pass translates every text property
    // reachable from the component and leaves a marker holding the English
    // values; later passes replay them after a language change. An empty
    // domain means the default domain.
    void TranslateComponent(TComponent& component, const std::string& domain = "");
    void RetranslateComponent(TComponent& component);
    void GlobalIgnoreClassProperty(const ClassInfo& targetClass, const std::string& propertyName);
    void TranslateObjectTree(TPersistent* root, const std::string& domain);
    void TranslateOneProperty(TPersistent& object, const PropInfo& property, const std::string& domain,
                              std::deque<TPersistent*>& workList);
    void TranslateLines(TStrings& list, const std::string& domain);

    const std::vector<TClassMode>& GlobalClassRules() const { return globalClassRules_; }
    TRetranslator* ActiveRetranslator() const { return activeRetranslator_; }
    MessageBoxSink& Messages() const { return services_.messages; }

    std::thread::id OwnerThreadId() const { return ownerThreadId_; }
    const std::string& DefaultDomainName() const { return defaultDomain_; }
    const std::string& DefaultDirectory() const { return defaultDirectory_; }
    const std::vector<std::unique_ptr<TDomain>>& Domains() const { return domains_; }

private:
    TranslatorServices services_;
    DomainServices domainServices_;
    std::thread::id ownerThreadId_;
    std::string language_;
    std::string defaultDomain_ = "default";
    std::string defaultDirectory_;
    std::vector<std::unique_ptr<TDomain>> domains_;
    std::vector<TClassMode> globalClassRules_;
    TRetranslator* activeRetranslator_ = nullptr;  // only during a first pass
};

// The lookup's line-break rules: carriage returns leave the key, and the
// answer gets a carriage return before every line feed that lacks one.
std::string WithoutCarriageReturns(std::string utf8);
std::string WithCrLf(const std::string& utf8);

} // namespace velt::i18n
