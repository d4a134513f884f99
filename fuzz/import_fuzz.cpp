// The CSV importer: any file bytes into a table that already holds entries.
//
// Input: one flag byte, then the file. Bit 0 starts from the new vault's
// single empty row (the row an import replaces) instead of two entries;
// bit 1 converts through a code page that holds only ASCII, so that the
// replacement and left-out paths are reached often.
#include <string>

#include "fuzz_support.h"
#include "import/csv_import.h"

using namespace velt;
using namespace velt::import;

namespace {

// The duplicate index's key: fixed, so that a run can be repeated.
class FixedRandom final : public RandomByteSource {
public:
    void Fill(unsigned char* data, std::size_t size) override {
        for (std::size_t i = 0; i < size; ++i) data[i] = static_cast<unsigned char>(i * 37);
    }
};

class AsciiCodePage final : public ImportCodePage {
public:
    bool Append(std::u16string_view text, std::string& out) const override {
        bool held = true;
        for (char16_t c : text) {
            held = held && c < 0x80;
            out.push_back(c < 0x80 ? static_cast<char>(c) : '?');
        }
        return held;
    }
};

CellStore Start(bool empty) {
    CellStore t;
    if (empty) return t;
    t.SetRowCount(3);
    for (int c = 0; c < CellStore::kColumns; ++c) {
        t.SetCell(c, 1, c ? "keep" + std::to_string(c) : "1");
        t.SetCell(c, 2, c ? "name,url,username,password" : "2");
    }
    return t;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const bool empty = data[0] & 1;
    std::string file(reinterpret_cast<const char*>(data + 1), size - 1);
    const bool fileHasCrLf = file.find("\r\n") != std::string::npos;
    CellStore table = Start(empty);
    const CellStore before = table;
    const Latin1CodePage latin1;
    const AsciiCodePage ascii;
    FixedRandom random;
    try {
        const ImportSummary s =
            ImportCsv(file, "f.csv", table, data[0] & 2 ? static_cast<const ImportCodePage&>(ascii) : latin1, random);
        CHECK(file.empty());  // wiped
        const int kept = empty && s.imported > 0 ? 0 : before.EntryCount();
        CHECK(table.EntryCount() == kept + s.imported);
        for (int r = 1; r <= kept; ++r) CHECK(table.RowCells(r) == before.RowCells(r));
        for (int r = kept + 1; r < table.RowCount(); ++r) {
            CHECK(table.Cell(0, r) == std::to_string(r));
            for (int c = 1; c < CellStore::kColumns; ++c) {
                CHECK(table.Cell(c, r).size() <= kFieldLimit);
                // Every line break is CR LF, but in the password, which
                // keeps the bytes it had.
                const std::string_view cell = table.Cell(c, r);
                if (c == 4) {
                    CHECK(fileHasCrLf || cell.find("\r\n") == std::string_view::npos);
                    continue;
                }
                for (std::size_t i = 0; i < cell.size(); ++i) {
                    if (cell[i] == '\r') CHECK(i + 1 < cell.size() && cell[i + 1] == '\n');
                    if (cell[i] == '\n') CHECK(i > 0 && cell[i - 1] == '\r');
                }
            }
        }
        CHECK(!SummaryText(s).empty());
    } catch (const EImportError&) {
        CHECK(file.empty());
        CHECK(table == before);
    }
    return 0;
}
