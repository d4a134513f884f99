// The translation lookup path over a catalogue with a fuzzed header and
// fuzzed texts: the charset check, the CR/LF rules and the decoding of
// invalid UTF-8, through the running localisation module.
//
// Input: flag byte; truncation byte; then fields split at zero bytes: the
// catalogue header, then source/translation pairs, and an odd last field
// looked up as well, read as UTF-16: each byte one code unit, except that
// 0xFF takes the next two bytes as one unit (high byte first), which
// reaches the surrogates.
// Flags: bit 0 embeds the catalogue in the executable (else it lies on
// disk); bit 1 writes it big-endian; bit 2 cuts it to (truncation byte /
// 256) of its length; bit 3 sets LANG to "pl" (else "pl_PL.UTF-8"); bit 4
// looks the sources up with CR LF line breaks.
#include "core/text.h"
#include "fuzz_support.h"
#include "i18n/translator.h"
#include "i18n/translator_errors.h"
#include "i18n/translator_service.h"

using namespace velt;
using namespace velt::i18n;

namespace {

const std::string kExe = "C:\\Velt\\velt.exe";
const std::string kCatalogueName = "locale\\pl\\LC_MESSAGES\\default.mo";

class FakeLocale : public LocaleSource {
public:
    std::string lang;
    std::string EnvironmentVariable(const std::string& name) override { return name == "LANG" ? lang : ""; }
    int IsoLanguageName(char (&b)[5]) override { return Copy("en", b); }
    int IsoCountryName(char (&b)[5]) override { return Copy("US", b); }
    std::uint32_t ThreadLocale() override { return 0x0409; }

private:
    static int Copy(const char* s, char (&b)[5]) {
        std::memset(b, 0, 5);
        std::memcpy(b, s, 2);
        return 3;
    }
};

class Messages : public MessageBoxSink {
public:
    std::vector<std::pair<std::string, std::string>> shown;
    void Show(const std::string& caption, const std::string& text) override { shown.emplace_back(caption, text); }
};

// The header's first "Content-Type: " line names charset=UTF-8.
bool RefHasUtf8Charset(std::string_view header) {
    for (std::string_view rest = header; !rest.empty();) {
        std::size_t end = std::min(rest.find_first_of("\r\n"), rest.size());
        std::string line(rest.substr(0, end));
        rest.remove_prefix(std::min(end + 1, rest.size()));
        for (char& c : line)
            if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
        if (line.compare(0, 14, "CONTENT-TYPE: ") != 0) continue;
        return line.find("CHARSET=UTF-8") != std::string::npos;
    }
    return false;
}

// Appends the catalogue behind an executable's image with a one-entry
// table, as the build does; returns the table's position.
std::uint64_t Embed(fuzz::Bytes& exe, const fuzz::Bytes& mo) {
    const std::uint64_t at = exe.size();
    exe.insert(exe.end(), mo.begin(), mo.end());
    const std::uint64_t table = exe.size();
    fuzz::Put64(exe, table + 24 + kCatalogueName.size());
    fuzz::Put64(exe, at);
    fuzz::Put64(exe, mo.size());
    exe.insert(exe.end(), kCatalogueName.begin(), kCatalogueName.end());
    fuzz::Put64(exe, 0);
    return table;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const std::uint8_t flags = data[0], cut = data[1];
    std::vector<std::string> fields = fuzz::SplitAtZero(std::string_view(reinterpret_cast<const char*>(data) + 2, size - 2));
    std::u16string extra;
    if (fields.size() % 2 == 0) {
        const std::string& last = fields.back();
        for (std::size_t i = 0; i < last.size(); ++i) {
            unsigned unit = static_cast<unsigned char>(last[i]);
            if (unit == 0xFF && i + 2 < last.size()) {
                unit = static_cast<unsigned char>(last[i + 1]) << 8 | static_cast<unsigned char>(last[i + 2]);
                i += 2;
            }
            extra.push_back(static_cast<char16_t>(unit));
        }
        fields.pop_back();
    }

    // Invalid UTF-8 decodes one U+FFFD per offending byte; valid UTF-8 and
    // well-formed UTF-16 survive a round trip.
    for (const std::string& f : fields) {
        CHECK(Utf8ToUtf16(f) == fuzz::RefUtf8ToUtf16(f));
        if (fuzz::IsValidUtf8(f)) CHECK(Utf16ToUtf8(Utf8ToUtf16(f)) == f);
    }
    CHECK(Utf8ToUtf16(Utf16ToUtf8(extra)) == fuzz::RefWithoutLoneSurrogates(extra));

    std::map<std::string, std::string> entries{{"", fields[0]}};
    for (std::size_t i = 1; i + 1 < fields.size(); i += 2)
        if (!fields[i].empty()) entries.emplace(fields[i], fields[i + 1]);
    fuzz::Bytes mo = fuzz::WriteMo({entries.begin(), entries.end()}, flags & 2);
    const bool truncated = flags & 4;
    if (truncated) mo.resize(mo.size() * cut / 256);

    fuzz::PoisonedFiles files;
    FakeLocale locale;
    Messages messages;
    locale.lang = (flags & 8) ? "pl" : "pl_PL.UTF-8";
    fuzz::Bytes& exe = files.files[kExe];
    exe.assign(1000, 0x90);
    ModuleServices services;
    if (flags & 1) services.embeddedTablePosition = Embed(exe, mo);
    else files.files["C:\\Velt\\" + kCatalogueName] = mo;
    services.files = &files;
    services.locale = &locale;
    services.messages = &messages;
    services.executablePath = kExe;
    StartTranslationModule(services);
    TTranslator& translator = *Translator();
    const std::string language = (flags & 8) ? "pl" : "pl_PL";
    CHECK(translator.CurrentLanguage() == language);

    const bool active = !truncated && RefHasUtf8Charset(fields[0]);
    // What a text looks up to: its catalogue entry, or itself, under the
    // line-break rules.
    bool polish = true;
    auto expected = [&](const std::u16string& text) {
        const std::u16string key = fuzz::RefWithoutCr(fuzz::RefWithoutLoneSurrogates(text));
        if (active && polish)
            for (const auto& [source, translation] : entries)
                if (fuzz::IsValidUtf8(source) && fuzz::RefUtf8ToUtf16(source) == key)
                    return fuzz::RefUtf8ToUtf16(fuzz::RefAddCr(translation));
        return fuzz::RefAddCr(key);
    };
    auto check = [&](const std::u16string& text) {
        std::u16string answer;
        try {
            answer = translator.TranslateInDomain("default", text);
        } catch (const ETranslatorIOError&) {
            CHECK(truncated);  // the catalogue is damaged; the domain tries again next time
            CHECK(translator.FindOrAddDomain("default").Catalogue() == nullptr);
            CHECK(Locator()->OpenCatalogueCount() == 0);
            return;
        }
        for (std::size_t i = 0; i < answer.size(); ++i)
            if (answer[i] == u'\n') CHECK(i > 0 && answer[i - 1] == u'\r');
        if (!truncated) CHECK(answer == expected(text));
        if (!truncated) CHECK(TranslateResourceText(text) == (text.empty() ? text : answer));
    };

    check(u"Password");
    check(extra);
    int looked = 0;
    for (const auto& [source, translation] : entries) {
        if (!fuzz::IsValidUtf8(source) || ++looked > 32) continue;
        std::u16string text = fuzz::RefUtf8ToUtf16(source);
        check((flags & 16) ? fuzz::RefAddCr(text) : text);
    }

    // One box for a catalogue without UTF-8, and English from then on, also
    // after switching the language away and back.
    if (!truncated) {
        CHECK(messages.shown.size() == (active ? 0u : 1u));
        if (!active) {
            CHECK(messages.shown[0].first == "Localization problem");
            CHECK(messages.shown[0].second == "The translation for the language code " + language + " (in C:\\Velt\\" +
                                                  kCatalogueName +
                                                  ") does not have charset=utf-8 in its Content-Type. "
                                                  "Translations are turned off.");
        }
        polish = false;
        translator.ChooseLanguage("en");
        check(extra);
        polish = true;
        translator.ChooseLanguage("");
        check(extra);
        CHECK(messages.shown.size() == (active ? 0u : 1u));
    }
    StopTranslationModule();
    CHECK(files.liveMappings == 0);
    return 0;
}
