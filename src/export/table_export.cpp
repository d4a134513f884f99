#include "export/table_export.h"

#include "core/resource_strings.h"

namespace velt {

namespace {

constexpr char kCrLf[] = "\r\n";

// Collects output and hands it to the file in large pieces.
class BufferedOutput {
public:
    explicit BufferedOutput(ExportFile& file) : file_(file) {}
    BufferedOutput& operator<<(std::string_view bytes) {
        buffer_ += bytes;
        if (buffer_.size() >= kFlushSize) Flush();
        return *this;
    }
    void Flush() {
        if (!buffer_.empty()) file_.Write(buffer_);
        buffer_.clear();
    }

private:
    static constexpr std::size_t kFlushSize = 64 * 1024;
    ExportFile& file_;
    std::string buffer_;
};

// Only the charset line differs from the page every export has written.
const char* const kHtmlHeader[] = {
    "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\">",
    "<html lang=\"en\">",
    "<head>",
    nullptr,  // the Content-Type line
    "<style type=\"text/css\">",
    "body\t{color: black; background-color: white}",
    "table\t{font-size: 11pt; font-family: Tahoma, Verdana, Arial; width: 100%; border-collapse: collapse}",
    "td,th\t{border: 1px solid silver; padding: 2px; text-align: left}",
    "th\t{background-color: black; color: white}",
    "</style>",
    "<title>[Velt] Passwords database</title>",
    "</head>",
    "<body>",
    "<table>",
};

void WriteHtmlRow(BufferedOutput& out, const ExportTable& table, int row, std::string_view tag) {
    out << " <tr>" << kCrLf;
    for (int col = 0; col < table.ColCount(); ++col)
        out << "   <" << tag << ">" << HtmlEscape(table.Cell(col, row)) << "</" << tag << ">" << kCrLf;
    out << " </tr>" << kCrLf;
}

} // namespace

EInOutError InOutError(int code) {
    switch (code) {
    case 2: return EInOutError(LoadStr(IDS_FILE_NOT_FOUND), code);
    case 3: return EInOutError(LoadStr(IDS_INVALID_FILENAME), code);
    case 4: return EInOutError(LoadStr(IDS_TOO_MANY_OPEN_FILES), code);
    case 5: return EInOutError(LoadStr(IDS_FILE_ACCESS_DENIED), code);
    default: return EInOutError(FmtLoadStr(IDS_IO_ERROR, {code}), code);
    }
}

std::string ExportFileName(const std::string& fileName, std::string_view extension) {
    // The last component starts after the last path or drive separator.
    std::size_t start = fileName.find_last_of("\\/:");
    start = start == std::string::npos ? 0 : start + 1;
    if (fileName.find('.', start) != std::string::npos) return fileName;
    return fileName + std::string(extension);
}

std::string CsvField(std::string_view cell) {
    if (cell.find_first_of(";\"\r\n") == std::string_view::npos) return std::string(cell);
    std::string quoted = "\"";
    for (char c : cell) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + '"';
}

std::string HtmlEscape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c;
        }
    }
    return out;
}

std::string HtmlCharset(unsigned codePage) {
    switch (codePage) {
    case 932: return "shift_jis";
    case 936: return "gbk";
    case 949: return "euc-kr";
    case 950: return "big5";
    case 65001: return "utf-8";
    default: return "windows-" + std::to_string(codePage);  // 874, 1250..1258
    }
}

void WriteCSV(const ExportTable& table, ExportFile& file) {
    BufferedOutput out(file);
    for (int row = 0; row < table.RowCount(); ++row) {
        for (int col = 0; col < table.ColCount(); ++col) out << CsvField(table.Cell(col, row)) << ";";
        out << kCrLf;
    }
    out.Flush();
}

void WriteHTM(const ExportTable& table, ExportFile& file, unsigned codePage) {
    BufferedOutput out(file);
    for (const char* line : kHtmlHeader) {
        if (line) out << line;
        else out << "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=" << HtmlCharset(codePage) << "\">";
        out << kCrLf;
    }
    if (table.RowCount() > 0) WriteHtmlRow(out, table, 0, "th");
    for (int row = 1; row < table.RowCount(); ++row) WriteHtmlRow(out, table, row, "td");
    out << "</table>" << kCrLf << "</body></html>";
    out.Flush();
}

std::string ExportCSV(const ExportTable& table, const std::string& fileName,
                      const ExportFileOpener& open) {
    std::string name = ExportFileName(fileName, ".csv");
    std::unique_ptr<ExportFile> file = open(name);
    WriteCSV(table, *file);
    file->Close();
    return name;
}

std::string ExportHTM(const ExportTable& table, const std::string& fileName, unsigned codePage,
                      const ExportFileOpener& open) {
    std::string name = ExportFileName(fileName, ".htm");
    std::unique_ptr<ExportFile> file = open(name);
    WriteHTM(table, *file, codePage);
    file->Close();
    return name;
}

} // namespace velt
