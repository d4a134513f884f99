#include "platform/clipboard.h"

#include <cstring>

#include "core/errors.h"
#include "core/resource_strings.h"
#include "core/secure_memory.h"
#include "core/text.h"

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
    // A block the clipboard did not take holds a password: wiped first.
    ~GlobalBlock() {
        if (!handle_) return;
        if (void* p = GlobalLock(handle_)) {
            WipeBytes(p, GlobalSize(handle_));
            GlobalUnlock(handle_);
        }
        GlobalFree(handle_);
    }
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
    std::u16string shown = VaultCodePage().Widen(text);
    ScopedWipe wipe(shown.data(), shown.capacity() * sizeof(char16_t));
    SetClipboardText(text, shown, owner);
}

void SetClipboardText(const std::string& text, const std::u16string& shown, HWND owner) {
    OpenedClipboard open(owner);
    EmptyClipboard();
    GlobalBlock bytes(text.c_str(), text.size() + 1);
    bytes.GiveTo(CF_TEXT);
    GlobalBlock characters(shown.c_str(), (shown.size() + 1) * sizeof(char16_t));
    characters.GiveTo(CF_UNICODETEXT);
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
