// Export into real files under Wine: the extension, truncation, the charset
// of the ANSI code page, and the system's errors as the user reads them.
#include "export/export_file_win.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <array>
#include <fstream>
#include <iterator>

namespace velt {
namespace {

// The grid's cell store as the export sees it: RowCount, ColCount, Cell.
struct SimpleStore {
    std::vector<std::array<std::string, 6>> rows;
    int RowCount() const { return static_cast<int>(rows.size()); }
    int ColCount() const { return 6; }
    const std::string& Cell(int col, int row) const { return rows.at(row).at(col); }
};

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

const SimpleStore kInitial{{{"#", "Name", "Address", "Login", "Password", "Description"}, {}}};

TEST(ExportFile, WritesAndReplacesTheNamedFile) {
    TempFolder dir;
    EXPECT_EQ(ExportCSV(kInitial, dir / "baza"), dir / "baza.csv");
    EXPECT_EQ(ReadAll(dir / "baza.csv"), "#;Name;Address;Login;Password;Description;\r\n;;;;;;\r\n");
    // An existing file is truncated, not appended to.
    SimpleStore titlesOnly{{kInitial.rows[0]}};
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

TEST(ExportFilePlLocale, PageDeclaresWindows1250AndKeepsTheBytes) {
    TempFolder dir;
    SimpleStore polish{{{"#", "Nazwa", "Adres", "Login", "Has\xB3o", "Opis"},
                        {"1", "\xAF\xF3\xB3w", "", "", "", ""}}};
    ExportHTM(polish, dir / "baza");
    std::string page = ReadAll(dir / "baza.htm");
    EXPECT_NE(page.find("<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1250\">\r\n"),
              std::string::npos);
    EXPECT_NE(page.find("   <th>Has\xB3o</th>\r\n"), std::string::npos);
    EXPECT_NE(page.find("   <td>\xAF\xF3\xB3w</td>\r\n"), std::string::npos);
    ExportCSV(polish, dir / "baza");
    EXPECT_EQ(ReadAll(dir / "baza.csv"), "#;Nazwa;Adres;Login;Has\xB3o;Opis;\r\n1;\xAF\xF3\xB3w;;;;;\r\n");
}

} // namespace
} // namespace velt
