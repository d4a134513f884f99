// What an import did, and the text of the box that tells the user.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

namespace velt::import {

// A one-time code read from the file, as the canonical link, for the entry
// appended at `row`.
struct ImportedCode {
    int row;
    std::string link;  // holds the secret
};

struct ImportSummary {
    std::string source;  // "Chrome/Edge"
    int imported = 0;
    int duplicates = 0;
    // Entries named by their name, or by their row in the file.
    std::vector<std::string> tooLong;         // left out: a field over 255 bytes
    std::vector<std::string> passwordUnheld;  // left out: password not in the code page
    std::vector<std::string> shortened;       // description cut to 255 bytes
    std::vector<std::string> replaced;        // some character became "?"
    int overLimit = 0;  // not imported: the table was full
    int totp = 0;       // one-time codes read and not imported
    bool guessedUtf8 = false;  // no BOM, but the letters were read as UTF-8
    // Codes that could not be read, left out: "name (why)".
    std::vector<std::string> codesRefused;
    // The codes of the entries appended, in row order, for the entries'
    // one-time-code item; until the table has one they count in `totp`.
    std::vector<ImportedCode> codes;
    // Slots of the duplicate index looked at while building, searching and
    // inserting: its work, for tests and the benchmark.
    std::size_t probes = 0;

    ImportSummary() = default;
    ImportSummary(const ImportSummary&) = default;
    ImportSummary(ImportSummary&&) = default;
    ImportSummary& operator=(const ImportSummary&) = default;
    ImportSummary& operator=(ImportSummary&&) = default;
    // The names are texts of the entries: wiped with them.
    ~ImportSummary();
};

// One line for the count and one for each thing that applies, the reminder
// to delete the file last; CR LF between lines, in the current language.
std::string SummaryText(const ImportSummary& summary);

} // namespace velt::import
