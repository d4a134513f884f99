// Fault injection for Save: every step of the real operations can fail.
#pragma once
#include <windows.h>

#include <memory>
#include <string>

#include "platform/system_error.h"
#include "vault/vault_file.h"
#include "vault/vault_save.h"

namespace velt::test {

// The real save operations, with step failAt (counted from 1 in `steps`)
// failing as a full disk would, instead of running.
class StepFailingSaveOps final : public SaveFileOps {
public:
    StepFailingSaveOps(int failAt, int& steps) : real_(MakeWindowsSaveOps()), failAt_(failAt), steps_(steps) {}
    std::string FullPath(const std::string& p) override { return real_->FullPath(p); }
    FileOpStatus CheckReplaceable(const std::string& t) override { return Fails() ? Fail() : real_->CheckReplaceable(t); }
    FileOpStatus CreateTemp(const std::string& t, std::string& tmp) override {
        return Fails() ? Fail() : real_->CreateTemp(t, tmp);
    }
    FileOpStatus Write(const char* d, size_t n) override {
        // A full disk: half the bytes reach the file.
        if (Fails()) {
            real_->Write(d, n / 2);
            return Fail();
        }
        return real_->Write(d, n);
    }
    FileOpStatus Flush() override { return Fails() ? Fail() : real_->Flush(); }
    FileOpStatus Close() override { return Fails() ? Fail() : real_->Close(); }
    FileOpStatus Replace(const std::string& tmp, const std::string& t) override {
        return Fails() ? Fail() : real_->Replace(tmp, t);
    }
    void Discard(const std::string& tmp) noexcept override { real_->Discard(tmp); }
    bool Exists(const std::string& p) override { return real_->Exists(p); }
    FileOpStatus Rename(const std::string& f, const std::string& t) override {
        return Fails() ? Fail() : real_->Rename(f, t);
    }
    FileOpStatus Delete(const std::string& p) override { return real_->Delete(p); }
    FileOpStatus ReplaceKeeping(const std::string& tmp, const std::string& t, const std::string& b) override {
        return Fails() ? Fail() : real_->ReplaceKeeping(tmp, t, b);
    }

private:
    bool Fails() { return ++steps_ == failAt_; }
    static FileOpStatus Fail() { return FileOpStatus::Fail(platform::SystemErrorReason(ERROR_DISK_FULL)); }
    std::unique_ptr<SaveFileOps> real_;
    int failAt_;
    int& steps_;
};

} // namespace velt::test
