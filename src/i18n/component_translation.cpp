// The component-translation operations of the service, and the replay of a
// pass's record.
#include "i18n/component_translation.h"

#include <unordered_set>

#include "core/text.h"
#include "i18n/translator_errors.h"
#include "i18n/translator_service.h"

namespace velt::i18n {

namespace {

const char kMarkerName[] = "TranslationMarker";

std::string UpperAscii(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    return s;
}

// A component translated on its own carries a component of the marker's name.
bool HasOwnMarker(const TPersistent* object) {
    auto* component = dynamic_cast<const TComponent*>(object);
    return component && component->FindComponent(kMarkerName);
}

// Writes a 16-bit value to the property of that name, if the object still
// has one that can be written; 8-bit properties get it narrowed.
void WriteProperty(TPersistent& object, const std::string& name, const std::u16string& value) {
    const PropInfo* property = object.Class().FindProperty(name);
    if (!property || !property->IsString() || !property->IsWritable()) return;
    if (property->kind == PropKind::WideString) property->setWide(object, value);
    else property->setText(object, Narrow(value));
}

class UpdateBracket {
public:
    explicit UpdateBracket(TStrings& list) : list_(list) { list_.BeginUpdate(); }
    ~UpdateBracket() { list_.EndUpdate(); }
    UpdateBracket(const UpdateBracket&) = delete;
    UpdateBracket& operator=(const UpdateBracket&) = delete;

private:
    TStrings& list_;
};

} // namespace

const ClassInfo& TTranslationMarker::StaticClass() {
    static const ClassInfo info("TTranslationMarker", &TComponent::StaticClass(), {});
    return info;
}

TTranslationMarker* FindTranslationMarker(const TComponent& component) {
    for (int i = 0; i < component.ComponentCount(); ++i) {
        auto* marker = dynamic_cast<TTranslationMarker*>(component.Component(i));
        if (marker && UpperAscii(marker->Name()) == UpperAscii(kMarkerName)) return marker;
    }
    return nullptr;
}

void TTranslator::GlobalIgnoreClassProperty(const ClassInfo& targetClass, const std::string& propertyName) {
    std::string name = UpperAscii(propertyName);
    // A class's rule stands before the rules of its ancestors.
    for (auto it = globalClassRules_.begin(); it != globalClassRules_.end(); ++it) {
        if (it->TargetClass == &targetClass) {
            it->IgnoredProperties.insert(name);
            return;
        }
        if (targetClass.InheritsFrom(*it->TargetClass)) {
            globalClassRules_.insert(it, TClassMode{&targetClass, {name}});
            return;
        }
    }
    globalClassRules_.push_back(TClassMode{&targetClass, {name}});
}

void TTranslator::TranslateComponent(TComponent& component, const std::string& domain) {
    TTranslationMarker* marker = FindTranslationMarker(component);
    if (!marker) {
        auto fresh = std::make_unique<TTranslationMarker>();
        fresh->Retranslator = std::make_unique<TRetranslator>(*this);
        activeRetranslator_ = fresh->Retranslator.get();
        try {
            TranslateObjectTree(&component, domain);
        } catch (...) {
            // The component stays without a marker; the half record goes.
            activeRetranslator_ = nullptr;
            throw;
        }
        // Inserted after the pass, so the pass never visits it.
        marker = fresh.release();
        component.InsertComponent(marker);
    } else if (marker->TranslatedLanguage != CurrentLanguage()) {
        services_.messages.Show(
            "Error",
            "This application tried to switch the language, but in an incorrect way. The programmer needs to replace "
            "a call to TranslateComponent with a call to RetranslateComponent(). The programmer should see the "
            "changelog of the translation unit for more information.");
    }
    marker->TranslatedLanguage = CurrentLanguage();
}

void TTranslator::RetranslateComponent(TComponent& component) {
    TTranslationMarker* marker = FindTranslationMarker(component);
    if (!marker)
        throw ETranslatorProgrammingError(
            "Retranslate was called on an object that has not been translated before. Please use "
            "TranslateComponent() before RetranslateComponent().");
    if (marker->TranslatedLanguage != CurrentLanguage()) marker->Retranslator->Run();
    marker->TranslatedLanguage = CurrentLanguage();
}

void TTranslator::TranslateObjectTree(TPersistent* root, const std::string& domain) {
    const std::string passDomain = domain.empty() ? defaultDomain_ : domain;
    if (activeRetranslator_) activeRetranslator_->PassDomain = passDomain;
    std::deque<TPersistent*> workList{root};
    std::unordered_set<const TPersistent*> visited;
    while (!workList.empty()) {
        TPersistent* object = workList.front();
        workList.pop_front();
        if (!object || !visited.insert(object).second) continue;

        std::set<std::string, CaseInsensitiveLess> excluded;
        for (const TClassMode& rule : globalClassRules_)
            if (object->InheritsFrom(*rule.TargetClass))
                excluded.insert(rule.IgnoredProperties.begin(), rule.IgnoredProperties.end());

        for (const PropInfo* property : object->Class().Properties())
            if (!excluded.count(UpperAscii(property->name)))
                TranslateOneProperty(*object, *property, passDomain, workList);

        if (auto* list = dynamic_cast<TStrings*>(object)) {
            std::string text = list->Text();
            if (!text.empty()) {
                if (activeRetranslator_) activeRetranslator_->Items.push_back({list, "Text", Widen(text)});
                TranslateLines(*list, passDomain);
            }
        }
        if (auto* collection = dynamic_cast<TCollection*>(object))
            for (int i = 0; i < collection->Count(); ++i) workList.push_back(collection->Item(i));
        if (auto* component = dynamic_cast<TComponent*>(object))
            for (int i = 0; i < component->ComponentCount(); ++i)
                if (!HasOwnMarker(component->Component(i))) workList.push_back(component->Component(i));
    }
    activeRetranslator_ = nullptr;
}

void TTranslator::TranslateOneProperty(TPersistent& object, const PropInfo& property, const std::string& domain,
                                       std::deque<TPersistent*>& workList) {
    try {
        std::u16string value;
        switch (property.kind) {
        case PropKind::ShortString:
        case PropKind::LongString: value = Widen(property.getText(object)); break;
        case PropKind::WideString: value = property.getWide(object); break;
        case PropKind::Object: {
            TPersistent* target = property.getObject ? property.getObject(object) : nullptr;
            if (target && !HasOwnMarker(target)) workList.push_back(target);
            return;
        }
        }
        if (value.empty() || !property.IsWritable()) return;
        if (activeRetranslator_) activeRetranslator_->Items.push_back({&object, property.name, value});
        std::u16string translated = TranslateInDomain(domain, value);
        if (translated != value) WriteProperty(object, property.name, translated);
    } catch (const std::exception& e) {
        throw ETranslatorComponentError("Property cannot be translated.\r\nAdd GlobalIgnoreClassProperty(" +
                                        object.ClassName() + ",'" + property.name +
                                        "') to your source code or use\r\nIgnoreProperty (self,'." + property.name +
                                        "') to prevent this message.\r\nReason: " + e.what());
    }
}

void TTranslator::TranslateLines(TStrings& list, const std::string& domain) {
    if (list.Count() == 0) return;
    UpdateBracket bracket(list);
    TStringList lines;
    lines.Assign(list);
    for (int i = 0; i < lines.Count(); ++i)
        if (!lines.Get(i).empty()) lines.Put(i, Narrow(TranslateInDomain(domain, lines.Get(i))));
    list.Assign(lines);
}

void TRetranslator::Run() {
    for (const TRetranslatorItem& item : Items) {
        if (auto* component = dynamic_cast<TComponent*>(item.Target)) {
            TTranslationMarker* marker = FindTranslationMarker(*component);
            if (marker && marker->Retranslator.get() != this) {
                marker->Retranslator->Run();
                continue;
            }
        }
        if (auto* list = dynamic_cast<TStrings*>(item.Target)) {
            TStringList lines;
            lines.SetText(Narrow(item.UntranslatedValue));
            Service.TranslateLines(lines, PassDomain);
            UpdateBracket bracket(*list);
            list->SetText(lines.Text());
            continue;
        }
        WriteProperty(*item.Target, item.PropertyName, Service.TranslateInDomain(PassDomain, item.UntranslatedValue));
    }
}

} // namespace velt::i18n
