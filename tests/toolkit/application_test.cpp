// The error report and the end of the program.
#include "toolkit/application.h"

#include "core/errors.h"
#include "toolkit/button.h"
#include "toolkit_fixture.h"

namespace velt::test {
namespace {

TEST(ErrorReportText, AddsFullStopOnlyAfterCharactersSortingAfterIt) {
    struct Case {
        const char* message;
        const char* shown;
    } cases[] = {
        {"abc", "abc."},
        {"abc.", "abc."},
        {"x!", "x!"},     // '!' sorts before '.'
        {"a)", "a)"},
        {"x/", "x/."},    // '/' is the first character after '.'
        {"", ""},
        {"Cannot open clipboard", "Cannot open clipboard."},
        {"File \"a.pdb\"", "File \"a.pdb\""},  // '"' sorts before '.'
        {"Error 5", "Error 5."},
        {"Zako\xF1" "cz\xB9", "Zako\xF1" "cz\xB9."},  // bytes above 127 count as unsigned
        {"end\r\n", "end\r\n"},
    };
    for (const Case& c : cases) EXPECT_EQ(TApplication::ErrorReportText(c.message), c.shown) << c.message;
}

class ErrorReport : public ToolkitTest {};

TEST_F(ErrorReport, ExceptionInClickHandlerIsReportedAndTheProgramGoesOn) {
    TForm* form = NewForm();
    auto* button = new TButton(form);
    button->SetParent(form);
    int clicks = 0;
    struct Case {
        std::function<void()> raise;
        std::string shown;
    } cases[] = {
        {[] { throw EClipboardError("Cannot open clipboard"); }, "Cannot open clipboard."},
        {[] { throw EFileOpenError("Cannot open file \"x\". Access denied."); }, "Cannot open file \"x\". Access denied."},
        {[] { throw std::runtime_error("plain"); }, "plain."},
        {[] { throw 42; }, "Unknown error."},
    };
    for (const Case& c : cases) {
        boxes_.Clear();
        button->OnClick = [&](TComponent*) {
            ++clicks;
            c.raise();
            ADD_FAILURE() << "the rest of the handler must not run";
        };
        SendMessageA(button->Handle(), BM_CLICK, 0, 0);
        ASSERT_EQ(boxes_.Boxes().size(), 1u) << c.shown;
        const MessageBoxRequest& box = boxes_.Boxes()[0];
        EXPECT_EQ(box.text, c.shown);
        EXPECT_EQ(box.caption, "Velt");
        EXPECT_EQ(box.flags, UINT(MB_OK | MB_ICONERROR));
    }
    EXPECT_EQ(clicks, 4);
    // Still working: the window lives and a plain click runs.
    button->OnClick = [&](TComponent*) { ++clicks; };
    SendMessageA(button->Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(clicks, 5);
    EXPECT_TRUE(IsWindow(form->Handle()));
    EXPECT_FALSE(Application->Terminated());
}

TEST_F(ErrorReport, ExceptionInsideModalFormKeepsItOpen) {
    TForm* form = NewForm();
    auto* ok = new TButton(form);
    ok->SetParent(form);
    ok->SetModalResult(mrOk);
    bool fail = true;
    ok->OnClick = [&](TComponent*) {
        if (fail) throw Exception("Not yet");
    };
    RunLater(20, [&] {
        SendMessageA(ok->Handle(), BM_CLICK, 0, 0);
        EXPECT_TRUE(IsWindowVisible(form->Handle()));
        fail = false;
        SendMessageA(ok->Handle(), BM_CLICK, 0, 0);
    });
    EXPECT_EQ(form->ShowModal(), mrOk);
    ASSERT_EQ(boxes_.Boxes().size(), 1u);
    EXPECT_EQ(boxes_.Boxes()[0].text, "Not yet.");
}

class Termination : public ToolkitTest {};

TEST_F(Termination, TerminateBeforeRunEndsTheLoopWithoutShowingTheMainForm) {
    TForm* form = NewForm();
    bool shown = false;
    form->OnShow = [&](TComponent*) { shown = true; };
    Application->SetMainForm(form);
    Application->Terminate();
    Application->Run();
    Application->SetMainForm(nullptr);
    EXPECT_FALSE(shown);
    EXPECT_FALSE(form->HandleAllocated() && IsWindowVisible(form->Handle()));
    // The quit request is used up: a later loop is not ended by it.
    Application->ClearTerminated();
    MSG msg;
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE));
}

TEST_F(Termination, ClosingTheMainFormEndsRun) {
    TForm* form = NewForm();
    int shows = 0;
    form->OnShow = [&](TComponent*) { ++shows; };
    Application->SetMainForm(form);
    RunLater(20, [&] { PostMessageA(form->Handle(), WM_SYSCOMMAND, SC_CLOSE, 0); });
    Application->Run();
    Application->SetMainForm(nullptr);
    EXPECT_EQ(shows, 1);
    EXPECT_TRUE(Application->Terminated());
    EXPECT_FALSE(IsWindowVisible(form->Handle()));
}

TEST_F(Termination, CloseActionNoneKeepsTheMainFormOpen) {
    TForm* form = NewForm();
    int asked = 0;
    form->OnClose = [&](TComponent*, TCloseAction& action) {
        if (++asked == 1) action = caNone;
    };
    Application->SetMainForm(form);
    RunLater(20, [&] {
        PostMessageA(form->Handle(), WM_CLOSE, 0, 0);
        Pump();
        EXPECT_TRUE(IsWindowVisible(form->Handle()));
        EXPECT_FALSE(Application->Terminated());
        PostMessageA(form->Handle(), WM_CLOSE, 0, 0);
    });
    Application->Run();
    Application->SetMainForm(nullptr);
    EXPECT_EQ(asked, 2);
}

} // namespace
} // namespace velt::test
