// The table written out in clear, as semicolon-separated values or as an
// HTML page, byte for byte as the table holds its 8-bit text. The writers
// here are portable; export_file_win.h opens the real files.
#pragma once
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "core/errors.h"

namespace velt {

// What the writers read: the whole table, title row 0 included.
class ExportTable {
public:
    virtual ~ExportTable() = default;
    virtual int RowCount() const = 0;
    virtual int ColCount() const = 0;
    virtual std::string_view Cell(int col, int row) const = 0;
};

// Any table with RowCount(), ColCount() and Cell(col, row) (the grid's cell
// store) seen as an ExportTable; it must outlive the adapter.
template <typename Table>
class ExportTableOf final : public ExportTable {
public:
    explicit ExportTableOf(const Table& table) : table_(table) {}
    int RowCount() const override { return table_.RowCount(); }
    int ColCount() const override { return table_.ColCount(); }
    std::string_view Cell(int col, int row) const override { return table_.Cell(col, row); }

private:
    const Table& table_;
};

// A file opened (created or truncated) for export. Write and Close throw
// EInOutError on the first failure; the destructor only releases.
class ExportFile {
public:
    virtual ~ExportFile() = default;
    virtual void Write(std::string_view bytes) = 0;
    virtual void Close() = 0;
};
using ExportFileOpener = std::function<std::unique_ptr<ExportFile>(const std::string& fileName)>;

// The failure of a create, write or close, with its message by system code:
// 2 "File not found", 3 "Invalid filename", 4 "Too many open files",
// 5 "File access denied", any other "I/O error <code>".
EInOutError InOutError(int code);

// Appends the extension (".csv") only when the last path component has no dot.
std::string ExportFileName(const std::string& fileName, std::string_view extension);

// One CSV field: unchanged, or in double quotes with inner quotes doubled
// when it holds ';', '"', CR or LF (so it cannot split a field or a record).
std::string CsvField(std::string_view cell);
// &, <, >, " as entities: no cell can inject markup into the page.
std::string HtmlEscape(std::string_view text);
// The charset name the page declares for a Windows ANSI code page.
std::string HtmlCharset(unsigned codePage);

// Every row, every cell followed by ";", CR LF after each row.
void WriteCSV(const ExportTable& table, ExportFile& file);
// The fixed page header (declaring codePage's charset), a heading row from
// row 0 and one table row per entry row.
void WriteHTM(const ExportTable& table, ExportFile& file, unsigned codePage);

// The whole export: extension rule, open, write, close. Returns the name
// actually written. Throws EInOutError; what reached the file stays there.
std::string ExportCSV(const ExportTable& table, const std::string& fileName,
                      const ExportFileOpener& open);
std::string ExportHTM(const ExportTable& table, const std::string& fileName, unsigned codePage,
                      const ExportFileOpener& open);

} // namespace velt
