#include "tools/autotype_sequence.h"

#include "core/secure_memory.h"

namespace velt {

namespace {

bool SameName(std::u16string_view a, const char* upper) {
    size_t i = 0;
    for (; upper[i]; ++i) {
        if (i >= a.size()) return false;
        char16_t c = a[i];
        if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
        if (c != static_cast<char16_t>(upper[i])) return false;
    }
    return i == a.size();
}

// "DELAY n" with n a whole number of milliseconds, one blank between.
bool ReadDelay(std::u16string_view name, unsigned& ms) {
    if (name.size() < 7 || !SameName(name.substr(0, 6), "DELAY ") || name.size() > 6 + 9) return false;
    unsigned n = 0;
    for (char16_t c : name.substr(6)) {
        if (c < u'0' || c > u'9') return false;
        n = n * 10 + (c - u'0');
    }
    ms = n > kMaxSequenceDelayMs ? kMaxSequenceDelayMs : n;
    return true;
}

void AppendText(std::vector<SequencePart>& parts, std::u16string_view text) {
    if (parts.empty() || parts.back().kind != SequencePart::Text) parts.push_back({SequencePart::Text, {}, 0});
    parts.back().text += text;
}

} // namespace

std::vector<SequencePart> ParseSequence(std::u16string_view s) {
    std::vector<SequencePart> parts;
    while (!s.empty()) {
        const size_t open = s.find(u'{');
        if (open != 0) {
            AppendText(parts, s.substr(0, open));
            s.remove_prefix(open == std::u16string_view::npos ? s.size() : open);
            continue;
        }
        // "{}}" closes at its second brace; every other name ends at the first.
        const size_t close = s.size() > 2 && s[1] == u'}' && s[2] == u'}' ? 2 : s.find(u'}', 1);
        if (close == std::u16string_view::npos) {
            AppendText(parts, s);
            break;
        }
        const std::u16string_view name = s.substr(1, close - 1);
        unsigned ms = 0;
        if (name == u"{" || name == u"}") AppendText(parts, name);
        else if (SameName(name, "USERNAME")) parts.push_back({SequencePart::Username, {}, 0});
        else if (SameName(name, "PASSWORD")) parts.push_back({SequencePart::Password, {}, 0});
        else if (SameName(name, "TOTP")) parts.push_back({SequencePart::OneTimeCode, {}, 0});
        else if (SameName(name, "TAB")) parts.push_back({SequencePart::Tab, {}, 0});
        else if (SameName(name, "ENTER")) parts.push_back({SequencePart::Enter, {}, 0});
        else if (ReadDelay(name, ms)) parts.push_back({SequencePart::Delay, {}, ms});
        else AppendText(parts, s.substr(0, close + 1));
        s.remove_prefix(close + 1);
    }
    return parts;
}

bool HoldsKeyCharacters(std::u16string_view field) {
    return field.find_first_of(u"\t\r\n") != std::u16string_view::npos;
}

bool UsesOneTimeCode(const std::vector<SequencePart>& parts) {
    for (const SequencePart& p : parts)
        if (p.kind == SequencePart::OneTimeCode) return true;
    return false;
}

Keystrokes::Keystrokes(const std::vector<SequencePart>& parts, std::u16string_view username,
                       std::u16string_view password, std::u16string_view oneTimeCode) {
    size_t count = 0;
    for (const SequencePart& p : parts) {
        const std::u16string_view field = p.kind == SequencePart::Username   ? username
                                          : p.kind == SequencePart::Password ? password
                                          : p.kind == SequencePart::OneTimeCode ? oneTimeCode
                                                                             : std::u16string_view();
        if (HoldsKeyCharacters(field)) refused_ = true;
        count += p.kind == SequencePart::Text ? p.text.size() : field.empty() ? 1 : field.size();
    }
    if (refused_) return;
    items_.reserve(count);  // never moves afterwards, so no unwiped copy is left
    unsigned delayLeft = kMaxSequenceDelayMs;
    for (const SequencePart& p : parts) {
        switch (p.kind) {
        case SequencePart::Text: AddText(p.text, true); break;
        case SequencePart::Username: AddText(username, false); break;
        case SequencePart::Password: AddText(password, false); break;
        case SequencePart::Tab: items_.push_back({Keystroke::Tab, 0}); break;
        case SequencePart::Enter: items_.push_back({Keystroke::Enter, 0}); break;
        case SequencePart::Delay: {
            const unsigned ms = p.ms < delayLeft ? p.ms : delayLeft;
            delayLeft -= ms;
            items_.push_back({Keystroke::Delay, ms});
            break;
        }
        case SequencePart::OneTimeCode: AddText(oneTimeCode, false); break;
        }
    }
}

Keystrokes::Keystrokes(std::u16string_view characters, bool tabAfterEach) {
    refused_ = HoldsKeyCharacters(characters);
    if (refused_) return;
    items_.reserve(characters.size() * (tabAfterEach ? 2 : 1));
    for (char16_t c : characters) {
        items_.push_back({Keystroke::Char, c});
        if (tabAfterEach) items_.push_back({Keystroke::Tab, 0});
    }
}

Keystrokes::~Keystrokes() { WipeBytes(items_.data(), items_.capacity() * sizeof(Keystroke)); }

// The sequence's own Tab and line ends are keys, as typed into velt.ini;
// a field never reaches here holding one.
void Keystrokes::AddText(std::u16string_view text, bool asKeys) {
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (!asKeys) items_.push_back({Keystroke::Char, c});
        else if (c == u'\t') items_.push_back({Keystroke::Tab, 0});
        else if (c == u'\n' || (c == u'\r' && (i + 1 == text.size() || text[i + 1] != u'\n')))
            items_.push_back({Keystroke::Enter, 0});
        else if (c != u'\r') items_.push_back({Keystroke::Char, c});
    }
}

} // namespace velt
