// Sync clients, virus scanners and the search indexer hold a file open for a
// moment. The renames and replaces of a save try again a few times, a
// little later each time, when the failure says the file was held; any
// other failure is final at once.
#pragma once
#include <functional>
#include <string>

#include "vault/vault_backup.h"

namespace velt {

// Whether a step that failed with the system error `error` may pass a
// moment later. Access denied counts only for a file that is not read-only.
bool HeldForAMoment(unsigned long error, bool readOnly);

class RetryingSaveOps final : public ForwardingSaveOps {
public:
    // Tries after the first failure, and the pause before each, in ms.
    static constexpr int kRetries = 5;
    static constexpr int kPauses[kRetries] = {50, 100, 150, 200, 200};

    using Wait = std::function<void(int milliseconds)>;
    RetryingSaveOps(SaveFileOps& inner, Wait wait) : ForwardingSaveOps(inner), wait_(std::move(wait)) {}

    FileOpStatus Replace(const std::string& tempPath, const std::string& target) override;
    FileOpStatus Rename(const std::string& from, const std::string& to) override;
    // Not tried again once the target is gone: what put it back runs first.
    FileOpStatus ReplaceKeeping(const std::string& tempPath, const std::string& target,
                                const std::string& backup) override;

private:
    template <class Step> FileOpStatus Retry(Step step, const std::string& path, const std::string& other);

    Wait wait_;
};

} // namespace velt
