#include "import/field_converter.h"

#include <cstdint>
#include <cstring>

#include "core/secure_memory.h"
#include "vault/byte_simd.h"

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
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t size = bytes.size();
    bool utf8 = true;
    for (std::size_t i = 0;;) {
        // Runs of ASCII (of anything, once the text is known not to be UTF-8)
        // are skipped in one call.
        i += simd::RunWithout(p + i, size - i, 0, 0, 0, utf8);
        if (i == size) break;
        if (p[i] == 0) return TextKind::Binary;
        const std::size_t n = SequenceLength(bytes, i);
        if (n == 0) utf8 = false;
        i += n ? n : 1;
    }
    return utf8 ? TextKind::Utf8 : TextKind::CodePage;
}

FieldConverter::~FieldConverter() {
    WipeString(wide_);
    WipeString(bytes_);
}

std::string_view FieldConverter::Convert(std::string_view text, std::string& scratch, bool& held,
                                         bool keepBreaks) {
    held = true;
    // The file holds no NUL: searching for one finds nothing.
    const unsigned char cr = keepBreaks ? 0 : '\r', lf = keepBreaks ? 0 : '\n';
    const std::size_t i =
        simd::RunWithout(reinterpret_cast<const unsigned char*>(text.data()), text.size(), cr, lf, lf, utf8_);
    if (i == text.size()) return text;
    // Line breaks at most double the length; a UTF-16 unit takes at most
    // two bytes of the code page.
    if (scratch.size() < 4 * text.size()) {
        ReserveWiped(scratch, 4 * text.size());
        scratch.resize(scratch.capacity());
    }
    char* const end = Write(text, &scratch[0], held, keepBreaks);
    return std::string_view(scratch.data(), static_cast<std::size_t>(end - scratch.data()));
}

bool FieldConverter::Append(std::string_view text, std::string& out) {
    const std::size_t at = out.size();
    ReserveWiped(out, at + 4 * text.size());
    out.resize(at + 4 * text.size());
    bool held;
    const char* const end = Write(text, &out[0] + at, held, false);
    out.resize(static_cast<std::size_t>(end - out.data()));
    return held;
}

char* FieldConverter::Write(std::string_view text, char* out, bool& held, bool keepBreaks) {
    held = true;
    const auto breaks = [keepBreaks](char c) { return !keepBreaks && LineBreak(c); };
    for (std::size_t i = 0; i < text.size();) {
        // Plain ASCII is the same byte in every code page, and a file in the
        // code page needs no conversion: copied as they are.
        if (utf8_)
            while (i < text.size() && static_cast<unsigned char>(text[i]) < 0x80 && !breaks(text[i]))
                *out++ = text[i++];
        else
            while (i < text.size() && !breaks(text[i])) *out++ = text[i++];
        if (i == text.size()) break;
        if (breaks(text[i])) {
            *out++ = '\r';
            *out++ = '\n';
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
        bytes_.clear();
        ReserveWiped(bytes_, 2 * wide_.size());
        held = codePage_.Append(wide_, bytes_) && held;
        for (char c : bytes_) *out++ = c;
    }
    return out;
}

} // namespace velt::import
