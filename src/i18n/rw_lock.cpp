#include <shared_mutex>

#include "i18n/system_access.h"

namespace velt::i18n {

namespace {
class StdRwLock final : public RwLock {
public:
    void LockShared() override { mutex_.lock_shared(); }
    void UnlockShared() override { mutex_.unlock_shared(); }
    void Lock() override { mutex_.lock(); }
    void Unlock() override { mutex_.unlock(); }

private:
    std::shared_mutex mutex_;
};
} // namespace

std::unique_ptr<RwLock> MakeStdRwLock() { return std::make_unique<StdRwLock>(); }

} // namespace velt::i18n
