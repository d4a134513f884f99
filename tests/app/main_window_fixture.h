// The main window driven in process: the real password prompt answered from
// a timer, message boxes recorded, the vault in a folder of the test's own,
// and the localisation module started as the program starts it.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "support/vault_files_win.h"
#include "app/unit1.h"
#include "core/resource_strings.h"
#include "i18n/localisation_win.h"
#include "toolkit/button.h"
#include "toolkit/checkbox.h"
#include "toolkit/edit.h"
#include "toolkit/toolkit_fixture.h"
#include "vault/cell_store.h"
#include "vault/vault_backup.h"
#include "vault/vault_file.h"

namespace velt::test {

using Rows = std::vector<std::array<std::string, 5>>;

// How the test answers one password prompt.
struct PromptReply {
    bool ok = true;
    std::string password;
    bool asterisk = false;
};

class MainWindowTest : public ToolkitTest {
protected:
    // LANG for the module's automatic choice ("" = the system locale).
    virtual const char* Lang() const { return ""; }

    void SetUp() override {
        ToolkitTest::SetUp();
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        static int counter = 0;
        dir_ = std::string(temp) + "velt-app-" + std::to_string(GetCurrentProcessId()) + "-" +
               std::to_string(++counter) + "\\";
        CreateDirectoryA(dir_.c_str(), nullptr);
        DeleteFileA((dir_ + "baza.pdb").c_str());
        TForm1::SetProgramDirForTests(dir_);
        SetEnvironmentVariableA("LANG", *Lang() ? Lang() : nullptr);
        localisation_ = std::make_unique<i18n::LocalisationModule>();
    }

    void TearDown() override {
        windows_.clear();
        localisation_.reset();
        SetEnvironmentVariableA("LANG", nullptr);
        TForm1::SetProgramDirForTests("");
        DeleteFileA((dir_ + "baza.pdb").c_str());
        for (int n = 1; n <= kMaxBackups; ++n) DeleteFileA(BackupName(dir_ + "baza.pdb", n).c_str());
        DeleteFileA((dir_ + "velt.ini").c_str());
        RemoveDirectoryA(dir_.c_str());
        ToolkitTest::TearDown();
    }

    std::string VaultPath() const { return dir_ + "baza.pdb"; }

    // A vault file with the given entry rows (five fields each), by default baza.pdb.
    void WriteVaultFile(const std::string& password, const Rows& rows, const std::string& path = "") {
        CellStore table;
        table.SetRowCount(static_cast<int>(rows.size()) + 1);
        for (size_t r = 0; r < rows.size(); ++r)
            for (int c = 1; c <= 5; ++c) table.SetCell(c, static_cast<int>(r) + 1, rows[r][c - 1]);
        SaveVault(path.empty() ? VaultPath() : path, table, password);
    }

    // Answers the next password prompt (by default the master password's)
    // shortly after it opens.
    void AnswerPrompt(const PromptReply& reply, const std::string& caption = "") {
        RunLater(40, [this, reply, caption] {
            HWND w = FindWindowA(kFormClass, (caption.empty() ? ResStr(IDS_ENTER_THE_PASSWORD) : caption).c_str());
            auto* form = dynamic_cast<TForm*>(TWinControl::FromHandle(w));
            ASSERT_NE(form, nullptr) << "no password prompt";
            ++promptsSeen_;
            TEdit* edit = nullptr;
            TCheckBox* check = nullptr;
            TButton* ok = nullptr;
            for (int i = 0; i < form->ControlCount(); ++i) {
                TControl* c = form->Controls(i);
                if (auto* e = dynamic_cast<TEdit*>(c)) edit = e;
                if (auto* k = dynamic_cast<TCheckBox*>(c)) check = k;
                if (auto* b = dynamic_cast<TButton*>(c); b && b->ModalResult() == mrOk) ok = b;
            }
            ASSERT_TRUE(edit && ok);
            promptStartText_ = edit->Text();
            promptHadCheck_ = check != nullptr;
            if (!reply.ok) {
                form->Close();  // the close box: Cancel
                return;
            }
            edit->SetText(reply.password);
            if (check) check->SetChecked(reply.asterisk);
            EXPECT_TRUE(check || !reply.asterisk) << "no box to tick";
            ok->Click();
        });
    }

    // Creates the main window as the program does: FormCreate asks for the
    // password (answered by `reply`) and loads the vault.
    TForm1* Create(const PromptReply& reply) {
        AnswerPrompt(reply);
        auto* form = new TForm1(nullptr);
        windows_.emplace_back(form);
        form->DoCreate();
        return form;
    }
    // Created, then shown as the message loop shows it; boxes so far cleared.
    TForm1* Open(const PromptReply& reply) {
        TForm1* form = Create(reply);
        EXPECT_FALSE(Application->Terminated());
        form->Show();
        Pump();
        boxes_.Clear();
        return form;
    }
    void Close(TForm1* form) {
        form->Close();
        Pump();
    }

    // "caption: text" of every recorded box.
    std::vector<std::string> BoxTexts() const {
        std::vector<std::string> out;
        for (const MessageBoxRequest& b : boxes_.Boxes()) out.push_back(b.caption + ": " + b.text);
        return out;
    }

    std::string dir_;
    int promptsSeen_ = 0;
    std::string promptStartText_;
    bool promptHadCheck_ = false;
    std::unique_ptr<i18n::LocalisationModule> localisation_;
    std::vector<std::unique_ptr<TForm1>> windows_;
};

} // namespace velt::test
