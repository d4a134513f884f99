// "Strong encryption" on the real main window, with the real CNG: tick,
// save, restart and unlock; a wrong password; a new password; untick and the
// old format again; a damaged strong file at start-up.
#include "app/main_window_fixture.h"

#include <fstream>
#include <iterator>

#include "support/folder_listing_win.h"
#include "vault/strong_format.h"

namespace velt::test {
namespace {

const std::string kTurnOn = "Confirm: " + ResStr(IDS_STRONG_TURN_ON);
const std::string kTurnOff =
    "Warning: In the old format baza.pdb can be read by anyone who has the file, without the password.\r\n\r\n"
    "Turn strong encryption off?";

class StrongEncryption : public MainWindowTest {
protected:
    std::string File() const {
        std::ifstream in(VaultPath(), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    // The menu command as the menu bar sends it.
    void Choose(TForm1* form, int answer) {
        boxes_.Clear();
        boxes_.QueueAnswer(answer);
        SendMessageA(form->Handle(), WM_COMMAND, MAKEWPARAM(form->Silneszyfrowanie1->Command(), 0), 0);
    }
    static std::string Salt(const std::string& file) { return file.substr(12, 16); }
};

TEST_F(StrongEncryption, TickSaveRestartUnlockThenUntick) {
    WriteVaultFile("secret", {{"Bank \xB3\xB9", "https://bank.example", "jan", "Has\xB3o#1", "opis"}});
    TForm1* form = Open({true, "secret"});
    EXPECT_FALSE(form->Silneszyfrowanie1->Checked());

    Choose(form, IDNO);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{kTurnOn});
    EXPECT_FALSE(form->Silneszyfrowanie1->Checked());
    EXPECT_FALSE(form->Modified);

    // A compatible backup is named; Yes leaves no compatible file behind.
    CopyFileA(VaultPath().c_str(), BackupName(VaultPath(), 2).c_str(), FALSE);
    Choose(form, IDYES);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Warning: " + FormatText(ResStr(IDS_STRONG_TURN_ON_BACKUPS),
                                                                            {"baza.pdb.2.bak"})});
    EXPECT_TRUE(form->Silneszyfrowanie1->Checked());
    EXPECT_TRUE(form->Modified);
    form->Zapisz1Click(form);
    form->Zapisz1Click(form);  // the same table again: no backup
    EXPECT_EQ(FolderListing(dir_).size(), 2u) << "baza.pdb and velt.ini only";
    const std::string strong = File();
    ASSERT_TRUE(IsStrongVault(strong));
    EXPECT_EQ(strong.substr(4, 8), std::string("\x02\x00\x01\x00\xC0\x27\x09\x00", 8));  // 600,000 iterations
    Close(form);

    // Restart: the same password unlocks it, the tick follows the file.
    boxes_.Clear();
    TForm1* again = Open({true, "secret"});
    EXPECT_TRUE(again->Silneszyfrowanie1->Checked());
    EXPECT_EQ(again->StringGrid1->Cells(1, 1), "Bank \xB3\xB9");
    EXPECT_EQ(again->StringGrid1->Cells(4, 1), "Has\xB3o#1");
    // A save keeps the file's salt; only the nonce is new.
    again->Zapisz1Click(again);
    EXPECT_EQ(Salt(File()), Salt(strong));
    EXPECT_NE(File().substr(28, 12), strong.substr(28, 12));

    // Untick: the warning, then the old format that anyone can read.
    Choose(again, IDNO);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{kTurnOff});
    EXPECT_TRUE(again->Silneszyfrowanie1->Checked());
    Choose(again, IDYES);
    EXPECT_FALSE(again->Silneszyfrowanie1->Checked());
    EXPECT_TRUE(again->Modified);
    again->Zapisz1Click(again);
    EXPECT_EQ(File(), BuildVaultImage(again->StringGrid1->Store(), "secret"));
    boxes_.Clear();
    TForm1* third = Create({true, "secret"});
    EXPECT_TRUE(boxes_.Boxes().empty());
    EXPECT_FALSE(third->Silneszyfrowanie1->Checked());
}

// velt.ini keeps the note that the vault is strong, so an older compatible
// copy put in its place is not opened without a word in a later run.
TEST_F(StrongEncryption, TheNoteInVeltIniCatchesAnOlderCopyAtStartUp) {
    auto ini = [this] {
        std::ifstream in(dir_ + "velt.ini", std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    const std::string kDowngrade = "Warning: " + ResStr(IDS_STRONG_DOWNGRADE);
    WriteVaultFile("secret", {{"Mail", "", "", "pw", ""}});
    TForm1* form = Open({true, "secret"});
    Choose(form, IDYES);
    form->Zapisz1Click(form);
    EXPECT_NE(ini().find("[Vault]\r\nStrong=1"), std::string::npos);
    Close(form);

    struct Row {
        int answer;
        bool ends;
    } rows[] = {{IDNO, true}, {IDYES, false}};
    for (const Row& r : rows) {
        SCOPED_TRACE(r.answer);
        WriteVaultFile("secret", {{"Old copy", "", "", "pw", ""}});
        boxes_.Clear();
        boxes_.QueueAnswer(r.answer);
        TForm1* again = Create({true, "secret"});
        EXPECT_EQ(BoxTexts(), std::vector<std::string>{kDowngrade});
        EXPECT_EQ(Application->Terminated(), r.ends);
        Application->ClearTerminated();
        if (r.ends) continue;
        EXPECT_TRUE(again->Silneszyfrowanie1->Checked());
        again->Zapisz1Click(again);
        EXPECT_TRUE(IsStrongVault(File()));
        Choose(again, IDYES);  // untick: the note goes
        EXPECT_EQ(ini().find("Strong=1"), std::string::npos);
    }
}

TEST_F(StrongEncryption, WrongPasswordEndsTheProgramAndNewPasswordMakesANewSalt) {
    WriteVaultFile("secret", {{"Mail", "", "", "pw", ""}});
    TForm1* form = Open({true, "secret"});
    Choose(form, IDYES);
    form->Zapisz1Click(form);
    const std::string first = File();

    boxes_.Clear();
    TForm1* wrong = Create({true, "Secret"});
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Error: Incorrect password!"});
    EXPECT_TRUE(Application->Terminated());
    EXPECT_EQ(wrong->StringGrid1->Cells(1, 1), "");
    Application->ClearTerminated();
    EXPECT_EQ(File(), first);

    AnswerPrompt({true, "newpass"});
    form->Zmiehaso1Click(form);
    form->Zapisz1Click(form);
    EXPECT_TRUE(IsStrongVault(File()));
    EXPECT_NE(Salt(File()), Salt(first));
    boxes_.Clear();
    TForm1* again = Create({true, "newpass"});
    EXPECT_TRUE(boxes_.Boxes().empty());
    EXPECT_EQ(again->StringGrid1->Cells(4, 1), "pw");
}

TEST_F(StrongEncryption, DamagedFileAtStartUpIsReportedAndNeverSavedOver) {
    const std::string damaged = std::string("VLT2\x02\x00\x01\x00", 8) + std::string(100, 'x');
    std::ofstream(VaultPath(), std::ios::binary) << damaged;
    TForm1* form = Create({true, "secret"});
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Velt: The database file \"" + VaultPath() +
                                                   "\" is damaged or was written by a newer version of Velt."});
    EXPECT_FALSE(Application->Terminated());
    EXPECT_FALSE(form->Silneszyfrowanie1->Checked());
    form->Show();
    Pump();
    boxes_.Clear();
    PostMessageA(form->Handle(), WM_COMMAND, MAKEWPARAM(form->Zapisz1->Command(), 0), 0);
    Pump();
    ASSERT_EQ(boxes_.Boxes().size(), 1u);
    EXPECT_NE(boxes_.Boxes()[0].text.find("exists but could not be read"), std::string::npos);
    EXPECT_EQ(File(), damaged);
}

using StrongEncryptionPlLocale = StrongEncryption;

// The question Velt added is Polish, caption too; the framework's caption of
// the save question stays English.
TEST_F(StrongEncryptionPlLocale, QuestionsArePolish) {
    TForm1* form = Open({true, "secret"});
    EXPECT_EQ(form->Silneszyfrowanie1->Caption(), "Silne szyfrowanie");
    Choose(form, IDNO);
    ASSERT_EQ(boxes_.Boxes().size(), 1u);
    EXPECT_EQ(boxes_.Boxes()[0].text.rfind("Od nast\xEApnego zapisu plik baza.pdb b\xEA" "dzie", 0), 0u);
    EXPECT_EQ(boxes_.Boxes()[0].caption, "Potwierdzenie");
    Choose(form, IDYES);
    EXPECT_EQ(boxes_.Boxes()[0].caption, "Potwierdzenie");
    Choose(form, IDNO);
    EXPECT_EQ(boxes_.Boxes()[0].caption, "Ostrze\xBF" "enie") << "turning it off";
    boxes_.Clear();
    boxes_.QueueAnswer(IDNO);
    Close(form);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Warning: Czy chcesz zapisa\xE6 zmiany przed zamkni\xEA" "ciem?"});
}

} // namespace
} // namespace velt::test
