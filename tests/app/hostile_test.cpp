// The main window under hostile conditions, end to end: saves that fail at
// every step, another process holding the vault, damaged catalogues beside
// the program, the vault's row limit and oversized fields (refused exports
// are in menu_commands_test.cpp). The witness is always what the user sees
// (the boxes) and the files on disk.
#include "support/vault_files_win.h"
#include "platform/system_error.h"
#include "app/main_window_fixture.h"

#include <fstream>
#include <iterator>

#include "app/grid_driver.h"
#include "support/failing_save_ops_win.h"
#include "support/folder_listing_win.h"
#include "support/other_process_win.h"
#include "i18n/mo_builder.h"
#include "i18n/polish_messages.h"
#include "i18n/translator.h"

namespace velt::test {
namespace {

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteAll(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

// The folder without the backups earlier saves made: those are not leftovers.
std::vector<std::string> Listing(const std::string& dir) {
    std::vector<std::string> names;
    for (std::string& n : test::FolderListing(dir))
        if (n.size() < 4 || n.compare(n.size() - 4, 4, ".bak") != 0) names.push_back(std::move(n));
    return names;
}

void RemoveTree(const std::string& dir) {
    for (const std::string& name : Listing(dir)) {
        const std::string p = dir + name;
        SetFileAttributesA(p.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (!DeleteFileA(p.c_str())) RemoveTree(p + "\\");
    }
    RemoveDirectoryA(dir.c_str());
}

std::string Report(const std::string& message) { return "Velt: " + TApplication::ErrorReportText(message); }

// A menu command as the menu bar sends it: through the window procedure,
// so a failure reaches the error report.
void Command(TForm1* form, TMenuItem* item) {
    SendMessageA(form->Handle(), WM_COMMAND, MAKEWPARAM(item->Command(), 0), 0);
    Pump();
}

// Right press on a cell, the text put into the in-place editor, then a left
// press on a Login cell (which does nothing else) writes it into the cell.
void EditCell(TForm1* form, int col, int row, const std::string& text) {
    GridDriver grid(form->StringGrid1);
    grid.Press(col, row, TMouseButton::mbRight);
    SendMessageA(form->StringGridEdit->Handle(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    grid.Press(col == 3 ? 1 : 3, row, TMouseButton::mbLeft);
}

// ---------------------------------------------------------------- save faults

// The real file operations, with step number failAt failing instead.
int g_failAt = 0;
int g_steps = 0;

std::unique_ptr<SaveFileOps> MakeStepFailingOps() {
    return std::make_unique<test::StepFailingSaveOps>(g_failAt, g_steps);
}

class Hostile : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        // Wine reuses process ids: a folder left by an earlier run may be there.
        RemoveTree(dir_);
        CreateDirectoryA(dir_.c_str(), nullptr);
    }
    void TearDown() override {
        TForm1::SetSaveOpsForTests(nullptr);
        MainWindowTest::TearDown();
        RemoveTree(dir_);
    }
    std::string CannotCreate(DWORD code) const {
        return Report("Cannot create file \"" + VaultPath() + "\". " + platform::SystemErrorReason(code));
    }
};

TEST_F(Hostile, SaveFailingAtEveryStepKeepsTheOldFileTheFlagAndTheWindow) {
    WriteVaultFile("secret", {{"Mail", "mail.example.org", "jdoe", "hunter22", ""}});
    std::string old = ReadAll(VaultPath());
    TForm1* form = Open({true, "secret"});
    EditCell(form, 1, 1, "Webmail");
    ASSERT_TRUE(form->Modified);
    TForm1::SetSaveOpsForTests(&MakeStepFailingOps);

    // Ctrl+S, and the two questions whose Yes saves first; last, the merge
    // with a version another program wrote, which leaves both files.
    struct Way {
        const char* name;
        std::function<void()> run;
        bool asks;
        bool merges = false;
    };
    const Way ways[] = {
        {"Ctrl+S", [&] { PressKey(form->StringGrid1->Handle(), 'S', true); }, false},
        {"closing, Yes", [&] { PostMessageA(form->Handle(), WM_CLOSE, 0, 0); }, true},
        {"Open/ Reopen, Yes", [&] { PressKey(form->StringGrid1->Handle(), 'R', true); }, true},
        {"Ctrl+S over another version, Merge", [&] { PressKey(form->StringGrid1->Handle(), 'S', true); }, false, true},
    };
    const std::string kOther = "Warning: " + ResStr(IDS_VAULT_CHANGED_ELSEWHERE);
    for (const Way& way : ways) {
        if (way.merges) {
            WriteVaultFile("secret", {{"Mail", "mail.example.org", "jdoe", "hunter22", ""}, {"Fax", "", "", "", ""}});
            old = ReadAll(VaultPath());
        }
        for (int step = 1; step <= 7; ++step) {
            SCOPED_TRACE(testing::Message() << way.name << ", step " << step);
            g_failAt = step;
            g_steps = 0;
            boxes_.Clear();
            if (way.asks || way.merges) boxes_.QueueAnswer(IDYES);
            way.run();
            Pump();
            EXPECT_EQ(g_steps, step);
            std::vector<std::string> expected;
            if (way.asks) expected.push_back("Warning: Do you want to save changes before closing?");
            if (way.merges) expected.push_back(kOther);
            expected.push_back(CannotCreate(ERROR_DISK_FULL));
            EXPECT_EQ(BoxTexts(), expected);
            EXPECT_EQ(boxes_.Boxes().back().flags & MB_ICONMASK, static_cast<UINT>(MB_ICONERROR));
            EXPECT_TRUE(ReadAll(VaultPath()) == old) << "the old vault changed";
            EXPECT_EQ(Listing(dir_), std::vector<std::string>{"baza.pdb"}) << "a temporary file was left";
            EXPECT_TRUE(form->Modified);
            EXPECT_TRUE(form->Visible());
            EXPECT_EQ(form->StringGrid1->Cells(1, 1), "Webmail") << "nothing was reloaded";
            EXPECT_EQ(form->StringGrid1->RowCount(), 2) << "nothing was merged";
        }
    }

    // The same window saves, merging, once the disk behaves.
    g_failAt = 0;
    boxes_.Clear();
    boxes_.QueueAnswer(IDYES);
    PressKey(form->StringGrid1->Handle(), 'S', true);
    EXPECT_EQ(boxes_.Boxes().size(), 2u) << "the question and the summary";
    EXPECT_FALSE(form->Modified);
    CellStore saved;
    ASSERT_EQ(LoadVault(VaultPath(), "secret", saved), VaultLoadResult::Loaded);
    // The other version's new row goes first: the row it followed there was
    // renamed here.
    ASSERT_EQ(saved.EntryCount(), 2);
    EXPECT_EQ(saved.Cell(1, 1), "Fax");
    EXPECT_EQ(saved.Cell(1, 2), "Webmail");
    EXPECT_EQ(saved.Cell(4, 2), "hunter22");
}

// ---------------------------------------------------------------- another process

using test::OtherProcess;

TEST_F(Hostile, SaveAndLoadWhileAnotherProcessHoldsTheFile) {
    struct Case {
        const char* mode;
        DWORD saveReason;  // why Save is refused
        DWORD loadReason;  // why Load is refused; 0: it loads
    };
    const Case cases[] = {
        {"reader-denying-writers", ERROR_SHARING_VIOLATION, 0},
        {"writer", ERROR_SHARING_VIOLATION, ERROR_SHARING_VIOLATION},
        {"read-only", ERROR_ACCESS_DENIED, 0},
        {"directory", ERROR_ACCESS_DENIED, ERROR_ACCESS_DENIED},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        SetFileAttributesA(VaultPath().c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(VaultPath().c_str());
        WriteVaultFile("secret", {{"Mail", "", "jdoe", "hunter22", ""}, {"Bank", "", "", "", ""}});
        TForm1* form = Open({true, "secret"});
        // The other program puts a folder where the vault was.
        if (std::string(c.mode) == "directory") DeleteFileA(VaultPath().c_str());
        const std::string before = ReadAll(VaultPath());
        OtherProcess other(c.mode, VaultPath());
        ASSERT_EQ(other.Reply(), "ready");

        // "Open/ Reopen" with nothing to save: Load straight away.
        form->StringGrid1->SetCells(1, 2, "unsaved, unflagged");
        Command(form, form->Wczytaj1);
        if (c.loadReason) {
            EXPECT_EQ(BoxTexts(), std::vector<std::string>{Report("Cannot open file \"" + VaultPath() + "\". " +
                                                                  platform::SystemErrorReason(c.loadReason))});
            EXPECT_EQ(form->StringGrid1->Cells(1, 2), "unsaved, unflagged") << "the table was touched";
        } else {
            EXPECT_TRUE(boxes_.Boxes().empty());
            EXPECT_EQ(form->StringGrid1->Cells(1, 2), "Bank");
        }
        EXPECT_FALSE(Application->Terminated());

        boxes_.Clear();
        EditCell(form, 1, 1, "Webmail");
        Command(form, form->Zapisz1);
        EXPECT_EQ(BoxTexts(), std::vector<std::string>{CannotCreate(c.saveReason)});
        EXPECT_TRUE(form->Modified);
        EXPECT_TRUE(ReadAll(VaultPath()) == before) << "the vault changed";
        EXPECT_EQ(Listing(dir_), std::vector<std::string>{"baza.pdb"}) << "a temporary file was left";

        // A hold that ends with the other program lets the next Save through.
        other.Release();
        if (c.saveReason == ERROR_SHARING_VIOLATION) {
            boxes_.Clear();
            Command(form, form->Zapisz1);
            EXPECT_TRUE(boxes_.Boxes().empty());
            EXPECT_FALSE(form->Modified);
        }
        form->Modified = false;
        Close(form);
        RemoveDirectoryA(VaultPath().c_str());
    }

    // Started while another program writes the vault: the open error is
    // reported as on a first run and the window opens on the initial table.
    // Saving would replace the accounts nobody has read with that empty
    // table, so it is refused, also after the hold ends, until Open/ Reopen
    // has loaded the file.
    SetFileAttributesA(VaultPath().c_str(), FILE_ATTRIBUTE_NORMAL);
    WriteVaultFile("secret", {{"Mail", "", "jdoe", "hunter22", ""}});
    const std::string before = ReadAll(VaultPath());
    OtherProcess writer("writer", VaultPath());
    ASSERT_EQ(writer.Reply(), "ready");
    boxes_.Clear();
    TForm1* form = Create({true, "secret"});
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{Report("Cannot open file \"" + VaultPath() + "\". " +
                                                          platform::SystemErrorReason(ERROR_SHARING_VIOLATION))});
    EXPECT_FALSE(Application->Terminated());
    form->Show();
    Pump();
    EXPECT_EQ(form->StringGrid1->RowCount(), 2);
    EXPECT_EQ(form->StringGrid1->Cells(1, 1), "");
    boxes_.Clear();
    Command(form, form->Zapisz1);
    const std::string refused = Report(
        "The database file \"" + VaultPath() +
        "\" exists but could not be read when Velt started, so saving would replace it. "
        "Nothing was saved. Use Open/ Reopen once the file can be read.");
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{refused});
    writer.Release();
    boxes_.Clear();
    Command(form, form->Zapisz1);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{refused});
    EXPECT_TRUE(ReadAll(VaultPath()) == before);
    Command(form, form->Wczytaj1);
    EXPECT_EQ(form->StringGrid1->Cells(4, 1), "hunter22");
    boxes_.Clear();
    Command(form, form->Zapisz1);
    EXPECT_TRUE(BoxTexts().empty());
    EXPECT_FALSE(form->Modified);
}

// ---------------------------------------------------------------- catalogues

using i18n::test::Bytes;

std::string CataloguePolishIn(const std::string& charset) {
    std::string header = i18n::test::kPolishHeader;
    header.replace(header.find("charset=UTF-8"), 13, "charset=" + charset);
    std::map<std::string, std::string> entries{{"", header}};
    for (const auto& m : i18n::test::kPolishMessages) entries[m.english] = m.polish;
    Bytes mo = i18n::test::BuildMo(entries);
    return std::string(mo.begin(), mo.end());
}

std::string PolishCut(size_t size) {
    const Bytes& mo = i18n::test::PolishCatalogue();
    return std::string(mo.begin(), mo.begin() + static_cast<std::ptrdiff_t>(std::min(size, mo.size())));
}

// The program in a folder of its own: this test program copied in as
// velt.exe (so the catalogue behind its image is found as the real program
// finds its own), a locale folder beside it, LANG=pl_PL.
class HostileCatalogue : public Hostile {
protected:
    const char* Lang() const override { return "pl_PL.UTF-8"; }

    // A copy, not a link: a link to the running image could not be deleted.
    void PutProgram() {
        char self[MAX_PATH];
        GetModuleFileNameA(nullptr, self, MAX_PATH);
        ASSERT_TRUE(CopyFileA(self, (dir_ + "velt.exe").c_str(), FALSE));
    }
    std::string PutCatalogue(const std::string& code, const std::string& bytes) {
        std::string path = dir_ + "locale";
        for (const std::string& part : {std::string(), "\\" + code, std::string("\\LC_MESSAGES")}) {
            path += part;
            CreateDirectoryA(path.c_str(), nullptr);
        }
        path += "\\default.mo";
        WriteAll(path, bytes);
        return path;
    }
    void TearDown() override {
        localisation_.reset();  // lets go of the catalogues before the folder goes
        Hostile::TearDown();
    }
};

// Under LANG=pl_PL the service looks for locale\pl_PL\LC_MESSAGES\default.mo
// first and takes it from disk, since nothing of that name is embedded; only
// when it is missing does it fall back to locale\pl\..., where the catalogue
// behind the image is asked first and always wins over a file on disk.
TEST_F(HostileCatalogue, DamagedCataloguesOnDiskStillLetTheProgramStartInEnglish) {
    const std::string notMo = "This is not a catalogue." + std::string(200, 'x');
    struct Case {
        const char* name;
        const char* code;  // the folder under locale
        std::string bytes;
        const char* error;  // the error report's text before the path; null: none
        bool charsetBox;    // the "Localization problem" box
        bool polishLater;   // "Polski" in the menu still gives Polish
    };
    const Case cases[] = {
        {"cut inside the tables", "pl_PL", PolishCut(600), nullptr, true, false},
        {"cut inside the texts", "pl_PL", PolishCut(2000), nullptr, true, false},
        {"empty", "pl_PL", "", "Cannot create memory map on file ", false, true},
        {"not a catalogue", "pl_PL", notMo, "This file is not a valid GNU gettext mo file: ", false, true},
        {"another charset", "pl_PL", CataloguePolishIn("ISO-8859-2"), nullptr, true, false},
        {"not a catalogue, where the embedded one wins", "pl", notMo, nullptr, false, true},
    };
    WriteVaultFile("secret", {{"Mail", "", "jdoe", "hunter22", ""}});
    PutProgram();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string catalogue = PutCatalogue(c.code, c.bytes);
        // The program's start: the module first, then the main window.
        localisation_.reset();
        localisation_ = std::make_unique<i18n::LocalisationModule>(dir_ + "velt.exe");
        boxes_.Clear();
        promptsSeen_ = 0;

        // The "Localization problem" box has no owner and is the system's
        // own; the prompt follows it.
        std::string charsetBox;
        const bool english = c.error || c.charsetBox;
        const char* promptTitle = english ? "Enter the password" : nullptr;
        auto answer = [&] {
            RunLater(30, [&, promptTitle] {
                if (promptTitle) {
                    EXPECT_NE(FindWindowA(kFormClass, promptTitle), nullptr) << "prompt not in English";
                }
            });
            AnswerPrompt({true, "secret"});
        };
        if (c.charsetBox) {
            RunLater(20, [&] {
                HWND box = FindWindowA("#32770", "Localization problem");
                ASSERT_NE(box, nullptr);
                char text[1024] = {};
                GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
                charsetBox = text;
                answer();
                PostMessageA(box, WM_COMMAND, IDOK, 0);
            });
        } else {
            answer();
        }
        auto* created = new TForm1(nullptr);
        windows_.emplace_back(created);
        created->DoCreate();
        TForm1* form = windows_.back().get();
        EXPECT_EQ(promptsSeen_, 1);
        ASSERT_FALSE(Application->Terminated()) << "the program did not start";
        if (c.charsetBox) {
            EXPECT_EQ(charsetBox, "The translation for the language code pl_PL (in " + catalogue +
                                      ") does not have charset=utf-8 in its Content-Type. Translations are turned off.");
        }
        if (c.error) {
            EXPECT_EQ(BoxTexts(), std::vector<std::string>{Report(c.error + catalogue)});
        } else {
            EXPECT_TRUE(boxes_.Boxes().empty()) << BoxTexts()[0];
        }

        form->Show();
        Pump();
        // A refused charset leaves the language code pl_PL, ticked as Polish,
        // though every text stays English; an unreadable file turns it to en.
        EXPECT_EQ(form->English1->Checked(), c.error != nullptr);
        EXPECT_EQ(form->Polski1->Checked(), c.error == nullptr);
        if (english) {
            EXPECT_EQ(form->Plik1->Caption(), "File");
            EXPECT_EQ(form->StringGrid1->Cells(1, 0), "Name");
        } else {
            EXPECT_EQ(form->Plik1->Caption(), "Plik");
            EXPECT_EQ(form->StringGrid1->Cells(1, 0), "Nazwa");
        }
        EXPECT_EQ(form->StringGrid1->Cells(3, 1), "jdoe");

        // Usable: it edits, saves, searches and answers in words.
        boxes_.Clear();
        EditCell(form, 5, 1, "edited");
        Command(form, form->Zapisz1);
        form->Edit1->SetText("absent");
        form->SpeedButton1Click(form->SpeedButton1);
        EXPECT_EQ(BoxTexts(), std::vector<std::string>{english ? "Information: Text was not found"
                                                               : "Information: Nie znaleziono tekstu"});
        EXPECT_FALSE(form->Modified);
        CellStore saved;
        ASSERT_EQ(LoadVault(VaultPath(), "secret", saved), VaultLoadResult::Loaded);
        EXPECT_EQ(saved.Cell(5, 1), "edited");

        form->Polski1Click(form->Polski1);
        EXPECT_EQ(form->Plik1->Caption(), c.polishLater ? "Plik" : "File");
        form->English1Click(form->English1);
        EXPECT_EQ(form->Plik1->Caption(), "File");
        Close(form);
        localisation_.reset();
        DeleteFileA(catalogue.c_str());
    }
}

// ---------------------------------------------------------------- limits

TEST_F(Hostile, The65535RowsSaveAndReloadExactlyAndOneMoreIsRefused) {
    Rows rows(kVaultMaxEntries);
    for (int r = 0; r < kVaultMaxEntries; ++r) {
        const std::string n = std::to_string(r + 1);
        rows[r] = {"Entry " + n, "https://example.org/" + n, "user\xB3" + n,
                   std::string(1 + r % 40, static_cast<char>('!' + r % 90)),
                   r % 1000 == 0 ? std::string(255, static_cast<char>(0x80 + r % 100)) : ""};
    }
    WriteVaultFile("secret", rows);
    const std::string file = ReadAll(VaultPath());
    ASSERT_EQ(file.size(), 12u + 1280u * 65535u);
    TForm1* form = Open({true, "secret"});
    ASSERT_EQ(form->StringGrid1->RowCount(), 65536);

    auto expectRows = [&] {
        const CellStore& t = form->StringGrid1->Store();
        for (int r = 1; r <= kVaultMaxEntries; ++r) {
            bool same = t.Cell(0, r) == std::to_string(r);
            for (int c = 1; c <= 5; ++c) same = same && t.Cell(c, r) == rows[r - 1][c - 1];
            if (!same) {
                ADD_FAILURE() << "row " << r << " differs";
                return;
            }
        }
    };
    expectRows();
    Command(form, form->Zapisz1);
    EXPECT_TRUE(boxes_.Boxes().empty());
    EXPECT_TRUE(ReadAll(VaultPath()) == file) << "the saved vault differs";
    Command(form, form->Wczytaj1);
    ASSERT_EQ(form->StringGrid1->RowCount(), 65536);
    expectRows();

    // An edit, then Tab in the last cell adds entry row 65,536.
    form->StringGrid1->SetTopRow(1);
    EditCell(form, 1, 1, "edited");
    ASSERT_TRUE(form->Modified);
    GridDriver grid(form->StringGrid1);
    grid.Select(5, kVaultMaxEntries);
    grid.Key(VK_TAB);
    ASSERT_EQ(form->StringGrid1->RowCount(), 65537);
    boxes_.Clear();
    Command(form, form->Zapisz1);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{Report(
                              "The database can hold at most 65535 entries; this table has 65536. Nothing was saved.")});
    EXPECT_TRUE(form->Modified);
    EXPECT_TRUE(ReadAll(VaultPath()) == file) << "the vault changed";
    EXPECT_EQ(Listing(dir_), std::vector<std::string>{"baza.pdb"});
}

TEST_F(Hostile, TenThousandCharacterFieldsAreSavedAsTheirFirst255Bytes) {
    WriteVaultFile("secret", {{"Mail", "", "jdoe", "hunter22", ""}});
    TForm1* form = Open({true, "secret", true});  // passwords drawn masked
    std::string longText;
    for (int i = 0; i < 10000; ++i) longText += static_cast<char>(i % 7 == 0 ? '\xEA' : 'a' + i % 26);
    EditCell(form, 1, 1, longText);
    EditCell(form, 4, 1, longText.substr(1));
    EXPECT_EQ(form->StringGrid1->Cells(1, 1), longText);
    EXPECT_EQ(form->StringGrid1->Cells(4, 1).size(), 9999u);
    form->StringGrid1->Invalidate();
    Pump();  // both drawn, the masked one as 9,999 asterisks
    Command(form, form->Zapisz1);
    EXPECT_TRUE(boxes_.Boxes().empty());
    EXPECT_EQ(ReadAll(VaultPath()).size(), 12u + 1280u);

    Command(form, form->Wczytaj1);
    EXPECT_EQ(form->StringGrid1->Cells(1, 1), longText.substr(0, 255));
    EXPECT_EQ(form->StringGrid1->Cells(4, 1), longText.substr(1, 255));
    EXPECT_EQ(form->StringGrid1->Cells(3, 1), "jdoe");
    // The strength check of a 10,000-character password is in
    // tests/tools/check_pass_win_test.cpp, through the real dialog.
}

} // namespace
} // namespace velt::test
