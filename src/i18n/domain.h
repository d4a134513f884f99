// TDomain: one text domain, bound to a catalogue directory and the current
// language, opening its catalogue lazily at the first lookup.
#pragma once
#include <string>
#include <string_view>

#include "i18n/file_locator.h"
#include "i18n/system_access.h"

namespace velt::i18n {

// What a domain needs from outside.
struct DomainServices {
    TFileLocator& locator;
    FileAccess& files;
    MessageBoxSink& messages;
};

class TDomain {
public:
    TDomain(DomainServices& services, std::string name, const std::string& directory, std::string languageCode);
    ~TDomain();
    TDomain(const TDomain&) = delete;
    TDomain& operator=(const TDomain&) = delete;

    // The translation's UTF-8 bytes, or the key itself when there is none.
    // Raises ETranslatorIOError when a catalogue file cannot be used; the
    // domain then stays closed and tries again next time.
    std::string Lookup(std::string_view key);

    // Releases the catalogue; the next lookup looks for one again.
    void CloseCatalogue();
    // A trailing separator is added when missing; closes the catalogue.
    void SetDirectory(const std::string& directory);
    // Closes the catalogue and takes the code.
    void SetLanguageCode(const std::string& code);

    const std::string& DomainName() const { return name_; }
    const std::string& Directory() const { return directory_; }
    const std::string& LanguageCode() const { return languageCode_; }
    TMoFile* Catalogue() const { return catalogue_; }
    bool OpenFailed() const { return openFailed_; }
    bool Active() const { return active_; }

private:
    void OpenCatalogue();
    std::string CatalogueFileName(const std::string& code) const;
    bool Exists(const std::string& fileName);
    bool HasUtf8Charset() const;

    DomainServices& services_;
    std::string name_;
    std::string directory_;
    std::string languageCode_;
    TMoFile* catalogue_ = nullptr;
    bool openFailed_ = false;
    bool active_ = true;
};

// The directory with a trailing path separator.
std::string WithTrailingSeparator(const std::string& directory);

} // namespace velt::i18n
