// Run-time class information and published properties: what lets the
// translation of windows walk every text property of every object without
// knowing the classes involved.
#pragma once
#include <functional>
#include <type_traits>
#include <string>
#include <vector>

namespace velt {

class TPersistent;

enum class PropKind {
    ShortString,  // 8-bit string of at most 255 characters
    LongString,   // 8-bit string
    WideString,   // 16-bit (UTF-16) string
    Object,       // reference to another TPersistent (may be null)
};

// One published property. String kinds use getText/setText (8-bit) or
// getWide/setWide (16-bit); a property without a setter is read-only.
struct PropInfo {
    std::string name;
    PropKind kind;
    std::function<std::string(const TPersistent&)> getText;
    std::function<void(TPersistent&, const std::string&)> setText;
    std::function<std::u16string(const TPersistent&)> getWide;
    std::function<void(TPersistent&, const std::u16string&)> setWide;
    std::function<TPersistent*(const TPersistent&)> getObject;

    bool IsString() const { return kind != PropKind::Object; }
    bool IsWritable() const { return kind == PropKind::WideString ? bool(setWide) : bool(setText); }
};

class ClassInfo {
public:
    ClassInfo(std::string name, const ClassInfo* parent, std::vector<PropInfo> ownProperties);
    // The property list points into own_, whose buffer a move keeps.
    ClassInfo(const ClassInfo&) = delete;
    ClassInfo& operator=(const ClassInfo&) = delete;
    ClassInfo(ClassInfo&&) = default;

    const std::string& Name() const { return name_; }
    const ClassInfo* Parent() const { return parent_; }
    bool InheritsFrom(const ClassInfo& other) const;
    // Every published property, the ancestors' first, in declaration order.
    const std::vector<const PropInfo*>& Properties() const { return all_; }
    const PropInfo* FindProperty(const std::string& name) const;  // case-insensitive

private:
    std::string name_;
    const ClassInfo* parent_;
    std::vector<PropInfo> own_;
    std::vector<const PropInfo*> all_;
};

// Root of every object that publishes properties.
class TPersistent {
public:
    virtual ~TPersistent() = default;
    static const ClassInfo& StaticClass();
    virtual const ClassInfo& Class() const { return StaticClass(); }
    const std::string& ClassName() const { return Class().Name(); }
    bool InheritsFrom(const ClassInfo& info) const { return Class().InheritsFrom(info); }
};

// Builds a class's property list from member functions:
//   ClassBuilder<TLabel>("TLabel", &TControl::StaticClass())
//       .Text("Caption", &TLabel::Caption, &TLabel::SetCaption).Build();
template <class T>
class ClassBuilder {
public:
    ClassBuilder(std::string name, const ClassInfo* parent) : name_(std::move(name)), parent_(parent) {}

    template <class Get, class Set = std::nullptr_t>
    ClassBuilder& Text(std::string name, Get get, Set set = nullptr, PropKind kind = PropKind::LongString) {
        PropInfo p{std::move(name), kind, {}, {}, {}, {}, {}};
        p.getText = [get](const TPersistent& o) { return std::string((static_cast<const T&>(o).*get)()); };
        if constexpr (!std::is_same_v<Set, std::nullptr_t>)
            p.setText = [set](TPersistent& o, const std::string& v) { (static_cast<T&>(o).*set)(v); };
        props_.push_back(std::move(p));
        return *this;
    }
    template <class Get, class Set = std::nullptr_t>
    ClassBuilder& ShortText(std::string name, Get get, Set set = nullptr) {
        return Text(std::move(name), get, set, PropKind::ShortString);
    }
    template <class Get, class Set = std::nullptr_t>
    ClassBuilder& Wide(std::string name, Get get, Set set = nullptr) {
        PropInfo p{std::move(name), PropKind::WideString, {}, {}, {}, {}, {}};
        p.getWide = [get](const TPersistent& o) { return std::u16string((static_cast<const T&>(o).*get)()); };
        if constexpr (!std::is_same_v<Set, std::nullptr_t>)
            p.setWide = [set](TPersistent& o, const std::u16string& v) { (static_cast<T&>(o).*set)(v); };
        props_.push_back(std::move(p));
        return *this;
    }
    template <class Get>
    ClassBuilder& Object(std::string name, Get get) {
        PropInfo p{std::move(name), PropKind::Object, {}, {}, {}, {}, {}};
        p.getObject = [get](const TPersistent& o) -> TPersistent* { return (static_cast<const T&>(o).*get)(); };
        props_.push_back(std::move(p));
        return *this;
    }
    ClassInfo Build() { return ClassInfo(std::move(name_), parent_, std::move(props_)); }

private:
    std::string name_;
    const ClassInfo* parent_;
    std::vector<PropInfo> props_;
};

// Declares the class-information members in a class body.
#define VELT_PERSISTENT_CLASS()                                   \
public:                                                           \
    static const ::velt::ClassInfo& StaticClass();                \
    const ::velt::ClassInfo& Class() const override { return StaticClass(); }

} // namespace velt
