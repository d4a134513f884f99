#include "import/field_converter.h"

#include <cstdint>
#include <cstring>

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

bool LineBreak(char c) { return c == '\r' || c == '\n'; }

} // namespace

TextKind Classify(std::string_view bytes) {
    const std::size_t size = bytes.size();
    bool utf8 = true;
    for (std::size_t i = 0; i < size;) {
        // Most files are mostly ASCII: four bytes a step, none of them NUL.
        if (size - i >= 4) {
            std::uint32_t w;
            std::memcpy(&w, &bytes[i], 4);
            if (((w | (w - 0x01010101u)) & 0x80808080u) == 0) {
                i += 4;
                continue;
            }
        }
        const unsigned char c = static_cast<unsigned char>(bytes[i]);
        if (c == 0) return TextKind::Binary;
        if (c < 0x80 || !utf8) {
            ++i;
            continue;
        }
        const std::size_t n = SequenceLength(bytes, i);
        if (n == 0) {
            utf8 = false;
            ++i;
        } else {
            i += n;
        }
    }
    return utf8 ? TextKind::Utf8 : TextKind::CodePage;
}

FieldConverter::~FieldConverter() { WipeString(wide_); }

std::string_view FieldConverter::Convert(std::string_view text, std::string& scratch, bool& held) {
    held = true;
    std::size_t i = 0;
    if (utf8_)
        while (i < text.size() && static_cast<unsigned char>(text[i]) < 0x80 && !LineBreak(text[i])) ++i;
    else
        while (i < text.size() && !LineBreak(text[i])) ++i;
    if (i == text.size()) return text;
    scratch.clear();
    held = Append(text, scratch);
    return scratch;
}

bool FieldConverter::Append(std::string_view text, std::string& out) {
    // Line breaks at most double the length; a UTF-16 unit takes at most
    // two bytes of the code page.
    ReserveWiped(out, out.size() + 4 * text.size());
    bool held = true;
    for (std::size_t i = 0; i < text.size();) {
        // Plain ASCII is the same byte in every code page, and a file in the
        // code page needs no conversion: copied as they are.
        std::size_t end = i;
        if (utf8_)
            while (end < text.size() && static_cast<unsigned char>(text[end]) < 0x80 && !LineBreak(text[end])) ++end;
        else
            while (end < text.size() && !LineBreak(text[end])) ++end;
        AppendBytes(out, text.substr(i, end - i));
        i = end;
        if (i == text.size()) break;
        if (LineBreak(text[i])) {
            out += "\r\n";
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            ++i;
            continue;
        }
        // A run of non-ASCII characters goes to the code page in one call.
        wide_.clear();
        ReserveWiped(wide_, 2 * text.size());
        while (i < text.size() && static_cast<unsigned char>(text[i]) >= 0x80) {
            const std::size_t n = SequenceLength(text, i);
            const auto b = [&](std::size_t k) { return static_cast<std::uint32_t>(static_cast<unsigned char>(text[i + k])); };
            std::uint32_t cp;
            switch (n) {
            case 2: cp = (b(0) & 0x1F) << 6 | (b(1) & 0x3F); break;
            case 3: cp = (b(0) & 0x0F) << 12 | (b(1) & 0x3F) << 6 | (b(2) & 0x3F); break;
            case 4: cp = (b(0) & 0x07) << 18 | (b(1) & 0x3F) << 12 | (b(2) & 0x3F) << 6 | (b(3) & 0x3F); break;
            default: cp = 0xFFFD;  // not reached for a file checked whole
            }
            i += n ? n : 1;
            if (cp >= 0x10000) {
                cp -= 0x10000;
                wide_ += static_cast<char16_t>(0xD800 + (cp >> 10));
                wide_ += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
            } else {
                wide_ += static_cast<char16_t>(cp);
            }
        }
        held = codePage_.Append(wide_, out) && held;
    }
    return held;
}

} // namespace velt::import
