#include "core/component.h"

#include <gtest/gtest.h>

namespace velt {
namespace {

// A component with a caption (writable), a read-only text and a wide hint.
class Sample : public TComponent {
    VELT_PERSISTENT_CLASS()
public:
    using TComponent::TComponent;
    ~Sample() override { if (destroyed) destroyed->push_back(Name()); }
    const std::string& Caption() const { return caption; }
    void SetCaption(const std::string& v) { caption = v; }
    std::string Version() const { return "1"; }
    const std::u16string& Hint() const { return hint; }
    void SetHint(const std::u16string& v) { hint = v; }
    TStringList* Lines() const { return &lines; }

    std::string caption;
    std::u16string hint;
    mutable TStringList lines;
    std::vector<std::string>* destroyed = nullptr;
};

const ClassInfo& Sample::StaticClass() {
    static const ClassInfo info = ClassBuilder<Sample>("Sample", &TComponent::StaticClass())
        .Text("Caption", &Sample::Caption, &Sample::SetCaption)
        .Text("Version", &Sample::Version)
        .Wide("Hint", &Sample::Hint, &Sample::SetHint)
        .Object("Lines", &Sample::Lines)
        .Build();
    return info;
}

TEST(Component, PublishesPropertiesAncestorsFirst) {
    Sample s;
    std::vector<std::string> names;
    for (const PropInfo* p : s.Class().Properties()) names.push_back(p->name);
    EXPECT_EQ(names, (std::vector<std::string>{"Name", "Caption", "Version", "Hint", "Lines"}));
    const PropInfo* caption = s.Class().FindProperty("CAPTION");
    ASSERT_NE(caption, nullptr);
    caption->setText(s, "OK");
    EXPECT_EQ(caption->getText(s), "OK");
    EXPECT_FALSE(s.Class().FindProperty("Version")->IsWritable());
    EXPECT_TRUE(s.Class().FindProperty("Hint")->IsWritable());
    EXPECT_EQ(s.Class().FindProperty("Lines")->getObject(s), &s.lines);
    EXPECT_TRUE(s.InheritsFrom(TComponent::StaticClass()));
    EXPECT_FALSE(TComponent().InheritsFrom(Sample::StaticClass()));
}

TEST(Component, OwnerFreesOwnedComponentsOnce) {
    std::vector<std::string> destroyed;
    auto* owner = new Sample;
    owner->SetName("owner");
    owner->destroyed = &destroyed;
    auto* a = new Sample(owner);
    a->SetName("a");
    a->destroyed = &destroyed;
    auto* b = new Sample(owner);
    b->SetName("b");
    b->destroyed = &destroyed;
    auto* c = new Sample(a);
    c->SetName("c");
    c->destroyed = &destroyed;
    EXPECT_EQ(owner->FindComponent("B"), b);
    EXPECT_EQ(owner->FindComponent("c"), nullptr);  // only direct children
    delete b;  // leaves its owner's list
    EXPECT_EQ(owner->ComponentCount(), 1);
    delete owner;
    EXPECT_EQ(destroyed, (std::vector<std::string>{"b", "owner", "a", "c"}));
}

TEST(Strings, TextSplitsAndJoinsLines) {
    struct Case { std::string in; std::vector<std::string> lines; std::string out; };
    const Case cases[] = {
        {"", {}, ""},
        {"a\r\nb", {"a", "b"}, "a\r\nb\r\n"},
        {"a\nb\rc\r\n", {"a", "b", "c"}, "a\r\nb\r\nc\r\n"},
        {"\r\n\r\nx", {"", "", "x"}, "\r\n\r\nx\r\n"},
    };
    for (const Case& c : cases) {
        TStringList list;
        list.SetText(c.in);
        std::vector<std::string> got;
        for (int i = 0; i < list.Count(); ++i) got.push_back(list.Get(i));
        EXPECT_EQ(got, c.lines) << c.in;
        EXPECT_EQ(list.Text(), c.out) << c.in;
    }
}

} // namespace
} // namespace velt
