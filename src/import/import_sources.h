// The programs whose CSV export Velt reads, told apart by the header row,
// and where each keeps the five fields.
#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace velt::import {

enum class Source { Velt, Bitwarden, KeePass2, KeePassXC, OnePassword, LastPass, Chrome, Firefox };

// How the labelled part of a description is introduced.
enum class Label { None, Group, Folder, Tags };

// Column numbers of a recognised header; -1 where the file has no such column.
struct SourceLayout {
    Source source = Source::Chrome;
    const char* name = "";  // as the summary names it
    int name_ = -1, address = -1, login = -1, password = -1;
    int notes = -1;       // the description's first part
    Label label = Label::None;
    int labelled = -1;    // its second part, after the label
    int fields = -1;      // its third part (Bitwarden's custom fields)
    int totp = -1;
    int type = -1;        // Bitwarden's item type
};

// The layout whose required columns the header holds: names compared
// trimmed and without regard to ASCII case, extra columns ignored. Velt's
// own export is "#" and the five titles in English or Polish, in order.
// False when no source matches.
bool RecognizeHeader(const std::vector<std::string_view>& header, SourceLayout& layout);

// "Velt, KeePassXC, ..." for the message about an unknown header.
std::string SourceList();

} // namespace velt::import
