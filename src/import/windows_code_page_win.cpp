#include "import/windows_code_page.h"

#include <windows.h>

#include <algorithm>

#include "core/secure_memory.h"
#include "core/text.h"

namespace velt::import {

WindowsImportCodePage::WindowsImportCodePage() : acp_(GetACP()) {}

std::uint16_t WindowsImportCodePage::Lookup(char16_t c) const {
    if (!cache_) {
        cache_.reset(new std::uint16_t[0x10000]);
        std::fill(cache_.get(), cache_.get() + 0x10000, kUnknown);
    }
    std::uint16_t& slot = cache_[c];
    if (slot == kUnknown) {
        std::string bytes;
        bytes.reserve(8);
        const bool held = AppendWhole(std::u16string_view(&c, 1), bytes);
        slot = !held || bytes.empty() || bytes.size() > 2 ? kHeldNot
               : bytes.size() == 1 ? static_cast<unsigned char>(bytes[0])
                                   : static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[0]) << 8 |
                                                                static_cast<unsigned char>(bytes[1]));
        // A two-byte result whose value collides with the markers is left
        // to the system every time.
    }
    return slot;
}

bool WindowsImportCodePage::Append(std::u16string_view text, std::string& out) const {
    if (acp_ == CP_UTF8) return AppendWhole(text, out);
    bool held = true;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (IsSurrogatePair(text, i)) {
            // Never held by an 8-bit code page; one character, one "?".
            out += '?';
            held = false;
            ++i;
            continue;
        }
        const std::uint16_t v = c >= 0xD800 && c < 0xE000 ? kHeldNot : Lookup(c);
        if (v == kHeldNot || v == kUnknown) {
            // Lone surrogates and rare values: the system decides.
            held = AppendWhole(text.substr(i, 1), out) && held;
        } else if (v > 0xFF) {
            out += static_cast<char>(v >> 8);
            out += static_cast<char>(v & 0xFF);
        } else {
            out += static_cast<char>(v);
        }
    }
    return held;
}

bool WindowsImportCodePage::AppendWhole(std::u16string_view text, std::string& out) const {
    if (text.empty()) return true;
    const UINT cp = acp_;
    // A UTF-8 system code page holds every character and takes neither the
    // flag nor the default character.
    const bool utf8 = cp == CP_UTF8;
    const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
    const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
    const int units = static_cast<int>(text.size());
    BOOL usedDefault = FALSE;
    const int need = WideCharToMultiByte(cp, flags, wide, units, nullptr, 0, utf8 ? nullptr : "?",
                                         utf8 ? nullptr : &usedDefault);
    if (need <= 0) {
        out.append(text.size(), '?');
        return false;
    }
    const std::size_t at = out.size();
    ReserveWiped(out, at + static_cast<std::size_t>(need));
    out.resize(at + static_cast<std::size_t>(need));
    usedDefault = FALSE;
    const int n = WideCharToMultiByte(cp, flags, wide, units, &out[at], need, utf8 ? nullptr : "?",
                                      utf8 ? nullptr : &usedDefault);
    out.resize(at + static_cast<std::size_t>(n > 0 ? n : 0));
    return n > 0 && !usedDefault;
}

std::size_t WindowsImportCodePage::FitPrefix(std::string_view bytes, std::size_t limit) const {
    if (bytes.size() <= limit) return bytes.size();
    const UINT cp = acp_;
    if (cp == CP_UTF8) {
        std::size_t end = limit;
        while (end > 0 && (static_cast<unsigned char>(bytes[end]) & 0xC0) == 0x80) --end;
        return end;
    }
    std::size_t i = 0;
    while (i < bytes.size()) {
        const std::size_t n = IsDBCSLeadByteEx(cp, static_cast<BYTE>(bytes[i])) ? 2 : 1;
        if (i + n > limit) break;
        i += n;
    }
    return i;
}

} // namespace velt::import
