#include "i18n/system_access_win.h"

#include <windows.h>

#include "platform/handle.h"
#include "platform/system_error.h"

namespace velt::i18n {

namespace {

// The file, its mapping and the view, released in reverse order.
class WinMapping final : public MappedFile {
public:
    WinMapping(platform::UniqueHandle file, platform::UniqueHandle mapping, const void* view, std::uint64_t size)
        : file_(std::move(file)), mapping_(std::move(mapping)), view_(view), size_(size) {}
    ~WinMapping() override { UnmapViewOfFile(view_); }
    const unsigned char* Data() const override { return static_cast<const unsigned char*>(view_); }
    std::uint64_t Size() const override { return size_; }

private:
    platform::UniqueHandle file_;
    platform::UniqueHandle mapping_;
    const void* view_;
    std::uint64_t size_;
};

class WinReader final : public FileReader {
public:
    WinReader(platform::UniqueHandle file, std::uint64_t size) : file_(std::move(file)), size_(size) {}
    std::uint64_t Size() const override { return size_; }
    bool ReadAt(std::uint64_t position, void* buffer, std::size_t count) override {
        LARGE_INTEGER at;
        at.QuadPart = static_cast<LONGLONG>(position);
        if (!SetFilePointerEx(file_.Get(), at, nullptr, FILE_BEGIN)) return false;
        DWORD read = 0;
        return ReadFile(file_.Get(), buffer, static_cast<DWORD>(count), &read, nullptr) && read == count;
    }

private:
    platform::UniqueHandle file_;
    std::uint64_t size_;
};

class SrwLock final : public RwLock {
public:
    void LockShared() override { AcquireSRWLockShared(&lock_); }
    void UnlockShared() override { ReleaseSRWLockShared(&lock_); }
    void Lock() override { AcquireSRWLockExclusive(&lock_); }
    void Unlock() override { ReleaseSRWLockExclusive(&lock_); }

private:
    SRWLOCK lock_ = SRWLOCK_INIT;
};

} // namespace

bool WinFileAccess::FileExists(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

MapOutcome WinFileAccess::MapReadOnly(const std::string& path) {
    MapOutcome out;
    platform::UniqueHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                            FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        out.failedStep = MapStep::Open;
        return out;
    }
    LARGE_INTEGER size{};
    GetFileSizeEx(file.Get(), &size);
    platform::UniqueHandle mapping(CreateFileMappingA(file.Get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
    if (!mapping) {
        out.failedStep = MapStep::CreateMapping;
        return out;
    }
    const void* view = MapViewOfFile(mapping.Get(), FILE_MAP_READ, 0, 0, 0);
    if (!view) {
        out.failedStep = MapStep::MapView;
        out.reason = platform::LastErrorReason();
        return out;
    }
    out.file = std::make_unique<WinMapping>(std::move(file), std::move(mapping), view,
                                            static_cast<std::uint64_t>(size.QuadPart));
    return out;
}

std::unique_ptr<FileReader> WinFileAccess::OpenShared(const std::string& path) {
    platform::UniqueHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return nullptr;
    LARGE_INTEGER size{};
    GetFileSizeEx(file.Get(), &size);
    return std::make_unique<WinReader>(std::move(file), static_cast<std::uint64_t>(size.QuadPart));
}

std::string WinLocaleSource::EnvironmentVariable(const std::string& name) {
    char buffer[1024];
    DWORD n = GetEnvironmentVariableA(name.c_str(), buffer, sizeof buffer);
    if (n == 0) return {};
    if (n < sizeof buffer) return std::string(buffer, n);
    std::string value(n, '\0');
    n = GetEnvironmentVariableA(name.c_str(), value.data(), n);
    value.resize(n);
    return value;
}

int WinLocaleSource::IsoLanguageName(char (&buffer)[5]) {
    return GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SISO639LANGNAME, buffer, 5);
}

int WinLocaleSource::IsoCountryName(char (&buffer)[5]) {
    return GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SISO3166CTRYNAME, buffer, 5);
}

std::uint32_t WinLocaleSource::ThreadLocale() { return GetThreadLocale(); }

void WinMessageBox::Show(const std::string& caption, const std::string& text) {
    MessageBoxA(nullptr, text.c_str(), caption.c_str(), MB_OK);
}

std::unique_ptr<RwLock> MakeSrwLock() { return std::make_unique<SrwLock>(); }

std::string ExecutablePath() {
    std::string path(MAX_PATH, '\0');
    for (;;) {
        DWORD n = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n < path.size()) {
            path.resize(n);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

} // namespace velt::i18n
