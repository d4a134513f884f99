// TFileLocator: finds catalogues on disk or embedded in the executable, and
// shares open catalogues between text domains with use counts.
#pragma once
#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "i18n/mo_file.h"
#include "i18n/system_access.h"

namespace velt::i18n {

// One embedded file: where it lies in the executable and how long it is.
struct TEmbeddedFileInfo {
    std::uint64_t Offset = 0;
    std::uint64_t Size = 0;
};

// Orders 8-bit names ignoring the case of ASCII letters.
struct CaseInsensitiveLess {
    bool operator()(const std::string& a, const std::string& b) const;
};

class TFileLocator {
public:
    // `tablePosition` is the number behind the embedded-file marker (0: no
    // files embedded); `lock` guards the open catalogues.
    TFileLocator(FileAccess& files, std::string executablePath, std::uint64_t tablePosition,
                 std::unique_ptr<RwLock> lock);
    ~TFileLocator();
    TFileLocator(const TFileLocator&) = delete;
    TFileLocator& operator=(const TFileLocator&) = delete;

    // Fills the embedded-file list once; a damaged table ends it silently.
    void ReadEmbeddedTable();
    bool IsEmbedded(const std::string& path) const;
    // The catalogue for a path, embedded or on disk, with its user count
    // raised. Raises ETranslatorIOError.
    TMoFile* AcquireCatalogue(const std::string& path);
    void ReleaseCatalogue(TMoFile* catalogue);

    const std::string& ExecutableDirectory() const { return executableDirectory_; }
    const std::map<std::string, TEmbeddedFileInfo, CaseInsensitiveLess>& EmbeddedFiles() const {
        return embeddedFiles_;
    }
    std::size_t OpenCatalogueCount() const;

private:
    FileAccess& files_;
    std::string executablePath_;
    std::uint64_t tablePosition_;
    std::string executableDirectory_;
    std::map<std::string, TEmbeddedFileInfo, CaseInsensitiveLess> embeddedFiles_;
    std::map<std::string, std::unique_ptr<TMoFile>, CaseInsensitiveLess> openCatalogues_;
    std::unique_ptr<RwLock> lock_;
};

// The directory part of a path with its trailing separator ("" when none).
std::string DirectoryOf(const std::string& path);

} // namespace velt::i18n
