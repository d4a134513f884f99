// Component translation: the record of one translation pass, the marker a
// translated component tree carries, and the class rules that keep
// properties out of translation.
#pragma once
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "core/component.h"
#include "i18n/file_locator.h"

namespace velt::i18n {

class TTranslator;

// One rule: properties never translated on objects of a class and its
// descendants.
struct TClassMode {
    const ClassInfo* TargetClass;
    std::set<std::string, CaseInsensitiveLess> IgnoredProperties;  // upper case
};

class TExecutable {
public:
    virtual ~TExecutable() = default;
    virtual void Run() = 0;
};

// One translated value, as it was before translation.
struct TRetranslatorItem {
    TPersistent* Target;           // not owned
    std::string PropertyName;      // "Text" for a whole string list
    std::u16string UntranslatedValue;
};

// The record of one first-time pass; Run looks every value up again from
// its untranslated text.
class TRetranslator : public TExecutable {
public:
    explicit TRetranslator(TTranslator& service) : Service(service) {}
    void Run() override;

    std::string PassDomain;
    TTranslator& Service;
    std::vector<TRetranslatorItem> Items;
};

// Marks a translated component tree; owned by the translated component.
class TTranslationMarker : public TComponent {
    VELT_PERSISTENT_CLASS()
public:
    TTranslationMarker() { SetName("TranslationMarker"); }

    std::string TranslatedLanguage;
    std::unique_ptr<TRetranslator> Retranslator;
};

// The component's own marker, or null.
TTranslationMarker* FindTranslationMarker(const TComponent& component);

} // namespace velt::i18n
