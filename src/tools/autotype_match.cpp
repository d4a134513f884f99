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
