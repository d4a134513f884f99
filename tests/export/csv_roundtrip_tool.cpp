// Writes a CSV export of awkward cells into <dir>/roundtrip.csv, and the
// cells it should read back as into <dir>/roundtrip.expected (one row a line,
// cells in hex, for csv_roundtrip.py to compare).
#include <cstdio>
#include <fstream>
#include <vector>

#include "export/table_export.h"

namespace {

class Table : public velt::ExportTable {
public:
    std::vector<std::vector<std::string>> rows;
    int RowCount() const override { return static_cast<int>(rows.size()); }
    int ColCount() const override { return 6; }
    std::string_view Cell(int col, int row) const override { return rows[row][col]; }
};

class StreamFile : public velt::ExportFile {
public:
    explicit StreamFile(const std::string& name) : out_(name, std::ios::binary) {
        if (!out_) throw velt::InOutError(3);
    }
    void Write(std::string_view b) override { out_.write(b.data(), static_cast<std::streamsize>(b.size())); }
    void Close() override { out_.close(); }

private:
    std::ofstream out_;
};

std::string Hex(const std::string& s) {
    std::string h;
    char buf[3];
    for (unsigned char c : s) {
        std::snprintf(buf, sizeof buf, "%02x", c);
        h += buf;
    }
    return h;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    std::string dir = argv[1];
    Table t;
    t.rows = {
        {"#", "Name", "Address", "Login", "Password", "Description"},
        {"1", "a;b", "say \"hi\"", "line1\r\nline2", "lf\nonly", "cr\ronly"},
        {"2", "\"", ";;", "", " lead", "a\"b;c\r\n\"d\""},
        {"3", "\xA3\xF3" "d\x9F", "'single'", ",", "tab\there", "\"\""},
        {"4", "", "", "", "", ""},
    };
    velt::ExportCSV(t, dir + "/roundtrip", [](const std::string& name) {
        return std::unique_ptr<velt::ExportFile>(new StreamFile(name));
    });
    std::ofstream expected(dir + "/roundtrip.expected", std::ios::binary);
    for (const auto& row : t.rows) {
        for (std::size_t i = 0; i < row.size(); ++i) expected << (i ? " " : "") << "x" << Hex(row[i]);
        expected << "\n";
    }
    return expected ? 0 : 1;
}
