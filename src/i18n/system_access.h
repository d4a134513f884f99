// The operating-system services the localisation code needs, as small
// interfaces. Windows passes in the real ones (system_access_win.cpp); tests
// pass in fakes, so the logic runs on the host too.
#pragma once
#include <cstdint>
#include <memory>
#include <string>

namespace velt::i18n {

// A read-only view of a whole file, released with the object.
class MappedFile {
public:
    virtual ~MappedFile() = default;
    virtual const unsigned char* Data() const = 0;
    virtual std::uint64_t Size() const = 0;
};

// Which step of mapping a file failed.
enum class MapStep { None, Open, CreateMapping, MapView };

struct MapOutcome {
    std::unique_ptr<MappedFile> file;  // null when a step failed
    MapStep failedStep = MapStep::None;
    std::string reason;                // the system's text for MapView failures
};

// A file opened for positioned reads.
class FileReader {
public:
    virtual ~FileReader() = default;
    virtual std::uint64_t Size() const = 0;
    // False when fewer than `count` bytes could be read at `position`.
    virtual bool ReadAt(std::uint64_t position, void* buffer, std::size_t count) = 0;
};

class FileAccess {
public:
    virtual ~FileAccess() = default;
    // An existing plain file (not a directory).
    virtual bool FileExists(const std::string& path) = 0;
    // Opens the file for reading while others may only read it, and maps
    // all of it read-only.
    virtual MapOutcome MapReadOnly(const std::string& path) = 0;
    // Opens the file for reading while others may read and write it; null on failure.
    virtual std::unique_ptr<FileReader> OpenShared(const std::string& path) = 0;
};

// Where the automatic language choice looks.
class LocaleSource {
public:
    virtual ~LocaleSource() = default;
    // An unset variable reads as empty.
    virtual std::string EnvironmentVariable(const std::string& name) = 0;
    // The user default locale's ISO 639 language name and ISO 3166 country
    // name, written into a 5-character buffer; returns the characters written
    // including the terminating zero, 0 on failure.
    virtual int IsoLanguageName(char (&buffer)[5]) = 0;
    virtual int IsoCountryName(char (&buffer)[5]) = 0;
    // The calling thread's locale identifier.
    virtual std::uint32_t ThreadLocale() = 0;
};

// A modal message box with no owner window and an OK button (8-bit texts).
class MessageBoxSink {
public:
    virtual ~MessageBoxSink() = default;
    virtual void Show(const std::string& caption, const std::string& text) = 0;
};

// A multi-reader single-writer lock.
class RwLock {
public:
    virtual ~RwLock() = default;
    virtual void LockShared() = 0;
    virtual void UnlockShared() = 0;
    virtual void Lock() = 0;
    virtual void Unlock() = 0;
};

// The standard library's shared mutex; Windows passes a slim reader/writer lock.
std::unique_ptr<RwLock> MakeStdRwLock();

class ReadGuard {
public:
    explicit ReadGuard(RwLock& lock) : lock_(lock) { lock_.LockShared(); }
    ~ReadGuard() { lock_.UnlockShared(); }
    ReadGuard(const ReadGuard&) = delete;
    ReadGuard& operator=(const ReadGuard&) = delete;

private:
    RwLock& lock_;
};

class WriteGuard {
public:
    explicit WriteGuard(RwLock& lock) : lock_(lock) { lock_.Lock(); }
    ~WriteGuard() { lock_.Unlock(); }
    WriteGuard(const WriteGuard&) = delete;
    WriteGuard& operator=(const WriteGuard&) = delete;

private:
    RwLock& lock_;
};

} // namespace velt::i18n
