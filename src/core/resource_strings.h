// The three routes by which the program fetches its string resources. Every
// fetch passes through the installed translator, so a text is in the current
// interface language at the moment it is fetched.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "core/string_ids.h"

namespace velt {

// One argument of a formatted message: text (8-bit) or a whole number.
struct FormatArg {
    FormatArg(const char* s) : isText(true), text(s) {}
    FormatArg(std::string s) : isText(true), text(std::move(s)) {}
    FormatArg(int v) : isText(false), number(v) {}
    FormatArg(long v) : isText(false), number(v) {}
    FormatArg(long long v) : isText(false), number(v) {}
    FormatArg(unsigned v) : isText(false), number(v) {}
    bool isText;
    std::string text;
    std::int64_t number = 0;
};

// Replaces %s and %d in order; %% is a percent sign. Other directives are
// copied as they stand.
std::string FormatText(const std::string& format, const std::vector<FormatArg>& args);

// A resource-string record: the module holding the string table and the
// string's number (module null = the program itself).
struct ResStringRec {
    const void* module;
    int id;
};

// Reads a string resource's English text as UTF-16 ("" when missing).
using ResourceReader = std::u16string (*)(const void* module, int id);
// Reads a string resource as 8-bit text, at most 1023 bytes, from the first
// module whose string table has a non-empty string for it ("" when none).
using IdentifierReader = std::string (*)(int id);
// Passes a text through the translation service.
using ResourceTranslator = std::u16string (*)(const std::u16string& text);
// Tells whether the calling thread may translate record-route fetches.
using OwnerThreadTest = bool (*)();

void SetResourceReader(ResourceReader reader);        // nullptr: built-in English table
void SetIdentifierReader(IdentifierReader reader);    // nullptr: built-in English table, narrowed
void SetResourceTranslator(ResourceTranslator hook);  // nullptr: texts stay English
void SetOwnerThreadTest(OwnerThreadTest test);        // nullptr: every thread may translate

// The English text compiled into the core from strings.def (UTF-16).
std::u16string BuiltInEnglishText(int id);
// A string resource as read by the installed readers, untranslated.
std::u16string ReadResourceText(const void* module, int id);
std::string ReadIdentifierText(int id);

// Route 1, by record: 16-bit result (identifiers >= 65536 give "ERROR").
std::u16string LoadResourceText(const ResStringRec* record);
// Route 1 narrowed to the ANSI code page.
std::string LoadResString(const ResStringRec* record);
// Route 2, by identifier: read 8-bit, widened, translated, narrowed.
std::string LoadStr(int id);
// Route 3, by identifier with format arguments: formatted, then translated.
std::string FmtLoadStr(int id, const std::vector<FormatArg>& args);

// Shorthand for the program's own strings: the record route.
inline std::string ResStr(int id) {
    ResStringRec rec{nullptr, id};
    return LoadResString(&rec);
}

// The record route for a text that is also the framework's own and must stay
// English there (a box's caption, "Cancel"): looked up as "context" EOT text,
// the key of a gettext msgctxt entry, and English when no catalogue has it.
std::string ResStrInContext(const char* context, int id);
// The context of the words that Velt's own dialogs use.
constexpr const char* kOwnDialogs = "Velt";

} // namespace velt
