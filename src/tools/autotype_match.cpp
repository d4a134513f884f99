#include "tools/autotype_match.h"

namespace velt {

namespace {

char16_t FoldOne(char16_t c) {
    if (c < 0x80) return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c;
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<char16_t>(c + 32);
    // Latin Extended-A pairs capitals with the next code point, except
    // where ı, ĸ and ŉ break the pattern.
    if ((c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177))
        return c == 0x130 ? u'i' : static_cast<char16_t>(c | 1);
    if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E))
        return c & 1 ? static_cast<char16_t>(c + 1) : c;
    if (c == 0x178) return 0xFF;
    if (c >= 0x391 && c <= 0x3AB && c != 0x3A2) return static_cast<char16_t>(c + 32);
    if (c >= 0x410 && c <= 0x42F) return static_cast<char16_t>(c + 32);
    if (c >= 0x400 && c <= 0x40F) return static_cast<char16_t>(c + 80);
    return c;
}

bool StartsWithFolded(std::string_view s, std::string_view prefix) {
    if (s.size() < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        char c = s[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
        if (c != prefix[i]) return false;
    }
    return true;
}

} // namespace

std::u16string FoldCase(std::u16string_view text) {
    std::u16string folded(text);
    for (char16_t& c : folded) c = FoldOne(c);
    return folded;
}

std::string_view AddressHost(std::string_view address) {
    std::string_view s = TrimBlanks(address);
    const size_t scheme = s.find("://");
    if (scheme != std::string_view::npos && s.find_first_of("/?#") > scheme) s.remove_prefix(scheme + 3);
    s = s.substr(0, s.find_first_of("/?#"));
    const size_t at = s.rfind('@');
    if (at != std::string_view::npos) s.remove_prefix(at + 1);
    s = s.substr(0, s.find(':'));
    if (StartsWithFolded(s, "www.")) s.remove_prefix(4);
    return s;
}

std::vector<size_t> MatchEntries(const std::vector<EntryText>& entries, std::u16string_view title,
                                 const AnsiCodePage& codePage) {
    const std::u16string folded = FoldCase(title);
    std::vector<size_t> found;
    for (size_t i = 0; i < entries.size(); ++i) {
        bool match = false;
        for (std::string_view key : {TrimBlanks(entries[i].name), AddressHost(entries[i].address)}) {
            const std::u16string wide = FoldCase(codePage.Widen(key));
            match = match || (wide.size() >= kMinMatchLength && folded.find(wide) != std::u16string::npos);
        }
        if (match) found.push_back(i);
    }
    return found;
}

} // namespace velt
