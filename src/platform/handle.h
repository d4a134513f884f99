// Handles owned by one object and given back to the system once: kernel
// handles here, GDI objects in toolkit/gdi.h. Move-only, never copied.
#pragma once
#include <windows.h>

#include <utility>

namespace velt::platform {

// `Traits` says which values mean "no handle" and how one is given back.
template <class H, class Traits>
class UniqueResource {
public:
    UniqueResource() = default;
    explicit UniqueResource(H h) noexcept : h_(h) {}
    ~UniqueResource() { Close(); }
    UniqueResource(UniqueResource&& other) noexcept : h_(std::exchange(other.h_, H{})) {}
    UniqueResource& operator=(UniqueResource&& other) noexcept {
        if (this != &other) Reset(std::exchange(other.h_, H{}));
        return *this;
    }
    UniqueResource(const UniqueResource&) = delete;
    UniqueResource& operator=(const UniqueResource&) = delete;

    H Get() const noexcept { return h_; }
    bool Valid() const noexcept { return Traits::Valid(h_); }
    explicit operator bool() const noexcept { return Valid(); }

    void Reset(H h = H{}) noexcept {
        Close();
        h_ = h;
    }
    H Release() noexcept { return std::exchange(h_, H{}); }
    // Gives the handle back now; false (GetLastError tells why) when the
    // system refused.
    bool Close() noexcept {
        const H h = std::exchange(h_, H{});
        return !Traits::Valid(h) || Traits::Close(h);
    }

private:
    H h_{};
};

// Both null and INVALID_HANDLE_VALUE mean "no handle": the system's
// functions return one or the other on failure.
struct KernelHandleTraits {
    static bool Valid(HANDLE h) noexcept { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static bool Close(HANDLE h) noexcept { return CloseHandle(h) != FALSE; }
};

// A file, mapping or process handle.
using UniqueHandle = UniqueResource<HANDLE, KernelHandleTraits>;

} // namespace velt::platform
