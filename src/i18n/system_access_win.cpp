#include "i18n/system_access_win.h"

#include <windows.h>

namespace velt::i18n {

namespace {

class Handle {
public:
    explicit Handle(HANDLE h = nullptr) : h_(h) {}
    ~Handle() { if (h_ && h_ != INVALID_HANDLE_VALUE) CloseHandle(h_); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE get() const { return h_; }
    HANDLE release() {
        HANDLE h = h_;
        h_ = nullptr;
        return h;
    }

private:
    HANDLE h_;
};

std::string SystemMessage(DWORD code) {
    char buffer[2001] = {};
    DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, buffer,
                             2000, nullptr);
    std::string text(buffer, n);
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' ')) text.pop_back();
    return text;
}

// The file, its mapping and the view, released in reverse order.
class WinMapping final : public MappedFile {
public:
    WinMapping(HANDLE file, HANDLE mapping, const void* view, std::uint64_t size)
        : file_(file), mapping_(mapping), view_(view), size_(size) {}
    ~WinMapping() override { UnmapViewOfFile(view_); }
    const unsigned char* Data() const override { return static_cast<const unsigned char*>(view_); }
    std::uint64_t Size() const override { return size_; }

private:
    Handle file_;
    Handle mapping_;
    const void* view_;
    std::uint64_t size_;
};

class WinReader final : public FileReader {
public:
    WinReader(HANDLE file, std::uint64_t size) : file_(file), size_(size) {}
    std::uint64_t Size() const override { return size_; }
    bool ReadAt(std::uint64_t position, void* buffer, std::size_t count) override {
        LARGE_INTEGER at;
        at.QuadPart = static_cast<LONGLONG>(position);
        if (!SetFilePointerEx(file_.get(), at, nullptr, FILE_BEGIN)) return false;
        DWORD read = 0;
        return ReadFile(file_.get(), buffer, static_cast<DWORD>(count), &read, nullptr) && read == count;
    }

private:
    Handle file_;
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
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        out.failedStep = MapStep::Open;
        return out;
    }
    Handle fileHandle(file);
    LARGE_INTEGER size{};
    GetFileSizeEx(file, &size);
    HANDLE mapping = CreateFileMappingA(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
    if (!mapping) {
        out.failedStep = MapStep::CreateMapping;
        return out;
    }
    Handle mappingHandle(mapping);
    const void* view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0);
    if (!view) {
        out.failedStep = MapStep::MapView;
        out.reason = SystemMessage(GetLastError());
        return out;
    }
    out.file = std::make_unique<WinMapping>(fileHandle.release(), mappingHandle.release(), view,
                                            static_cast<std::uint64_t>(size.QuadPart));
    return out;
}

std::unique_ptr<FileReader> WinFileAccess::OpenShared(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return nullptr;
    LARGE_INTEGER size{};
    GetFileSizeEx(file, &size);
    return std::make_unique<WinReader>(file, static_cast<std::uint64_t>(size.QuadPart));
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
