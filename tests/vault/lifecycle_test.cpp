// The decisions of the open vault, with every dialog and file answered by a
// script: start-up refusals, the modified flag, the save prompts, change of
// password and clearing.
#include "vault/lifecycle.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "core/resource_strings.h"
#include "support/stand_in_crypto.h"

namespace velt {
namespace {

using Box = VaultLifecycle::Box;
using Answer = VaultLifecycle::Answer;

struct PromptReply {
    bool ok;
    std::string password;
    bool asterisk;
};

// Records every call as one line and answers from queues.
class ScriptedVault : public VaultLifecycle {
public:
    std::deque<PromptReply> prompts;
    std::deque<Answer> answers;
    bool fileExists = true;
    bool fileMatches = true;
    bool fileHeld = false;  // present, but another program keeps it from us
    bool fileTampered = false;  // the right password, but a changed file
    bool fileStrong = false;
    bool recorded = false;  // what a record beyond this run says
    bool saveFails = false;
    bool changedElsewhere = false;  // another program wrote the file
    std::vector<std::string> copies;  // conflict copies offered
    bool mergeGivenUp = false;        // the other version's password not given
    bool mergeFails = false;
    std::vector<std::string> log;
    std::vector<std::string> compatibleBackups;
    std::vector<std::string> saves;  // "same table" or "changed", "removing" the readable backups
    std::string savedWith;  // password of the last successful save
    std::string promptStart; // what the last prompt started with
    test::StandInCrypto crypto;
    test::CountingRandom random;
    VaultProtection protection{crypto, random};

    using VaultLifecycle::MayClose;
    using VaultLifecycle::ChangePasswordCommand;
    using VaultLifecycle::ClearCommand;
    using VaultLifecycle::EditorChanged;
    using VaultLifecycle::ReopenCommand;
    using VaultLifecycle::SaveCommand;
    using VaultLifecycle::Shown;
    using VaultLifecycle::StartUp;
    using VaultLifecycle::StrongCommand;

protected:
    std::string ExecutableDir() override { return "C:\\velt\\"; }
    bool QueryPassword(const std::string& caption, const std::string& prompt, std::string& password,
                       bool& asterisk) override {
        log.push_back("prompt " + caption + "/" + prompt);
        promptStart = password;
        PromptReply r = prompts.at(0);
        prompts.pop_front();
        if (!r.ok) return false;
        password = r.password;
        asterisk = r.asterisk;
        return true;
    }
    Answer Ask(Box box, const std::string& text) override {
        const bool error = box == Box::ErrorOk || box == Box::FrameworkErrorOk;
        const char* kind = error                                                          ? "error"
                           : box == Box::WarningYesNo || box == Box::FrameworkWarningYesNo ? "yesno"
                           : box == Box::ConfirmYesNo                                     ? "confirm"
                           : box == Box::WarningMergeReplaceCancel                        ? "mrc"
                                                                                          : "ync";
        log.push_back(std::string(kind) + " " + text);
        if (error) return Answer::Ok;
        Answer a = answers.at(0);
        answers.pop_front();
        return a;
    }
    bool VaultChangedElsewhere() override { return changedElsewhere; }
    bool MergeOtherVersion(const std::string& path, bool copy) override {
        log.push_back((copy ? "merge copy " : "merge ") + path);
        if (mergeFails) throw EVaultDamaged("damaged");
        if (mergeGivenUp) return false;
        changedElsewhere = false;
        return true;
    }
    std::vector<std::string> ConflictCopies() override { return copies; }
    void ConflictCopyMerged(const std::string& name) override { log.push_back("backup " + name); }
    void ConflictCopyDeclined(const std::string& name) override { log.push_back("declined " + name); }
    void WriteVault() override {
        log.push_back(SavingOverOtherVersion() ? "save over other" : "save");
        saves.push_back(std::string(SavingUnchanged() ? "same table" : "changed") +
                        (RemovingCompatibleBackups() ? ", removing" : ""));
        if (!saveFails) changedElsewhere = false;
        if (saveFails) throw EFileCreateError("Cannot create file");
        savedWith = MasterPassword;
        fileExists = true;
        fileMatches = true;
        fileStrong = protection.Strong();
    }
    bool ReadVault() override {
        log.push_back("load");
        if (!fileExists || fileHeld) throw EFileOpenError("Cannot open file");
        if (fileTampered) throw EVaultTampered("changed");
        const bool ok = fileMatches && MasterPassword == (savedWith.empty() ? MasterPassword : savedWith);
        if (ok && fileStrong) protection.TurnOn(MasterPassword);
        if (ok && !fileStrong) protection.TurnOff();
        return ok;
    }
    bool VaultFileCompatible() override { return fileExists && !fileHeld && !fileStrong; }
    bool RecordedStrong() override { return recorded; }
    std::vector<std::string> CompatibleBackups() override { return compatibleBackups; }
    void RecordStrong(bool strong) override { recorded = strong; }
    bool VaultFileExists() override { return fileExists; }
    void ResetTable() override { log.push_back("reset"); }
    void TableReplaced() override { log.push_back("replaced"); }
    void RepaintGrid() override { log.push_back("repaint"); }
    void Terminate() override { log.push_back("terminate"); }
    void ReportError(const Exception& e) override { log.push_back(std::string("report ") + e.what()); }
    void LanguageStep() override { log.push_back("language"); }
    void RemoveSaveLeftovers() override { log.push_back("tidy"); }
    VaultProtection& Protection() override { return protection; }
};

using Log = std::vector<std::string>;
const std::string kPrompt = "prompt Enter the password/Password";
const std::string kSaveAsk = "ync Do you want to save changes before closing?";

// A vault unlocked with "secret" and shown, log cleared.
void Unlock(ScriptedVault& v) {
    v.prompts.push_back({true, "secret", false});
    v.StartUp();
    v.Shown();
    v.log.clear();
}

TEST(VaultLifecycleTest, StartUpOutcomes) {
    struct Case {
        const char* name;
        PromptReply reply;
        bool fileExists;
        bool fileMatches;
        Log expected;
        std::string master;
    };
    const std::string refuse = "error You need to enter valid password to gain access";
    const Case cases[] = {
        {"accepted", {true, "secret", false}, true, true,
         {kPrompt, "load", "replaced", "tidy", "language"}, "secret"},
        {"two characters are enough", {true, "ab", false}, true, true,
         {kPrompt, "load", "replaced", "tidy", "language"}, "ab"},
        {"first run reports the open error and goes on", {true, "ab", false}, false, true,
         {kPrompt, "load", "report Cannot open file", "language"}, "ab"},
        {"wrong password", {true, "secret", false}, true, false,
         {kPrompt, "load", "error Incorrect password!", "terminate", "language"}, "secret"},
        {"cancel", {false, "", false}, true, true,
         {kPrompt, refuse, "terminate", "language"}, ""},
        {"cancel without a file", {false, "", false}, false, true,
         {kPrompt, refuse, "terminate", "language"}, ""},
        {"empty password", {true, "", false}, true, true,
         {kPrompt, refuse, "terminate", "language"}, ""},
        {"one character", {true, "x", false}, true, true,
         {kPrompt, refuse, "terminate", "language"}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedVault v;
        v.prompts.push_back(c.reply);
        v.fileExists = c.fileExists;
        v.fileMatches = c.fileMatches;
        v.StartUp();
        EXPECT_EQ(v.log, c.expected);
        EXPECT_EQ(v.MasterPassword, c.master);
        EXPECT_EQ(v.ProgramDir, "C:\\velt\\");
        EXPECT_EQ(v.VaultPath(), "C:\\velt\\baza.pdb");
        EXPECT_EQ(v.promptStart, "");
    }
}

TEST(VaultLifecycleTest, StartUpTakesTheAsteriskOptionOnlyFromAnAcceptedPrompt) {
    ScriptedVault accepted;
    accepted.prompts.push_back({true, "secret", true});
    accepted.StartUp();
    EXPECT_TRUE(accepted.AsteriskPasswords);

    ScriptedVault cancelled;
    cancelled.prompts.push_back({false, "", true});
    cancelled.StartUp();
    EXPECT_FALSE(cancelled.AsteriskPasswords);
}

TEST(VaultLifecycleTest, ModifiedFlagAfterEachCommand) {
    enum Step { Edit, Save, ReopenYes, ReopenNo, ReopenCancel, ChangeOk, ClearYes, ClearNo };
    struct Case {
        const char* name;
        std::vector<Step> steps;
        bool modified;
        Log saves = {};  // a save of the table the file holds makes no backup
    };
    const Case cases[] = {
        {"shown", {}, false},
        {"edit", {Edit}, true},
        {"edit then save", {Edit, Save}, false},
        {"saved unedited", {Save}, false, {"same table"}},
        {"edit, save twice", {Edit, Save, Save}, false, {"changed", "same table"}},
        {"new password, save twice", {ChangeOk, Save, Save}, false, {"changed", "same table"}},
        {"reopen with yes keeps the flag", {Edit, ReopenYes}, true},
        {"reopen with no keeps the flag", {Edit, ReopenNo}, true},
        {"reopen cancelled", {Edit, ReopenCancel}, true},
        {"change password does not set it", {ChangeOk}, false},
        {"clear confirmed sets it", {ClearYes}, true},
        {"clear refused", {ClearNo}, false},
        {"reopen unmodified", {ReopenNo}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedVault v;
        Unlock(v);
        for (Step s : c.steps) {
            switch (s) {
            case Edit: v.EditorChanged(); break;
            case Save: v.SaveCommand(); break;
            case ReopenYes: v.answers.push_back(Answer::Yes); v.ReopenCommand(); break;
            case ReopenNo: v.answers.push_back(Answer::No); v.ReopenCommand(); break;
            case ReopenCancel: v.answers.push_back(Answer::Cancel); v.ReopenCommand(); break;
            case ChangeOk: v.prompts.push_back({true, "secret", false}); v.ChangePasswordCommand(); break;
            case ClearYes: v.answers.push_back(Answer::Yes); v.ClearCommand(); break;
            case ClearNo: v.answers.push_back(Answer::No); v.ClearCommand(); break;
            }
        }
        EXPECT_EQ(v.Modified, c.modified);
        if (!c.saves.empty()) EXPECT_EQ(v.saves, c.saves);
    }
}

TEST(VaultLifecycleTest, ReopenAndCloseAskOnlyWhenModified) {
    struct Case {
        const char* name;
        bool modified;
        Answer answer;
        Log reopen;
        Log close;
        bool closes;
    };
    const Case cases[] = {
        {"unmodified", false, Answer::Cancel, {"load", "replaced"}, {}, true},
        {"yes", true, Answer::Yes, {kSaveAsk, "save", "load", "replaced"}, {kSaveAsk, "save"}, true},
        {"no", true, Answer::No, {kSaveAsk, "load", "replaced"}, {kSaveAsk}, true},
        {"cancel", true, Answer::Cancel, {kSaveAsk}, {kSaveAsk}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedVault v;
        Unlock(v);
        v.Modified = c.modified;
        if (c.modified) v.answers = {c.answer, c.answer};
        v.ReopenCommand();
        EXPECT_EQ(v.log, c.reopen);
        v.log.clear();
        EXPECT_EQ(v.MayClose(), c.closes);
        EXPECT_EQ(v.log, c.close);
    }
}

// A file another program changed: No saves nothing and keeps the changes
// (and the window, and the table on screen); Yes saves over it.
TEST(VaultLifecycleTest, AFileChangedElsewhereIsMergedReplacedOrLeft) {
    const std::string kOther = "mrc " + ResStr(IDS_VAULT_CHANGED_ELSEWHERE);
    const std::string kMerge = "merge C:\\velt\\baza.pdb";
    struct Case {
        const char* command;
        Answer answer;
        Log log;
        bool modified;
        bool givenUp = false;  // the other version's password not given
    };
    const Case cases[] = {
        {"save", Answer::Cancel, {kOther}, true},
        {"save", Answer::Yes, {kOther, "save over other"}, false},
        {"save", Answer::Merge, {kOther, kMerge}, false},
        {"save", Answer::Merge, {kOther, kMerge}, true, true},
        {"reopen", Answer::Cancel, {kSaveAsk, kOther}, true},
        {"reopen", Answer::Yes, {kSaveAsk, kOther, "save over other", "load", "replaced"}, true},
        {"reopen", Answer::Merge, {kSaveAsk, kOther, kMerge, "load", "replaced"}, true},
        {"close", Answer::Cancel, {kSaveAsk, kOther}, true},
        {"close", Answer::Yes, {kSaveAsk, kOther, "save over other"}, true},
        {"close", Answer::Merge, {kSaveAsk, kOther, kMerge}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.command) + " " + std::to_string(static_cast<int>(c.answer)) +
                     (c.givenUp ? " given up" : ""));
        ScriptedVault v;
        Unlock(v);
        v.EditorChanged();
        v.changedElsewhere = true;
        v.mergeGivenUp = c.givenUp;
        const std::string cmd = c.command;
        if (cmd != "save") v.answers.push_back(Answer::Yes);
        v.answers.push_back(c.answer);
        bool closes = false;
        if (cmd == "save") v.SaveCommand();
        if (cmd == "reopen") v.ReopenCommand();
        if (cmd == "close") closes = v.MayClose();
        EXPECT_EQ(v.log, c.log);
        EXPECT_EQ(v.Modified, c.modified);
        const bool saved = c.answer != Answer::Cancel && !c.givenUp;
        if (cmd == "close") {
            EXPECT_EQ(closes, saved);
        }
        if (!saved) continue;
        v.log.clear();
        v.SaveCommand();  // the next save is an ordinary one again
        EXPECT_EQ(v.log, Log{"save"});
    }
}

// Conflict copies are offered after unlocking and after Open/ Reopen, one
// question each: Yes merges and moves the copy to a backup name, No
// declines it; a copy that fails is reported and the next one offered.
TEST(VaultLifecycleTest, ConflictCopiesAreOfferedOneByOne) {
    const std::string kAsk1 = "confirm " + FormatText(ResStr(IDS_CONFLICT_COPY_FOUND), {"baza (1).pdb"});
    const std::string kAsk2 = "confirm " + FormatText(ResStr(IDS_CONFLICT_COPY_FOUND), {"baza-PC.pdb"});
    struct Case {
        const char* name;
        std::vector<Answer> answers;
        bool fails, givenUp;
        Log log;
        bool changedElsewhere = false;  // baza.pdb changed after the load
    };
    const Case cases[] = {
        {"both merged", {Answer::Yes, Answer::Yes}, false, false,
         {kAsk1, "merge copy C:\\velt\\baza (1).pdb", "backup baza (1).pdb", kAsk2,
          "merge copy C:\\velt\\baza-PC.pdb", "backup baza-PC.pdb"}},
        {"declined, then merged", {Answer::No, Answer::Yes}, false, false,
         {kAsk1, "declined baza (1).pdb", kAsk2, "merge copy C:\\velt\\baza-PC.pdb", "backup baza-PC.pdb"}},
        {"password not given", {Answer::Yes, Answer::No}, false, true,
         {kAsk1, "merge copy C:\\velt\\baza (1).pdb", kAsk2, "declined baza-PC.pdb"}},
        {"the vault changed elsewhere", {}, false, false, {}, true},
        {"damaged copies", {Answer::Yes, Answer::Yes}, true, false,
         {kAsk1, "merge copy C:\\velt\\baza (1).pdb", "report damaged", kAsk2,
          "merge copy C:\\velt\\baza-PC.pdb", "report damaged"}},
    };
    for (const Case& c : cases) {
        for (const bool reopen : {false, true}) {
            SCOPED_TRACE(std::string(c.name) + (reopen ? ", reopen" : ", start-up"));
            ScriptedVault v;
            if (reopen) Unlock(v);
            v.copies = {"baza (1).pdb", "baza-PC.pdb"};
            v.mergeFails = c.fails;
            v.mergeGivenUp = c.givenUp;
            v.answers.assign(c.answers.begin(), c.answers.end());
            v.changedElsewhere = c.changedElsewhere;
            if (reopen) {
                v.ReopenCommand();
            } else {
                v.prompts.push_back({true, "secret", false});
                v.StartUp();
            }
            Log expected = {"load", "replaced"};
            expected.insert(expected.end(), c.log.begin(), c.log.end());
            if (!reopen) expected.push_back("language");
            if (!reopen) expected.insert(expected.begin(), kPrompt), expected.insert(expected.begin() + 3, "tidy");
            EXPECT_EQ(v.log, expected);
        }
    }
}

TEST(VaultLifecycleTest, FailedSaveStopsTheCommand) {
    ScriptedVault save;
    Unlock(save);
    save.EditorChanged();
    save.saveFails = true;
    EXPECT_THROW(save.SaveCommand(), EFileCreateError);
    EXPECT_TRUE(save.Modified);

    ScriptedVault reopen;
    Unlock(reopen);
    reopen.EditorChanged();
    reopen.saveFails = true;
    reopen.answers.push_back(Answer::Yes);
    EXPECT_THROW(reopen.ReopenCommand(), EFileCreateError);
    EXPECT_EQ(reopen.log, (Log{kSaveAsk, "save"}));  // no reload

    ScriptedVault close;
    Unlock(close);
    close.EditorChanged();
    close.saveFails = true;
    close.answers.push_back(Answer::Yes);
    EXPECT_THROW(close.MayClose(), EFileCreateError);  // the window stays open
    EXPECT_TRUE(close.Modified);
}

TEST(VaultLifecycleTest, ChangePassword) {
    const std::string tooShort =
        "error The master password must have at least 2 characters. The password was not changed.";
    struct Case {
        const char* name;
        PromptReply reply;
        std::string master;
        bool asterisk;
        Log log;
    };
    const Case cases[] = {
        {"accepted", {true, "newpass", false}, "newpass", false, {kPrompt, "repaint"}},
        {"asterisk switched on", {true, "secret", true}, "secret", true, {kPrompt, "repaint"}},
        {"cancel keeps both", {false, "", false}, "secret", true, {kPrompt, "repaint"}},
        {"empty refused", {true, "", false}, "secret", false, {kPrompt, tooShort, "repaint"}},
        {"one character refused", {true, "z", true}, "secret", true, {kPrompt, tooShort, "repaint"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedVault v;
        Unlock(v);
        v.AsteriskPasswords = true;
        v.prompts.push_back(c.reply);
        v.ChangePasswordCommand();
        EXPECT_EQ(v.promptStart, "secret");  // the box starts with the current password
        EXPECT_EQ(v.MasterPassword, c.master);
        EXPECT_EQ(v.AsteriskPasswords, c.asterisk);
        EXPECT_EQ(v.log, c.log);
        EXPECT_FALSE(v.Modified);
    }
}

TEST(VaultLifecycleTest, ChangedPasswordReachesTheFileOnlyBySave) {
    // Save, change, reopen without saving: the file's check value is the old
    // password's, so the program ends.
    ScriptedVault v;
    Unlock(v);
    v.SaveCommand();
    v.prompts.push_back({true, "other", false});
    v.ChangePasswordCommand();
    v.log.clear();
    v.ReopenCommand();
    EXPECT_EQ(v.log, (Log{"load", "error Incorrect password!", "terminate"}));

    // Change then save: the file now carries the new password.
    ScriptedVault w;
    Unlock(w);
    w.prompts.push_back({true, "other", false});
    w.ChangePasswordCommand();
    w.SaveCommand();
    EXPECT_EQ(w.savedWith, "other");
}

TEST(VaultLifecycleTest, StrongEncryptionAsksThenTurnsOnOrOff) {
    const std::string on = "confirm From the next save on, baza.pdb will be protected with AES-256 under a key derived "
                           "from the master password.\r\nOlder versions of Velt and other programs that read the old "
                           "format will not open it. The first strong save deletes the compatible baza.pdb it "
                           "replaces.\r\n\r\nCopies of baza.pdb kept elsewhere in the compatible format can still be "
                           "read by anyone who has them, and they give the master password away; change it after "
                           "turning strong encryption on.\r\n\r\nTurn strong encryption on?";
    const std::string named = "ync From the next save on, baza.pdb will be protected with AES-256 under a key derived "
                              "from the master password.\r\nOlder versions of Velt and other programs that read the "
                              "old format will not open it. The first strong save deletes the compatible baza.pdb it "
                              "replaces.\r\n\r\nThese backups beside it are in the compatible format: anyone who has "
                              "them reads every entry in them without the password.\r\nbaza.pdb.1.bak\r\nbaza.pdb.3.bak"
                              "\r\n\r\nYes: turn strong encryption on and delete these backups at the first strong "
                              "save.\r\nNo: turn it on and keep them. They stay readable, and changing the master "
                              "password does not protect the entries in them.\r\nCancel: leave strong encryption off.";
    std::string go = named;  // with Keep 0, the same backups, and nothing offered to keep
    go.replace(go.find("\r\n\r\nYes:"), std::string::npos,
               "\r\n\r\nBackups to keep on save is 0, so the first strong save deletes these backups too.\r\n\r\n"
               "Turn strong encryption on?");
    go.replace(0, 3, "yesno");
    const std::string off = "yesno In the old format baza.pdb can be read by anyone who has the file, without the "
                            "password.\r\n\r\nTurn strong encryption off?";
    struct Case {
        const char* name;
        bool strongBefore;
        Answer answer;
        std::string box;
        bool strongAfter;
        int derivations;
        bool backups = false;  // compatible ones beside the vault
        Log firstSaves = {};
        int keep = 3;
    };
    const Case cases[] = {
        {"on: yes", false, Answer::Yes, on, true, 1, false, {"changed", "same table"}},
        {"on: no", false, Answer::No, on, false, 0},
        {"off: yes", true, Answer::Yes, off, false, 0},
        {"off: no", true, Answer::No, off, true, 0},
        {"on, backups named: yes", false, Answer::Yes, named, true, 1, true, {"changed, removing", "same table"}},
        {"on, backups named: no", false, Answer::No, named, true, 1, true, {"changed", "same table"}},
        {"on, backups named: cancel", false, Answer::Cancel, named, false, 0, true},
        {"on, keep 0: yes", false, Answer::Yes, go, true, 1, true, {"changed, removing", "same table"}, 0},
        {"on, keep 0: no", false, Answer::No, go, false, 0, true, {}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedVault v;
        Unlock(v);
        if (c.strongBefore) v.protection.TurnOn(v.MasterPassword);
        v.crypto.derivations = 0;
        if (c.backups) v.compatibleBackups = {"baza.pdb.1.bak", "baza.pdb.3.bak"};
        v.BackupsToKeep = c.keep;
        v.answers.push_back(c.answer);
        v.StrongCommand();
        EXPECT_EQ(v.log, Log{c.box});
        EXPECT_EQ(v.protection.Strong(), c.strongAfter);
        EXPECT_EQ(v.protection.Key().Valid(), c.strongAfter);
        EXPECT_EQ(v.crypto.derivations, c.derivations);
        EXPECT_EQ(v.Modified, c.strongAfter != c.strongBefore);
        if (c.strongAfter && !c.strongBefore) {
            EXPECT_TRUE(v.protection.Key().Kdf() == StrongKdf::Defaults());
            v.SaveCommand();
            v.SaveCommand();
            EXPECT_EQ(v.saves, c.firstSaves);
        }
    }
}

TEST(VaultLifecycleTest, ChangePasswordOnAStrongVaultMakesANewKey) {
    ScriptedVault v;
    Unlock(v);
    v.protection.TurnOn(v.MasterPassword);
    const std::string salt(reinterpret_cast<const char*>(v.protection.Key().Salt()), kStrongSaltSize);
    v.prompts.push_back({true, "newpass", false});
    v.ChangePasswordCommand();
    EXPECT_EQ(v.MasterPassword, "newpass");
    EXPECT_NE(std::string(reinterpret_cast<const char*>(v.protection.Key().Salt()), kStrongSaltSize), salt);
    EXPECT_EQ(v.crypto.derivations, 2);

    // When no key can be made, the old password and key stay.
    v.crypto.failNext = true;
    v.prompts.push_back({true, "third", false});
    EXPECT_THROW(v.ChangePasswordCommand(), ECryptoError);
    EXPECT_EQ(v.MasterPassword, "newpass");
    EXPECT_EQ(v.crypto.derivations, 2);
}

TEST(VaultLifecycleTest, ClearAsksAndResets) {
    ScriptedVault v;
    Unlock(v);
    v.answers.push_back(Answer::Yes);
    v.ClearCommand();
    EXPECT_EQ(v.log, (Log{"yesno Are you sure to     REMOVE      all your data?\r\n"
                          "This operation is irreversible!",
                          "reset", "replaced"}));
    v.log.clear();
    v.answers.push_back(Answer::No);
    EXPECT_TRUE(v.MayClose());
    EXPECT_EQ(v.log, (Log{kSaveAsk}));  // and the file is not written
}

} // namespace
} // namespace velt

namespace velt {
namespace {

// A vault file that exists but could not be read at start-up must never be
// replaced by the table on screen, whichever command saves.
TEST(VaultLifecycleTest, UnreadVaultIsNeverReplaced) {
    const std::string refused =
        "report The database file \"C:\\velt\\baza.pdb\" exists but could not be read when Velt started, "
        "so saving would replace it. Nothing was saved. Use Open/ Reopen once the file can be read.";
    struct Case {
        const char* name;
        bool fileExists;  // at start-up
        bool released;    // the hold ends and Open/ Reopen loads before saving
        bool saved;
        bool changedAtReopen = false;  // read at start-up, changed before a Reopen
    };
    const Case cases[] = {
        {"held file: save refused", true, false, false},
        {"first run: nothing to protect", false, false, true},
        {"held, then reopened: save allowed", true, true, true},
        {"read, then changed and reopened: save refused", true, false, false, true},
    };
    for (const Case& c : cases) {
        ScriptedVault v;
        v.fileExists = c.fileExists;
        v.fileHeld = c.fileExists && !c.changedAtReopen;
        v.prompts.push_back({true, "secret", false});
        v.StartUp();
        v.Shown();
        if (c.released) {
            v.fileHeld = false;
            v.ReopenCommand();
        }
        if (c.changedAtReopen) {
            v.fileTampered = true;
            EXPECT_THROW(v.ReopenCommand(), EVaultTampered);
        }
        v.EditorChanged();
        v.log.clear();
        try {
            v.SaveCommand();
        } catch (const Exception& e) {
            v.log.push_back(std::string("report ") + e.what());
        }
        EXPECT_EQ(v.log, c.saved ? Log{"save"} : Log{refused}) << c.name;
        EXPECT_EQ(v.Modified, !c.saved) << c.name;
        if (!c.saved) {
            // The close prompt's Yes is refused the same way: the window stays.
            v.answers.push_back(Answer::Yes);
            try {
                v.MayClose();
                ADD_FAILURE() << c.name << ": closing saved over the unread file";
            } catch (const EFileCreateError&) {
            }
        }
    }
}

// A vault strong this run or by the record, found in the compatible format:
// asked first, and kept strong on Yes.
TEST(VaultLifecycleTest, CompatibleFileWhereAStrongOneWas) {
    const std::string ask = "yesno baza.pdb is in the compatible format, but it was last saved with strong "
                            "encryption. It may have been replaced by an older copy. Open it anyway?";
    enum class Start { Compatible, Strong, Unticked, TurnedOn };  // at start-up, then unticked or turned on and saved
    struct Case {
        const char* name;
        bool recorded;
        Start start;
        bool reopen;  // else start-up meets the replaced file
        bool strongNow;
        Answer answer;
        Log log;
        bool strongAfter;
    };
    const Log loaded{"load", "replaced"};
    const Case cases[] = {
        {"reopen: strong this run, compatible now, No", false, Start::Strong, true, false, Answer::No, {ask}, true},
        {"reopen: ..., Yes", false, Start::Strong, true, false, Answer::Yes, {ask, "load", "replaced"}, true},
        {"reopen: still strong", false, Start::Strong, true, true, Answer::Ok, loaded, true},
        {"reopen: compatible all along", false, Start::Compatible, true, false, Answer::Ok, loaded, false},
        {"reopen: unticked this run", false, Start::Unticked, true, false, Answer::Ok, loaded, false},
        {"reopen: turned on and saved, compatible now, No", false, Start::TurnedOn, true, false, Answer::No, {ask}, true},
        {"start-up: recorded strong, compatible, No", true, Start::Compatible, false, false, Answer::No,
         {kPrompt, ask, "terminate", "language"}, false},
        {"start-up: recorded strong, compatible, Yes", true, Start::Compatible, false, false, Answer::Yes,
         {kPrompt, ask, "load", "replaced", "tidy", "language"}, true},
        {"start-up: recorded strong, strong", true, Start::Strong, false, true, Answer::Ok,
         {kPrompt, "load", "replaced", "tidy", "language"}, true},
        {"start-up: nothing recorded", false, Start::Compatible, false, false, Answer::Ok,
         {kPrompt, "load", "replaced", "tidy", "language"}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedVault v;
        v.recorded = c.recorded;
        v.fileStrong = c.reopen ? c.start == Start::Strong || c.start == Start::Unticked : c.strongNow;
        if (c.reopen) {
            Unlock(v);
            if (c.start == Start::Unticked) {
                v.answers.push_back(Answer::Yes);
                v.StrongCommand();
                EXPECT_FALSE(v.recorded);
            }
            if (c.start == Start::TurnedOn) {
                v.answers.push_back(Answer::Yes);
                v.StrongCommand();
                v.SaveCommand();
            }
            v.Modified = false;
            v.fileStrong = c.strongNow;  // replaced meanwhile
            v.log.clear();
        }
        if (c.answer != Answer::Ok) v.answers.push_back(c.answer);
        if (c.reopen) {
            v.ReopenCommand();
        } else {
            v.prompts.push_back({true, "secret", false});
            v.StartUp();
        }
        EXPECT_EQ(v.log, c.log);
        EXPECT_EQ(v.protection.Strong(), c.strongAfter);
        EXPECT_EQ(v.recorded, c.strongAfter || (c.recorded && c.answer == Answer::No));
        if (c.strongAfter) {  // the next save is strong again
            v.SaveCommand();
            EXPECT_TRUE(v.fileStrong);
        }
    }
}

} // namespace
} // namespace velt
