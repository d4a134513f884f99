// Export into real files under Wine: the extension, truncation, the charset
// of the ANSI code page, and the system's errors as the user reads them.
#include "export/export_file_win.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <array>
#include <fstream>
#include <iterator>

#include "vault/collation_win.h"
#include "vault/table_ops.h"

namespace velt {
namespace {

using Row = std::array<std::string, CellStore::kColumns>;

CellStore Store(const std::vector<Row>& rows) {
    CellStore store;
    store.SetRowCount(static_cast<int>(rows.size()));
    for (int r = 0; r < store.RowCount(); ++r)
        for (int c = 0; c < CellStore::kColumns; ++c) store.SetCell(c, r, rows[r][static_cast<size_t>(c)]);
    return store;
}

const Row kTitles = {"#", "Name", "Address", "Login", "Password", "Description"};

// A fresh folder under the temporary directory, removed with its files.
class TempFolder {
public:
    TempFolder() {
        char base[MAX_PATH];
        GetTempPathA(MAX_PATH, base);
        path_ = std::string(base) + "velt_export_" + std::to_string(GetCurrentProcessId()) + "_" +
                std::to_string(GetTickCount());
        CreateDirectoryA(path_.c_str(), nullptr);
    }
    ~TempFolder() {
        WIN32_FIND_DATAA fd;
        HANDLE h = FindFirstFileA((path_ + "\\*").c_str(), &fd);
        if (h != INVALID_HANDLE_VALUE) {
            do {
                std::string f = path_ + "\\" + fd.cFileName;
                SetFileAttributesA(f.c_str(), FILE_ATTRIBUTE_NORMAL);
                if (!DeleteFileA(f.c_str())) RemoveDirectoryA(f.c_str());
            } while (FindNextFileA(h, &fd));
            FindClose(h);
        }
        RemoveDirectoryA(path_.c_str());
    }
    std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

private:
    std::string path_;
};

std::string ReadAll(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

const CellStore kInitial = Store({kTitles, {}});

TEST(ExportFile, WritesAndReplacesTheNamedFile) {
    TempFolder dir;
    EXPECT_EQ(ExportCSV(kInitial, dir / "baza"), dir / "baza.csv");
    EXPECT_EQ(ReadAll(dir / "baza.csv"), "#;Name;Address;Login;Password;Description;\r\n;;;;;;\r\n");
    // An existing file is truncated, not appended to.
    CellStore titlesOnly = Store({kTitles});
    EXPECT_EQ(ExportCSV(titlesOnly, dir / "baza.csv"), dir / "baza.csv");
    EXPECT_EQ(ReadAll(dir / "baza.csv"), "#;Name;Address;Login;Password;Description;\r\n");
    // The HTML entry writes HTML even under a .csv name.
    ExportHTM(kInitial, dir / "other.csv");
    std::string page = ReadAll(dir / "other.csv");
    EXPECT_EQ(page.substr(0, 15), "<!DOCTYPE HTML ");
    EXPECT_NE(page.find("charset=windows-1252\">\r\n"), std::string::npos);
    EXPECT_EQ(page.substr(page.size() - 14), "</body></html>");
}

TEST(ExportFile, SystemErrorsReadAsTheirMessages) {
    TempFolder dir;
    struct Case {
        std::string name;
        int code;
        const char* message;
    } cases[] = {
        {dir / "missing\\baza", 3, "Invalid filename"},
        {dir / "ro.csv", 5, "File access denied"},
        {dir / "folder.csv", 5, "File access denied"},  // an existing folder of that name
    };
    CreateDirectoryA((dir / "folder.csv").c_str(), nullptr);
    {
        std::ofstream(dir / "ro.csv", std::ios::binary) << "keep";
        ASSERT_TRUE(SetFileAttributesA((dir / "ro.csv").c_str(), FILE_ATTRIBUTE_READONLY));
    }
    for (const Case& c : cases) {
        for (bool html : {false, true}) {
            try {
                html ? ExportHTM(kInitial, c.name) : ExportCSV(kInitial, c.name);
                ADD_FAILURE() << c.name << " written";
            } catch (const EInOutError& e) {
                EXPECT_EQ(e.Code(), c.code) << c.name;
                EXPECT_STREQ(e.what(), c.message) << c.name;
            }
        }
    }
    EXPECT_EQ(ReadAll(dir / "ro.csv"), "keep");
}

TEST(ExportFilePlLocale, SortedPolishTableKeepsItsBytes) {
    TempFolder dir;
    // Polish names in cp1250 (Zolw, Lodz, laka with their national letters),
    // sorted by the locale's collation; rows keep their numbers.
    CellStore table = Store({{"#", "Nazwa", "Adres", "Login", "Has\xB3o", "Opis"},
                             {"1", "\xAF\xF3\xB3w", "zoo.pl", "", "", ""},
                             {"2", "\xA3\xF3" "d\x9F", "", "ewa", "\xB9\xEA", ""},
                             {"3", "Ania", "", "", "", "<b>&</b>"},
                             {"4", "\xB3\xB9ka", "", "", "", ""},
                             {"5", "Zebra", "", "", "x;y", ""}});
    ASSERT_TRUE(SortByColumn(table, 1, UserLocaleCollation()));
    ExportCSV(table, dir / "baza");
    EXPECT_EQ(ReadAll(dir / "baza.csv"),
              "#;Nazwa;Adres;Login;Has\xB3o;Opis;\r\n"
              "3;Ania;;;;<b>&</b>;\r\n"
              "4;\xB3\xB9ka;;;;;\r\n"
              "2;\xA3\xF3" "d\x9F;;ewa;\xB9\xEA;;\r\n"
              "5;Zebra;;;\"x;y\";;\r\n"
              "1;\xAF\xF3\xB3w;zoo.pl;;;;\r\n");
    ExportHTM(table, dir / "baza");
    std::string page = ReadAll(dir / "baza.htm");
    std::string header = page.substr(0, 528);  // 524 with "us-ascii"
    EXPECT_NE(header.find("\r\n<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1250\">\r\n"
                          "<style type=\"text/css\">\r\n"),
              std::string::npos);
    std::string body;
    for (int row = 0; row < table.RowCount(); ++row) {
        const char* tag = row == 0 ? "th" : "td";
        body += " <tr>\r\n";
        for (std::string_view cell : table.RowCells(row)) {
            std::string shown = cell == "<b>&</b>" ? "&lt;b&gt;&amp;&lt;/b&gt;" : std::string(cell);
            body += std::string("   <") + tag + ">" + shown + "</" + tag + ">\r\n";
        }
        body += " </tr>\r\n";
    }
    EXPECT_EQ(page.substr(528), body + "</table>\r\n</body></html>");
}

} // namespace
} // namespace velt
