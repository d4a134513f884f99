#include "import/field_converter.h"

#include <cstdint>

#include "core/secure_memory.h"

namespace velt::import {

namespace {

// Length of the well-formed sequence at s[i], 0 when there is none.
std::size_t SequenceLength(std::string_view s, std::size_t i) {
    const auto b = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char c = b(i);
    if (c < 0x80) return 1;
    std::size_t n;
    unsigned char lo = 0x80, hi = 0xBF;  // bounds of the second byte
    if (c >= 0xC2 && c <= 0xDF) n = 2;
    else if (c >= 0xE0 && c <= 0xEF) n = 3, lo = c == 0xE0 ? 0xA0 : 0x80, hi = c == 0xED ? 0x9F : 0xBF;
    else if (c >= 0xF0 && c <= 0xF4) n = 4, lo = c == 0xF0 ? 0x90 : 0x80, hi = c == 0xF4 ? 0x8F : 0xBF;
    else return 0;
    if (s.size() - i < n || b(i + 1) < lo || b(i + 1) > hi) return 0;
    for (std::size_t k = 2; k < n; ++k)
        if ((b(i + k) & 0xC0) != 0x80) return 0;
    return n;
}

bool NeedsWork(std::string_view text) {
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80 || c == '\r' || c == '\n') return true;
    return false;
}

} // namespace

bool IsValidUtf8(std::string_view bytes) {
    for (std::size_t i = 0; i < bytes.size();) {
        if (static_cast<unsigned char>(bytes[i]) < 0x80) {
            ++i;
            continue;
        }
        const std::size_t n = SequenceLength(bytes, i);
        if (n == 0) return false;
        i += n;
    }
    return true;
}

FieldConverter::~FieldConverter() { WipeString(wide_); }

bool FieldConverter::Append(std::string_view text, std::string& out) {
    // Line breaks at most double the length; a UTF-16 unit takes at most
    // two bytes of the code page.
    ReserveWiped(out, out.size() + 4 * text.size());
    if (!NeedsWork(text)) {
        out.append(text);
        return true;
    }
    if (!utf8_) {
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (text[i] == '\r' || text[i] == '\n') {
                out += "\r\n";
                if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            } else {
                out += text[i];
            }
        }
        return true;
    }
    wide_.clear();
    ReserveWiped(wide_, 2 * text.size());
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char lead = static_cast<unsigned char>(text[i]);
        if (lead < 0x80 && lead != '\r' && lead != '\n') {
            wide_ += static_cast<char16_t>(lead);
            ++i;
            continue;
        }
        const std::size_t n = SequenceLength(text, i);
        const auto b = [&](std::size_t k) { return static_cast<std::uint32_t>(static_cast<unsigned char>(text[i + k])); };
        std::uint32_t cp;
        switch (n) {
        case 1: cp = b(0); break;
        case 2: cp = (b(0) & 0x1F) << 6 | (b(1) & 0x3F); break;
        case 3: cp = (b(0) & 0x0F) << 12 | (b(1) & 0x3F) << 6 | (b(2) & 0x3F); break;
        case 4: cp = (b(0) & 0x07) << 18 | (b(1) & 0x3F) << 12 | (b(2) & 0x3F) << 6 | (b(3) & 0x3F); break;
        default: cp = 0xFFFD;  // not reached for a file checked whole
        }
        i += n ? n : 1;
        if (cp == '\r' || cp == '\n') {
            wide_ += u"\r\n";
            if (cp == '\r' && i < text.size() && text[i] == '\n') ++i;
        } else if (cp >= 0x10000) {
            cp -= 0x10000;
            wide_ += static_cast<char16_t>(0xD800 + (cp >> 10));
            wide_ += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        } else {
            wide_ += static_cast<char16_t>(cp);
        }
    }
    return codePage_.Append(wide_, out);
}

} // namespace velt::import
