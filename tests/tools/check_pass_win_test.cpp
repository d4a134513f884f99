// The strength dialog driven in process: its designed layout, a check run
// by the "Check" button only, its language steps, and what it looks like.
#include "tools/check_pass_win.h"

#include <cstdlib>
#include <memory>

#include "i18n/localisation_win.h"
#include "i18n/translator.h"
#include "tools/locale_numbers_win.h"
#include "support/screen_reader_win.h"
#include "toolkit/toolkit_fixture.h"
#include "tools/number_format.h"

namespace velt::test {
namespace {

struct FixedClock : PerformanceClock {
    std::int64_t frequency = 0;
    std::int64_t Counter() override { return 0; }
    std::int64_t Frequency() override { return frequency; }
};

class CheckPassBoxTest : public ToolkitTest {
protected:
    void SetUp() override {
        ToolkitTest::SetUp();
        localisation_ = std::make_unique<i18n::LocalisationModule>();
    }
    void TearDown() override {
        box_.reset();
        localisation_.reset();
        SetNumberSeparators({});
        ToolkitTest::TearDown();
    }

    // Made and created as start-up makes it; polish_ stands for the tick.
    TCheckPassBox* Create(PerformanceClock* clock = nullptr) {
        box_ = std::make_unique<TCheckPassBox>(nullptr, [this] { return polish_; }, clock);
        box_->DoCreate();
        return box_.get();
    }

    // Shows the dialog modally as the menu command does; `act` runs inside
    // and the dialog is closed after it (the close box).
    void ShowModal(std::function<void(TCheckPassBox&)> act) {
        bool ran = false;
        RunLater(30, [&] {
            ran = true;
            act(*box_);
            box_->Close();
        });
        box_->ShowModal();
        EXPECT_TRUE(ran);
    }

    // A click on "Check" as the mouse makes it.
    void ClickCheck() {
        TSpeedButton* b = box_->SpeedButton1;
        LPARAM at = MAKELPARAM(b->Left() + b->Width() / 2, b->Top() + b->Height() / 2);
        SendMessageA(box_->Handle(), WM_MOUSEMOVE, 0, at);
        SendMessageA(box_->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageA(box_->Handle(), WM_LBUTTONUP, 0, at);
    }

    // Types into the edit box as the keyboard does.
    void Type(const std::string& text) {
        box_->Edit1->SetFocus();
        TypeText(box_->Edit1->Handle(), text);
        Pump();
    }

    bool polish_ = false;
    std::unique_ptr<i18n::LocalisationModule> localisation_;
    std::unique_ptr<TCheckPassBox> box_;
};

TEST_F(CheckPassBoxTest, DesignedLayout) {
    TCheckPassBox* box = Create();
    EXPECT_EQ(box->Caption(), "Check password strength");
    EXPECT_EQ(box->Color(), clBlack);
    EXPECT_EQ(box->Font().Name(), "MS Sans Serif");
    EXPECT_EQ(box->Font().Height(), -11);
    EXPECT_EQ(box->Font().Color(), clWhite);
    EXPECT_EQ(box->BorderStyle(), TFormBorderStyle::bsDialog);
    EXPECT_EQ(box->Position(), TPosition::poScreenCenter);
    EXPECT_FALSE(box->Visible());  // created hidden

    ShowModal([&](TCheckPassBox& b) {
        RECT client;
        GetClientRect(b.Handle(), &client);
        EXPECT_EQ(client.right, 308);
        EXPECT_EQ(client.bottom, 107);
        const LONG style = GetWindowLongA(b.Handle(), GWL_STYLE);
        EXPECT_FALSE(style & WS_THICKFRAME);
        EXPECT_TRUE(style & WS_SYSMENU);
        RECT window;
        GetWindowRect(b.Handle(), &window);
        EXPECT_NEAR((window.left + window.right) / 2, GetSystemMetrics(SM_CXSCREEN) / 2, 1);
        EXPECT_NEAR((window.top + window.bottom) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 1);

        struct Place {
            TControl* control;
            TWinControl* parent;
            int left, top, width, height;
            const char* text;
        };
        // Labels size themselves; in the designed font they come out at the
        // designed widths (Label5 was left wider in the design).
        const Place places[] = {
            {b.Label1, &b, 16, 12, 73, 13, "Enter password"},
            {b.Edit1, &b, 96, 8, 121, 21, ""},
            {b.SpeedButton1, &b, 232, 8, 65, 24, "Check"},
            {b.GroupBox1, &b, 8, 40, 289, 57, "Result"},
            {b.Label2, b.GroupBox1, 16, 16, 66, 13, "Combinations:"},
            {b.Label3, b.GroupBox1, 16, 32, 127, 13, "Cracking time (brute force):"},
            {b.Label4, b.GroupBox1, 152, 16, 6, 13, "0"},
            {b.Label5, b.GroupBox1, 152, 32, 6, 13, "0"},
        };
        for (const Place& p : places) {
            SCOPED_TRACE(p.control->Name());
            EXPECT_EQ(p.control->Parent(), p.parent);
            EXPECT_EQ(p.control->Left(), p.left);
            EXPECT_EQ(p.control->Top(), p.top);
            EXPECT_EQ(p.control->Width(), p.width);
            EXPECT_EQ(p.control->Height(), p.height);
            EXPECT_EQ(p.control->Caption(), p.text);
            if (auto* label = dynamic_cast<TLabel*>(p.control)) EXPECT_TRUE(label->AutoSize());
        }
        EXPECT_TRUE(b.SpeedButton1->Flat());
        EXPECT_EQ(b.Edit1->TabOrder(), 0);
        EXPECT_EQ(b.GroupBox1->TabOrder(), 1);
        EXPECT_EQ(b.Edit1->Font().Name(), "MS Sans Serif");
        EXPECT_EQ(b.Edit1->Font().Height(), -11);
        EXPECT_EQ(b.Edit1->Font().Color(), clBlack);
        EXPECT_EQ(b.Edit1->PasswordChar(), '\0');
        EXPECT_EQ(b.Edit1->MaxLength(), 0);
        EXPECT_TRUE(b.Edit1->Focused());
    });
}

TEST_F(CheckPassBoxTest, OnlyCheckRunsTheEstimate) {
    Create();
    struct Case {
        const char* text;
        const char* combinations;
    };
    const Case cases[] = {
        {"abc", "1.8E+004"}, {"", "1.0E+000"}, {"aBc", "1.4E+005"}, {"a1C", "2.4E+005"}, {"1234", "1.0E+004"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        ShowModal([&](TCheckPassBox& b) {
            b.Edit1->SetText("");
            Type(c.text);
            EXPECT_EQ(b.Edit1->Text(), c.text);
            // Typing and Enter change nothing; the last results stay.
            std::string before4 = b.Label4->Caption(), before5 = b.Label5->Caption();
            PressKey(b.Edit1->Handle(), VK_RETURN);
            Pump();
            EXPECT_EQ(b.Label4->Caption(), before4);
            EXPECT_EQ(b.Label5->Caption(), before5);
            ClickCheck();
            EXPECT_EQ(b.Label4->Caption(), c.combinations);
            // The probe takes a tiny fraction of a second here.
            EXPECT_EQ(b.Label5->Caption(), "0.00 seconds");
        });
    }
    // Showing again keeps the text and the results.
    ShowModal([&](TCheckPassBox& b) {
        EXPECT_EQ(b.Edit1->Text(), "1234");
        EXPECT_EQ(b.Label4->Caption(), "1.0E+004");
    });
}

// Read from a second process: the box is named by its label and keeps the
// password to itself; a reader's default action on "Check" runs the check.
TEST_F(CheckPassBoxTest, ReaderHearsNoPasswordAndCanPressCheck) {
    Create();
    ShowModal([&](TCheckPassBox& b) {
        b.Edit1->SetText("abc");
        const std::string reader = "\"" + Beside("msaa_reader.exe") + "\" secret abc tree " + Hex(b.Handle()) +
                                   " do " + Hex(b.Handle()) + " 3 pump 200";
        std::string heard;
        for (const std::string& line : RunPumping(reader)) heard += line + "\n";
        for (const char* part : {"text \"Enter password\" value=denied [focused,protected]",
                                 "button \"Check\" action=\"Press\"", "group \"Result\"", "done"})
            EXPECT_NE(heard.find(part), std::string::npos) << part << "\n" << heard;
        EXPECT_EQ(heard.find("LEAK"), std::string::npos) << heard;
        Pump();
        EXPECT_EQ(b.Label4->Caption(), "1.8E+004");
    });
}

TEST_F(CheckPassBoxTest, NoClockAndHugePasswords) {
    FixedClock clock;
    Create(&clock);
    ShowModal([&](TCheckPassBox& b) {
        b.Edit1->SetText("abc");
        ClickCheck();
        EXPECT_EQ(b.Label4->Caption(), "1.8E+004");
        EXPECT_EQ(b.Label5->Caption(), "No system clock");

        // Far beyond the floating-point range; nothing cut off on the way.
        clock.frequency = 10000000;
        b.Edit1->SetText(std::string(9999, 'a') + "!");
        EXPECT_EQ(b.Edit1->Text().size(), 10000u);
        ClickCheck();
        EXPECT_EQ(b.Label4->Caption(), "Too large to compute");
        EXPECT_EQ(b.Label5->Caption(), "Too large to compute");
        EXPECT_LE(b.Label5->Left() + b.Label5->Width(), b.GroupBox1->ClientWidth());
    });
}

TEST_F(CheckPassBoxTest, RealClockAnswersForTenThousandCharacters) {
    Create();
    ShowModal([&](TCheckPassBox& b) {
        b.Edit1->SetText(std::string(10000, 'Q'));
        ClickCheck();
        EXPECT_EQ(b.Label4->Caption(), "Too large to compute");
        EXPECT_EQ(b.Label5->Caption(), "Too large to compute");
    });
}

// Counts the pixels of a rectangle that are (near) white.
int WhitePixels(const Capture& shot, RECT r) {
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) {
            COLORREF c = shot.At(x, y);
            n += GetRValue(c) > 200 && GetGValue(c) > 200 && GetBValue(c) > 200;
        }
    return n;
}

RECT Bounds(TControl* c, int dx = 0, int dy = 0) {
    return RECT{c->Left() + dx, c->Top() + dy, c->Left() + dx + c->Width(), c->Top() + dy + c->Height()};
}

// Looks for white-on-black text, a white edit box and the group's frame.
// VELT_CHECKPASS_SHOT=folder keeps pictures (checkpass-en.bmp, -pl.bmp).
void LooksRight(TCheckPassBox& b, const char* shotName) {
    b.Repaint();
    Pump();
    Capture shot = CaptureClient(b.Handle());
    if (const char* dir = std::getenv("VELT_CHECKPASS_SHOT")) {
        EXPECT_TRUE(shot.SaveBmp(std::string(dir) + "\\" + shotName));
    }
    EXPECT_EQ(shot.At(2, 2), RGB(0, 0, 0));
    EXPECT_EQ(shot.At(300, 100), RGB(0, 0, 0));
    const int gx = b.GroupBox1->Left(), gy = b.GroupBox1->Top();
    for (TControl* label : {static_cast<TControl*>(b.Label1)}) EXPECT_GT(WhitePixels(shot, Bounds(label)), 20);
    for (TControl* label : {b.Label2, b.Label3, b.Label4, b.Label5})
        EXPECT_GT(WhitePixels(shot, Bounds(label, gx, gy)), 5) << label->Name();
    EXPECT_GT(WhitePixels(shot, Bounds(b.SpeedButton1)), 20);  // the caption
    // Inside the edit box: white.
    EXPECT_EQ(shot.At(b.Edit1->Left() + b.Edit1->Width() - 6, b.Edit1->Top() + 10), RGB(255, 255, 255));
    // The frame: the group's left edge differs from the black around it.
    int frame = 0;
    for (int y = gy + 12; y < gy + b.GroupBox1->Height() - 2; ++y) frame += shot.At(gx, y) != RGB(0, 0, 0);
    EXPECT_GT(frame, 30);
}

using CheckPassBoxPlLocale = CheckPassBoxTest;

TEST_F(CheckPassBoxPlLocale, FollowsTheTickAndTheLocaleSeparators) {
    InstallUserNumberSeparators();
    Create();
    EXPECT_EQ(i18n::CurrentLanguage(), "en");
    ShowModal([&](TCheckPassBox& b) {
        EXPECT_EQ(b.SpeedButton1->Caption(), "Check");
        b.Edit1->SetText("abc");
        ClickCheck();
        EXPECT_EQ(b.Label4->Caption(), "1,8E+004");
        EXPECT_EQ(b.Label5->Caption(), "0,00 seconds");
        LooksRight(b, "checkpass-en.bmp");
    });

    // The menu switched to Polish: the next showing is Polish, the results
    // back at "0", the typed text kept.
    polish_ = true;
    ShowModal([&](TCheckPassBox& b) {
        EXPECT_EQ(i18n::CurrentLanguage(), "pl");
        EXPECT_EQ(b.Caption(), "Sprawd\x9F si\xB3\xEA has\xB3" "a");
        EXPECT_EQ(b.Label1->Caption(), "Wpisz has\xB3o");
        EXPECT_EQ(b.SpeedButton1->Caption(), "Sprawd\x9F");
        EXPECT_EQ(b.GroupBox1->Caption(), "Wynik");
        EXPECT_EQ(b.Label2->Caption(), "Kombinacji:");
        EXPECT_EQ(b.Label3->Caption(), "Czas \xB3" "amania (brute force):");
        EXPECT_EQ(b.Label4->Caption(), "0");
        EXPECT_EQ(b.Label5->Caption(), "0");
        EXPECT_EQ(b.Edit1->Text(), "abc");
        ClickCheck();
        EXPECT_EQ(b.Label4->Caption(), "1,8E+004");
        EXPECT_EQ(b.Label5->Caption().substr(0, 5), "0,00 ");
        LooksRight(b, "checkpass-pl.bmp");
    });
    // No switch: the results stay.
    ShowModal([&](TCheckPassBox& b) { EXPECT_EQ(b.Label4->Caption(), "1,8E+004"); });

    polish_ = false;
    ShowModal([&](TCheckPassBox& b) {
        EXPECT_EQ(i18n::CurrentLanguage(), "en");
        EXPECT_EQ(b.Caption(), "Check password strength");
        EXPECT_EQ(b.Label2->Caption(), "Combinations:");
        EXPECT_EQ(b.Label4->Caption(), "0");
    });
}

} // namespace
} // namespace velt::test
