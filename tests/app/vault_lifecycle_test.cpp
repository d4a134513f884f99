// The open vault on the real main window: start-up with and without a file,
// the refusals that end the program, the save prompts and the master
// password's changes, with the file on disk as the witness.
#include "app/main_window_fixture.h"

#include "app/grid_driver.h"

#include <fstream>
#include <iterator>

namespace velt::test {
namespace {

const std::string kSaveQuestion = "Warning: Do you want to save changes before closing?";

long long FileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return -1;
    return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

using VaultLifecycleWin = MainWindowTest;

std::string FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST_F(VaultLifecycleWin, FirstRunReportsTheMissingFileAndSaveCreatesIt) {
    TForm1* form = Create({true, "ab"});
    EXPECT_EQ(promptsSeen_, 1);
    EXPECT_EQ(promptStartText_, "");
    ASSERT_EQ(boxes_.Boxes().size(), 1u);
    const MessageBoxRequest& report = boxes_.Boxes()[0];
    EXPECT_EQ(report.caption, "Velt");
    EXPECT_EQ(report.text.rfind("Cannot open file \"" + VaultPath() + "\". ", 0), 0u) << report.text;
    EXPECT_EQ(report.flags & MB_ICONMASK, static_cast<UINT>(MB_ICONERROR));
    EXPECT_FALSE(Application->Terminated());
    EXPECT_EQ(form->MasterPassword, "ab");
    EXPECT_TRUE(form->English1->Checked());

    form->Show();
    Pump();
    EXPECT_EQ(form->StringGrid1->RowCount(), 2);
    for (int c = 0; c < 6; ++c) EXPECT_EQ(form->StringGrid1->Cells(c, 1), "");
    EXPECT_FALSE(form->Modified);

    form->Zapisz1Click(form);
    EXPECT_EQ(FileSize(VaultPath()), 1292);
    EXPECT_FALSE(form->Modified);
}

TEST_F(VaultLifecycleWin, RefusalsEndTheProgram) {
    struct Case {
        const char* name;
        PromptReply reply;
        bool withFile;
        std::string message;
    };
    const Case cases[] = {
        {"wrong password", {true, "wrong"}, true, "Error: Incorrect password!"},
        {"cancel", {false, ""}, true, "Error: You need to enter valid password to gain access"},
        {"cancel on the first run", {false, ""}, false, "Error: You need to enter valid password to gain access"},
        {"one character", {true, "s"}, true, "Error: You need to enter valid password to gain access"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DeleteFileA(VaultPath().c_str());
        if (c.withFile) WriteVaultFile("secret", {{"Mail", "", "", "", ""}});
        boxes_.Clear();
        TForm1* form = Create(c.reply);
        EXPECT_EQ(BoxTexts(), std::vector<std::string>{c.message});
        EXPECT_TRUE(Application->Terminated());
        // The table was not filled from the file.
        EXPECT_EQ(form->StringGrid1->Cells(1, 1), "");
        Application->ClearTerminated();
    }
}

TEST_F(VaultLifecycleWin, EditorOpenedWithoutTypingAsksToSaveOnClose) {
    WriteVaultFile("secret", {{"Mail", "mail.example.org", "jdoe", "hunter22", ""}});
    TForm1* form = Open({true, "secret"});
    GridDriver grid(form->StringGrid1);
    grid.Press(1, 1, TMouseButton::mbRight);
    EXPECT_TRUE(form->StringGridEdit->Visible());
    EXPECT_TRUE(form->Modified);

    boxes_.QueueAnswer(IDCANCEL);
    Close(form);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{kSaveQuestion});
    EXPECT_TRUE(form->Visible());  // Cancel keeps the window and the vault

    boxes_.Clear();
    boxes_.QueueAnswer(IDNO);
    Close(form);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{kSaveQuestion});
    EXPECT_FALSE(form->Visible());
}

TEST_F(VaultLifecycleWin, TabAddingARowOrSortingDoesNotAskOnClose) {
    WriteVaultFile("secret", {{"b", "", "", "", ""}, {"a", "", "", "", ""}});
    TForm1* form = Open({true, "secret"});
    GridDriver grid(form->StringGrid1);
    grid.Select(5, 2);
    grid.Key(VK_TAB);
    EXPECT_EQ(form->StringGrid1->RowCount(), 4);
    EXPECT_EQ(form->StringGrid1->Cells(0, 3), "3");
    grid.Press(1, 0, TMouseButton::mbLeft);
    EXPECT_EQ(form->StringGrid1->Cells(1, 1), "");  // the new empty row sorts first
    EXPECT_EQ(form->StringGrid1->Cells(1, 2), "a");
    EXPECT_FALSE(form->Modified);
    Close(form);
    EXPECT_TRUE(boxes_.Boxes().empty());
    EXPECT_FALSE(form->Visible());
}

TEST_F(VaultLifecycleWin, ChangedPasswordThenSaveRefusesTheOldOneAtTheNextStart) {
    WriteVaultFile("secret", {{"Mail", "", "", "", ""}});
    TForm1* form = Open({true, "secret"});
    AnswerPrompt({true, "newpass"});
    form->Zmiehaso1Click(form);
    EXPECT_EQ(promptStartText_, "secret");  // the box starts with the current password
    EXPECT_EQ(form->MasterPassword, "newpass");
    EXPECT_FALSE(form->Modified);
    form->Zapisz1Click(form);

    Create({true, "secret"});
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Error: Incorrect password!"});
    EXPECT_TRUE(Application->Terminated());
    Application->ClearTerminated();
    boxes_.Clear();

    TForm1* again = Create({true, "newpass"});
    EXPECT_TRUE(boxes_.Boxes().empty());
    EXPECT_EQ(again->StringGrid1->Cells(1, 1), "Mail");
}

TEST_F(VaultLifecycleWin, ChangedPasswordThenReopenIsRefused) {
    WriteVaultFile("secret", {{"Mail", "", "", "", ""}});
    TForm1* form = Open({true, "secret"});
    AnswerPrompt({true, "newpass"});
    form->Zmiehaso1Click(form);
    form->Wczytaj1Click(form);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Error: Incorrect password!"});
    EXPECT_TRUE(Application->Terminated());
    Application->ClearTerminated();
}

TEST_F(VaultLifecycleWin, TooShortNewPasswordIsRefusedAndTheOldOneKept) {
    WriteVaultFile("secret", {{"Mail", "", "", "", ""}});
    TForm1* form = Open({true, "secret"});
    AnswerPrompt({true, "x", true});
    form->Zmiehaso1Click(form);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{
        "Error: The master password must have at least 2 characters. The password was not changed."});
    EXPECT_EQ(form->MasterPassword, "secret");
    EXPECT_TRUE(form->AsteriskPasswords);  // the option itself is taken
    form->Zapisz1Click(form);
    boxes_.Clear();
    Create({true, "secret"});
    EXPECT_TRUE(boxes_.Boxes().empty());
}

TEST_F(VaultLifecycleWin, ReopenAfterYesSavesReloadsAndStillAsks) {
    WriteVaultFile("secret", {{"Mail", "", "", "", ""}});
    TForm1* form = Open({true, "secret"});
    GridDriver grid(form->StringGrid1);
    grid.Press(1, 1, TMouseButton::mbRight);
    form->StringGridEdit->SetText("Webmail");
    grid.Press(3, 1, TMouseButton::mbLeft);  // commit
    EXPECT_EQ(form->StringGrid1->Cells(1, 1), "Webmail");

    boxes_.QueueAnswer(IDYES);
    form->Wczytaj1Click(form);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{kSaveQuestion});
    EXPECT_EQ(form->StringGrid1->Cells(1, 1), "Webmail");
    EXPECT_TRUE(form->Modified);
    boxes_.Clear();
    boxes_.QueueAnswer(IDNO);
    Close(form);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{kSaveQuestion});
}

TEST_F(VaultLifecycleWin, ClearThenCloseAsksAndNoLeavesTheFile) {
    WriteVaultFile("secret", {{"Mail", "", "", "", ""}, {"Bank", "", "", "", ""}});
    const long long before = FileSize(VaultPath());
    TForm1* form = Open({true, "secret"});
    boxes_.QueueAnswer(IDYES);
    form->Skasujbaz1Click(form);
    EXPECT_EQ(form->StringGrid1->RowCount(), 2);
    EXPECT_EQ(form->StringGrid1->Cells(0, 1), "1");
    EXPECT_TRUE(form->Modified);
    boxes_.Clear();
    boxes_.QueueAnswer(IDNO);
    Close(form);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{kSaveQuestion});
    EXPECT_EQ(FileSize(VaultPath()), before);
}

TEST_F(VaultLifecycleWin, FailedSaveKeepsTheFlagAndTheWindow) {
    TForm1* form = Open({true, "secret"});
    boxes_.QueueAnswer(IDYES);
    form->Skasujbaz1Click(form);
    // A directory where the file should be: the save cannot replace it.
    ASSERT_TRUE(CreateDirectoryA(VaultPath().c_str(), nullptr));
    boxes_.Clear();
    boxes_.QueueAnswer(IDYES);
    PostMessageA(form->Handle(), WM_CLOSE, 0, 0);
    Pump();
    ASSERT_EQ(boxes_.Boxes().size(), 2u);
    EXPECT_EQ(boxes_.Boxes()[1].caption, "Velt");
    EXPECT_EQ(boxes_.Boxes()[1].text.rfind("Cannot create file \"" + VaultPath() + "\". ", 0), 0u);
    EXPECT_TRUE(form->Visible());
    EXPECT_TRUE(form->Modified);
    RemoveDirectoryA(VaultPath().c_str());
}

TEST_F(VaultLifecycleWin, EditLeftOpenOverAShrunkTableIsDropped) {
    WriteVaultFile("secret", {{"a", "", "", "", ""}, {"b", "", "", "", ""}, {"c", "", "", "", ""}});
    TForm1* form = Open({true, "secret"});
    GridDriver grid(form->StringGrid1);
    grid.Press(5, 3, TMouseButton::mbRight);
    form->StringGridEdit->SetText("typed");
    boxes_.QueueAnswer(IDYES);
    form->Skasujbaz1Click(form);
    EXPECT_FALSE(form->StringGridEdit->Visible());
    grid.Press(1, 1, TMouseButton::mbLeft);
    EXPECT_EQ(form->StringGrid1->RowCount(), 2);
    for (int c = 1; c < 6; ++c) EXPECT_EQ(form->StringGrid1->Cells(c, 1), "");
}

TEST_F(VaultLifecycleWin, EditLeftOpenOverAReloadKeepsItsStillExistingCell) {
    WriteVaultFile("secret", {{"a", "", "", "", ""}});
    TForm1* form = Open({true, "secret"});
    GridDriver grid(form->StringGrid1);
    grid.Press(5, 1, TMouseButton::mbRight);
    form->StringGridEdit->SetText("typed");
    boxes_.QueueAnswer(IDNO);
    form->Wczytaj1Click(form);
    EXPECT_TRUE(form->StringGridEdit->Visible());
    grid.Press(1, 1, TMouseButton::mbLeft);
    EXPECT_EQ(form->StringGrid1->Cells(5, 1), "typed");
}

// Another program writes a version of the same size while Velt is open:
// Save asks; Cancel leaves that version, Replace saves and keeps it as
// .1.bak, also with backups off; the next Save, over Velt's own version,
// does not ask.
TEST_F(VaultLifecycleWin, AFileChangedElsewhereIsReplacedOnReplace) {
    const std::string kOther = "Warning: " + ResStr(IDS_VAULT_CHANGED_ELSEWHERE);
    for (int keep : {3, 0}) {
        SCOPED_TRACE(keep);
        DeleteFileA(BackupName(VaultPath(), 1).c_str());
        WriteVaultFile("secret", {{"Mail", "", "", "", ""}});
        TForm1* form = Open({true, "secret"});
        form->BackupsToKeep = keep;
        WriteVaultFile("secret", {{"Fax!", "", "", "", ""}});
        const std::string other = FileBytes(VaultPath());

        boxes_.QueueAnswer(IDCANCEL);
        form->Zapisz1Click(form);
        EXPECT_EQ(BoxTexts(), std::vector<std::string>{kOther});
        EXPECT_EQ(boxes_.Boxes()[0].buttons, (std::vector<std::string>{"&Merge", "&Replace", "Cancel"}));
        EXPECT_EQ(FileBytes(VaultPath()), other);
        EXPECT_EQ(GetFileAttributesA(BackupName(VaultPath(), 1).c_str()), INVALID_FILE_ATTRIBUTES);

        boxes_.Clear();
        boxes_.QueueAnswer(IDNO);
        form->Zapisz1Click(form);
        EXPECT_EQ(BoxTexts(), std::vector<std::string>{kOther});
        EXPECT_EQ(FileBytes(BackupName(VaultPath(), 1)), other);
        CellStore saved;
        ASSERT_EQ(LoadVault(VaultPath(), "secret", saved), VaultLoadResult::Loaded);
        EXPECT_EQ(saved.Cell(1, 1), "Mail");

        boxes_.Clear();
        form->Zapisz1Click(form);
        EXPECT_TRUE(boxes_.Boxes().empty());
        Close(form);
    }
}

// Merge, the default answer: both sides' changes reach the file and the
// grid, the other version is kept as .1.bak, and the summary names what came
// in. The other computer may have changed the master password: its version
// is opened with the one given, and the result saved under the one in use.
// A wrong password or a cancelled prompt changes neither file nor table.
TEST_F(VaultLifecycleWin, AFileChangedElsewhereIsMergedOnMerge) {
    const std::string kMerged = "Information: " + FormatText(ResStr(IDS_MERGE_DONE), {"baza.pdb"}) + "\r\n" +
                                FormatText(ResStr(IDS_MERGE_ADDED), {"Fax"}) + "\r\n" +
                                FormatText(ResStr(IDS_MERGE_CHANGED), {"Bank"});
    const std::string kOther = "Warning: " + ResStr(IDS_VAULT_CHANGED_ELSEWHERE);
    const std::string kWrong = "Error: " + ResStr(IDS_INCORRECT_PASSWORD);
    const struct {
        const char* name;
        std::string otherPassword;
        std::vector<PromptReply> prompts;  // for the other version
        std::vector<std::string> boxes;
        bool merged;
    } cases[] = {
        {"same password", "secret", {}, {kOther, kMerged}, true},
        {"changed there", "other", {{true, "other"}}, {kOther, kMerged}, true},
        {"wrong, then right", "other", {{true, "nope"}, {true, "other"}}, {kOther, kWrong, kMerged}, true},
        {"prompt cancelled", "other", {{false, ""}}, {kOther}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        DeleteFileA(BackupName(VaultPath(), 1).c_str());
        WriteVaultFile("secret", {{"Mail", "", "", "m1", ""}, {"Bank", "", "", "b1", ""}});
        TForm1* form = Open({true, "secret"});
        form->StringGrid1->Store().SetCell(3, 1, "jan");  // edited here
        form->Modified = true;
        WriteVaultFile(c.otherPassword, {{"Mail", "", "", "m1", ""}, {"Bank", "", "", "b2", ""}, {"Fax", "", "", "", ""}});
        const std::string other = FileBytes(VaultPath());

        // The first prompt opens after the question, each next one after its
        // refusal.
        const std::string caption = FormatText(ResStr(IDS_OTHER_VERSION_PASSWORD), {"baza.pdb"});
        size_t next = 0;
        const MessageBoxHook recorder = SetMessageBoxHook(nullptr);
        SetMessageBoxHook([&](const MessageBoxRequest& box) {
            const int answer = recorder(box);
            if (next < c.prompts.size()) AnswerPrompt(c.prompts[next++], caption);
            return answer;
        });
        boxes_.QueueAnswer(IDYES);
        form->Zapisz1Click(form);
        SetMessageBoxHook(recorder);
        EXPECT_EQ(BoxTexts(), c.boxes);
        EXPECT_EQ(form->Modified, !c.merged);
        CellStore saved;
        ASSERT_EQ(LoadVault(VaultPath(), "secret", saved), c.merged ? VaultLoadResult::Loaded
                                                                       : VaultLoadResult::IncorrectPassword);
        if (c.merged) {
            EXPECT_EQ(FileBytes(BackupName(VaultPath(), 1)), other);
            ASSERT_EQ(saved.EntryCount(), 3);
            EXPECT_EQ(saved.Cell(3, 1), "jan");
            EXPECT_EQ(saved.Cell(4, 2), "b2");
            EXPECT_EQ(saved.Cell(1, 3), "Fax");
            ASSERT_EQ(form->StringGrid1->RowCount(), 4);
            for (int r = 1; r <= 3; ++r)
                for (int col = 0; col < 6; ++col)
                    EXPECT_EQ(form->StringGrid1->Cells(col, r), saved.Cell(col, r)) << "the grid shows what was saved";
        } else {
            EXPECT_EQ(FileBytes(VaultPath()), other);
            EXPECT_EQ(form->StringGrid1->RowCount(), 3);
            EXPECT_EQ(form->StringGrid1->Cells(3, 1), "jan");
        }
        boxes_.Clear();
        form->Modified = false;
        Close(form);
    }
}

// A Syncthing conflict copy beside the vault is offered right after the
// unlock. Declined, it stays and is not offered again, at Open/ Reopen or
// the next start, until it changes; merged, its entries reach the file and the grid, and the copy
// is moved to a backup name.
TEST_F(VaultLifecycleWin, ASyncthingConflictCopyIsOfferedAfterUnlocking) {
    const std::string kCopy = "baza.sync-conflict-20240305-142233-ABCDEF7.pdb";
    const std::string copyPath = dir_ + kCopy;
    const std::string kAsk = ResStr(IDS_MSG_CONFIRM) + ": " + FormatText(ResStr(IDS_CONFLICT_COPY_FOUND), {kCopy});
    auto writeCopy = [&](const Rows& rows) { WriteVaultFile("secret", rows, copyPath); };
    WriteVaultFile("secret", {{"Mail", "", "jan", "m1", ""}});
    writeCopy({{"Mail", "", "jan", "m1", ""}, {"Fax", "", "", "", ""}});

    boxes_.QueueAnswer(IDNO);
    TForm1* form = Create({true, "secret"});
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{kAsk});
    EXPECT_EQ(form->StringGrid1->RowCount(), 2);
    boxes_.Clear();
    form->Wczytaj1Click(form);
    EXPECT_TRUE(boxes_.Boxes().empty()) << "a declined copy was offered again";
    Close(form);
    form = Create({true, "secret"});
    EXPECT_TRUE(boxes_.Boxes().empty()) << "a declined copy was offered again after a restart";

    writeCopy({{"Mail", "", "jan", "m1", ""}, {"Fax", "", "", "", ""}, {"Shop", "", "", "", ""}});
    const std::string copy = FileBytes(copyPath);
    boxes_.QueueAnswer(IDYES);
    form->Wczytaj1Click(form);
    ASSERT_EQ(boxes_.Boxes().size(), 2u);
    EXPECT_EQ(BoxTexts()[0], kAsk);
    EXPECT_NE(BoxTexts()[1].find(FormatText(ResStr(IDS_MERGE_ADDED), {"Fax, Shop"})), std::string::npos)
        << BoxTexts()[1];
    EXPECT_EQ(GetFileAttributesA(copyPath.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(FileBytes(BackupName(copyPath, 1)), copy);
    CellStore saved;
    ASSERT_EQ(LoadVault(VaultPath(), "secret", saved), VaultLoadResult::Loaded);
    ASSERT_EQ(saved.EntryCount(), 3);
    EXPECT_EQ(saved.Cell(1, 3), "Shop");
    EXPECT_EQ(form->StringGrid1->Cells(1, 3), "Shop");
    EXPECT_FALSE(form->Modified);

    boxes_.Clear();
    form->Wczytaj1Click(form);
    EXPECT_TRUE(boxes_.Boxes().empty()) << "the backup of a merged copy was offered";
    DeleteFileA(BackupName(copyPath, 1).c_str());
}

} // namespace
} // namespace velt::test
