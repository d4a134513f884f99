#include "tools/password_health.h"

#include <algorithm>
#include <cmath>

#include "core/resource_strings.h"
#include "core/random_source.h"
#include "core/secure_memory.h"
#include "core/sip_hash.h"
#include "core/text.h"
#include "tools/common_lists.h"
#include "tools/strength.h"

namespace velt {

namespace {

// Names listed on one line before "and N more".
constexpr std::size_t kListedNames = 10;
// What a byte the code page cannot show as one character folds to: below
// every byte the lists hold, so it matches nothing.
constexpr char kUnmatched = '\x01';

// Each byte of the system code page as lower-case UTF-8, the form the
// lists are in. Built per report from the code page, never from a password.
class CaseFold {
public:
    CaseFold() {
        for (int b = 0; b < 256; ++b) {
            const char byte = static_cast<char>(b);
            std::u16string wide = b < 0x80 ? std::u16string(1, static_cast<char16_t>(b))
                                           : SystemCodePage().Widen(std::string_view(&byte, 1));
            std::string utf8 = wide.size() == 1 ? Utf16ToUtf8(std::u16string(1, FoldCase(wide[0])))
                                                : std::string(1, kUnmatched);
            length_[b] = static_cast<unsigned char>(utf8.size());
            std::copy(utf8.begin(), utf8.end(), bytes_[b]);
        }
    }

    // `text` folded into `out`, whose old bytes are wiped if it must grow.
    std::string_view Fold(std::string_view text, std::string& out) const {
        ReserveWiped(out, 3 * text.size());
        out.resize(out.capacity());
        char* p = &out[0];
        for (unsigned char c : text) {
            p[0] = bytes_[c][0];
            p[1] = bytes_[c][1];
            p[2] = bytes_[c][2];
            p += length_[c];
        }
        return {out.data(), static_cast<std::size_t>(p - out.data())};
    }

private:
    char bytes_[256][3] = {};
    unsigned char length_[256];
};

bool IsDigitOrSymbol(char c) {
    return (c >= '!' && c <= '/') || (c >= '0' && c <= '@') || (c >= '[' && c <= '`') || (c >= '{' && c <= '~');
}

// The word lists hold letters only, so the one word a password can start
// with runs up to its first byte that is no letter.
bool IsCommonWord(std::string_view folded) {
    std::size_t letters = 0;
    while (letters < folded.size() &&
           ((folded[letters] >= 'a' && folded[letters] <= 'z') || static_cast<unsigned char>(folded[letters]) >= 0x80))
        ++letters;
    if (letters == 0 || folded.size() - letters > kMaxWordSuffix) return false;
    for (std::size_t i = letters; i < folded.size(); ++i)
        if (!IsDigitOrSymbol(folded[i])) return false;
    return CommonWordIndex().Contains(folded.substr(0, letters));
}

bool IsWeak(std::string_view password) {
    return Combinations(AlphabetSize(password), password.size()) < std::ldexp(1.0L, kWeakBits);
}

// Equal to `other`, or holding it when it has 3 characters or more. Folding
// never shortens a text, so a longer `other` is neither.
bool Resembles(const CaseFold& fold, std::string_view folded, std::string_view other, std::string& buffer) {
    if (other.empty() || other.size() > folded.size()) return false;
    const std::string_view foldedOther = fold.Fold(other, buffer);
    return folded == foldedOther || (other.size() >= 3 && folded.find(foldedOther) != std::string_view::npos);
}

// Entries that share a password: each entry's first entry with the same
// bytes, by open addressing on a keyed hash.
class ReuseIndex {
public:
    ReuseIndex(std::size_t entries, RandomByteSource& random) : leader_(entries + 1), count_(entries + 1) {
        random.Fill(key_, sizeof key_);
        std::size_t size = 16;
        while (size < 2 * entries) size *= 2;
        slots_.resize(size);
    }
    // Keyed hashes of passwords, and their key, can be tried offline.
    ~ReuseIndex() {
        WipeBytes(key_, sizeof key_);
        WipeBytes(slots_.data(), slots_.size() * sizeof slots_[0]);
    }
    ReuseIndex(const ReuseIndex&) = delete;
    ReuseIndex& operator=(const ReuseIndex&) = delete;

    void Add(const std::vector<HealthEntry>& entries, int row) {
        const std::string_view password = entries[static_cast<std::size_t>(row - 1)].password;
        SipHash h(key_);
        h.Update(password);
        const std::uint64_t hash = h.Finish();
        std::size_t i = hash & (slots_.size() - 1);
        for (; slots_[i].second; i = (i + 1) & (slots_.size() - 1)) {
            const int other = slots_[i].second;
            if (slots_[i].first == hash && entries[static_cast<std::size_t>(other - 1)].password == password) {
                leader_[static_cast<std::size_t>(row)] = other;
                ++count_[static_cast<std::size_t>(other)];
                return;
            }
        }
        slots_[i] = {hash, row};
        leader_[static_cast<std::size_t>(row)] = row;
        count_[static_cast<std::size_t>(row)] = 1;
    }

    // One line per password with two or more entries: the most shared first.
    void AddLines(HealthReport& report) const {
        std::vector<int> leaders;
        for (std::size_t r = 1; r < count_.size(); ++r)
            if (count_[r] >= 2) leaders.push_back(static_cast<int>(r));
        std::stable_sort(leaders.begin(), leaders.end(), [this](int a, int b) {
            return count_[static_cast<std::size_t>(a)] > count_[static_cast<std::size_t>(b)];
        });
        // Each line's room in report.rows, then the entries in order.
        std::vector<std::size_t> next(count_.size());
        const std::size_t start = report.rows.size();
        std::size_t at = start;
        for (int leader : leaders) {
            const std::size_t n = static_cast<std::size_t>(count_[static_cast<std::size_t>(leader)]);
            next[static_cast<std::size_t>(leader)] = at;
            report.lines.push_back({HealthFinding::Reused, at, n});
            at += n;
        }
        report.rows.resize(at);
        report.counts[static_cast<int>(HealthFinding::Reused)] = static_cast<int>(at - start);
        for (std::size_t r = 1; r < leader_.size(); ++r) {
            const std::size_t leader = static_cast<std::size_t>(leader_[r]);
            if (leader && count_[leader] >= 2) report.rows[next[leader]++] = static_cast<int>(r);
        }
    }

private:
    // Keyed afresh for each report, as the import's index is: no vault can
    // hold passwords chosen to pile up in one slot.
    SipHash::Key key_;
    std::vector<std::pair<std::uint64_t, int>> slots_;  // (hash, entry); entry 0 is a free slot
    std::vector<int> leader_;
    std::vector<int> count_;
};

} // namespace

HealthReport CheckPasswordHealth(const std::vector<HealthEntry>& entries, bool compatibleFormat,
                                 RandomByteSource& random) {
    HealthReport report;
    if (compatibleFormat) {
        report.lines.push_back({HealthFinding::CompatibleFormat, {}});
        report.counts[static_cast<int>(HealthFinding::CompatibleFormat)] = static_cast<int>(entries.size());
    }
    const CaseFold fold;
    std::string password, login, name;  // folded copies, wiped on the way out
    ScopedWipe wipePassword(password), wipeLogin(login), wipeName(name);
    ReuseIndex reuse(entries.size(), random);
    // Entries under each finding after Reused, in order.
    std::array<std::vector<int>, kHealthFindings> rows;
    const auto found = [&rows](HealthFinding f, int row) { rows[static_cast<int>(f)].push_back(row); };
    for (auto& r : rows) r.reserve(entries.size() / 8);

    for (std::size_t i = 0; i < entries.size(); ++i) {
        const HealthEntry& e = entries[i];
        const int row = static_cast<int>(i + 1);
        if (e.password.empty()) {
            if (!e.login.empty()) found(HealthFinding::Empty, row);
            continue;
        }
        reuse.Add(entries, row);
        const std::string_view folded = fold.Fold(e.password, password);
        if (CommonPasswordIndex().Contains(folded))
            found(HealthFinding::Common, row);
        else if (IsCommonWord(folded))
            found(HealthFinding::CommonWord, row);
        if (IsWeak(e.password)) found(HealthFinding::Weak, row);
        if (Resembles(fold, folded, e.login, login) || Resembles(fold, folded, e.name, name))
            found(HealthFinding::LoginOrName, row);
    }

    reuse.AddLines(report);
    for (int f = static_cast<int>(HealthFinding::Common); f < kHealthFindings; ++f) {
        report.counts[f] = static_cast<int>(rows[f].size());
        for (int row : rows[f]) {
            report.lines.push_back({static_cast<HealthFinding>(f), report.rows.size(), 1});
            report.rows.push_back(row);
        }
    }
    return report;
}

std::string FindingText(const HealthLine& line) {
    switch (line.finding) {
    case HealthFinding::CompatibleFormat: return ResStr(IDS_HEALTH_COMPATIBLE);
    case HealthFinding::Reused: return FormatText(ResStr(IDS_HEALTH_REUSED), {static_cast<int>(line.count)});
    case HealthFinding::Common: return ResStr(IDS_HEALTH_COMMON);
    case HealthFinding::CommonWord: return ResStr(IDS_HEALTH_COMMON_WORD);
    case HealthFinding::Weak: return FormatText(ResStr(IDS_HEALTH_WEAK), {kWeakBits});
    case HealthFinding::LoginOrName: return ResStr(IDS_HEALTH_LOGIN_OR_NAME);
    case HealthFinding::Empty: return ResStr(IDS_HEALTH_EMPTY);
    }
    return {};
}

std::string EntriesText(const std::vector<HealthEntry>& entries, const HealthReport& report,
                        const HealthLine& line) {
    std::string text;
    for (std::size_t i = 0; i < line.count && i < kListedNames; ++i) {
        if (i) text += ", ";
        const int row = report.rows.at(line.first + i);
        const std::string_view name = entries.at(static_cast<std::size_t>(row - 1)).name;
        if (name.empty())
            text += FormatText(ResStr(IDS_IMPORT_ROW), {row});
        else
            text += name;
    }
    if (line.count > kListedNames)
        text += " " + FormatText(ResStr(IDS_IMPORT_AND_MORE), {static_cast<int>(line.count - kListedNames)});
    return text;
}

std::string HealthHeading(const HealthReport& report) {
    static const int kLabels[kHealthFindings] = {IDS_HEALTH_COUNT_FILE,   IDS_HEALTH_COUNT_REUSED,
                                                 IDS_HEALTH_COUNT_COMMON, IDS_HEALTH_COUNT_WORD,
                                                 IDS_HEALTH_COUNT_WEAK,   IDS_HEALTH_COUNT_LOGIN,
                                                 IDS_HEALTH_COUNT_EMPTY};
    std::string text;
    for (int f = 0; f < kHealthFindings; ++f) {
        if (f == 0 && report.counts[f] == 0) continue;
        if (!text.empty()) text += "   ";
        text += FormatText(ResStr(kLabels[f]), {report.counts[f]});
    }
    return text;
}

} // namespace velt
