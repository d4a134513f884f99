#include "platform/clipboard.h"

#include <cstring>

#include "core/errors.h"
#include "core/resource_strings.h"

namespace velt::platform {

namespace {

// Opens the clipboard for the scope. Another program may hold it for a
// moment: a few short retries before giving up.
class OpenedClipboard {
public:
    explicit OpenedClipboard(HWND owner) {
        for (int attempt = 0; attempt < 5; ++attempt) {
            if (OpenClipboard(owner)) return;
            Sleep(10);
        }
        throw EClipboardError(ResStr(IDS_CANNOT_OPEN_CLIPBOARD));
    }
    ~OpenedClipboard() { CloseClipboard(); }
    OpenedClipboard(const OpenedClipboard&) = delete;
    OpenedClipboard& operator=(const OpenedClipboard&) = delete;
};

// Global memory until the clipboard takes it.
class GlobalBlock {
public:
    GlobalBlock(const void* data, size_t size) : handle_(GlobalAlloc(GMEM_MOVEABLE, size)) {
        if (!handle_) return;
        if (void* p = GlobalLock(handle_)) {
            std::memcpy(p, data, size);
            GlobalUnlock(handle_);
        }
    }
    ~GlobalBlock() { if (handle_) GlobalFree(handle_); }
    GlobalBlock(const GlobalBlock&) = delete;
    GlobalBlock& operator=(const GlobalBlock&) = delete;
    // Hands the block to the clipboard under format; it owns it from then on.
    void GiveTo(UINT format) {
        if (handle_ && SetClipboardData(format, handle_)) handle_ = nullptr;
    }

private:
    HGLOBAL handle_;
};

void PutPrivacyMark(const char* formatName, DWORD value) {
    UINT format = RegisterClipboardFormatA(formatName);
    if (!format) return;
    GlobalBlock block(&value, sizeof value);
    block.GiveTo(format);
}

} // namespace

void SetClipboardText(const std::string& text, HWND owner) {
    OpenedClipboard open(owner);
    EmptyClipboard();
    GlobalBlock block(text.c_str(), text.size() + 1);
    block.GiveTo(CF_TEXT);
    PutPrivacyMark("ExcludeClipboardContentFromMonitorProcessing", 0);
    PutPrivacyMark("CanIncludeInClipboardHistory", 0);
    PutPrivacyMark("CanUploadToCloudClipboard", 0);
}

std::string GetClipboardText(HWND owner) {
    OpenedClipboard open(owner);
    HANDLE data = GetClipboardData(CF_TEXT);
    if (!data) return {};
    std::string text;
    if (const char* p = static_cast<const char*>(GlobalLock(data))) {
        text.assign(p, strnlen(p, GlobalSize(data)));
        GlobalUnlock(data);
    }
    return text;
}

} // namespace velt::platform
