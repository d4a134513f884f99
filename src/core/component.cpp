#include "core/component.h"

#include <algorithm>
#include <cctype>

namespace velt {

const ClassInfo& TComponent::StaticClass() {
    static const ClassInfo info = ClassBuilder<TComponent>("TComponent", &TPersistent::StaticClass())
        .Text("Name", &TComponent::Name, &TComponent::SetName)
        .Build();
    return info;
}

TComponent::TComponent(TComponent* owner) {
    if (owner) owner->InsertComponent(this);
}

TComponent::~TComponent() {
    // Owned components go first, last created first, each leaving the list.
    while (!components_.empty()) {
        TComponent* child = components_.back();
        components_.pop_back();
        child->owner_ = nullptr;
        delete child;
    }
    if (owner_) owner_->RemoveComponent(this);
}

TComponent* TComponent::FindComponent(const std::string& name) const {
    auto same = [&](const std::string& other) {
        if (other.size() != name.size()) return false;
        for (size_t i = 0; i < name.size(); ++i)
            if (std::toupper(static_cast<unsigned char>(name[i])) != std::toupper(static_cast<unsigned char>(other[i])))
                return false;
        return true;
    };
    for (TComponent* c : components_)
        if (same(c->Name())) return c;
    return nullptr;
}

void TComponent::InsertComponent(TComponent* component) {
    if (!component || component->owner_ == this) return;
    if (component->owner_) component->owner_->RemoveComponent(component);
    components_.push_back(component);
    component->owner_ = this;
}

void TComponent::RemoveComponent(TComponent* component) {
    auto it = std::find(components_.begin(), components_.end(), component);
    if (it == components_.end()) return;
    components_.erase(it);
    component->owner_ = nullptr;
}

const ClassInfo& TStrings::StaticClass() {
    static const ClassInfo info("TStrings", &TPersistent::StaticClass(), {});
    return info;
}

std::string TStrings::Text() const {
    std::string out;
    for (int i = 0; i < Count(); ++i) {
        out += Get(i);
        out += "\r\n";
    }
    return out;
}

void TStrings::SetText(const std::string& text) {
    BeginUpdate();
    Clear();
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos) {
            Add(text.substr(start));
            break;
        }
        Add(text.substr(start, end - start));
        start = end + ((text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ? 2 : 1);
    }
    EndUpdate();
}

void TStrings::Assign(const TStrings& other) {
    if (&other == this) return;
    BeginUpdate();
    Clear();
    for (int i = 0; i < other.Count(); ++i) Add(other.Get(i), other.GetObject(i));
    EndUpdate();
}

void TStrings::EndUpdate() {
    if (updateCount_ > 0 && --updateCount_ == 0) Changed();
}

const ClassInfo& TStringList::StaticClass() {
    static const ClassInfo info("TStringList", &TStrings::StaticClass(), {});
    return info;
}

void TStringList::Put(int index, const std::string& line) {
    lines_.at(static_cast<size_t>(index)).text = line;
    NotifyChanged();
}

void TStringList::Insert(int index, const std::string& line, void* object) {
    index = std::clamp(index, 0, Count());
    lines_.insert(lines_.begin() + index, Line{line, object});
    NotifyChanged();
}

void TStringList::Delete(int index) {
    lines_.erase(lines_.begin() + index);
    NotifyChanged();
}

void TStringList::Clear() {
    lines_.clear();
    NotifyChanged();
}

const ClassInfo& TCollectionItem::StaticClass() {
    static const ClassInfo info("TCollectionItem", &TPersistent::StaticClass(), {});
    return info;
}

const ClassInfo& TCollection::StaticClass() {
    static const ClassInfo info = ClassBuilder<TCollection>("TCollection", &TPersistent::StaticClass())
        .Text("PropName", &TCollection::PropName, &TCollection::SetPropName)
        .Build();
    return info;
}

} // namespace velt
