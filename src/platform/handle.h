// A kernel handle (file, mapping, process...) owned by one object and closed
// once. Both null and INVALID_HANDLE_VALUE mean "no handle": the system's
// functions return one or the other on failure.
#pragma once
#include <windows.h>

#include <utility>

namespace velt::platform {

class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(HANDLE h) noexcept : h_(h) {}
    ~UniqueHandle() { Close(); }
    UniqueHandle(UniqueHandle&& other) noexcept : h_(std::exchange(other.h_, nullptr)) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) Reset(std::exchange(other.h_, nullptr));
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    HANDLE Get() const noexcept { return h_; }
    bool Valid() const noexcept { return h_ != nullptr && h_ != INVALID_HANDLE_VALUE; }
    explicit operator bool() const noexcept { return Valid(); }

    void Reset(HANDLE h = nullptr) noexcept {
        Close();
        h_ = h;
    }
    // Closes now; false (GetLastError tells why) when the system refused.
    bool Close() noexcept {
        if (!Valid()) {
            h_ = nullptr;
            return true;
        }
        const BOOL ok = CloseHandle(std::exchange(h_, nullptr));
        return ok != FALSE;
    }

private:
    HANDLE h_ = nullptr;
};

} // namespace velt::platform
