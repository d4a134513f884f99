// Component translation over a small window model: the first pass, the
// replay after language changes, and what is never touched.
#include "i18n/component_translation.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "core/text.h"
#include "i18n/service_fakes.h"
#include "i18n/translator_errors.h"
#include "i18n/translator_service.h"

namespace velt::i18n {
namespace {

class TTestColumn : public TCollectionItem {
    VELT_PERSISTENT_CLASS()
public:
    using TCollectionItem::TCollectionItem;
    const std::u16string& Title() const { return title; }
    void SetTitle(const std::u16string& v) { title = v; }
    std::u16string title;
};

class TTestLabel : public TComponent {
    VELT_PERSISTENT_CLASS()
public:
    using TComponent::TComponent;
    const std::string& Caption() const { return caption; }
    void SetCaption(const std::string& v) { caption = v; }
    const std::u16string& Hint() const { return hint; }
    void SetHint(const std::u16string& v) { hint = v; }
    std::string Fixed() const { return "Password"; }  // read-only
    std::string caption;
    std::u16string hint;
};

class TTestForm : public TTestLabel {
    VELT_PERSISTENT_CLASS()
public:
    using TTestLabel::TTestLabel;
    TPersistent* LinesObject() const { return lines.get(); }
    TPersistent* ColumnsObject() const { return columns.get(); }
    TPersistent* PartnerObject() const { return partner; }
    std::unique_ptr<TStringList> lines = std::make_unique<TStringList>();
    std::unique_ptr<TCollection> columns = std::make_unique<TCollection>();
    TPersistent* partner = nullptr;
};

class TFaulty : public TComponent {
    VELT_PERSISTENT_CLASS()
public:
    using TComponent::TComponent;
    std::string Caption() const { throw Exception("boom"); }
    void SetCaption(const std::string&) {}
};

const ClassInfo& TTestColumn::StaticClass() {
    static const ClassInfo info = ClassBuilder<TTestColumn>("TTestColumn", &TCollectionItem::StaticClass())
        .Wide("Title", &TTestColumn::Title, &TTestColumn::SetTitle).Build();
    return info;
}
const ClassInfo& TTestLabel::StaticClass() {
    static const ClassInfo info = ClassBuilder<TTestLabel>("TTestLabel", &TComponent::StaticClass())
        .ShortText("Caption", &TTestLabel::Caption, &TTestLabel::SetCaption)
        .Wide("Hint", &TTestLabel::Hint, &TTestLabel::SetHint)
        .Text("Fixed", &TTestLabel::Fixed)
        .Build();
    return info;
}
const ClassInfo& TTestForm::StaticClass() {
    static const ClassInfo info = ClassBuilder<TTestForm>("TTestForm", &TTestLabel::StaticClass())
        .Object("Lines", &TTestForm::LinesObject)
        .Object("Columns", &TTestForm::ColumnsObject)
        .Object("Partner", &TTestForm::PartnerObject)
        .Build();
    return info;
}
const ClassInfo& TFaulty::StaticClass() {
    static const ClassInfo info = ClassBuilder<TFaulty>("TFaulty", &TComponent::StaticClass())
        .Text("Caption", &TFaulty::Caption, &TFaulty::SetCaption).Build();
    return info;
}

// Records every text looked up.
class SpyTranslator : public TTranslator {
public:
    using TTranslator::TTranslator;
    using TTranslator::TranslateInDomain;
    std::u16string TranslateInDomain(const std::string& domain, const std::u16string& text) override {
        looked.push_back(text);
        return TTranslator::TranslateInDomain(domain, text);
    }
    bool Looked(const std::u16string& text) const {
        return std::find(looked.begin(), looked.end(), text) != looked.end();
    }
    std::vector<std::u16string> looked;
};

struct Service {
    test::MemoryFiles files;
    test::FakeLocale locale;
    test::RecordingMessages messages;
    std::unique_ptr<TFileLocator> locator;
    std::unique_ptr<SpyTranslator> translator;

    Service() {
        std::uint64_t table = 0;
        files.files[test::kExe] = test::ExecutableWithFiles({{test::kPolishName, test::PolishCatalogue()}}, &table);
        locale.environment["LANG"] = "pl";
        locator = std::make_unique<TFileLocator>(files, test::kExe, table, MakeStdRwLock());
        locator->ReadEmbeddedTable();
        translator = std::make_unique<SpyTranslator>(TranslatorServices{*locator, files, locale, messages},
                                                     "C:\\Velt\\");
    }
    ~Service() { translator.reset(); }
};

// A window: caption, hint, lines, a collection, a label and a button.
struct Window {
    TTestForm form;
    TTestLabel* label = new TTestLabel(&form);
    TTestLabel* button = new TTestLabel(&form);

    Window() {
        form.SetName("Form1");
        form.caption = "Check password strength";
        form.hint = u"Enter text to find; case insensitive";
        form.lines->SetText("Save\r\n\r\nExit\r\nno entry here");
        form.columns->Add<TTestColumn>()->title = u"Address";
        form.columns->Add<TTestColumn>()->title = u"";
        label->SetName("Label1");
        label->caption = "Result";
        button->SetName("Button1");
        button->caption = "Check";
        button->hint = u"Polski";
    }
};

TEST(ComponentTranslation, PolishEnglishPolishGivesTheExactTexts) {
    Service s;
    Window w;
    s.translator->TranslateComponent(w.form);
    auto expectPolish = [&] {
        EXPECT_EQ(w.form.caption, Narrow(u"Sprawdź siłę hasła"));
        EXPECT_EQ(w.form.hint, u"Wpisz tekst do odnalezienia; wielkość liter ignorowana");
        EXPECT_EQ(w.form.lines->Text(), "Zapisz\r\n\r\n" + Narrow(u"Wyjdź") + "\r\nno entry here\r\n");
        EXPECT_EQ(static_cast<TTestColumn*>(w.form.columns->Item(0))->title, u"Adres");
        EXPECT_EQ(w.label->caption, "Wynik");
        EXPECT_EQ(w.button->caption, Narrow(u"Sprawdź"));
        EXPECT_EQ(w.button->hint, u"Polski");
    };
    auto expectEnglish = [&] {
        EXPECT_EQ(w.form.caption, "Check password strength");
        EXPECT_EQ(w.form.hint, u"Enter text to find; case insensitive");
        EXPECT_EQ(w.form.lines->Text(), "Save\r\n\r\nExit\r\nno entry here\r\n");
        EXPECT_EQ(static_cast<TTestColumn*>(w.form.columns->Item(0))->title, u"Address");
        EXPECT_EQ(w.label->caption, "Result");
        EXPECT_EQ(w.button->caption, "Check");
    };
    expectPolish();
    EXPECT_FALSE(s.translator->Looked(u"")) << "an empty text was looked up";
    EXPECT_EQ(static_cast<TTestColumn*>(w.form.columns->Item(1))->title, u"");
    ASSERT_NE(FindTranslationMarker(w.form), nullptr);
    EXPECT_EQ(FindTranslationMarker(w.form)->TranslatedLanguage, "pl");
    EXPECT_EQ(w.form.ComponentCount(), 3);

    s.translator->ChooseLanguage("en");
    s.translator->RetranslateComponent(w.form);
    expectEnglish();
    s.translator->ChooseLanguage("pl");
    s.translator->RetranslateComponent(w.form);
    expectPolish();
    EXPECT_EQ(w.form.ComponentCount(), 3) << "retranslation added a component";
}

TEST(ComponentTranslation, NamesReadOnlyAndEmptyTextsAreNeverLookedUp) {
    Service s;
    Window w;
    w.form.SetName("Help");
    w.label->SetName("Password");
    w.form.columns->SetPropName("Save");
    w.form.lines->Clear();
    s.translator->TranslateComponent(w.form);
    EXPECT_EQ(w.form.Name(), "Help");
    EXPECT_EQ(w.label->Name(), "Password");
    EXPECT_EQ(w.form.columns->PropName(), "Save");
    for (const char16_t* key : {u"Help", u"Password", u"Save", u"Label1", u""})
        EXPECT_FALSE(s.translator->Looked(key)) << Narrow(key);
    for (const TRetranslatorItem& item : FindTranslationMarker(w.form)->Retranslator->Items) {
        EXPECT_NE(item.PropertyName, "Fixed") << "read-only property recorded";
        EXPECT_NE(item.PropertyName, "Name");
    }
    EXPECT_EQ(w.label->Fixed(), "Password");
}

TEST(ComponentTranslation, RetranslationRestoresTextsTheProgramChanged) {
    Service s;
    Window w;
    s.translator->TranslateComponent(w.form);
    EXPECT_EQ(w.label->caption, "Wynik");
    w.label->caption = "1,234.00";
    s.translator->ChooseLanguage("en");
    s.translator->RetranslateComponent(w.form);
    EXPECT_EQ(w.label->caption, "Result");
    w.label->caption = "0";
    s.translator->ChooseLanguage("pl");
    s.translator->RetranslateComponent(w.form);
    EXPECT_EQ(w.label->caption, "Wynik");
}

TEST(ComponentTranslation, ComponentWithItsOwnMarkerIsSkipped) {
    Service s;
    Window w;
    w.form.partner = w.button;  // also reachable through a reference
    s.translator->TranslateComponent(*w.button);
    EXPECT_EQ(w.button->caption, Narrow(u"Sprawdź"));
    s.translator->looked.clear();

    s.translator->TranslateComponent(w.form);
    EXPECT_FALSE(s.translator->Looked(u"Check")) << "the owner's pass visited the translated child";
    for (const TRetranslatorItem& item : FindTranslationMarker(w.form)->Retranslator->Items)
        EXPECT_NE(item.Target, w.button);

    s.translator->ChooseLanguage("en");
    s.translator->RetranslateComponent(w.form);
    EXPECT_EQ(w.label->caption, "Result");
    EXPECT_EQ(w.button->caption, Narrow(u"Sprawdź")) << "retranslated through its owner";
    s.translator->RetranslateComponent(*w.button);
    EXPECT_EQ(w.button->caption, "Check");
}

TEST(ComponentTranslation, SecondTranslateInAnotherLanguageShowsTheErrorBox) {
    Service s;
    Window w;
    s.translator->TranslateComponent(w.form);
    std::size_t lookups = s.translator->looked.size();
    s.translator->TranslateComponent(w.form);
    EXPECT_EQ(s.translator->looked.size(), lookups) << "same language: nothing to do";
    EXPECT_TRUE(s.messages.shown.empty());

    s.translator->ChooseLanguage("en");
    s.translator->TranslateComponent(w.form);
    ASSERT_EQ(s.messages.shown.size(), 1u);
    EXPECT_EQ(s.messages.shown[0].first, "Error");
    EXPECT_EQ(s.messages.shown[0].second,
              "This application tried to switch the language, but in an incorrect way. The programmer needs to "
              "replace a call to TranslateComponent with a call to RetranslateComponent(). The programmer should see "
              "the changelog of the translation unit for more information.");
    EXPECT_EQ(s.translator->looked.size(), lookups) << "nothing was translated";
    EXPECT_EQ(w.label->caption, "Wynik");
    EXPECT_EQ(FindTranslationMarker(w.form)->TranslatedLanguage, "en");
}

TEST(ComponentTranslation, RetranslateNeedsAFirstPassAndALanguageChange) {
    Service s;
    Window w;
    try {
        s.translator->RetranslateComponent(w.form);
        ADD_FAILURE() << "no exception";
    } catch (const ETranslatorProgrammingError& e) {
        EXPECT_EQ(e.Message(),
                  "Retranslate was called on an object that has not been translated before. Please use "
                  "TranslateComponent() before RetranslateComponent().");
    }
    EXPECT_EQ(w.label->caption, "Result");
    s.translator->TranslateComponent(w.form);
    std::size_t lookups = s.translator->looked.size();
    s.translator->RetranslateComponent(w.form);
    EXPECT_EQ(s.translator->looked.size(), lookups);
}

TEST(ComponentTranslation, UnreadablePropertyStopsThePassWithoutAMarker) {
    Service s;
    Window w;
    new TFaulty(&w.form);
    try {
        s.translator->TranslateComponent(w.form);
        ADD_FAILURE() << "no exception";
    } catch (const ETranslatorComponentError& e) {
        EXPECT_EQ(e.Message(),
                  "Property cannot be translated.\r\nAdd GlobalIgnoreClassProperty(TFaulty,'Caption') to your source "
                  "code or use\r\nIgnoreProperty (self,'.Caption') to prevent this message.\r\nReason: boom");
    }
    EXPECT_EQ(FindTranslationMarker(w.form), nullptr);
    EXPECT_EQ(s.translator->ActiveRetranslator(), nullptr);
    EXPECT_EQ(w.form.caption, Narrow(u"Sprawdź siłę hasła")) << "texts before the failure stay translated";
    EXPECT_THROW(s.translator->RetranslateComponent(w.form), ETranslatorProgrammingError);

    s.translator->GlobalIgnoreClassProperty(TFaulty::StaticClass(), "caption");
    s.translator->TranslateComponent(w.form);
    EXPECT_NE(FindTranslationMarker(w.form), nullptr);
}

TEST(ComponentTranslation, ClassRulesStandBeforeTheirAncestors) {
    Service s;
    TTranslator& t = *s.translator;
    t.GlobalIgnoreClassProperty(TTestLabel::StaticClass(), "Hint");
    t.GlobalIgnoreClassProperty(TTestLabel::StaticClass(), "hint");
    t.GlobalIgnoreClassProperty(TPersistent::StaticClass(), "Tag");
    t.GlobalIgnoreClassProperty(TTestForm::StaticClass(), "Caption");
    std::vector<std::string> order;
    for (const TClassMode& rule : t.GlobalClassRules()) {
        std::string names;
        for (const std::string& n : rule.IgnoredProperties) names += " " + n;
        order.push_back(rule.TargetClass->Name() + names);
    }
    EXPECT_EQ(order, (std::vector<std::string>{"TTestForm CAPTION", "TTestLabel HINT", "TComponent NAME",
                                               "TCollection PROPNAME", "TPersistent TAG"}));

    Window w;
    t.TranslateComponent(w.form);
    EXPECT_EQ(w.form.caption, "Check password strength") << "ignored for the form";
    EXPECT_EQ(w.label->caption, "Wynik") << "not for its ancestor";
    EXPECT_EQ(w.form.hint, u"Enter text to find; case insensitive") << "the label rule covers the form";
}

TEST(ComponentTranslation, StringListsAreTranslatedLineByLineOnce) {
    Service s;
    TTestForm form;
    form.lines->SetText("Are you sure to     REMOVE      all your data?\r\nThis operation is irreversible!");
    TTestForm other(&form);
    other.partner = form.lines.get();  // the same list reached twice
    form.partner = form.lines.get();
    s.translator->TranslateComponent(form);
    EXPECT_EQ(form.lines->Text(),
              "Are you sure to     REMOVE      all your data?\r\nThis operation is irreversible!\r\n")
        << "the whole text has an entry, its lines have none";
    EXPECT_EQ(std::count(s.translator->looked.begin(), s.translator->looked.end(),
                         u"This operation is irreversible!"), 1);
}

TEST(ComponentTranslation, ModuleEntryPointsForwardToTheService) {
    test::ModuleFixture m;
    m.locale.environment["LANG"] = "pl";
    m.Start();
    Window w;
    TranslateComponent(w.form);
    EXPECT_EQ(w.label->caption, "Wynik");
    ChooseLanguage("en");
    RetranslateComponent(w.form);
    EXPECT_EQ(w.label->caption, "Result");
}

} // namespace
} // namespace velt::i18n
