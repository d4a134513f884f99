// Message boxes of the program, the Save dialog, the clipboard and the shell.
#include "toolkit/dialogs.h"

#include <commdlg.h>
#include <dlgs.h>

#include <thread>

#include "core/errors.h"
#include "platform/clipboard.h"
#include "platform/shell.h"
#include "toolkit_fixture.h"

namespace velt::test {
namespace {

class MessageDialogs : public ToolkitTest {};

TEST_F(MessageDialogs, CaptionIconButtonsAndAnswer) {
    struct Case {
        TMsgDlgType type;
        TMsgDlgButtons buttons;
        int answer;
        const char* caption;
        UINT flags;
        TModalResult result;
    } cases[] = {
        {TMsgDlgType::mtWarning, TMsgDlgButtons::mbYesNoCancel, IDYES, "Warning", MB_ICONWARNING | MB_YESNOCANCEL, mrYes},
        {TMsgDlgType::mtWarning, TMsgDlgButtons::mbYesNoCancel, IDCANCEL, "Warning", MB_ICONWARNING | MB_YESNOCANCEL, mrCancel},
        {TMsgDlgType::mtConfirmation, TMsgDlgButtons::mbYesNo, IDNO, "Confirm", MB_ICONQUESTION | MB_YESNO, mrNo},
        {TMsgDlgType::mtError, TMsgDlgButtons::mbOK, IDOK, "Error", MB_ICONERROR | MB_OK, mrOk},
        {TMsgDlgType::mtInformation, TMsgDlgButtons::mbOK, IDOK, "Information", MB_ICONINFORMATION | MB_OK, mrOk},
        {TMsgDlgType::mtWarning, TMsgDlgButtons::mbOKCancel, IDOK, "Warning", MB_ICONWARNING | MB_OKCANCEL, mrOk},
    };
    for (const Case& c : cases) {
        boxes_.Clear();
        boxes_.QueueAnswer(c.answer);
        EXPECT_EQ(MessageDlg("Text was not found", c.type, c.buttons), c.result) << c.caption;
        ASSERT_EQ(boxes_.Boxes().size(), 1u);
        EXPECT_EQ(boxes_.Boxes()[0].caption, c.caption);
        EXPECT_EQ(boxes_.Boxes()[0].text, "Text was not found");
        EXPECT_EQ(boxes_.Boxes()[0].flags, c.flags) << c.caption;
    }
}

TEST(SaveDialogRequest, FilterOptionsAndName) {
    TSaveDialog dialog(nullptr);
    dialog.SetFileName("baza");
    dialog.SetFilter("CSV- Comma Separated Values|*.csv|HTML- Hyper Text Mark-up Language|*.htm");
    struct Case {
        unsigned options;
        DWORD present, absent;
    } cases[] = {
        {ofOverwritePrompt | ofHideReadOnly | ofEnableSizing,
         OFN_EXPLORER | OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_ENABLESIZING, 0},
        {0, OFN_EXPLORER, OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_ENABLESIZING},
    };
    for (const Case& c : cases) {
        dialog.SetOptions(c.options);
        TSaveDialog::Request r;
        dialog.Prepare(r, nullptr);
        EXPECT_EQ(r.ofn.Flags & c.present, c.present);
        EXPECT_EQ(r.ofn.Flags & c.absent, 0u);
        static const char expected[] = "CSV- Comma Separated Values\0*.csv\0HTML- Hyper Text Mark-up Language\0*.htm\0";
        EXPECT_EQ(std::string(r.ofn.lpstrFilter, r.filter.size()), std::string(expected, sizeof expected));
        EXPECT_EQ(r.ofn.nFilterIndex, 1u);
        EXPECT_STREQ(r.ofn.lpstrFile, "baza");
        EXPECT_GE(r.ofn.nMaxFile, 260u);
    }
}

class SaveDialogs : public ToolkitTest {};

TEST_F(SaveDialogs, TheSystemDialogReturnsNameAndChosenFilter) {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    std::string target = std::string(temp) + "velt_export_test.htm";
    DeleteFileA(target.c_str());
    TSaveDialog dialog(nullptr);
    dialog.SetFileName("baza");
    dialog.SetFilter("CSV|*.csv|HTML|*.htm");
    dialog.SetOptions(ofOverwritePrompt | ofHideReadOnly | ofEnableSizing);
    bool found = false;
    RunLater(300, [&] { found = AnswerSaveDialog(1, target); });
    bool chosen = dialog.Execute();
    ASSERT_TRUE(found);
    ASSERT_TRUE(chosen);
    EXPECT_EQ(_stricmp(dialog.FileName().c_str(), target.c_str()), 0) << dialog.FileName();
    EXPECT_EQ(dialog.FilterIndex(), 2);
}

TEST_F(SaveDialogs, HookStandsInForTheSystemDialog) {
    TSaveDialog dialog(nullptr);
    dialog.SetFileName("baza");
    auto previous = SetSaveDialogHook([](TSaveDialog& d) {
        EXPECT_EQ(d.FileName(), "baza");
        d.SetFileName("C:\\out.csv");
        d.SetFilterIndex(1);
        return true;
    });
    EXPECT_TRUE(dialog.Execute());
    EXPECT_EQ(dialog.FileName(), "C:\\out.csv");
    SetSaveDialogHook(previous);
}

class Clipboard : public ToolkitTest {};

TEST_F(Clipboard, TextRoundTripsAndIsMarkedPrivate) {
    const std::string texts[] = {"", "secret", "Has\xB3o \xBF\xF3\xB3w", std::string(5000, 'x')};
    for (const std::string& t : texts) {
        platform::SetClipboardText(t);
        EXPECT_EQ(platform::GetClipboardText(), t);
    }
    ASSERT_TRUE(OpenClipboard(nullptr));
    for (const char* name : {"CanIncludeInClipboardHistory", "CanUploadToCloudClipboard"}) {
        HANDLE h = GetClipboardData(RegisterClipboardFormatA(name));
        ASSERT_TRUE(h) << name;
        EXPECT_EQ(*static_cast<const DWORD*>(GlobalLock(h)), 0u) << name;
        GlobalUnlock(h);
    }
    EXPECT_TRUE(IsClipboardFormatAvailable(RegisterClipboardFormatA("ExcludeClipboardContentFromMonitorProcessing")));
    CloseClipboard();
}

TEST_F(Clipboard, HeldByAnotherThreadGivesTheClipboardError) {
    platform::SetClipboardText("before");
    HANDLE opened = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::thread holder([&] {
        // Opened for a window of another thread, as another program would.
        HWND window = CreateWindowA("STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        OpenClipboard(window);
        SetEvent(opened);
        WaitForSingleObject(release, 10000);
        CloseClipboard();
        DestroyWindow(window);
    });
    WaitForSingleObject(opened, 10000);
    std::string message;
    try {
        platform::SetClipboardText("after");
    } catch (const EClipboardError& e) {
        message = e.what();
    }
    SetEvent(release);
    holder.join();
    CloseHandle(opened);
    CloseHandle(release);
    EXPECT_EQ(message, "Cannot open clipboard");
    EXPECT_EQ(platform::GetClipboardText(), "before");
}

TEST(Shell, HookSeesTheOpenRequest) {
    std::vector<std::string> seen;
    auto previous = platform::SetShellOpenHook([&](HWND, const std::string& target) { seen.push_back(target); });
    platform::ShellOpen(nullptr, "www.example.com");
    platform::ShellOpen(nullptr, "C:\\velt\\help.chm");
    platform::SetShellOpenHook(previous);
    EXPECT_EQ(seen, (std::vector<std::string>{"www.example.com", "C:\\velt\\help.chm"}));
}

} // namespace
} // namespace velt::test
