// Forgets a password Velt put on the clipboard: some seconds later, and when
// the program ends, the clipboard is emptied, but only while it still holds
// what Velt put there. The clipboard's sequence number tells: anything copied
// since changes it, and that is never touched.
#pragma once
#include <windows.h>

#include <string>

namespace velt::platform {

// How long a copied password stays on the clipboard.
constexpr UINT kClipboardClearDelayMs = 15000;

class ClipboardGuard {
public:
    explicit ClipboardGuard(UINT delayMs = kClipboardClearDelayMs);
    // Ending is one of the ways the program ends: the same check-and-clear.
    ~ClipboardGuard();
    ClipboardGuard(const ClipboardGuard&) = delete;
    ClipboardGuard& operator=(const ClipboardGuard&) = delete;

    // Puts text on the clipboard (as SetClipboardText, same failure) and
    // starts the delay again.
    void Copy(const std::string& text, HWND owner);
    // The same with the characters shown given (an edit box's selection).
    void Copy(const std::string& text, const std::u16string& shown, HWND owner);
    // When the clipboard still holds the text of the last Copy: overwrites
    // that memory, then empties the clipboard. Stops the timer either way.
    void ClearIfOurs() noexcept;
    // A copy is waiting to be cleared.
    bool Pending() const { return sequence_ != 0; }
    void SetDelay(UINT delayMs) { delayMs_ = delayMs; }

private:
    static void CALLBACK Elapsed(HWND, UINT, UINT_PTR id, DWORD);
    void StopTimer() noexcept;
    // False when the clipboard could not be opened.
    bool TryClear() noexcept;

    UINT delayMs_;
    UINT_PTR timer_ = 0;
    DWORD sequence_ = 0;
};

} // namespace velt::platform
