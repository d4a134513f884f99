#include "tools/autotype_match.h"

namespace velt {

namespace {

bool StartsWithFolded(std::string_view s, std::string_view prefix) {
    if (s.size() < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        char c = s[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
        if (c != prefix[i]) return false;
    }
    return true;
}

// Letters and digits of any script; spaces, punctuation and symbols bound words.
bool IsWordChar(char16_t c) {
    if (c < 0x80) return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
    return !(c <= 0xBF || c == 0xD7 || c == 0xF7 || (c >= 0x2000 && c <= 0x2BFF) || (c >= 0x3000 && c <= 0x303F) ||
             (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF0F));
}

bool IsHostChar(char16_t c) { return IsWordChar(c) || c == u'-' || c == u'.'; }

// Whether `key` stands in `title` bounded as `fits` says, at any of its places.
template <typename Fits>
bool FoundBounded(const std::u16string& title, const std::u16string& key, Fits fits) {
    if (key.size() < kMinMatchLength) return false;
    for (size_t at = title.find(key); at != std::u16string::npos; at = title.find(key, at + 1))
        if (fits(at, at + key.size())) return true;
    return false;
}

// A name is a whole word of the title: no letter or digit touches it.
bool NameFound(const std::u16string& title, const std::u16string& name) {
    return FoundBounded(title, name, [&](size_t begin, size_t end) {
        return (begin == 0 || !IsWordChar(title[begin - 1])) && (end == title.size() || !IsWordChar(title[end]));
    });
}

// A host is the whole host of the title or its end after a dot, never the
// start of a longer one ("bank.example" is not in "bank.example.evil.test").
bool HostFound(const std::u16string& title, const std::u16string& host) {
    return FoundBounded(title, host, [&](size_t begin, size_t end) {
        const bool before = begin == 0 || title[begin - 1] == u'.' || !IsHostChar(title[begin - 1]);
        // A dot after it ends a sentence only where no host goes on.
        const bool after = end == title.size() || !IsHostChar(title[end]) ||
                           (title[end] == u'.' && (end + 1 == title.size() || !IsHostChar(title[end + 1])));
        return before && after;
    });
}

} // namespace

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
        if (NameFound(folded, FoldCase(codePage.Widen(TrimBlanks(entries[i].name)))) ||
            HostFound(folded, FoldCase(codePage.Widen(AddressHost(entries[i].address)))))
            found.push_back(i);
    }
    return found;
}

} // namespace velt
