#include "vault/save_retry.h"

namespace velt {

namespace {
// The system's error numbers, written out: the core includes no system header.
constexpr unsigned long kAccessDenied = 5;
constexpr unsigned long kSharingViolation = 32;
constexpr unsigned long kLockViolation = 33;
constexpr unsigned long kUnableToRemoveReplaced = 1175;
constexpr unsigned long kUnableToMoveReplacement = 1176;
} // namespace

bool HeldForAMoment(unsigned long error, bool readOnly) {
    switch (error) {
    case kSharingViolation:
    case kLockViolation:
    case kUnableToRemoveReplaced:
    case kUnableToMoveReplacement: return true;
    case kAccessDenied: return !readOnly;  // a read-only file stays so
    default: return false;
    }
}

template <class Step>
FileOpStatus RetryingSaveOps::Retry(Step step, const std::string& path, const std::string& other) {
    FileOpStatus st = step();
    for (int n = 0; n < kRetries && !st.ok; ++n) {
        if (!HeldForAMoment(st.error, inner_.ReadOnly(path) || inner_.ReadOnly(other))) break;
        wait_(kPauses[n]);
        st = step();
    }
    return st;
}

FileOpStatus RetryingSaveOps::Replace(const std::string& tempPath, const std::string& target) {
    return Retry([&] { return inner_.Replace(tempPath, target); }, target, tempPath);
}

FileOpStatus RetryingSaveOps::Rename(const std::string& from, const std::string& to) {
    return Retry([&] { return inner_.Rename(from, to); }, from, to);
}

FileOpStatus RetryingSaveOps::ReplaceKeeping(const std::string& tempPath, const std::string& target,
                                             const std::string& backup) {
    return Retry(
        [&] {
            const FileOpStatus st = inner_.ReplaceKeeping(tempPath, target, backup);
            if (st.ok || inner_.Exists(target)) return st;
            FileOpStatus gone = st;
            gone.error = 0;  // final: the vault must get its name back first
            return gone;
        },
        target, backup);
}

} // namespace velt
