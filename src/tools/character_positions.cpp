#include "tools/character_positions.h"

#include <algorithm>

#include "core/resource_strings.h"
#include "core/secure_memory.h"

namespace velt {

namespace {

bool IsSeparator(char c) { return c == ' ' || c == ',' || c == ';' || c == '\t' || c == '\r' || c == '\n'; }

// A word as the message shows it: enough to find it, never a whole paste.
std::string Shown(std::string_view word) {
    return word.size() > 12 ? std::string(word.substr(0, 12)) + "..." : std::string(word);
}

} // namespace

std::vector<int> ParsePositions(std::string_view text, int length) {
    std::vector<int> positions;
    std::size_t i = 0;
    while (i < text.size()) {
        if (IsSeparator(text[i])) {
            ++i;
            continue;
        }
        std::size_t end = i;
        while (end < text.size() && !IsSeparator(text[end])) ++end;
        const std::string_view word = text.substr(i, end - i);
        long value = 0;
        bool number = word.size() <= 6;
        for (char c : word) {
            number = number && c >= '0' && c <= '9';
            value = value * 10 + (c - '0');
        }
        if (!number || value < 1) throw EPositionsError(FormatText(ResStr(IDS_POSITIONS_BAD), {Shown(word)}));
        if (value > length) throw EPositionsError(FormatText(ResStr(IDS_POSITIONS_RANGE), {length, value}));
        positions.push_back(static_cast<int>(value));
        i = end;
    }
    std::sort(positions.begin(), positions.end());
    positions.erase(std::unique(positions.begin(), positions.end()), positions.end());
    return positions;
}

std::string PositionsText(const std::vector<int>& positions) {
    std::string text;
    for (int p : positions) text += (text.empty() ? "" : " ") + std::to_string(p);
    return text;
}

int CharacterCount(std::string_view password, const AnsiCodePage& page) {
    std::u16string wide = page.Widen(password);
    const int count = static_cast<int>(wide.size());
    WipeString(wide);
    return count;
}

std::u16string CharactersAt(std::string_view password, const std::vector<int>& positions, const AnsiCodePage& page) {
    std::u16string wide = page.Widen(password);
    ScopedWipe wipe(wide.data(), wide.size() * sizeof(char16_t));
    std::u16string chosen;
    chosen.reserve(positions.size());
    for (int p : positions)
        if (p >= 1 && static_cast<std::size_t>(p) <= wide.size()) chosen += wide[p - 1];
    return chosen;
}

} // namespace velt
