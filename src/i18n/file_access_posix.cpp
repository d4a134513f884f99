#include "i18n/file_access_posix.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace velt::i18n {

namespace {

class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() { if (fd_ >= 0) ::close(fd_); }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

class PosixMapping final : public MappedFile {
public:
    PosixMapping(void* view, std::uint64_t size) : view_(view), size_(size) {}
    ~PosixMapping() override { ::munmap(view_, size_); }
    const unsigned char* Data() const override { return static_cast<const unsigned char*>(view_); }
    std::uint64_t Size() const override { return size_; }

private:
    void* view_;
    std::uint64_t size_;
};

class PosixReader final : public FileReader {
public:
    PosixReader(int fd, std::uint64_t size) : fd_(fd), size_(size) {}
    std::uint64_t Size() const override { return size_; }
    bool ReadAt(std::uint64_t position, void* buffer, std::size_t count) override {
        auto* out = static_cast<char*>(buffer);
        while (count > 0) {
            ssize_t n = ::pread(fd_.get(), out, count, static_cast<off_t>(position));
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return false;
            out += n;
            position += static_cast<std::uint64_t>(n);
            count -= static_cast<std::size_t>(n);
        }
        return true;
    }

private:
    Descriptor fd_;
    std::uint64_t size_;
};

} // namespace

bool PosixFileAccess::FileExists(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

MapOutcome PosixFileAccess::MapReadOnly(const std::string& path) {
    MapOutcome out;
    Descriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat st;
    if (fd.get() < 0 || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
        out.failedStep = MapStep::Open;
        return out;
    }
    // An empty file cannot be mapped (as on Windows).
    if (st.st_size == 0) {
        out.failedStep = MapStep::CreateMapping;
        return out;
    }
    void* view = ::mmap(nullptr, static_cast<std::size_t>(st.st_size), PROT_READ, MAP_SHARED, fd.get(), 0);
    if (view == MAP_FAILED) {
        out.failedStep = MapStep::MapView;
        out.reason = std::strerror(errno);
        return out;
    }
    out.file = std::make_unique<PosixMapping>(view, static_cast<std::uint64_t>(st.st_size));
    return out;
}

std::unique_ptr<FileReader> PosixFileAccess::OpenShared(const std::string& path) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return nullptr;
    struct stat st;
    if (::fstat(fd, &st) != 0) {
        ::close(fd);
        return nullptr;
    }
    return std::make_unique<PosixReader>(fd, static_cast<std::uint64_t>(st.st_size));
}

} // namespace velt::i18n
