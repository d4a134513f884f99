// File > Import… under Wine: the real Open dialog, the file read from disk,
// the system code page without best fit, and the boxes the user sees.
#include "platform/system_error.h"
#include "app/import_command.h"

#include <gtest/gtest.h>

#include <fstream>
#include <vector>

#include "support/gui_driver.h"
#include "toolkit/msgbox.h"
#include "vault/entry_items.h"

namespace velt {
namespace {

std::string TempPath(const char* name) {
    char dir[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    return std::string(dir) + name;
}

struct Boxes {
    std::vector<MessageBoxRequest> shown;
    MessageBoxHook previous;
    Boxes() {
        previous = SetMessageBoxHook([this](const MessageBoxRequest& r) {
            shown.push_back(r);
            return IDOK;
        });
    }
    ~Boxes() { SetMessageBoxHook(previous); }
};

TEST(ImportCommand, ThroughTheRealOpenDialog) {
    test::GuiLock lock;
    const std::string path = TempPath("velt_import_test.csv");
    std::ofstream(path, std::ios::binary)
        << "name,url,username,password,note\r\n"
           "Caf\xC3\xA9,https://c,ann,p1,\"za\xC5\x82o\xC5\xBC \xF0\x9F\x94\x91\nnote\"\r\n"  // letters code page 1252 lacks
           "Other,,bob,\xC5\x82,\r\n";                                       // ... in a password
    Boxes boxes;
    bool answered = false;
    test::RunLater(300, [&] { answered = test::AnswerSaveDialog(0, path); });
    TOpenDialog dialog(nullptr);
    CellStore table;
    ASSERT_EQ(GetACP(), 1252u);
    EXPECT_TRUE(RunImport(nullptr, table, dialog));
    EXPECT_TRUE(answered);
    ASSERT_EQ(table.RowCount(), 2);
    EXPECT_EQ(table.Cell(1, 1), "Caf\xE9");
    EXPECT_EQ(table.Cell(5, 1), "za?o? ?\r\nnote");  // never "zalozy" by best fit; one "?" for the key
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].flags & MB_ICONMASK, static_cast<UINT>(MB_ICONINFORMATION));
    EXPECT_EQ(boxes.shown[0].text.substr(0, 38), "Imported 1 entries from Chrome/Edge.\r\n");
    EXPECT_NE(boxes.shown[0].text.find("password holds characters that the code page cannot hold: Other."),
              std::string::npos) << boxes.shown[0].text;
    DeleteFileA(path.c_str());
}

TEST(ImportCommand, CancelChangesNothingAndAMissingFileIsNamed) {
    const std::string missing = TempPath("velt_no_such_file.csv");
    for (bool cancel : {true, false}) {
        Boxes boxes;
        OpenDialogHook previous = SetOpenDialogHook([&](TOpenDialog& d) {
            EXPECT_EQ(d.Filter(), "CSV files (*.csv)|*.csv|All files (*.*)|*.*");
            d.SetFileName(missing);
            return !cancel;
        });
        TOpenDialog dialog(nullptr);
        CellStore table;
        EXPECT_FALSE(RunImport(nullptr, table, dialog));
        EXPECT_EQ(table, CellStore());
        SetOpenDialogHook(previous);
        ASSERT_EQ(boxes.shown.size(), cancel ? 0u : 1u);
        if (!cancel)
            EXPECT_EQ(boxes.shown[0].text,
                      "The file \"" + missing + "\" cannot be read. " +
                          platform::SystemErrorReason(ERROR_FILE_NOT_FOUND) + " Nothing was imported.");
    }
}

// A file's codes are kept when the vault says so (strong), else counted.
TEST(ImportCommand, OneTimeCodesKeptOnlyWhenTheVaultKeepsThem) {
    test::GuiLock lock;
    const std::string path = TempPath("velt_import_codes.csv");
    std::ofstream(path, std::ios::binary)
        << "folder,favorite,type,name,notes,fields,reprompt,login_uri,login_username,login_password,login_totp\n"
           ",,login,Git,,,0,,ann,pw,jbsw y3dp ehpk 3pxp\n";
    for (const bool keep : {true, false}) {
        Boxes boxes;
        test::RunLater(300, [&] { test::AnswerSaveDialog(0, path); });
        TOpenDialog dialog(nullptr);
        CellStore table;
        int asked = 0;
        EXPECT_TRUE(RunImport(nullptr, table, dialog, [&] { return ++asked, keep; }));
        EXPECT_EQ(asked, 1);
        EXPECT_EQ(OneTimeCodeOf(table, 1), keep ? "otpauth://totp/?secret=JBSWY3DPEHPK3PXP" : "");
        ASSERT_EQ(boxes.shown.size(), 1u);
        EXPECT_EQ(boxes.shown[0].text.find("1 TOTP secrets were not imported") == std::string::npos, keep);
    }
    DeleteFileA(path.c_str());
}

} // namespace
} // namespace velt
