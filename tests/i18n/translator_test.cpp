// The translation service: the automatic language choice, lookups with
// their line-break rules, the charset check, and the resource-string routes.
#include "i18n/translator.h"

#include <gtest/gtest.h>

#include <thread>

#include "core/text.h"
#include "i18n/language_code.h"
#include "i18n/polish_messages.h"
#include "i18n/service_fakes.h"
#include "i18n/translator_errors.h"
#include "i18n/translator_service.h"

namespace velt::i18n {
namespace {

using test::ModuleFixture;

const std::u16string kConfirmEnglish =
    u"Are you sure to     REMOVE      all your data?\r\nThis operation is irreversible!";
const std::u16string kConfirmPolish = u"Na pewno chcesz   USUNĄĆ  wszystkie dane?\r\nTa operacja jest nieodwracalna!";

TEST(LanguageChoice, FollowsLangThenTheLocale) {
    struct Case {
        const char* what;
        std::string lang;
        std::string language, country;
        int languageResult, countryResult;
        std::uint32_t threadLocale;
        std::string expected;
    } cases[] = {
        {"LANG with a code set", "pl_PL.UTF-8", "en", "US", 3, 3, 0x0409, "pl_PL"},
        {"LANG cut at the first dot", "de_DE.UTF-8.x", "en", "US", 3, 3, 0x0409, "de_DE"},
        {"LANG as it is", "pl", "en", "US", 3, 3, 0x0409, "pl"},
        {"empty LANG: the locale's names", "", "pl", "PL", 3, 3, 0x0409, "pl_PL"},
        {"Norwegian no becomes nb", "", "no", "NO", 3, 3, 0x0414, "nb_NO"},
        {"NO in capitals too", "", "NO", "NO", 3, 3, 0x0414, "nb_NO"},
        {"three-letter name: the thread locale", "", "fil", "PH", 4, 3, 0x0415, "pl_PL"},
        {"no country name: the thread locale", "", "pl", "", 3, 0, 0x0C0A, "es_ES"},
        {"unknown thread locale", "", "", "", 0, 0, 0x0411, "C"},
        {"thread locale en_GB", "", "", "", 0, 0, 0x0809, "en_GB"},
    };
    for (const Case& c : cases) {
        test::FakeLocale locale;
        if (!c.lang.empty()) locale.environment["LANG"] = c.lang;
        locale.language = c.language;
        locale.country = c.country;
        locale.languageResult = c.languageResult;
        locale.countryResult = c.countryResult;
        locale.threadLocale = c.threadLocale;
        EXPECT_EQ(AutomaticLanguageCode(locale), c.expected) << c.what;
    }
}

TEST(TranslationService, LangPlPlIsFoundUnderPl) {
    ModuleFixture m;
    m.locale.environment["LANG"] = "pl_PL.UTF-8";
    m.Start();
    EXPECT_EQ(CurrentLanguage(), "pl_PL");
    TTranslator& t = *Translator();
    EXPECT_EQ(t.Translate(std::u16string(u"Password")), u"Hasło");
    EXPECT_EQ(t.Translate(std::u16string(u"password")), u"password");
    EXPECT_EQ(t.DefaultDirectory(), "C:\\Velt\\locale");
    const TDomain& d = t.FindOrAddDomain("DEFAULT");
    EXPECT_EQ(d.Directory(), "C:\\Velt\\locale\\");
    EXPECT_EQ(d.LanguageCode(), "pl_PL");
    ASSERT_NE(d.Catalogue(), nullptr);
    EXPECT_EQ(d.Catalogue()->UserCount, 1);
    EXPECT_EQ(t.Domains().size(), 1u);
}

TEST(TranslationService, NoCatalogueIsRememberedWithoutFurtherProbes) {
    ModuleFixture m;
    m.locale.language = "";
    m.locale.languageResult = 0;
    m.locale.threadLocale = 0x0411;
    m.Start();
    EXPECT_EQ(CurrentLanguage(), "C");
    EXPECT_EQ(Translator()->Translate(std::u16string(u"Save")), u"Save");

    ChooseLanguage("en");
    int before = m.files.existsProbes;
    EXPECT_EQ(Translator()->Translate(std::u16string(u"Password")), u"Password");
    int afterFirst = m.files.existsProbes;
    EXPECT_GT(afterFirst, before);
    for (const auto& msg : test::kPolishMessages) Translator()->Translate(std::string(msg.english));
    EXPECT_EQ(m.files.existsProbes, afterFirst) << "lookups probed the disk again";
    EXPECT_TRUE(Translator()->FindOrAddDomain("default").OpenFailed());

    ChooseLanguage("pl");
    EXPECT_FALSE(Translator()->FindOrAddDomain("default").OpenFailed());
    EXPECT_EQ(Translator()->Translate(std::u16string(u"Password")), u"Hasło");
}

TEST(TranslationService, LineBreakRules) {
    ModuleFixture m;
    m.locale.environment["LANG"] = "pl";
    m.Start();
    struct Case {
        std::u16string text, expected;
    } cases[] = {
        {kConfirmEnglish, kConfirmPolish},
        {u"Are you sure to     REMOVE      all your data?\nThis operation is irreversible!", kConfirmPolish},
        {u"one\ntwo", u"one\r\ntwo"},
        {u"\nstarts with a line feed", u"\r\nstarts with a line feed"},
        {u"a lone\rcarriage return", u"a lonecarriage return"},
        {u"kept\r\nas it is", u"kept\r\nas it is"},
        {u"Pass\rword", u"Hasło"},
    };
    for (const Case& c : cases) EXPECT_EQ(Translator()->Translate(c.text), c.expected);
}

TEST(TranslationService, CatalogueWithoutUtf8ShowsOneBoxThenEnglish) {
    struct Case {
        const char* contentType;
        bool accepted;
    } cases[] = {
        {"Content-Type: text/plain; charset=ISO-8859-2\n", false},
        {"MIME-Version: 1.0\n", false},
        {"content-type:  text/plain; CHARSET=utf-8 \r\n", true},
        {"X: y\rContent-Type: text/plain; charset=UTF-8", true},
    };
    for (const Case& c : cases) {
        ModuleFixture m;
        m.files.files["C:\\Velt\\locale\\pl\\LC_MESSAGES\\default.mo"] =
            test::BuildMo({{"", std::string("Project-Id-Version: Velt\n") + c.contentType}, {"Password", "Hasło"}});
        m.locale.environment["LANG"] = "pl";
        m.Start(/*embedPolish=*/false);
        EXPECT_EQ(Translator()->Translate(std::u16string(u"Password")), c.accepted ? u"Hasło" : u"Password")
            << c.contentType;
        if (c.accepted) {
            EXPECT_TRUE(m.messages.shown.empty());
            continue;
        }
        ASSERT_EQ(m.messages.shown.size(), 1u);
        EXPECT_EQ(m.messages.shown[0].first, "Localization problem");
        EXPECT_EQ(m.messages.shown[0].second,
                  "The translation for the language code pl (in C:\\Velt\\locale\\pl\\LC_MESSAGES\\default.mo) does "
                  "not have charset=utf-8 in its Content-Type. Translations are turned off.");
        ChooseLanguage("en");
        ChooseLanguage("pl");
        EXPECT_EQ(Translator()->Translate(std::u16string(u"Password")), u"Password");
        EXPECT_EQ(m.messages.shown.size(), 1u);
        EXPECT_FALSE(Translator()->FindOrAddDomain("default").Active());
        EXPECT_EQ(m.files.openMappings, 0) << "the refused catalogue was not released";
    }
}

TEST(TranslationService, UnusableCatalogueRaisesAndIsTriedAgain) {
    ModuleFixture m;
    m.files.files["C:\\Velt\\locale\\de\\LC_MESSAGES\\default.mo"] = test::Bytes(64, 'x');
    m.locale.environment["LANG"] = "de_DE";
    m.Start();
    for (int attempt = 0; attempt < 2; ++attempt) {
        EXPECT_THROW(Translator()->Translate(std::u16string(u"Save")), ETranslatorIOError);
        const TDomain& d = Translator()->FindOrAddDomain("default");
        EXPECT_EQ(d.Catalogue(), nullptr);
        EXPECT_FALSE(d.OpenFailed());
    }
}

TEST(TranslationService, DomainsAndDirectories) {
    ModuleFixture m;
    m.locale.environment["LANG"] = "pl";
    m.files.files["D:\\cat\\pl\\LC_MESSAGES\\Extra.mo"] =
        test::BuildMo({{"", "Content-Type: text/plain; charset=UTF-8"}, {"Save", "Zachowaj"}});
    m.Start();
    TTranslator& t = *Translator();
    t.SetDomainDirectory("Extra", "D:\\cat");
    TDomain& extra = t.FindOrAddDomain("EXTRA");
    EXPECT_EQ(extra.Directory(), "D:\\cat\\");
    EXPECT_EQ(extra.DomainName(), "Extra");
    EXPECT_EQ(t.TranslateInDomain("extra", std::string("Save")), u"Zachowaj");
    EXPECT_EQ(t.Translate(std::string("Save")), u"Zapisz");
    t.SetDefaultDomain("extra");
    EXPECT_EQ(t.Translate(std::string("Save")), u"Zachowaj");
    EXPECT_EQ(t.TranslateInDomain("new", std::string("Save")), u"Save");
    EXPECT_EQ(t.FindOrAddDomain("new").Directory(), "C:\\Velt\\locale\\");
    EXPECT_EQ(t.Domains().size(), 3u);
}

TEST(ResourceStrings, AllRoutesTranslate) {
    ModuleFixture m;
    m.locale.environment["LANG"] = "pl_PL.UTF-8";
    m.Start();
    EXPECT_EQ(ResStr(IDS_CONFIRM_CLEAR), Narrow(kConfirmPolish));
    EXPECT_EQ(ResStr(IDS_COL_NAME), "Nazwa");
    EXPECT_EQ(LoadStr(IDS_PASSWORD), Narrow(u"Hasło"));
    EXPECT_EQ(FmtLoadStr(IDS_TIME_DAYS, {}), "%.2n dni");
    EXPECT_EQ(ResStr(IDS_BTN_OK), "OK") << "no catalogue entry";
    ResStringRec big{nullptr, 70000};
    EXPECT_EQ(LoadResString(&big), "ERROR");
    EXPECT_EQ(LoadResString(nullptr), "");
    ResStringRec password{nullptr, IDS_PASSWORD};
    EXPECT_EQ(Translator()->LoadResourceText(&password), u"Hasło");

    ChooseLanguage("en");
    EXPECT_EQ(ResStr(IDS_CONFIRM_CLEAR), Narrow(kConfirmEnglish));
    EXPECT_EQ(LoadStr(IDS_PASSWORD), "Password");
}

TEST(ResourceStrings, TheVeltDomainAnswersWhatDefaultDoesNot) {
    const test::Bytes velt = test::BuildMo({{"", "Content-Type: text/plain; charset=UTF-8\n"},
                                      {"Strong encryption", "Silne szyfrowanie"},
                                      {"Name", "not this one"}});
    struct Case {
        const char* name;
        bool withVelt;
        const char* strong;
    } cases[] = {{"both catalogues", true, "Silne szyfrowanie"}, {"no velt catalogue", false, "Strong encryption"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ModuleFixture m;
        m.locale.environment["LANG"] = "pl";
        if (c.withVelt) m.alsoEmbedded[test::kAddedName] = velt;
        m.Start();
        EXPECT_EQ(ResStr(IDS_STRONG_ENCRYPTION), c.strong);
        EXPECT_EQ(LoadStr(IDS_STRONG_ENCRYPTION), c.strong);
        EXPECT_EQ(ResStr(IDS_COL_NAME), "Nazwa") << "default answers first";
        EXPECT_EQ(ResStr(IDS_BTN_OK), "OK");
        ChooseLanguage("en");
        EXPECT_EQ(ResStr(IDS_STRONG_ENCRYPTION), "Strong encryption");
    }
}

// Every text the program shows has Polish in one of its two catalogues,
// except the framework's own, which stay English.
TEST(ResourceStrings, EveryTextHasPolishButTheFrameworksOwn) {
    ModuleFixture m;
    m.locale.environment["LANG"] = "pl";
    m.alsoEmbedded[test::kAddedName] = test::AddedCatalogue();
    m.Start();
    struct Text {
        int id;
        const char* english;
    };
    const Text texts[] = {
#define VELT_STRING(name, number, text) {number, text},
#include "core/strings.def"
#undef VELT_STRING
    };
    for (const Text& t : texts) {
        const bool frameworks = t.id >= IDS_CANNOT_CREATE_FILE && t.id <= IDS_BTN_ALL;
        const bool samePolish = t.id == IDS_COL_LOGIN;  // "Login" in both
        const std::u16string english = BuiltInEnglishText(t.id);
        ResStringRec rec{nullptr, t.id};
        EXPECT_EQ(LoadResourceText(&rec) == english, frameworks || samePolish) << t.english;
    }
    // Velt's own dialogs say the framework's captions and Cancel in Polish;
    // a text with no such entry stays English.
    const std::pair<int, const char16_t*> own[] = {
        {IDS_MSG_WARNING, u"Ostrzeżenie"}, {IDS_MSG_ERROR, u"Błąd"}, {IDS_MSG_INFORMATION, u"Informacja"},
        {IDS_MSG_CONFIRM, u"Potwierdzenie"}, {IDS_BTN_CANCEL, u"Anuluj"}, {IDS_BTN_OK, u"OK"}};
    for (const auto& [id, polish] : own) EXPECT_EQ(ResStrInContext(kOwnDialogs, id), Narrow(polish)) << id;
}

TEST(ResourceStrings, EmptyStringNeverBecomesTheHeader) {
    ModuleFixture m;
    m.locale.environment["LANG"] = "pl";
    m.Start();
    const int missing = 4242;
    EXPECT_EQ(ResStr(missing), "");
    EXPECT_EQ(LoadStr(missing), "");
    EXPECT_EQ(FmtLoadStr(missing, {}), "");
    EXPECT_EQ(TranslateResourceText(u""), u"");
    EXPECT_EQ(Translator()->Translate(std::u16string()), Utf8ToUtf16(WithCrLf(test::kPolishHeader)))
        << "a direct lookup of the empty text is the header";
}

TEST(ResourceStrings, RecordRouteStaysEnglishOnOtherThreads) {
    ModuleFixture m;
    m.locale.environment["LANG"] = "pl";
    m.Start();
    std::string byRecord, byIdentifier;
    std::u16string serviceRecord;
    std::thread other([&] {
        byRecord = ResStr(IDS_PASSWORD);
        ResStringRec rec{nullptr, IDS_COL_NAME};
        serviceRecord = Translator()->LoadResourceText(&rec);
        byIdentifier = LoadStr(IDS_COL_NAME);  // this route has no thread test
    });
    other.join();
    EXPECT_EQ(byRecord, "Password");
    EXPECT_EQ(serviceRecord, u"Name");
    EXPECT_EQ(byIdentifier, "Nazwa");
    EXPECT_EQ(ResStr(IDS_COL_NAME), "Nazwa");
}

TEST(ResourceStrings, ShutdownReleasesEverythingAndLeavesEnglish) {
    {
        ModuleFixture m;
        m.locale.environment["LANG"] = "pl";
        m.Start();
        EXPECT_EQ(ResStr(IDS_COL_NAME), "Nazwa");
        EXPECT_EQ(m.files.openMappings, 1);
        StopTranslationModule();
        EXPECT_EQ(m.files.openMappings, 0);
        EXPECT_EQ(Translator(), nullptr);
        EXPECT_EQ(Locator(), nullptr);
    }
    EXPECT_EQ(ResStr(IDS_COL_NAME), "Name");
    EXPECT_EQ(LoadStr(IDS_COL_NAME), "Name");
    EXPECT_EQ(TranslateResourceText(u"Name"), u"Name");
    EXPECT_THROW(ChooseLanguage("pl"), ETranslator);
    EXPECT_THROW(CurrentLanguage(), ETranslator);
}

} // namespace
} // namespace velt::i18n
