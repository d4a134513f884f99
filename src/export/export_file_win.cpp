#include "export/export_file_win.h"

#include <windows.h>

#include "platform/handle.h"

namespace velt {

namespace {

class Win32ExportFile final : public ExportFile {
public:
    explicit Win32ExportFile(platform::UniqueHandle handle) : handle_(std::move(handle)) {}
    void Write(std::string_view bytes) override {
        while (!bytes.empty()) {
            DWORD chunk = bytes.size() > 0x100000 ? 0x100000 : static_cast<DWORD>(bytes.size());
            DWORD written = 0;
            if (!WriteFile(handle_.Get(), bytes.data(), chunk, &written, nullptr))
                throw InOutError(static_cast<int>(GetLastError()));
            // A short write without an error means the disk is full.
            if (written == 0) throw InOutError(ERROR_DISK_FULL);
            bytes.remove_prefix(written);
        }
    }
    void Close() override {
        if (!handle_.Close()) throw InOutError(static_cast<int>(GetLastError()));
    }

private:
    platform::UniqueHandle handle_;
};

} // namespace

std::unique_ptr<ExportFile> OpenExportFile(const std::string& fileName) {
    // Windows refuses to replace a read-only file; Wine run by root would
    // overwrite it, so the attribute is checked here as well.
    DWORD attributes = GetFileAttributesA(fileName.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        throw InOutError(ERROR_ACCESS_DENIED);
    platform::UniqueHandle h(CreateFileA(fileName.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h) throw InOutError(static_cast<int>(GetLastError()));
    return std::make_unique<Win32ExportFile>(std::move(h));
}

std::string ExportCSV(const ExportTable& table, const std::string& fileName) {
    return ExportCSV(table, fileName, &OpenExportFile);
}

std::string ExportHTM(const ExportTable& table, const std::string& fileName) {
    return ExportHTM(table, fileName, GetACP(), &OpenExportFile);
}

} // namespace velt
