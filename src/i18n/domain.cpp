#include "i18n/domain.h"

#include "core/text.h"

namespace velt::i18n {

namespace {

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        char a = text[i], b = prefix[i];
        if (a >= 'a' && a <= 'z') a = static_cast<char>(a - 32);
        if (b >= 'a' && b <= 'z') b = static_cast<char>(b - 32);
        if (a != b) return false;
    }
    return true;
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && static_cast<unsigned char>(s.front()) <= ' ') s.remove_prefix(1);
    while (!s.empty() && static_cast<unsigned char>(s.back()) <= ' ') s.remove_suffix(1);
    return s;
}

} // namespace

std::string WithTrailingSeparator(const std::string& directory) {
    if (!directory.empty() && (directory.back() == '\\' || directory.back() == '/')) return directory;
    return directory + '\\';
}

TDomain::TDomain(DomainServices& services, std::string name, const std::string& directory, std::string languageCode)
    : services_(services), name_(std::move(name)), directory_(WithTrailingSeparator(directory)),
      languageCode_(std::move(languageCode)) {}

TDomain::~TDomain() { CloseCatalogue(); }

void TDomain::CloseCatalogue() {
    if (catalogue_) services_.locator.ReleaseCatalogue(catalogue_);
    catalogue_ = nullptr;
    openFailed_ = false;
}

void TDomain::SetDirectory(const std::string& directory) {
    directory_ = WithTrailingSeparator(directory);
    CloseCatalogue();
}

void TDomain::SetLanguageCode(const std::string& code) {
    CloseCatalogue();
    languageCode_ = code;
}

std::string TDomain::Lookup(std::string_view key) {
    if (!active_) return std::string(key);
    if (!catalogue_ && !openFailed_) OpenCatalogue();
    if (!catalogue_) return std::string(key);
    return catalogue_->Lookup(key);
}

std::string TDomain::CatalogueFileName(const std::string& code) const {
    return directory_ + code + "\\LC_MESSAGES\\" + name_ + ".mo";
}

bool TDomain::Exists(const std::string& fileName) {
    return services_.locator.IsEmbedded(fileName) || services_.files.FileExists(fileName);
}

void TDomain::OpenCatalogue() {
    std::string fileName = CatalogueFileName(languageCode_);
    if (!Exists(fileName)) fileName = CatalogueFileName(languageCode_.substr(0, 2));
    if (!Exists(fileName)) {
        // Remembered, so lookups cost no probes until the next change.
        openFailed_ = true;
        return;
    }
    catalogue_ = services_.locator.AcquireCatalogue(fileName);
    if (!HasUtf8Charset()) {
        CloseCatalogue();
        active_ = false;
        services_.messages.Show("Localization problem",
                                "The translation for the language code " + languageCode_ + " (in " + fileName +
                                    ") does not have charset=utf-8 in its Content-Type. Translations are turned off.");
    }
}

bool TDomain::HasUtf8Charset() const {
    std::string header = catalogue_->Lookup("");
    std::string_view rest = header;
    while (!rest.empty()) {
        std::size_t end = rest.find_first_of("\r\n");
        std::string_view line = rest.substr(0, end);
        if (end == std::string_view::npos) rest = {};
        else rest.remove_prefix(end + (rest.compare(end, 2, "\r\n") == 0 ? 2 : 1));
        static constexpr std::string_view kField = "Content-Type: ";
        if (!StartsWithIgnoringCase(line, kField)) continue;
        std::u16string value = Utf8ToUtf16(Trim(line.substr(kField.size())));
        for (char16_t& c : value)
            if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - 32);
        return value.find(u"CHARSET=UTF-8") != std::u16string::npos;
    }
    return false;
}

} // namespace velt::i18n
