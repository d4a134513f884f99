// The localisation module started as the program starts it, in this test
// program that carries the Polish catalogue behind its image.
#include "i18n/localisation_win.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <thread>

#include "core/resource_strings.h"
#include "i18n/file_locator.h"
#include "i18n/system_access_win.h"
#include "i18n/translator.h"
#include "i18n/translator_service.h"

namespace velt::i18n {
namespace {

struct Started {
    explicit Started(const char* lang = nullptr) {
        SetEnvironmentVariableA("LANG", lang);
        StartLocalisation();
    }
    ~Started() {
        StopLocalisation();
        SetEnvironmentVariableA("LANG", nullptr);
    }
};

const std::string kPolishName = "locale\\pl\\LC_MESSAGES\\default.mo";

TEST(Localisation, LocatorFindsTheEmbeddedCatalogue) {
    Started module;
    TFileLocator& locator = *Locator();
    const std::string dir = DirectoryOf(ExecutablePath());
    EXPECT_EQ(locator.ExecutableDirectory(), dir);
    std::string otherCase = dir;
    CharLowerA(otherCase.data());
    ASSERT_NE(otherCase, dir);
    EXPECT_TRUE(locator.IsEmbedded(dir + kPolishName));
    EXPECT_TRUE(locator.IsEmbedded(dir + "locale\\PL\\lc_messages\\DEFAULT.MO"));
    EXPECT_FALSE(locator.IsEmbedded(otherCase + kPolishName));
    EXPECT_TRUE(locator.IsEmbedded(dir + "locale\\pl\\LC_MESSAGES\\velt.mo"));

    TMoFile* first = locator.AcquireCatalogue(dir + kPolishName);
    TMoFile* second = locator.AcquireCatalogue(dir + "LOCALE\\pl\\LC_MESSAGES\\default.mo");
    EXPECT_EQ(first, second);
    EXPECT_EQ(first->UserCount, 2);
    EXPECT_EQ(first->Lookup("Language"), "Język");
    locator.ReleaseCatalogue(first);
    EXPECT_EQ(locator.OpenCatalogueCount(), 1u);
    locator.ReleaseCatalogue(second);
    EXPECT_EQ(locator.OpenCatalogueCount(), 0u);
}

TEST(Localisation, EmptyLangGivesTheEnglishLocale) {
    Started module;
    EXPECT_EQ(CurrentLanguage(), "en_US");
    EXPECT_EQ(ResStr(IDS_PASSWORD), "Password");
}

TEST(LocalisationPlLocale, EmptyLangGivesThePolishLocale) {
    Started module;
    EXPECT_EQ(CurrentLanguage(), "pl_PL");
    EXPECT_EQ(GetACP(), 1250u);
    EXPECT_EQ(ResStr(IDS_PASSWORD), "Has\xB3o");
    EXPECT_EQ(ResStr(IDS_CONFIRM_CLEAR),
              "Na pewno chcesz   USUN\xA5\xC6  wszystkie dane?\r\nTa operacja jest nieodwracalna!");
    EXPECT_EQ(LoadStr(IDS_ASTERISK_PASSWORDS), "Gwiazdkuj has\xB3" "a");
    // Velt's own texts, from the second catalogue.
    EXPECT_EQ(ResStr(IDS_STRONG_ENCRYPTION), "Silne szyfrowanie");
    EXPECT_EQ(LoadStr(IDS_BEYOND_RANGE), "Zbyt du\xBF" "e, by obliczy\xE6");
    EXPECT_EQ(FmtLoadStr(IDS_TIME_MONTHS, {}), "%.2n miesi\xEA" "cy");
}

TEST(Localisation, LangChoosesPolishFoundUnderPl) {
    Started module("pl_PL.UTF-8");
    EXPECT_EQ(CurrentLanguage(), "pl_PL");
    EXPECT_EQ(ResStr(IDS_COL_NAME), "Nazwa");
    const TDomain& domain = Translator()->FindOrAddDomain("default");
    ASSERT_NE(domain.Catalogue(), nullptr);
    EXPECT_EQ(Locator()->OpenCatalogueCount(), 1u);
}

TEST(Localisation, PolishNarrowedToCp1252UsesTheDefaultCharacter) {
    Started module;
    ASSERT_EQ(GetACP(), 1252u);
    ChooseLanguage("pl");
    EXPECT_EQ(ResStr(IDS_PASSWORD), "Has?o");
    EXPECT_EQ(LoadStr(IDS_ASTERISK_PASSWORDS), "Gwiazdkuj has?a");
    EXPECT_EQ(Translator()->Translate(std::string("Password")), u"Hasło") << "the 16-bit text is complete";
    ChooseLanguage("en");
    EXPECT_EQ(ResStr(IDS_PASSWORD), "Password");
    EXPECT_EQ(Locator()->OpenCatalogueCount(), 0u) << "the language change released the catalogue";
}

TEST(Localisation, RecordRouteOnAnotherThreadStaysEnglish) {
    Started module("pl");
    std::string other;
    std::thread([&] { other = ResStr(IDS_COL_DESCRIPTION); }).join();
    EXPECT_EQ(other, "Description");
    EXPECT_EQ(ResStr(IDS_COL_DESCRIPTION), "Opis");
}

} // namespace
} // namespace velt::i18n
