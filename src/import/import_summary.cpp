#include "import/import_summary.h"

#include "core/resource_strings.h"
#include "core/secure_memory.h"

namespace velt::import {

namespace {

// Lists stop after this many names.
constexpr std::size_t kListed = 10;

std::string NameList(const std::vector<std::string>& names) {
    std::string list;
    for (std::size_t i = 0; i < names.size() && i < kListed; ++i) {
        if (i) list += ", ";
        list += names[i];
    }
    if (names.size() > kListed)
        list += ", " + FormatText(ResStr(IDS_IMPORT_AND_MORE), {static_cast<int>(names.size() - kListed)});
    return list;
}

void AddLine(std::string& text, int id, const std::vector<std::string>& names) {
    if (names.empty()) return;
    text += "\r\n" + FormatText(ResStr(id), {static_cast<int>(names.size()), NameList(names)});
}

void AddLine(std::string& text, int id, int count) {
    if (count > 0) text += "\r\n" + FormatText(ResStr(id), {count});
}

} // namespace

ImportSummary::~ImportSummary() {
    for (auto* list : {&tooLong, &passwordUnheld, &shortened, &replaced, &codesRefused})
        for (std::string& name : *list) WipeString(name);
    for (ImportedCode& code : codes) WipeString(code.link);
}

std::string SummaryText(const ImportSummary& s) {
    std::string text = FormatText(ResStr(IDS_IMPORT_DONE), {s.imported, s.source});
    if (s.guessedUtf8) text += "\r\n" + ResStr(IDS_IMPORT_GUESSED_UTF8);
    AddLine(text, IDS_IMPORT_DUPLICATES, s.duplicates);
    AddLine(text, IDS_IMPORT_TOO_LONG, s.tooLong);
    AddLine(text, IDS_IMPORT_PASSWORD_UNHELD, s.passwordUnheld);
    AddLine(text, IDS_IMPORT_OVER_LIMIT, s.overLimit);
    AddLine(text, IDS_IMPORT_SHORTENED, s.shortened);
    AddLine(text, IDS_IMPORT_REPLACED, s.replaced);
    AddLine(text, IDS_IMPORT_TOTP, s.totp);
    AddLine(text, IDS_IMPORT_TOTP_REFUSED, s.codesRefused);
    text += "\r\n\r\n" + ResStr(IDS_IMPORT_DELETE_FILE);
    return text;
}

} // namespace velt::import
