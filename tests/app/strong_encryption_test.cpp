// "Strong encryption" on the real main window, with the real CNG: tick,
// save, restart and unlock; a wrong password; a new password; untick and the
// old format again; a damaged strong file at start-up.
#include "app/main_window_fixture.h"

#include <fstream>
#include <iterator>

#include <cstdlib>
#include <ctime>

#include "app/grid_driver.h"
#include "app/history_command.h"
#include "platform/clipboard.h"
#include "support/folder_listing_win.h"
#include "support/screen_reader_win.h"
#include "toolkit/edit.h"
#include "toolkit/listview.h"
#include "vault/strong_format.h"
#include "vault/cng_crypto_win.h"
#include "vault/entry_items.h"
#include "platform/system_random.h"

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
    static std::string Salt(const std::string& file) { return file.substr(20, 16); }
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
    // Version 3, Argon2id of 3 passes over 64 MiB in 4 lanes.
    EXPECT_EQ(strong.substr(4, 16), std::string("\x03\x00\x02\x00\x03\x00\x00\x00\x00\x00\x01\x00\x04\x00\x00\x00", 16));
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
    EXPECT_NE(File().substr(36, 12), strong.substr(36, 12));

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

// A password changed twice leaves both old ones in Password history, newest
// first with their dates; a screen reader hears the dates and never one of
// the passwords. A compatible vault says how to get a history.
TEST_F(StrongEncryption, PasswordHistoryShowsBothOldPasswords) {
    WriteVaultFile("secret", {{"Bank", "", "jan", "first-pass", ""}});
    TForm1* form = Open({true, "secret"});
    form->Passwordhistory1Click(form);
    ASSERT_EQ(BoxTexts().size(), 1u);
    EXPECT_NE(BoxTexts()[0].find(ResStr(IDS_HISTORY_NEEDS_STRONG)), std::string::npos) << BoxTexts()[0];
    Choose(form, IDYES);
    const std::string today = HistoryDate(std::time(nullptr));
    for (const char* next : {"second-pass", "third-pass"}) {
        GridDriver g(form->StringGrid1);
        g.Select(4, 1);
        g.Key(VK_F2);
        form->StringGridEdit->SetText(next);
        PressKey(form->StringGridEdit->Handle(), VK_RETURN);
        Pump();
    }
    ASSERT_EQ(form->StringGrid1->Cells(4, 1), "third-pass");
    TForm1::SetClipboardDelayForTests(5000);
    std::vector<std::string> dates, shown, heard;
    std::string clip;
    RunLater(40, [&] {
        HWND w = FindWindowA(kFormClass, "Password history: Bank");
        auto* dialog = dynamic_cast<TForm*>(TWinControl::FromHandle(w));
        if (!dialog) PostMessageA(GetActiveWindow(), WM_CLOSE, 0, 0);
        ASSERT_NE(dialog, nullptr);
        TListView* list = nullptr;
        TEdit* password = nullptr;
        for (int i = 0; i < dialog->ControlCount(); ++i) {
            if (auto* l = dynamic_cast<TListView*>(dialog->Controls(i))) list = l;
            if (auto* e = dynamic_cast<TEdit*>(dialog->Controls(i))) password = e;
        }
        ASSERT_TRUE(list && password);
        for (int i = 0; i < list->ItemCount(); ++i) {
            dates.push_back(list->ItemText(i, 0));
            list->SetSelected(i);
            shown.push_back(password->Text());
        }
        std::string command = "\"" + Beside("msaa_reader.exe") + "\" secret secret secret first-pass secret second-pass"
                              " secret third-pass tree " + Hex(w);
        heard = RunPumping(command);
        if (std::getenv("VELT_SHOW_READER"))
            for (const std::string& l : heard) std::printf("%s\n", l.c_str());
        list->SetSelected(1);
        for (int i = 0; i < dialog->ControlCount(); ++i)
            if (auto* b = dynamic_cast<TButton*>(dialog->Controls(i)); b && b->ModalResult() == mrNone) b->Click();
        clip = platform::GetClipboardText();
        dialog->Close();
    });
    SendMessageA(form->Handle(), WM_COMMAND, MAKEWPARAM(form->Passwordhistory1->Command(), 0), 0);
    Pump();
    TForm1::SetClipboardDelayForTests(0);
    EXPECT_EQ(dates, (std::vector<std::string>{today, today}));
    EXPECT_EQ(shown, (std::vector<std::string>{"second-pass", "first-pass"}));
    EXPECT_EQ(clip, "first-pass");
    std::string all;
    for (const std::string& l : heard) all += l + "\n";
    // The dates are the list's own items; Wine's list view names none of them
    // to a reader, so only the password's refusal is heard here.
    EXPECT_NE(all.find("value=denied"), std::string::npos) << all;
    EXPECT_EQ(all.find("LEAK"), std::string::npos) << all;
    // Saved and read again, the history stays.
    form->Zapisz1Click(form);
    Close(form);
    TForm1* again = Open({true, "secret"});
    EXPECT_EQ(PasswordHistory(again->StringGrid1->Store(), 1).size(), 2u);
    again->Modified = false;
}

// Two computers edit different fields of one entry of a strong vault: Save
// finds the other version, Merge keeps both edits (by the entries' ids, not
// as two rows), the password that lost goes to the entry's history, and the
// other side's new entry comes in.
TEST_F(StrongEncryption, MergeKeepsEditsToDifferentFieldsOfOneEntry) {
    WriteVaultFile("secret", {{"Bank", "", "jan", "first-pass", ""}, {"Mail", "", "", "m1", ""}});
    TForm1* form = Open({true, "secret"});
    Choose(form, IDYES);
    form->Zapisz1Click(form);
    {
        // The other computer: a new password for Bank, a minute later, and Fax.
        CngCrypto crypto;
        VaultProtection other(crypto, platform::SystemRandom());
        CellStore table;
        ASSERT_EQ(LoadVaultFile(VaultPath(), "secret", table, other), VaultLoadResult::Loaded);
        const std::int64_t later = std::time(nullptr) + 60;
        table.SetCell(4, 1, "other-pass");
        RecordFieldChange(table, 1, 4, "first-pass", later, 10);
        table.SetRowCount(4);
        StampNewEntry(table, 3, platform::SystemRandom(), later);
        table.SetCell(1, 3, "Fax");
        other.Save(*MakeWindowsSaveOps(), VaultPath(), table, "secret");
    }
    GridDriver g(form->StringGrid1);
    g.Select(3, 1);
    g.Key(VK_F2);
    form->StringGridEdit->SetText("janek");
    PressKey(form->StringGridEdit->Handle(), VK_RETURN);
    Pump();

    boxes_.Clear();
    boxes_.QueueAnswer(IDYES);  // Merge
    form->Zapisz1Click(form);
    ASSERT_EQ(BoxTexts().size(), 2u);
    EXPECT_EQ(BoxTexts()[1], "Information: " + FormatText(ResStr(IDS_MERGE_DONE), {"baza.pdb"}) + "\r\n" +
                                 FormatText(ResStr(IDS_MERGE_ADDED), {"Fax"}) + "\r\n" +
                                 FormatText(ResStr(IDS_MERGE_CHANGED), {"Bank"}));
    CellStore saved;
    ASSERT_EQ(LoadVault(VaultPath(), "secret", saved), VaultLoadResult::Loaded);
    ASSERT_EQ(saved.EntryCount(), 3);
    EXPECT_EQ(saved.Cell(3, 1), "janek");
    EXPECT_EQ(saved.Cell(4, 1), "other-pass");
    const std::vector<OldPassword> history = PasswordHistory(saved, 1);
    ASSERT_EQ(history.size(), 1u);
    EXPECT_EQ(history[0].text, "first-pass");
    EXPECT_EQ(saved.Cell(1, 3), "Fax");
    EXPECT_EQ(form->StringGrid1->Cells(4, 1), "other-pass");
    EXPECT_FALSE(form->Modified);
}

} // namespace
} // namespace velt::test
