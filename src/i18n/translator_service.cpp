#include "i18n/translator_service.h"

#include <algorithm>

#include "core/text.h"
#include "i18n/language_code.h"
#include "i18n/translator.h"

namespace velt::i18n {

namespace {

bool SameIgnoringCase(const std::string& a, const std::string& b) {
    CaseInsensitiveLess less;
    return !less(a, b) && !less(b, a);
}

} // namespace

std::string WithoutCarriageReturns(std::string utf8) {
    utf8.erase(std::remove(utf8.begin(), utf8.end(), '\r'), utf8.end());
    return utf8;
}

std::string WithCrLf(const std::string& utf8) {
    std::string out;
    out.reserve(utf8.size() + 8);
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        if (utf8[i] == '\n' && (i == 0 || utf8[i - 1] != '\r')) out += '\r';
        out += utf8[i];
    }
    return out;
}

TTranslator::TTranslator(const TranslatorServices& services, const std::string& executableDirectory)
    : services_(services), domainServices_{services.locator, services.files, services.messages},
      ownerThreadId_(std::this_thread::get_id()),
      defaultDirectory_(WithTrailingSeparator(executableDirectory) + "locale") {
    ChooseLanguage("");
    SetDomainDirectory("default", defaultDirectory_);
    SetDefaultDomain("default");
    GlobalIgnoreClassProperty(TComponent::StaticClass(), "Name");
    GlobalIgnoreClassProperty(TCollection::StaticClass(), "PropName");
}

// Domains release their catalogues to the locator as they go.
TTranslator::~TTranslator() = default;

void TTranslator::ChooseLanguage(const std::string& code) {
    language_ = code.empty() ? AutomaticLanguageCode(services_.locale) : code;
    for (auto& domain : domains_) domain->SetLanguageCode(language_);
    LanguageChanged(language_);
}

std::u16string TTranslator::Translate(const std::string& text) { return TranslateInDomain(defaultDomain_, text); }

std::u16string TTranslator::Translate(const std::u16string& text) { return TranslateInDomain(defaultDomain_, text); }

std::u16string TTranslator::TranslateInDomain(const std::string& domain, const std::string& text) {
    return TranslateInDomain(domain, Widen(text));
}

std::u16string TTranslator::TranslateInDomain(const std::string& domain, const std::u16string& text) {
    TDomain& d = FindOrAddDomain(domain);
    std::string key = WithoutCarriageReturns(Utf16ToUtf8(text));
    return Utf8ToUtf16(WithCrLf(d.Lookup(key)));
}

void TTranslator::SetDefaultDomain(const std::string& name) {
    defaultDomain_ = name;
    DomainChanged(name);
}

void TTranslator::SetDomainDirectory(const std::string& name, const std::string& directory) {
    FindOrAddDomain(name).SetDirectory(directory);
    DomainDirectoryChanged(name, directory);
}

TDomain& TTranslator::FindOrAddDomain(const std::string& name) {
    for (auto& domain : domains_)
        if (SameIgnoringCase(domain->DomainName(), name)) return *domain;
    domains_.push_back(std::make_unique<TDomain>(domainServices_, name, defaultDirectory_, language_));
    return *domains_.back();
}

std::u16string TTranslator::LoadResourceText(const ResStringRec* record) {
    if (!record) return {};
    if (record->id < 0 || record->id >= 65536) return u"ERROR";
    std::u16string text = ReadResourceText(record->module, record->id);
    if (std::this_thread::get_id() != ownerThreadId_) return text;
    return TranslateResourceText(text);
}

} // namespace velt::i18n
