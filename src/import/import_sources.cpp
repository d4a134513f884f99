#include "import/import_sources.h"

#include <cstddef>

namespace velt::import {

namespace {

enum Role { kName, kAddress, kLogin, kPassword, kNotes, kLabelled, kFields, kTotp, kType };

struct Column {
    Role role;
    const char* title;  // lower case
    bool required;
};

struct SourceSpec {
    Source source;
    const char* name;
    Label label;
    std::vector<Column> columns;
};

// Most specific first: a LastPass header also holds every column Chrome
// needs, and 1Password's those of KeePassXC but "group".
const std::vector<SourceSpec>& Specs() {
    static const std::vector<SourceSpec> specs = {
        {Source::Bitwarden, "Bitwarden", Label::Folder,
         {{kName, "name", true}, {kAddress, "login_uri", true}, {kLogin, "login_username", true},
          {kPassword, "login_password", true}, {kNotes, "notes", false}, {kLabelled, "folder", false},
          {kFields, "fields", false}, {kTotp, "login_totp", false}, {kType, "type", false}}},
        {Source::KeePass2, "KeePass 2", Label::None,
         {{kName, "account", true}, {kAddress, "web site", true}, {kLogin, "login name", true},
          {kPassword, "password", true}, {kNotes, "comments", false}}},
        {Source::KeePassXC, "KeePassXC", Label::Group,
         {{kName, "title", true}, {kAddress, "url", true}, {kLogin, "username", true},
          {kPassword, "password", true}, {kLabelled, "group", true}, {kNotes, "notes", false},
          {kTotp, "totp", false}}},
        {Source::OnePassword, "1Password", Label::Tags,
         {{kName, "title", true}, {kAddress, "url", true}, {kLogin, "username", true},
          {kPassword, "password", true}, {kNotes, "notes", false}, {kLabelled, "tags", false},
          {kTotp, "otpauth", false}}},
        {Source::LastPass, "LastPass", Label::Folder,
         {{kName, "name", true}, {kAddress, "url", true}, {kLogin, "username", true},
          {kPassword, "password", true}, {kLabelled, "grouping", true}, {kNotes, "extra", false},
          {kTotp, "totp", false}}},
        {Source::Chrome, "Chrome/Edge", Label::None,
         {{kName, "name", true}, {kAddress, "url", true}, {kLogin, "username", true},
          {kPassword, "password", true}, {kNotes, "note", false}}},
        // The name comes from the address.
        {Source::Firefox, "Firefox", Label::None,
         {{kAddress, "url", true}, {kLogin, "username", true}, {kPassword, "password", true}}},
    };
    return specs;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

bool SameTitle(std::string_view cell, std::string_view lower) {
    cell = Trim(cell);
    if (cell.size() != lower.size()) return false;
    for (std::size_t i = 0; i < cell.size(); ++i) {
        char c = cell[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != lower[i]) return false;
    }
    return true;
}

int Find(const std::vector<std::string_view>& header, const char* title) {
    for (std::size_t i = 0; i < header.size(); ++i)
        if (SameTitle(header[i], title)) return static_cast<int>(i);
    return -1;
}

// The export's title row in English, or in Polish with "Hasło" in
// windows-1250 or in UTF-8.
bool IsVeltHeader(const std::vector<std::string_view>& header) {
    static const char* const english[] = {"name", "address", "login", "password", "description"};
    static const char* const polish[] = {"nazwa", "adres", "login", "has\xB3o", "opis"};
    if (header.size() < 6 || !SameTitle(header[0], "#")) return false;
    bool en = true, pl = true;
    for (int i = 0; i < 5; ++i) {
        en = en && SameTitle(header[i + 1], english[i]);
        pl = pl && (SameTitle(header[i + 1], polish[i]) || (i == 3 && SameTitle(header[4], "has\xC5\x82o")));
    }
    return en || pl;
}

} // namespace

bool RecognizeHeader(const std::vector<std::string_view>& header, SourceLayout& layout) {
    if (IsVeltHeader(header)) {
        layout = SourceLayout{};
        layout.source = Source::Velt;
        layout.name = "Velt";
        layout.name_ = 1, layout.address = 2, layout.login = 3, layout.password = 4, layout.notes = 5;
        return true;
    }
    for (const SourceSpec& spec : Specs()) {
        SourceLayout l;
        l.source = spec.source;
        l.name = spec.name;
        l.label = spec.label;
        bool complete = true;
        for (const Column& col : spec.columns) {
            const int at = Find(header, col.title);
            if (at < 0 && col.required) complete = false;
            int* slot[] = {&l.name_, &l.address, &l.login, &l.password, &l.notes,
                           &l.labelled, &l.fields, &l.totp, &l.type};
            *slot[col.role] = at;
        }
        if (complete) {
            layout = l;
            return true;
        }
    }
    return false;
}

std::string SourceList() {
    return "Velt, KeePassXC, KeePass 2, Bitwarden, Chrome, Edge, Firefox, 1Password 8, LastPass";
}

} // namespace velt::import
