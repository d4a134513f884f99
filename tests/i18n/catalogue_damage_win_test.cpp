// Damaged catalogues on disk under locale\pl\LC_MESSAGES, read through the
// real Windows file access: the service warns as it should, never holds the
// damaged file, and stays usable in English. A program that carries its
// Polish catalogue is not affected by a damaged copy on disk.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "core/resource_strings.h"
#include "i18n/file_locator.h"
#include "i18n/mo_builder.h"
#include "i18n/polish_messages.h"
#include "i18n/service_fakes.h"
#include "i18n/system_access_win.h"
#include "i18n/translator.h"
#include "i18n/translator_errors.h"
#include "i18n/translator_service.h"

namespace velt::i18n {
namespace {

using test::Bytes;

void WriteFileBytes(const std::string& path, const Bytes& bytes) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE) << path;
    DWORD written = 0;
    WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(h);
}

// Nobody holds the file: it can be opened for writing with no sharing.
bool Released(const std::string& path) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    CloseHandle(h);
    return true;
}

Bytes Cut(std::size_t size) { return Bytes(test::PolishCatalogue().begin(), test::PolishCatalogue().begin() + size); }

Bytes PolishInCharset(const std::string& charset) {
    std::string header = test::kPolishHeader;
    header.replace(header.find("charset=UTF-8"), 13, "charset=" + charset);
    std::map<std::string, std::string> entries{{"", header}};
    for (const auto& m : test::kPolishMessages) entries[m.english] = m.polish;
    return test::BuildMo(entries);
}

// The module over a program folder in the temp directory, whose velt.exe
// carries the Polish catalogue or not.
class DamagedCatalogue : public testing::Test {
protected:
    void SetUp() override {
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        dir_ = std::string(temp) + "velt_catalogue_" + std::to_string(GetCurrentProcessId()) + "_" +
               testing::UnitTest::GetInstance()->current_test_info()->name();
        for (const char* sub : {"", "\\locale", "\\locale\\pl", "\\locale\\pl\\LC_MESSAGES"})
            CreateDirectoryA((dir_ + sub).c_str(), nullptr);
        catalogue_ = dir_ + "\\locale\\pl\\LC_MESSAGES\\default.mo";
    }
    void TearDown() override {
        StopTranslationModule();
        DeleteFileA(catalogue_.c_str());
        DeleteFileA((dir_ + "\\velt.exe").c_str());
        for (const char* sub : {"\\locale\\pl\\LC_MESSAGES", "\\locale\\pl", "\\locale", ""})
            RemoveDirectoryA((dir_ + sub).c_str());
    }

    void Start(bool embedPolish) {
        StopTranslationModule();
        messages_.shown.clear();
        std::map<std::string, Bytes> embedded;
        if (embedPolish) embedded[test::kPolishName] = test::PolishCatalogue();
        std::uint64_t table = 0;
        WriteFileBytes(dir_ + "\\velt.exe", test::ExecutableWithFiles(embedded, &table));
        locale_.environment["LANG"] = "pl_PL.UTF-8";
        ModuleServices services;
        services.files = &files_;
        services.locale = &locale_;
        services.messages = &messages_;
        services.makeLock = &MakeSrwLock;
        services.executablePath = dir_ + "\\velt.exe";
        services.embeddedTablePosition = table;
        StartTranslationModule(services);
    }

    std::u16string Password() { return Translator()->Translate(std::u16string(u"Password")); }

    WinFileAccess files_;
    test::FakeLocale locale_;
    test::RecordingMessages messages_;
    std::string dir_, catalogue_;
};

struct Damage {
    const char* what;
    Bytes bytes;
    const char* error;  // the ETranslatorIOError raised at each lookup; null: the charset box instead
};

std::vector<Damage> Damages() {
    return {
        {"cut inside the header", Cut(20), nullptr},
        {"cut inside the tables", Cut(600), nullptr},
        {"cut inside the header entry's text", Cut(2000), nullptr},
        {"another charset", PolishInCharset("ISO-8859-2"), nullptr},
        {"empty", {}, "Cannot create memory map on file "},
        {"not a catalogue", Bytes(200, 'x'), "This file is not a valid GNU gettext mo file: "},
    };
}

TEST_F(DamagedCatalogue, WarnsAndStaysUsableInEnglish) {
    for (const Damage& d : Damages()) {
        SCOPED_TRACE(d.what);
        WriteFileBytes(catalogue_, d.bytes);
        Start(/*embedPolish=*/false);
        EXPECT_EQ(CurrentLanguage(), "pl_PL");
        if (d.error) {
            for (int attempt = 0; attempt < 2; ++attempt) {
                try {
                    ResStr(IDS_INCORRECT_PASSWORD);
                    ADD_FAILURE() << "the damaged catalogue was used";
                } catch (const ETranslatorIOError& e) {
                    EXPECT_EQ(e.Message(), d.error + catalogue_);
                }
            }
            EXPECT_TRUE(messages_.shown.empty());
        } else {
            EXPECT_EQ(ResStr(IDS_INCORRECT_PASSWORD), "Incorrect password!");
            EXPECT_EQ(Password(), u"Password");
            ASSERT_EQ(messages_.shown.size(), 1u);
            EXPECT_EQ(messages_.shown[0].first, "Localization problem");
            EXPECT_EQ(messages_.shown[0].second, "The translation for the language code pl_PL (in " + catalogue_ +
                                                     ") does not have charset=utf-8 in its Content-Type. "
                                                     "Translations are turned off.");
        }
        EXPECT_EQ(Locator()->OpenCatalogueCount(), 0u);
        EXPECT_TRUE(Released(catalogue_)) << "the damaged catalogue is still held";

        // English works whatever the damage, and a refused catalogue stays
        // off after switching back: one box in all.
        ChooseLanguage("en");
        EXPECT_EQ(ResStr(IDS_INCORRECT_PASSWORD), "Incorrect password!");
        EXPECT_EQ(TranslateResourceText(u"Password"), u"Password");
        ChooseLanguage("");
        if (!d.error) {
            EXPECT_EQ(Password(), u"Password");
            EXPECT_EQ(messages_.shown.size(), 1u);
        }
    }
}

TEST_F(DamagedCatalogue, ARepairedFileIsUsedAtTheNextLookup) {
    WriteFileBytes(catalogue_, Bytes(200, 'x'));
    Start(/*embedPolish=*/false);
    EXPECT_THROW(Password(), ETranslatorIOError);
    WriteFileBytes(catalogue_, test::PolishCatalogue());
    EXPECT_EQ(Password(), u"Hasło");
    EXPECT_FALSE(Released(catalogue_)) << "the catalogue in use keeps writers out";
    ChooseLanguage("en");
    EXPECT_TRUE(Released(catalogue_));
}

TEST_F(DamagedCatalogue, TheCataloguePastTheImageWinsOverADamagedCopyOnDisk) {
    for (const Damage& d : Damages()) {
        SCOPED_TRACE(d.what);
        WriteFileBytes(catalogue_, d.bytes);
        Start(/*embedPolish=*/true);
        EXPECT_EQ(Password(), u"Hasło");
        EXPECT_TRUE(messages_.shown.empty());
        EXPECT_TRUE(Released(catalogue_)) << "the copy on disk was opened";
    }
}

} // namespace
} // namespace velt::i18n
