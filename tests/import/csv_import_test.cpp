#include "import/csv_import.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "export/table_export.h"
#include "support/colliding_rows.h"
#include "support/stand_in_crypto.h"
#include "vault/entry_items.h"
#include "vault/vault_format.h"

namespace velt::import {
namespace {

using Entry = std::array<std::string, 5>;  // name, address, login, password, description

std::vector<Entry> Entries(const CellStore& t) {
    std::vector<Entry> out;
    for (int r = 1; r < t.RowCount(); ++r) {
        Entry e;
        for (int f = 0; f < 5; ++f) e[f] = std::string(t.Cell(f + 1, r));
        out.push_back(e);
    }
    return out;
}

// Latin-1 plus one two-byte character, U+20AC as 0x81 0x80, and the Polish
// letters l-stroke and z-dot as windows-1250 has them.
class TwoByteCodePage : public ImportCodePage {
public:
    bool Append(std::u16string_view text, std::string& out) const override {
        std::u16string rest;
        for (char16_t c : text) {
            const char* own = c == u'\u20AC' ? "\x81\x80" : c == u'\u0142' ? "\xB3" : c == u'\u017C' ? "\xBF" : nullptr;
            if (!own) rest += c;
            else {
                latin1_.Append(rest, out);
                rest.clear();
                out += own;
            }
        }
        return latin1_.Append(rest, out);
    }
    std::size_t FitPrefix(std::string_view bytes, std::size_t limit) const override {
        std::size_t i = 0;
        while (i < bytes.size()) {
            const std::size_t n = static_cast<unsigned char>(bytes[i]) == 0x81 ? 2 : 1;
            if (i + n > limit) break;
            i += n;
        }
        return i;
    }

private:
    Latin1CodePage latin1_;
};

ImportSummary Import(std::string file, CellStore& t, const ImportCodePage& cp = TwoByteCodePage()) {
    test::CountingRandom random;
    return ImportCsv(file, "in.csv", t, cp, random);
}

struct SourceCase {
    const char* what;
    std::string file;
    std::string source;
    std::vector<Entry> entries;
    int totp;
};

const std::string kFirefoxHead =
    "url,username,password,httpRealm,formActionOrigin,guid,timeCreated,timeLastUsed,timePasswordChanged\n";
const std::string kBitwardenHead =
    "folder,favorite,type,name,notes,fields,reprompt,login_uri,login_username,login_password,login_totp\n";

// "zolw" with its Polish letters, as windows-1250 and as UTF-8; Velt's own
// header rows, the Polish one with its l-stroke in either encoding.
const std::string kZolw1250 = "\xBF\xF3\xB3w", kZolwUtf8 = "\xC5\xBC\xC3\xB3\xC5\x82w", kBom = "\xEF\xBB\xBF";
const std::string kVeltEn = "#;Name;Address;Login;Password;Description;\r\n";
const std::string kVeltPl1250 = "#;Nazwa;Adres;Login;Has\xB3o;Opis;\r\n";
const std::string kVeltPlUtf8 = "#;Nazwa;Adres;Login;Has\xC5\x82o;Opis;\r\n";

TEST(CsvImport, EachSourceAndQuirkFieldByField) {
    const Entry kN = {"N", "", "", kZolw1250, ""};  // what most Velt rows below read as
    const SourceCase cases[] = {
        {"chrome, LF, no final newline, no note column", "name,url,username,password\nMail,https://m.example,ann,p1",
         "Chrome/Edge", {{"Mail", "https://m.example", "ann", "p1", ""}}, 0},
        {"chrome, CR LF, doubled quotes, line break in a note",
         "name,url,username,password,note\r\n\"Bank, main\",https://b,\"bo\"\"b\",\"x\"\"y\",\"l1\nl2\"\r\n",
         "Chrome/Edge", {{"Bank, main", "https://b", "bo\"b", "x\"y", "l1\r\nl2"}}, 0},
        {"BOM, header in other case and padded, lone CR in a field, empty fields",
         "\xEF\xBB\xBF Name , URL,Username ,PASSWORD\r\n\"a\rb\",,,\r\n,,,p\n", "Chrome/Edge",
         {{"a\r\nb", "", "", "", ""}, {"", "", "", "p", ""}}, 0},
        {"firefox: host as name, own account skipped",
         kFirefoxHead + "https://u@login.example.com:8443/x?y,ann,pw,,,{g},1,2,3\n"
                        "chrome://FirefoxAccounts,me@x,secret,,,,,,\nhttp://[::1]:80/,b,c,,,,,,",
         "Firefox", {{"login.example.com", "https://u@login.example.com:8443/x?y", "ann", "pw", ""},
                     {"[::1]", "http://[::1]:80/", "b", "c", ""}}, 0},
        {"keepassxc: group without its root, TOTP counted",
         "\"Group\",\"Title\",\"Username\",\"Password\",\"URL\",\"Notes\",\"TOTP\",\"Icon\",\"Last Modified\",\"Created\"\n"
         "\"Root/Mail/Work\",\"Mail\",\"ann\",\"pw\",\"https://m\",\"n\",\"otpauth://totp/Mail?secret=JBSWY3DPEHPK3PXP\",\"0\",\"\",\"\"\n"
         "\"Root\",\"X\",\"\",\"p\",\"\",\"\",\"\",\"0\",\"\",\"\"\n",
         "KeePassXC", {{"Mail", "https://m", "ann", "pw", "n\r\nGroup: Mail/Work"}, {"X", "", "", "p", ""}}, 1},
        {"keepass 2: backslash escapes",
         "\"Account\",\"Login Name\",\"Password\",\"Web Site\",\"Comments\"\r\n"
         "\"Acc\",\"lo\\\\gin\",\"p\\\"w\",\"https://k\",\"c:\\dir \\\\ \"\"q\"\"\"\r\n",
         "KeePass 2", {{"Acc", "https://k", "lo\\gin", "p\"w", "c:\\dir \\ \"q\""}}, 0},
        {"bitwarden: first address, folder and fields, a secure note",
         kBitwardenHead + "Work,,login,Git,n1,\"k: v\",0,\"https://a\nhttps://b\",ann,pw,JBSW\n"
                          ",,note,Secret,text,,0,,x,y,\n",
         "Bitwarden", {{"Git", "https://a", "ann", "pw", "n1\r\nFolder: Work\r\nk: v"}, {"Secret", "", "", "", "text"}}, 1},
        {"1password: tags after notes",
         "Title,Url,Username,Password,OTPAuth,Favorite,Archived,Tags,Notes\n"
         "Bank,https://b,bob,pw,otpauth://totp/B?secret=JBSWY3DPEHPK3PXP,false,false,money,n\nNo,,,q,,,,,\n",
         "1Password", {{"Bank", "https://b", "bob", "pw", "n\r\nTags: money"}, {"No", "", "", "q", ""}}, 1},
        {"lastpass: entities decoded once, secure note",
         "url,username,password,totp,extra,name,grouping,fav\n"
         "https://a/?a=1&amp;b=2,ann,p&lt;&gt;,,x &amp;amp; y,A &amp; B,Shop,0\nhttp://sn,,,,secret,Note,,0\n",
         "LastPass", {{"A & B", "https://a/?a=1&b=2", "ann", "p<>", "x &amp; y\r\nFolder: Shop"},
                      {"Note", "", "", "", "secret"}}, 0},
        {"velt in english", kVeltEn + "7;N;A;L;P;\"D;1\";\r\n", "Velt", {{"N", "A", "L", "P", "D;1"}}, 0},
        {"velt in polish, windows-1250 bytes kept", kVeltPl1250 + "1;\xB3\xF3;;;" + kZolw1250 + ";;\r\n", "Velt",
         {{"\xB3\xF3", "", "", kZolw1250, ""}}, 0},
        {"velt in polish, 1250 after a BOM", kBom + kVeltPl1250 + "1;N;;;" + kZolw1250 + ";;\r\n", "Velt", {kN}, 0},
        {"velt in polish saved as UTF-8", kVeltPlUtf8 + "1;N;;;" + kZolwUtf8 + ";;\r\n", "Velt", {kN}, 0},
        {"velt in polish, UTF-8 with a BOM", kBom + kVeltPlUtf8 + "1;N;;;" + kZolwUtf8 + ";;\r\n", "Velt", {kN}, 0},
        {"velt in english, UTF-8 with a BOM", kBom + kVeltEn + "1;N;;;" + kZolwUtf8 + ";;\r\n", "Velt", {kN}, 0},
        {"velt in english without a BOM: bytes kept", kVeltEn + "1;N;;;" + kZolwUtf8 + ";;\r\n", "Velt",
         {{"N", "", "", kZolwUtf8, ""}}, 0},
        {"backslash is no escape outside keepass 2", "name,url,username,password\nA,u,l,\"pa\\\"\n",
         "Chrome/Edge", {{"A", "u", "l", "pa\\", ""}}, 0},
    };
    for (const SourceCase& c : cases) {
        SCOPED_TRACE(c.what);
        CellStore t;
        const ImportSummary s = Import(c.file, t);
        EXPECT_EQ(s.source, c.source);
        EXPECT_EQ(Entries(t), c.entries);
        EXPECT_EQ(s.imported, static_cast<int>(c.entries.size()));
        EXPECT_EQ(s.totp, c.totp);
        EXPECT_EQ(t.Cell(0, t.RowCount() - 1), std::to_string(t.RowCount() - 1));
    }
}

// Each source's code column read by the one-time code's rules: the entry's
// row and the canonical link, or left out with the reason.
TEST(CsvImport, OneTimeCodesBecomeLinksOrAreListedWithTheirReason) {
    const std::string link = "otpauth://totp/?secret=JBSWY3DPEHPK3PXP";
    const struct {
        std::string file;
        std::vector<std::pair<int, std::string>> codes;
        std::vector<std::string> refused;
    } cases[] = {
        {"\"Group\",\"Title\",\"Username\",\"Password\",\"URL\",\"Notes\",\"TOTP\"\n"
         "Root,A,,p,,,\"otpauth://totp/A:jan?secret=jbswy3dpehpk3pxp&period=60&digits=8\"\nRoot,B,,q,,,\"otpauth://hotp/B?secret=JBSW\"\n",
         {{1, "otpauth://totp/A:jan?secret=JBSWY3DPEHPK3PXP&digits=8&period=60"}},
         {"B (Counter-based (HOTP) codes are not supported; only time-based (TOTP) ones)"}},
        {kBitwardenHead + ",,login,A,,,0,,,p,JBSW Y3DP EHPK 3PXP\n,,login,B,,,0,,,q,steam://JBSWY3DPEHPK3PXP\n"
                          ",,login,C,,,0,,,r,otpauth://totp/C?secret=JBSWY3DPEHPK3PXP&issuer=C%20Co\n,,login,D,,,0,,,s,JBSW1\n",
         {{1, link}, {2, link + "&encoder=steam"}, {3, "otpauth://totp/C?secret=JBSWY3DPEHPK3PXP&issuer=C%20Co"}},
         {"D (The secret holds \"1\", which is not a base32 character (A to Z, 2 to 7))"}},
        {"Title,Url,Username,Password,OTPAuth\nA,,,p,otpauth://totp/A?secret=JBSWY3DPEHPK3PXP&algorithm=SHA256\n"
         "A,,,p,otpauth://totp/A?secret=JBSWY3DPEHPK3PXP\n,,,q,otpauth://totp/X?secret=\n",
         {{1, "otpauth://totp/A?secret=JBSWY3DPEHPK3PXP&algorithm=SHA256"}},
         {"row 4 (The one-time code has no secret)"}},
        {"url,username,password,totp,extra,name,grouping,fav\nhttps://a,ann,p,jbswy3dpehpk3pxp====,,A,,0\n"
         "https://b,bob,q,  ,,B,,0\n",
         {{1, link}}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        CellStore t;
        const ImportSummary s = Import(c.file, t);
        std::vector<std::pair<int, std::string>> codes;
        for (const ImportedCode& code : s.codes) codes.emplace_back(code.row, code.link);
        EXPECT_EQ(codes, c.codes);
        EXPECT_EQ(s.codesRefused, c.refused);
        ImportSummary kept = s;
        EXPECT_EQ(KeepImportedCodes(kept, t), static_cast<int>(c.codes.size()));
        EXPECT_EQ(kept.totp, s.totp - static_cast<int>(c.codes.size()));
        for (int row = 1; row < t.RowCount(); ++row) {
            std::string want;
            for (const auto& [at, link] : c.codes)
                if (at == row) want = link;
            EXPECT_EQ(OneTimeCodeOf(t, row), want) << row;
        }
    }
}

TEST(CsvImport, BadFilesNameTheFileAndChangeNothing) {
    const struct {
        std::string file;
        const char* says;
    } cases[] = {
        {"", "is empty"},
        {"\xEF\xBB\xBF\r\n", "is empty"},
        {"a,b,c\n1,2,3\n", "Velt imports the CSV files of Velt, KeePassXC"},
        {"name,url,username,password\n\"open,x,y,z\n", "is not a CSV file"},
        {"name,url,username,password\nA,b,c,d\nB,\"e,f,g\n", "is not a CSV file"},
        {std::string("name,url,username,password\n\0,,,", 31), "is not a CSV file"},
        {std::string(kMaxImportFileSize + 1, ','), "larger than 256 MB"},
    };
    for (const auto& c : cases)
        for (const bool newVault : {false, true}) {  // a new vault's empty row 1 is replaced, then put back
            CellStore t;
            t.SetRowCount(2);
            t.SetCell(0, 1, "1");
            if (!newVault) t.SetCell(1, 1, "kept");
            const CellStore before = t;
            try {
                Import(c.file, t);
                ADD_FAILURE() << c.says;
            } catch (const EImportError& e) {
                EXPECT_NE(std::string(e.what()).find("\"in.csv\""), std::string::npos) << e.what();
                EXPECT_NE(std::string(e.what()).find(c.says), std::string::npos) << e.what();
            }
            EXPECT_EQ(t, before) << c.says;
        }
}

TEST(CsvImport, CodePageAndLengthRules) {
    const std::string a254(254, 'a');
    const struct {
        const char* what;
        std::string row;  // name,url,username,password,note
        std::vector<Entry> entries;
        std::size_t tooLong, unheld, shortened, replaced;
        bool guessedUtf8 = false;  // the summary says the file was read as UTF-8
        std::string bom = "";
    } cases[] = {
        {"a letter that fits", "\xC3\xA9,,,p\xC3\xA9,", {{"\xE9", "", "", "p\xE9", ""}}, 0, 0, 0, 0, true},
        {"a letter after a BOM: no guess", "\xC3\xA9,,,p,", {{"\xE9", "", "", "p", ""}}, 0, 0, 0, 0, false, kBom},
        {"a two-byte letter", "\xE2\x82\xAC,,,p,", {{"\x81\x80", "", "", "p", ""}}, 0, 0, 0, 0, true},
        {"one that does not, in the password", "N,,,p\xCE\xA9,", {}, 0, 1, 0, 0, true},
        {"one that does not, in the description", "N,,,p,x\xCE\xA9\xF0\x9F\x94\x91", {{"N", "", "", "p", "x??"}}, 0, 0, 0, 1, true},
        {"a 256-byte login", "N,," + std::string(256, 'l') + ",p,", {}, 1, 0, 0, 0},
        {"a 255-byte login", "N,," + std::string(255, 'l') + ",p,", {{"N", "", std::string(255, 'l'), "p", ""}}, 0, 0, 0, 0},
        {"a description cut before a two-byte character", "N,,,p," + a254 + "\xE2\x82\xAC", {{"N", "", "", "p", a254}}, 0, 0, 1, 0, true},
        {"a two-byte UTF-8 letter that fits as the 255th byte", "N,,,p," + a254 + "\xC3\xA9",
         {{"N", "", "", "p", a254 + "\xE9"}}, 0, 0, 0, 0, true},
        {"not UTF-8: read as the code page", "\xE9,,,p\xE9,\xFF", {{"\xE9", "", "", "p\xE9", "\xFF"}}, 0, 0, 0, 0},
        {"overlong E0 80 80 is not UTF-8", "\xE0\x80\x80,,,p,", {{"\xE0\x80\x80", "", "", "p", ""}}, 0, 0, 0, 0},
        {"lead bytes C0 and C1 are not UTF-8", "\xC0\xAF\xC1\xBF,,,p,", {{"\xC0\xAF\xC1\xBF", "", "", "p", ""}}, 0, 0, 0, 0},
        {"a bad third byte is not UTF-8 and swallows no letter", "\xE2\x82" "Ab,,,p,", {{"\xE2\x82" "Ab", "", "", "p", ""}}, 0, 0, 0, 0},
        {"a 256-byte password", "N,,," + std::string(256, 'p') + ",", {}, 1, 0, 0, 0},
        {"a password keeps its line breaks, other fields get CR LF", "N,,,\"p\xC3\xA9\nq\rr\r\ns\",\"d\ne\"",
         {{"N", "", "", "p\xE9\nq\rr\r\ns", "d\r\ne"}}, 0, 0, 0, 0, true},
        {"a cut never keeps a CR without its LF", "N,,,p,\"" + a254 + "\nb\"", {{"N", "", "", "p", a254}}, 0, 0, 1, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CellStore t;
        const ImportSummary s = Import(c.bom + "name,url,username,password,note\n" + c.row + "\n", t);
        EXPECT_EQ(Entries(t), c.entries.empty() ? std::vector<Entry>{Entry{}} : c.entries);
        EXPECT_EQ(s.tooLong.size(), c.tooLong);
        EXPECT_EQ(s.passwordUnheld.size(), c.unheld);
        EXPECT_EQ(s.shortened.size(), c.shortened);
        EXPECT_EQ(s.replaced.size(), c.replaced);
        EXPECT_EQ(s.guessedUtf8, c.guessedUtf8);
    }
}

TEST(CsvImport, DuplicatesTheEmptyRowAndTheTableLimit) {
    const std::string file = "name,url,username,password\nA,u,l,p\nB,u,l,p\nA,u,l,p\n";
    CellStore t;
    ImportSummary s = Import(file, t);
    EXPECT_EQ(t.RowCount(), 3);  // the empty row replaced, the repeat skipped
    EXPECT_EQ(s.duplicates, 1);
    s = Import(file, t);
    EXPECT_EQ(t.RowCount(), 3);
    EXPECT_EQ(s.imported, 0);
    EXPECT_EQ(s.duplicates, 3);

    t.SetRowCount(65535);  // 65,534 empty entries: room for one more
    test::CountingRandom random;
    std::string file2 = "name,url,username,password\nC,u,l,p\nD,u,l,p\nE,u,l,p\n";
    s = ImportCsv(file2, "in.csv", t, TwoByteCodePage(), random);
    EXPECT_EQ(random.next, 16u);  // the index's key
    EXPECT_LE(s.probes, std::size_t(3) * 65535);  // equal rows are indexed once
    EXPECT_EQ(t.EntryCount(), 65535);
    EXPECT_EQ(t.Cell(1, 65535), "C");
    EXPECT_EQ(s.overLimit, 2);
}

TEST(CsvImport, RowsAreNamedByTheirNumberInACrLfFile) {
    CellStore t;
    const ImportSummary s = Import("name,url,username,password\r\nA,,,p\r\n,," + std::string(256, 'l') + ",p\r\n", t);
    EXPECT_EQ(s.tooLong, std::vector<std::string>{"row 3"});
}

TEST(CsvImport, NoFileCanMakeTheDuplicateSearchSlow) {
    const int kRows = 5000;  // past the index's first size
    const std::string rows = test::CollidingRows(kRows);
    const std::string file = "name,url,username,password\n" + rows;
    CellStore t;
    ImportSummary s = Import(file, t);
    EXPECT_EQ(s.imported, kRows);
    EXPECT_LE(s.probes, std::size_t(6) * kRows);  // searches, insertions and the growth
    // A full table takes no more rows and searches for none of them.
    s = Import(file, t);
    EXPECT_EQ(s.duplicates, kRows);
    t.SetRowCount(kVaultMaxEntries + 1);
    s = Import(file + rows, t);
    EXPECT_EQ(s.overLimit, 2 * kRows);
    EXPECT_EQ(s.probes, 0u);
}

TEST(CsvImport, SummaryListsWhatAppliesAndEndsWithTheReminder) {
    ImportSummary s;
    s.source = "Chrome/Edge";
    s.imported = 3;
    s.totp = 2;
    s.guessedUtf8 = true;
    s.codesRefused = {"A (why)", "B (why not)"};
    for (int i = 0; i < 12; ++i) s.replaced.push_back("e" + std::to_string(i));
    EXPECT_EQ(SummaryText(s),
              "Imported 3 entries from Chrome/Edge.\r\n"
              "The file does not say how its letters are written; they were read as UTF-8.\r\n"
              "In 12 entries, characters that the code page cannot hold were replaced by \"?\": "
              "e0, e1, e2, e3, e4, e5, e6, e7, e8, e9, and 2 more.\r\n"
              "2 TOTP secrets were not imported: Velt has no place for them.\r\n"
              "2 one-time codes could not be read and were left out: A (why), B (why not).\r\n\r\n"
              "The file holds your passwords in plain text; delete it when you no longer need it.");
}

struct StringFile : ExportFile {
    std::string text;
    void Write(std::string_view b) override { text += b; }
    void Close() override {}
};

// Cells may hold any byte but NUL; line breaks are CR LF as the grid writes
// them, and no entry is wholly empty (an import has nothing to add for one).
TEST(CsvImport, VeltsOwnExportReadsBackAsTheSameTable) {
    CellStore table;
    const char* const titles[] = {"#", "Name", "Address", "Login", "Password", "Description"};
    const std::vector<Entry> entries = {
        {"semi;colon", "\"quoted\"", "a\"\"b", ";", "line\r\nbreak;\"x\""},
        {"\x80\x81\xA0\xB3\xFF", "", "\xEF\xBB\xBF", " spaced ", "\r\n\r\n"},
        {"", "", "", "", "\"\""},
    };
    table.SetRowCount(static_cast<int>(entries.size()) + 1);
    for (int c = 0; c < 6; ++c) table.SetCell(c, 0, titles[c]);
    for (std::size_t r = 0; r < entries.size(); ++r) {
        table.SetCell(0, static_cast<int>(r + 1), std::to_string(r + 1));
        for (int f = 0; f < 5; ++f) table.SetCell(f + 1, static_cast<int>(r + 1), entries[r][f]);
    }
    StringFile csv;
    WriteCSV(ExportTableOf<CellStore>(table), csv);

    CellStore back;
    back.SetCell(0, 1, "1");
    EXPECT_EQ(Import(csv.text, back).imported, 3);
    for (int c = 0; c < 6; ++c) back.SetCell(c, 0, titles[c]);
    EXPECT_EQ(back, table);
}

} // namespace
} // namespace velt::import
