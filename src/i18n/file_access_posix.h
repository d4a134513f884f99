// FileAccess for the host build: mmap and POSIX file descriptors.
#pragma once
#include "i18n/system_access.h"

namespace velt::i18n {

class PosixFileAccess final : public FileAccess {
public:
    bool FileExists(const std::string& path) override;
    MapOutcome MapReadOnly(const std::string& path) override;
    std::unique_ptr<FileReader> OpenShared(const std::string& path) override;
};

} // namespace velt::i18n
