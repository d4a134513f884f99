#include "import/csv_import.h"

#include <algorithm>

#include <array>
#include <cstdint>
#include <vector>

#include "core/one_time_code.h"
#include "core/resource_strings.h"
#include "core/sip_hash.h"
#include "core/text.h"
#include "import/csv_reader.h"
#include "import/field_converter.h"
#include "import/import_sources.h"
#include "core/secure_memory.h"
#include "vault/entry_items.h"
#include "vault/vault_format.h"

namespace velt::import {

namespace {

// Names in the summary's lists are cut to this many bytes.
constexpr std::size_t kListedNameLength = 40;

enum Field { kName, kAddress, kLogin, kPassword, kDescription, kFields };

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool StartsWithNoCase(std::string_view s, std::string_view lowerPrefix) {
    if (s.size() < lowerPrefix.size()) return false;
    for (std::size_t i = 0; i < lowerPrefix.size(); ++i)
        if (Lower(s[i]) != lowerPrefix[i]) return false;
    return true;
}

bool EqualsNoCase(std::string_view s, std::string_view lower) {
    return s.size() == lower.size() && StartsWithNoCase(s, lower);
}

// &amp; &lt; &gt; decoded in one pass, over the reader's own buffer (the
// text only gets shorter).
std::string_view DecodeEntities(std::string_view text, char* buffer) {
    static const struct { std::string_view entity; char c; } kEntities[] = {
        {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}};
    if (text.find('&') == std::string_view::npos) return text;
    char* out = buffer + (text.data() - buffer);
    std::size_t w = 0;
    for (std::size_t r = 0; r < text.size();) {
        char c = text[r++];
        if (c == '&')
            for (const auto& e : kEntities)
                if (text.substr(r - 1, e.entity.size()) == e.entity) {
                    c = e.c;
                    r += e.entity.size() - 1;
                    break;
                }
        out[w++] = c;
    }
    return std::string_view(out, w);
}

// The host of an address: no scheme, user, port, path, query or fragment.
std::string_view HostOf(std::string_view url) {
    const std::size_t scheme = url.find("://");
    if (scheme != std::string_view::npos) url.remove_prefix(scheme + 3);
    url = url.substr(0, url.find_first_of("/?#"));
    const std::size_t at = url.rfind('@');
    if (at != std::string_view::npos) url.remove_prefix(at + 1);
    if (!url.empty() && url.front() == '[') return url.substr(0, url.find(']') + 1);
    return url.substr(0, url.find(':'));
}

std::string_view FirstLine(std::string_view text) { return text.substr(0, text.find_first_of("\r\n")); }

// "Root/Mail/Work" gives "Mail/Work"; the root group alone gives nothing.
std::string_view WithoutRootGroup(std::string_view path) {
    const std::size_t slash = path.find('/');
    return slash == std::string_view::npos ? std::string_view() : path.substr(slash + 1);
}

bool IsEmptyEntry(const CellStore::RowView& cells) {
    for (int c = 1; c < CellStore::kColumns; ++c)
        if (!cells[c].empty()) return false;
    return true;
}

class Importer {
public:
    Importer(CellStore& table, const ImportCodePage& codePage, const SourceLayout& layout, bool utf8,
             char* buffer, RandomByteSource& random, ImportSummary& summary);
    ~Importer();
    void Row(const std::vector<std::string_view>& fields, int record);
    // Puts the table back as it was before the import.
    void Rollback();

private:
    std::string_view Cell(const std::vector<std::string_view>& fields, int column) const;
    // Converts into cells_[field]; false when a character became "?".
    bool Convert(int field, std::string_view text);
    bool ConvertDescription(const std::vector<std::string_view>& fields);
    // Of the five fields, from `first` on in `cells`, lengths included.
    template <typename Cells>
    std::uint64_t Hash(const Cells& cells, int first) const;
    // Whether the index holds a row equal to the five fields from `first` on.
    template <typename Cells>
    bool Holds(std::uint64_t hash, const Cells& cells, int first) const;
    void Append(std::uint64_t hash);
    std::string EntryLabel(int record) const;
    // The row's one-time code as the canonical link; "" when there is none
    // or it cannot be read (then listed with its reason).
    std::string ReadCode(std::string_view cell, int record);
    // The longest start of `text` within `limit` bytes that ends on a
    // character: a CR LF is one, so its CR is never kept alone.
    std::string_view Cut(std::string_view text, std::size_t limit) const;

    CellStore& table_;
    const ImportCodePage& codePage_;
    const SourceLayout& layout_;
    char* buffer_;
    ImportSummary& summary_;
    FieldConverter converter_;
    // The entry's texts: views of the file's bytes where they need no
    // change, of out_ where they were converted.
    std::array<std::string_view, kFields> cells_;
    std::array<std::string, kFields> out_;
    std::string labelBefore_, labelAfter_;  // around the %s of "Group: %s"
    // Open addressing by Hash, for duplicates: (hash, row) pairs, row 0 free.
    // The hash is keyed afresh for each import, so no file can choose rows
    // that collide and turn each search into a walk of the whole table.
    SipHash::Key key_;
    std::vector<std::pair<std::uint64_t, int>> slots_;
    std::size_t used_ = 0;
    void Remember(std::uint64_t hash, int row);
    int rowsBefore_;
    bool replaceEmpty_;  // the table's only entry row is empty
    bool replaced_ = false;
    std::string firstNumber_;
};

Importer::Importer(CellStore& table, const ImportCodePage& codePage, const SourceLayout& layout,
                   bool utf8, char* buffer, RandomByteSource& random, ImportSummary& summary)
    : table_(table), codePage_(codePage), layout_(layout), buffer_(buffer), summary_(summary),
      converter_(codePage, utf8), rowsBefore_(table.RowCount()),
      replaceEmpty_(table.RowCount() == 2 && IsEmptyEntry(table.RowCells(1))) {
    if (replaceEmpty_) firstNumber_ = std::string(table.Cell(0, 1));
    const int labelId[] = {0, IDS_IMPORT_GROUP, IDS_IMPORT_FOLDER, IDS_IMPORT_TAGS};
    if (layout.label != Label::None) {
        labelBefore_ = ResStr(labelId[static_cast<int>(layout.label)]);
        const std::size_t at = labelBefore_.find("%s");
        if (at != std::string::npos) {
            labelAfter_ = labelBefore_.substr(at + 2);
            labelBefore_.resize(at);
        }
    }
    random.Fill(key_, sizeof key_);
    slots_.resize(std::size_t(1) << 12);
    // Equal rows of the table are indexed once: a run of them would make
    // every insertion walk the run. A full table takes no row: no index.
    if (!replaceEmpty_ && table.EntryCount() < kVaultMaxEntries)
        for (int r = 1; r < table.RowCount(); ++r) {
            const CellStore::RowView cells = table.RowCells(r);
            const std::uint64_t hash = Hash(cells, 1);
            if (!Holds(hash, cells, 1)) Remember(hash, r);
        }
}

Importer::~Importer() {
    for (std::string& s : out_) WipeString(s);
}

// LastPass's entities are decoded in place, so each column is read once a row.
std::string_view Importer::Cell(const std::vector<std::string_view>& fields, int column) const {
    if (column < 0 || static_cast<std::size_t>(column) >= fields.size()) return {};
    std::string_view text = fields[static_cast<std::size_t>(column)];
    return layout_.source == Source::LastPass ? DecodeEntities(text, buffer_) : text;
}

bool Importer::Convert(int field, std::string_view text) {
    bool held;
    cells_[field] = converter_.Convert(text, out_[field], held);
    return held;
}

bool Importer::ConvertDescription(const std::vector<std::string_view>& fields) {
    std::string& out = out_[kDescription];
    out.clear();
    bool held = true;
    std::string_view labelled = Cell(fields, layout_.labelled);
    if (layout_.source == Source::KeePassXC) labelled = WithoutRootGroup(labelled);
    const std::string_view parts[] = {Cell(fields, layout_.notes), labelled, Cell(fields, layout_.fields)};
    if (parts[1].empty() && parts[2].empty()) return Convert(kDescription, parts[0]);
    for (int i = 0; i < 3; ++i) {
        if (parts[i].empty()) continue;
        // Room for the label; the converter makes its own.
        ReserveWiped(out, out.size() + 2 + labelBefore_.size() + labelAfter_.size());
        if (!out.empty()) out += "\r\n";
        if (i == 1) out += labelBefore_;
        held = converter_.Append(parts[i], out) && held;
        if (i == 1) {
            ReserveWiped(out, out.size() + labelAfter_.size());
            out += labelAfter_;
        }
    }
    cells_[kDescription] = out;
    return held;
}

template <typename Cells>
std::uint64_t Importer::Hash(const Cells& cells, int first) const {
    SipHash h(key_);
    for (int f = first; f < first + kFields; ++f) {
        const std::string_view text = cells[static_cast<std::size_t>(f)];
        const std::size_t n = text.size();
        const char length[4] = {char(n), char(n >> 8), char(n >> 16), char(n >> 24)};
        h.Update(std::string_view(length, 4));
        h.Update(text);
    }
    return h.Finish();
}

std::string Importer::EntryLabel(int record) const {
    const std::string_view name = cells_[kName];
    if (name.empty()) return FormatText(ResStr(IDS_IMPORT_ROW), {record});
    return std::string(Cut(name, kListedNameLength));
}

std::string_view Importer::Cut(std::string_view text, std::size_t limit) const {
    std::size_t keep = codePage_.FitPrefix(text, limit);
    if (keep > 0 && keep < text.size() && text[keep - 1] == '\r' && text[keep] == '\n') --keep;
    return text.substr(0, keep);
}

void Importer::Remember(std::uint64_t hash, int row) {
    if (2 * (used_ + 1) > slots_.size()) {
        std::vector<std::pair<std::uint64_t, int>> old(2 * slots_.size());
        old.swap(slots_);
        used_ = 0;
        for (const auto& slot : old)
            if (slot.second) Remember(slot.first, slot.second);
    }
    std::size_t i = static_cast<std::size_t>(hash) & (slots_.size() - 1);
    for (++summary_.probes; slots_[i].second; ++summary_.probes) i = (i + 1) & (slots_.size() - 1);
    slots_[i] = {hash, row};
    ++used_;
}

template <typename Cells>
bool Importer::Holds(std::uint64_t hash, const Cells& cells, int first) const {
    for (std::size_t i = static_cast<std::size_t>(hash) & (slots_.size() - 1);; i = (i + 1) & (slots_.size() - 1)) {
        ++summary_.probes;
        if (!slots_[i].second) return false;
        if (slots_[i].first != hash) continue;
        const CellStore::RowView held = table_.RowCells(slots_[i].second);
        bool same = true;
        for (int f = 0; f < kFields && same; ++f) same = held[f + 1] == cells[static_cast<std::size_t>(first + f)];
        if (same) return true;
    }
}

void Importer::Append(std::uint64_t hash) {
    if (replaceEmpty_) {
        table_.SetRowCount(1);
        replaceEmpty_ = false;
        replaced_ = true;
    }
    const int row = table_.RowCount();
    table_.SetRowCount(row + 1);
    const std::string number = std::to_string(row);
    std::array<std::size_t, CellStore::kColumns> sizes{number.size()};
    for (int f = 0; f < kFields; ++f) sizes[f + 1] = cells_[f].size();
    char* p = table_.ResizeRow(row, sizes);
    // Byte by byte: cheaper than the C library's copy for texts this short.
    for (char c : number) *p++ = c;
    for (const std::string_view f : cells_)
        for (char c : f) *p++ = c;
    Remember(hash, row);
    ++summary_.imported;
}

void Importer::Row(const std::vector<std::string_view>& fields, int record) {
    if (fields.size() == 1 && fields[0].empty()) return;  // a blank line
    std::string_view address = Cell(fields, layout_.address);
    std::string_view name = Cell(fields, layout_.name_);
    std::string_view login = Cell(fields, layout_.login);
    std::string_view password = Cell(fields, layout_.password);
    switch (layout_.source) {
    case Source::Firefox:
        if (StartsWithNoCase(address, "chrome://firefoxaccounts")) return;  // its own account
        name = HostOf(address);
        break;
    case Source::LastPass:
        if (EqualsNoCase(address, "http://sn")) address = {};  // a secure note
        break;
    case Source::Bitwarden:
        address = FirstLine(address);
        if (EqualsNoCase(Cell(fields, layout_.type), "note")) login = password = {};
        break;
    default: break;
    }

    // Every field is converted, whatever the ones before gave.
    const bool held[] = {Convert(kName, name), Convert(kAddress, address), Convert(kLogin, login),
                         ConvertDescription(fields)};
    bool passwordHeld;
    cells_[kPassword] = converter_.Convert(password, out_[kPassword], passwordHeld, true);
    // After the name, which a refusal is listed by.
    std::string code = ReadCode(Cell(fields, layout_.totp), record);
    ScopedWipe wipeCode(code);

    for (int f = kName; f <= kPassword; ++f)
        if (cells_[f].size() > kFieldLimit) {
            summary_.tooLong.push_back(EntryLabel(record));
            return;
        }
    if (!passwordHeld) {
        summary_.passwordUnheld.push_back(EntryLabel(record));
        return;
    }
    bool empty = true;
    for (const std::string_view f : cells_) empty = empty && f.empty();
    if (empty) return;
    // A full table takes nothing more, so copies past the limit cost no search.
    if (table_.EntryCount() >= kVaultMaxEntries && !replaceEmpty_) {
        ++summary_.overLimit;
        return;
    }
    std::string_view& description = cells_[kDescription];
    const bool cut = description.size() > kFieldLimit;
    // The bytes cut off are wiped with the file or with out_.
    if (cut) description = Cut(description, kFieldLimit);
    const std::uint64_t hash = Hash(cells_, 0);
    if (Holds(hash, cells_, 0)) {
        ++summary_.duplicates;
        return;
    }
    if (cut) summary_.shortened.push_back(EntryLabel(record));
    if (!(held[0] && held[1] && held[2] && held[3])) summary_.replaced.push_back(EntryLabel(record));
    Append(hash);
    if (!code.empty()) summary_.codes.push_back({table_.RowCount() - 1, std::move(code)});
}

std::string Importer::ReadCode(std::string_view cell, int record) {
    if (TrimBlanks(cell).empty()) return {};
    try {
        std::string link = OneTimeCode::Parse(cell).Link();
        ++summary_.totp;
        return link;
    } catch (const EOneTimeCodeError& e) {
        std::string reason = e.Message();
        if (!reason.empty() && reason.back() == '.') reason.pop_back();
        summary_.codesRefused.push_back(EntryLabel(record) + " (" + reason + ")");
        return {};
    }
}

void Importer::Rollback() {
    if (summary_.imported == 0) return;
    if (replaced_) {
        table_.SetRowCount(1);
        table_.SetRowCount(2);
        table_.SetCell(0, 1, firstNumber_);
    } else {
        table_.SetRowCount(rowsBefore_);
    }
}

std::string Message(int id, const std::string& fileName) { return FormatText(ResStr(id), {fileName}); }

} // namespace

ImportSummary ImportCsv(std::string& bytes, const std::string& fileName, CellStore& table,
                        const ImportCodePage& codePage, RandomByteSource& random) {
    ScopedWipe wipeOnExit(bytes);

    if (bytes.size() > kMaxImportFileSize) throw EImportError(Message(IDS_IMPORT_TOO_LARGE, fileName));
    const std::size_t start = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    if (bytes.find_first_not_of(" \t\r\n", start) == std::string::npos)
        throw EImportError(Message(IDS_IMPORT_EMPTY, fileName));
    const std::string_view body(bytes.data() + start, bytes.size() - start);
    const TextKind kind = Classify(body);  // the BOM holds no NUL
    if (kind == TextKind::Binary) throw EImportError(Message(IDS_IMPORT_NOT_CSV, fileName));
    const bool utf8 = kind == TextKind::Utf8;

    CsvReader reader(bytes.data() + start, body.size(), body.substr(0, 2) == "#;" ? ';' : ',');
    std::vector<std::string_view> fields;
    SourceLayout layout;
    try {
        reader.Next(fields);
    } catch (const ECsvError&) {
        throw EImportError(Message(IDS_IMPORT_NOT_CSV, fileName));
    }
    if (!RecognizeHeader(fields, layout))
        throw EImportError(FormatText(ResStr(IDS_IMPORT_UNKNOWN), {fileName, SourceList()}));
    if (layout.source == Source::KeePass2) reader.SetEscapes(CsvReader::Escapes::Backslash);

    ImportSummary summary;
    summary.source = layout.name;
    // Velt's own export is in the vault's code page, unless an editor saved
    // it again as UTF-8: then it starts with a BOM or spells its translated
    // titles in UTF-8.
    bool convert = utf8 && (layout.source != Source::Velt || start > 0);
    for (const std::string_view title : fields)
        for (const char c : title)
            if (utf8 && static_cast<unsigned char>(c) >= 0x80) convert = true;
    // Pure ASCII reads the same either way: only letters make it a guess.
    const auto letter = [](char c) { return static_cast<unsigned char>(c) >= 0x80; };
    summary.guessedUtf8 = convert && start == 0 && std::any_of(body.begin(), body.end(), letter);
    Importer importer(table, codePage, layout, convert, bytes.data(), random, summary);
    try {
        while (reader.Next(fields)) importer.Row(fields, reader.Record());
    } catch (const ECsvError&) {
        importer.Rollback();
        throw EImportError(Message(IDS_IMPORT_NOT_CSV, fileName));
    } catch (...) {
        importer.Rollback();
        throw;
    }
    return summary;
}

int KeepImportedCodes(ImportSummary& summary, CellStore& table) {
    int kept = 0;
    for (ImportedCode& code : summary.codes) {
        SetOneTimeCode(table, code.row, code.link);
        WipeString(code.link);
        ++kept;
    }
    summary.codes.clear();
    summary.totp -= kept;
    return kept;
}

} // namespace velt::import
