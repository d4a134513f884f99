// The Windows implementations of the localisation code's system services.
#pragma once
#include <cstdint>
#include <string>

#include "i18n/system_access.h"

namespace velt::i18n {

class WinFileAccess final : public FileAccess {
public:
    bool FileExists(const std::string& path) override;
    MapOutcome MapReadOnly(const std::string& path) override;
    std::unique_ptr<FileReader> OpenShared(const std::string& path) override;
};

class WinLocaleSource final : public LocaleSource {
public:
    std::string EnvironmentVariable(const std::string& name) override;
    int IsoLanguageName(char (&buffer)[5]) override;
    int IsoCountryName(char (&buffer)[5]) override;
    std::uint32_t ThreadLocale() override;
};

class WinMessageBox final : public MessageBoxSink {
public:
    void Show(const std::string& caption, const std::string& text) override;
};

// A slim reader/writer lock.
std::unique_ptr<RwLock> MakeSrwLock();

// The running executable's full path (8-bit).
std::string ExecutablePath();

// The 8 bytes behind the embedded-file marker in the loaded image: the
// position of the first embedded-file table entry, 0 when none.
std::uint64_t EmbeddedTablePosition();

} // namespace velt::i18n
