#include "core/persistent.h"

#include <cctype>

namespace velt {

namespace {
bool SameTextAscii(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}
} // namespace

ClassInfo::ClassInfo(std::string name, const ClassInfo* parent, std::vector<PropInfo> ownProperties)
    : name_(std::move(name)), parent_(parent), own_(std::move(ownProperties)) {
    if (parent_) all_ = parent_->all_;
    for (const PropInfo& p : own_) {
        // A redeclared property replaces the inherited one in its place.
        bool replaced = false;
        for (auto& existing : all_) {
            if (SameTextAscii(existing->name, p.name)) { existing = &p; replaced = true; break; }
        }
        if (!replaced) all_.push_back(&p);
    }
}

bool ClassInfo::InheritsFrom(const ClassInfo& other) const {
    for (const ClassInfo* c = this; c; c = c->parent_)
        if (c == &other) return true;
    return false;
}

const PropInfo* ClassInfo::FindProperty(const std::string& name) const {
    for (const PropInfo* p : all_)
        if (SameTextAscii(p->name, name)) return p;
    return nullptr;
}

const ClassInfo& TPersistent::StaticClass() {
    static const ClassInfo info("TPersistent", nullptr, {});
    return info;
}

} // namespace velt
