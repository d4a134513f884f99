#include "platform/clipboard_guard.h"

#include <map>

#include "core/secure_memory.h"
#include "core/text.h"
#include "platform/clipboard.h"

namespace velt::platform {

namespace {

// The timer callback gets only the timer's id.
std::map<UINT_PTR, ClipboardGuard*>& Guards() {
    static auto* guards = new std::map<UINT_PTR, ClipboardGuard*>;
    return *guards;
}

// Another program may hold the clipboard for a moment.
bool OpenWithRetries() {
    for (int attempt = 0; attempt < 5; ++attempt) {
        if (OpenClipboard(nullptr)) return true;
        Sleep(10);
    }
    return false;
}

// Zeroes the text blocks in place, so the password does not stay behind in
// memory the clipboard frees.
void OverwriteText() {
    for (UINT format : {CF_TEXT, CF_UNICODETEXT}) {
        HANDLE data = GetClipboardData(format);
        if (!data) continue;
        if (void* p = GlobalLock(data)) {
            WipeBytes(p, GlobalSize(data));
            GlobalUnlock(data);
        }
    }
}

constexpr UINT kRetryMs = 1000;

} // namespace

ClipboardGuard::ClipboardGuard(UINT delayMs) : delayMs_(delayMs) {}

ClipboardGuard::~ClipboardGuard() { ClearIfOurs(); }

void ClipboardGuard::Copy(const std::string& text, HWND owner) {
    std::u16string shown = VaultCodePage().Widen(text);
    ScopedWipe wipe(shown.data(), shown.capacity() * sizeof(char16_t));
    Copy(text, shown, owner);
}

void ClipboardGuard::Copy(const std::string& text, const std::u16string& shown, HWND owner) {
    // When this fails, an earlier copy keeps its own time.
    SetClipboardText(text, shown, owner);
    StopTimer();
    // Read after the clipboard is closed: Wine counts the close itself as a
    // change. A program that changed the clipboard in between has made
    // itself the owner, and its text is not ours to clear.
    const DWORD sequence = GetClipboardSequenceNumber();
    sequence_ = 0;
    if (owner && GetClipboardOwner() != owner) return;
    sequence_ = sequence;
    timer_ = SetTimer(nullptr, 0, delayMs_, &ClipboardGuard::Elapsed);
    if (timer_) Guards()[timer_] = this;
}

void ClipboardGuard::ClearIfOurs() noexcept {
    StopTimer();
    TryClear();
    sequence_ = 0;
}

bool ClipboardGuard::TryClear() noexcept {
    if (!sequence_ || GetClipboardSequenceNumber() != sequence_) return true;
    if (!OpenWithRetries()) return false;
    // Checked again with the clipboard open: nobody can change it now.
    if (GetClipboardSequenceNumber() == sequence_) {
        OverwriteText();
        EmptyClipboard();
    }
    CloseClipboard();
    return true;
}

void ClipboardGuard::StopTimer() noexcept {
    if (!timer_) return;
    KillTimer(nullptr, timer_);
    Guards().erase(timer_);
    timer_ = 0;
}

void CALLBACK ClipboardGuard::Elapsed(HWND, UINT, UINT_PTR id, DWORD) {
    auto it = Guards().find(id);
    if (it == Guards().end()) {
        KillTimer(nullptr, id);
        return;
    }
    ClipboardGuard& guard = *it->second;
    guard.StopTimer();
    // Held by another program right now: try again a little later.
    if (!guard.TryClear()) {
        guard.timer_ = SetTimer(nullptr, 0, kRetryMs, &ClipboardGuard::Elapsed);
        if (guard.timer_) {
            try {
                Guards()[guard.timer_] = &guard;
                return;
            } catch (...) {
                KillTimer(nullptr, guard.timer_);
                guard.timer_ = 0;
            }
        }
    }
    guard.sequence_ = 0;
}

} // namespace velt::platform
