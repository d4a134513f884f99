// Additional > "Password health…": what is wrong with the vault's passwords
// as a whole. Reads the table, never changes it, and shows no password: the
// report names entries only.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velt {

class RandomByteSource;

// Worst first: the order of the report's lines.
enum class HealthFinding {
    CompatibleFormat,  // the vault file itself can be read without the password
    Reused,            // one password, two or more entries
    Common,            // among the most common passwords
    CommonWord,        // a common word or first name, at most four digits or symbols after it
    Weak,              // under 60 bits by the strength dialog's arithmetic
    LoginOrName,       // the login or the name, or holding either
    Empty,             // a login and no password
};
constexpr int kHealthFindings = 7;

// One entry as the report reads it: views into the table.
struct HealthEntry {
    std::string_view name, login, password;
};

// The entries a line concerns are rows[first, first + count) of its report.
struct HealthLine {
    HealthFinding finding;
    std::size_t first = 0, count = 0;
};

struct HealthReport {
    std::vector<HealthLine> lines;
    // Entries under each finding (all of them in a compatible-format vault).
    std::array<int, kHealthFindings> counts{};
    // Entries (1 = the first) of every line, line after line, each line's in
    // order; a line's first is the one to go to.
    std::vector<int> rows;

    std::vector<int> RowsOf(const HealthLine& line) const {
        return {rows.begin() + static_cast<std::ptrdiff_t>(line.first),
                rows.begin() + static_cast<std::ptrdiff_t>(line.first + line.count)};
    }
};

// Passwords below this many bits (length x log2 of the pool) are weak.
constexpr int kWeakBits = 60;
// At most this many digits or symbols after a common word.
constexpr std::size_t kMaxWordSuffix = 4;

// `random` keys the hash of the reuse index afresh for each report. Words and
// letters compare without case in the system code page.
HealthReport CheckPasswordHealth(const std::vector<HealthEntry>& entries, bool compatibleFormat,
                                 RandomByteSource& random);

// The line's texts in the current language: what is wrong, and the entries
// (their names, or their row numbers when unnamed).
std::string FindingText(const HealthLine& line);
std::string EntriesText(const std::vector<HealthEntry>& entries, const HealthReport& report,
                        const HealthLine& line);
// "Reused: 2 · Common: 1 …" for the findings that have any, or that none do.
std::string HealthHeading(const HealthReport& report);

} // namespace velt
