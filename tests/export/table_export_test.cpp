// CSV and HTML writers: byte-exact files, quoting and escaping of hostile
// cells, the extension rule and the error messages by system code.
#include "export/table_export.h"

#include <gtest/gtest.h>

#include <vector>

#include "vault/cell_store.h"

namespace velt {
namespace {

class VectorTable : public ExportTable {
public:
    explicit VectorTable(std::vector<std::vector<std::string>> rows) : rows_(std::move(rows)) {}
    int RowCount() const override { return static_cast<int>(rows_.size()); }
    int ColCount() const override { return 6; }
    std::string_view Cell(int col, int row) const override { return rows_.at(row).at(col); }

private:
    std::vector<std::vector<std::string>> rows_;
};

// What one export opened and wrote; the file can be told to fail at its
// n-th write.
struct Opened {
    std::string name, bytes;
    bool closed = false;
};

class MemoryFile : public ExportFile {
public:
    MemoryFile(Opened& opened, int failAtWrite) : opened_(opened), failAt_(failAtWrite) {}
    void Write(std::string_view b) override {
        if (++writes_ == failAt_) throw InOutError(112);
        opened_.bytes += b;
    }
    void Close() override { opened_.closed = true; }

private:
    Opened& opened_;
    int failAt_, writes_ = 0;
};

ExportFileOpener MemoryOpener(Opened& opened, int failAtWrite = 0) {
    return [&opened, failAtWrite](const std::string& name) {
        opened.name = name;
        return std::unique_ptr<ExportFile>(new MemoryFile(opened, failAtWrite));
    };
}

const std::vector<std::string> kTitles = {"#", "Name", "Address", "Login", "Password", "Description"};

std::string HtmlHeader(const std::string& charset) {
    return "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\">\r\n"
           "<html lang=\"en\">\r\n"
           "<head>\r\n"
           "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=" + charset + "\">\r\n"
           "<style type=\"text/css\">\r\n"
           "body\t{color: black; background-color: white}\r\n"
           "table\t{font-size: 11pt; font-family: Tahoma, Verdana, Arial; width: 100%; border-collapse: collapse}\r\n"
           "td,th\t{border: 1px solid silver; padding: 2px; text-align: left}\r\n"
           "th\t{background-color: black; color: white}\r\n"
           "</style>\r\n"
           "<title>[Velt] Passwords database</title>\r\n"
           "</head>\r\n"
           "<body>\r\n"
           "<table>\r\n";
}

std::string HtmlRow(const std::vector<std::string>& cells, const std::string& tag) {
    std::string s = " <tr>\r\n";
    for (const std::string& c : cells) s += "   <" + tag + ">" + c + "</" + tag + ">\r\n";
    return s + " </tr>\r\n";
}

const char kHtmlEnd[] = "</table>\r\n</body></html>";

TEST(TableExport, HeaderIsTheFixed524BytesWithTheRealCharset) {
    EXPECT_EQ(HtmlHeader("us-ascii").size(), 524u);
    Opened out;
    ExportHTM(VectorTable({kTitles}), "baza", 1252, MemoryOpener(out));
    EXPECT_EQ(out.bytes, HtmlHeader("windows-1252") + HtmlRow(kTitles, "th") + kHtmlEnd);
    EXPECT_EQ(HtmlCharset(1250), "windows-1250");
    EXPECT_EQ(HtmlCharset(932), "shift_jis");
    EXPECT_EQ(HtmlCharset(65001), "utf-8");
}

TEST(TableExport, InitialTableByteExact) {
    VectorTable initial({kTitles, {"", "", "", "", "", ""}});
    Opened csv, htm;
    EXPECT_EQ(ExportCSV(initial, "baza", MemoryOpener(csv)), "baza.csv");
    EXPECT_EQ(csv.bytes, "#;Name;Address;Login;Password;Description;\r\n;;;;;;\r\n");
    EXPECT_TRUE(csv.closed);
    EXPECT_EQ(ExportHTM(initial, "baza", 1252, MemoryOpener(htm)), "baza.htm");
    EXPECT_EQ(htm.bytes, HtmlHeader("windows-1252") + HtmlRow(kTitles, "th") +
                             HtmlRow({"", "", "", "", "", ""}, "td") + kHtmlEnd);
    EXPECT_TRUE(htm.closed);
}

TEST(TableExport, ReadsTheGridsCellStore) {
    CellStore store;  // the initial table: titles and one empty entry row
    for (int col = 0; col < 6; ++col) store.SetCell(col, 0, kTitles[col]);
    Opened csv;
    ExportCSV(ExportTableOf<CellStore>(store), "baza", MemoryOpener(csv));
    EXPECT_EQ(csv.bytes, "#;Name;Address;Login;Password;Description;\r\n;;;;;;\r\n");
}

TEST(TableExport, SortedPolishTableByteExact) {
    // Sorted by name; each row keeps the number the table shows for it.
    // Polish titles and letters as cp1250 bytes: ¯ó³w = AF F3 B3 77.
    const std::vector<std::string> titles = {"#", "Nazwa", "Adres", "Login", "Has\xB3o", "Opis"};
    const std::vector<std::vector<std::string>> rows = {
        {"2", "Bank \xA3\xF3" "d\x9F", "https://bank.pl", "jan", "\xB9\xEA\x9C\xE6", "konto"},
        {"1", "Poczta", "mail.pl", "ania", "x1", ""},
        {"3", "\xAF\xF3\xB3w", "", "", "", "zwierz\xEA"},
    };
    std::vector<std::vector<std::string>> all = {titles};
    all.insert(all.end(), rows.begin(), rows.end());
    VectorTable table(all);

    Opened csv, htm;
    ExportCSV(table, "C:\\dane\\hasla", MemoryOpener(csv));
    EXPECT_EQ(csv.name, "C:\\dane\\hasla.csv");
    EXPECT_EQ(csv.bytes,
              "#;Nazwa;Adres;Login;Has\xB3o;Opis;\r\n"
              "2;Bank \xA3\xF3" "d\x9F;https://bank.pl;jan;\xB9\xEA\x9C\xE6;konto;\r\n"
              "1;Poczta;mail.pl;ania;x1;;\r\n"
              "3;\xAF\xF3\xB3w;;;;zwierz\xEA;\r\n");
    ExportHTM(table, "C:\\dane\\hasla", 1250, MemoryOpener(htm));
    std::string expected = HtmlHeader("windows-1250") + HtmlRow(titles, "th");
    for (const auto& r : rows) expected += HtmlRow(r, "td");
    EXPECT_EQ(htm.bytes, expected + kHtmlEnd);
}

TEST(TableExport, CsvQuotesOnlyFieldsThatWouldBreakTheRecord) {
    struct Case {
        std::string cell, field;
    } cases[] = {
        {"plain", "plain"}, {"", ""}, {"a,b 'c' \t", "a,b 'c' \t"}, {"\xB9", "\xB9"},
        {"a;b", "\"a;b\""}, {";", "\";\""}, {"say \"hi\"", "\"say \"\"hi\"\"\""}, {"\"", "\"\"\"\""},
        {"one\r\ntwo", "\"one\r\ntwo\""}, {"x\n", "\"x\n\""}, {"\r", "\"\r\""},
    };
    for (const Case& c : cases) EXPECT_EQ(CsvField(c.cell), c.field) << c.cell;
    Opened csv;
    ExportCSV(VectorTable({{"1", "a;b", "q\"", "", "l\r\n2", "z"}}), "t", MemoryOpener(csv));
    EXPECT_EQ(csv.bytes, "1;\"a;b\";\"q\"\"\";;\"l\r\n2\";z;\r\n");
}

TEST(TableExport, HtmlEscapesEveryCellAndTitle) {
    EXPECT_EQ(HtmlEscape("<script>alert('&')</script>"), "&lt;script&gt;alert('&amp;')&lt;/script&gt;");
    EXPECT_EQ(HtmlEscape("a \"b\" & c"), "a &quot;b&quot; &amp; c");
    EXPECT_EQ(HtmlEscape("&amp;"), "&amp;amp;");
    Opened htm;
    ExportHTM(VectorTable({{"#", "<b>", "", "", "", ""}, {"1", "", "", "", "", "</td><td>"}}), "t", 1252,
              MemoryOpener(htm));
    EXPECT_NE(htm.bytes.find("   <th>&lt;b&gt;</th>\r\n"), std::string::npos);
    EXPECT_NE(htm.bytes.find("   <td>&lt;/td&gt;&lt;td&gt;</td>\r\n"), std::string::npos);
}

TEST(TableExport, ExtensionOnlyWhenTheLastComponentHasNoDot) {
    struct Case {
        const char* name;
        const char* csv;
    } cases[] = {
        {"baza", "baza.csv"}, {"baza.csv", "baza.csv"}, {"baza.htm", "baza.htm"}, {"baza.txt", "baza.txt"},
        {"baza.", "baza."}, {".hidden", ".hidden"}, {"C:\\my.dir\\baza", "C:\\my.dir\\baza.csv"},
        {"C:\\dir\\b.x", "C:\\dir\\b.x"}, {"dir.d/baza", "dir.d/baza.csv"}, {"C:baza", "C:baza.csv"},
    };
    for (const Case& c : cases) EXPECT_EQ(ExportFileName(c.name, ".csv"), c.csv) << c.name;
    EXPECT_EQ(ExportFileName("baza.csv", ".htm"), "baza.csv");  // the filter decides the format, not the name
}

TEST(TableExport, FirstFailureEndsTheExportWithItsMessage) {
    struct Case {
        int code;
        const char* message;
    } cases[] = {
        {2, "File not found"}, {3, "Invalid filename"}, {4, "Too many open files"},
        {5, "File access denied"}, {112, "I/O error 112"}, {32, "I/O error 32"},
    };
    for (const Case& c : cases) {
        EInOutError e = InOutError(c.code);
        EXPECT_EQ(e.Code(), c.code);
        EXPECT_STREQ(e.what(), c.message);
    }
    Opened out;
    try {
        ExportCSV(VectorTable({kTitles}), "full", MemoryOpener(out, 1));
        ADD_FAILURE() << "no error";
    } catch (const EInOutError& e) {
        EXPECT_EQ(e.Code(), 112);
    }
    EXPECT_FALSE(out.closed);
    EXPECT_THROW(ExportHTM(VectorTable({kTitles}), "x", 1252,
                           [](const std::string&) -> std::unique_ptr<ExportFile> { throw InOutError(3); }),
                 EInOutError);
}

TEST(TableExport, LargeTableArrivesWhole) {
    // More than one buffer's worth goes out in several writes, in order.
    std::vector<std::vector<std::string>> rows = {kTitles};
    for (int i = 1; i <= 3000; ++i)
        rows.push_back({std::to_string(i), std::string(60, 'n'), "a", "l", "p", "d"});
    Opened csv;
    ExportCSV(VectorTable(rows), "big", MemoryOpener(csv));
    std::string expected = "#;Name;Address;Login;Password;Description;\r\n";
    for (int i = 1; i <= 3000; ++i) expected += std::to_string(i) + ";" + std::string(60, 'n') + ";a;l;p;d;\r\n";
    EXPECT_EQ(csv.bytes, expected);
}

} // namespace
} // namespace velt
