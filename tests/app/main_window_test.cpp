// The main window's layout, menu and grid gestures, on the real window.
#include "app/main_window_fixture.h"

#include "app/grid_driver.h"
#include "platform/shell.h"
#include "toolkit/dialogs.h"
#include "vault/entry_items.h"

namespace velt::test {
namespace {

using MainWindow = MainWindowTest;

TEST_F(MainWindow, DesignedLayoutAndTheFirstResize) {
    TForm1* form = Open({true, "secret"});
    EXPECT_EQ(form->Caption(), "Velt 0.2");
    EXPECT_EQ(form->ClientWidth(), 611);
    EXPECT_EQ(form->ClientHeight(), 405);
    EXPECT_EQ(form->Font().Name(), "Tahoma");
    EXPECT_EQ(form->Font().Height(), -13);
    EXPECT_EQ(form->Font().Charset(), EASTEUROPE_CHARSET);
    EXPECT_EQ(form->Color(), clBlack);
    const LONG style = GetWindowLongA(form->Handle(), GWL_STYLE);
    EXPECT_FALSE(style & WS_THICKFRAME);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_TRUE(style & WS_MAXIMIZEBOX);

    struct Box {
        TControl* control;
        int left, top, width, height;
    };
    const Box boxes[] = {
        {form->Image1, 218, 0, 393, 400},
        {form->SpeedButton1, 240, 373, 65, 24},
        {form->Image2, 388, 0, 223, 58},
        {form->Bevel1, 8, 64, 595, 301},
        {form->StringGrid1, 16, 72, 579, 285},
        {form->Edit1, 8, 373, 225, 24},
        {form->StringGridEdit, 216, 16, 121, 24},
    };
    for (const Box& b : boxes) {
        SCOPED_TRACE(b.control->Name());
        EXPECT_EQ(b.control->Left(), b.left);
        EXPECT_EQ(b.control->Top(), b.top);
        EXPECT_EQ(b.control->Width(), b.width);
        EXPECT_EQ(b.control->Height(), b.height);
    }
    const int widths[] = {32, 103, 103, 103, 103, 103};
    for (int c = 0; c < 6; ++c) EXPECT_EQ(form->StringGrid1->ColWidths(c), widths[c]) << c;
    EXPECT_FALSE(form->StringGridEdit->Visible());
    EXPECT_EQ(form->StringGrid1->Cells(0, 0), "#");
    EXPECT_EQ(form->StringGrid1->Cells(1, 0), "Name");
    EXPECT_EQ(form->StringGrid1->Cells(5, 0), "Description");
}

TEST_F(MainWindow, MaximiseAndRestoreRecomputeTheColumns) {
    TForm1* form = Open({true, "secret"});
    form->StringGrid1->SetColWidths(2, 200);
    ShowWindow(form->Handle(), SW_MAXIMIZE);
    Pump();
    const int gridWidth = form->ClientWidth() - 32;
    EXPECT_EQ(form->StringGrid1->Width(), gridWidth);
    EXPECT_EQ(form->StringGrid1->ColWidths(2), (gridWidth - 62) / 5);
    EXPECT_EQ(form->Image1->Left(), form->ClientWidth() - 393);
    ShowWindow(form->Handle(), SW_RESTORE);
    Pump();
    EXPECT_EQ(form->StringGrid1->ColWidths(2), 103);
    EXPECT_EQ(form->StringGrid1->ColWidths(0), 32);
}

TEST_F(MainWindow, MenuItemsCaptionsAndShortcuts) {
    TForm1* form = Open({true, "secret"});
    struct Item {
        TMenuItem* item;
        const char* caption;
        const char* shortCut;
    };
    const Item items[] = {
        {form->Plik1, "File", ""},
        {form->Wczytaj1, "Open/ Reopen", "Ctrl+R"},
        {form->Zapisz1, "Save", "Ctrl+S"},
        {form->Eksportuj1, "Export", ""},
        {form->Importuj1, "Import\x85", "Ctrl+I"},
        {form->N2, "-", ""},
        {form->Zmiehaso1, "Change password", "Ctrl+Z"},
        {form->Skasujbaz1, "Clear database", ""},
        {form->Silneszyfrowanie1, "Strong encryption", ""},
        {form->Zablokuj1, "Lock", "Ctrl+L"},
        {form->N1, "-", ""},
        {form->Wyjd1, "Exit", "Ctrl+W"},
        {form->Dodatkowe1, "Additional", ""},
        {form->Generujhaso1, "Generate password", "Ctrl+H"},
        {form->Generujprostszehaso1, "Generate simple password", "Ctrl+P"},
        {form->Generujhasonumeryczne1, "Generate numerical password", "Ctrl+N"},
        {form->Checkpasswordstrength1, "Check password strength", "Ctrl+U"},
        {form->Copylogin1, "Copy login", "Ctrl+B"},
        {form->Typeloginandpassword1, "Type login and password", "Ctrl+T"},
        {form->Onetimecode1, "One-time code\x85", ""},
        {form->Copyonetimecode1, "Copy one-time code", "Shift+Ctrl+T"},
        {form->Typepasswordcharacters1, "Type password characters\x85", ""},
        {form->Passwordhealth1, "Password health\x85", ""},
        {form->Passwordhistory1, "Password history\x85", ""},
        {form->N3, "-", ""},
        {form->Ustawienia1, "Settings\x85", ""},
        {form->Language1, "Language", ""},
        {form->Polski1, "Polski", ""},
        {form->English1, "English", ""},
        {form->Pomoc1, "About", ""},
        {form->Nowawersja1, "Is there a new version?", ""},
        {form->Pomoc2, "Help", "F1"},
    };
    for (const Item& i : items) {
        SCOPED_TRACE(i.caption);
        EXPECT_EQ(i.item->Caption(), i.caption);
        EXPECT_EQ(ShortCutToText(i.item->ShortCut()), i.shortCut);
    }
    EXPECT_EQ(form->Plik1->Count(), 11);
    // Import follows Export; the other new ones follow "Clear database".
    EXPECT_EQ(form->Plik1->Items(3), form->Importuj1);
    EXPECT_EQ(form->Plik1->Items(7), form->Silneszyfrowanie1);
    EXPECT_EQ(form->Plik1->Items(8), form->Zablokuj1);
    EXPECT_EQ(form->Plik1->Items(9), form->N1);
    EXPECT_EQ(form->Dodatkowe1->Count(), 13);
    EXPECT_EQ(form->Dodatkowe1->Items(4), form->Copylogin1);
    EXPECT_EQ(form->Dodatkowe1->Items(5), form->Typeloginandpassword1);
    EXPECT_EQ(form->Dodatkowe1->Items(6), form->Onetimecode1);
    EXPECT_EQ(form->Dodatkowe1->Items(7), form->Copyonetimecode1);
    EXPECT_EQ(form->Dodatkowe1->Items(8), form->Typepasswordcharacters1);
    EXPECT_EQ(form->Dodatkowe1->Items(9), form->Passwordhealth1);
    EXPECT_EQ(form->Dodatkowe1->Items(10), form->Passwordhistory1);
    EXPECT_EQ(form->Dodatkowe1->Items(12), form->Ustawienia1);
    EXPECT_EQ(form->Language1->Count(), 2);
    EXPECT_EQ(form->Pomoc1->Count(), 2);
    EXPECT_EQ(form->MainMenu1->Items()->Count(), 4);
    EXPECT_EQ(GetMenuItemCount(GetMenu(form->Handle())), 4);
}

TEST_F(MainWindow, ShortcutsReachTheirCommands) {
    TForm1* form = Open({true, "secret"});
    boxes_.QueueAnswer(IDYES);
    PressKey(form->StringGrid1->Handle(), 'S', true);  // Ctrl+S: Save
    EXPECT_EQ(GetFileAttributesA(VaultPath().c_str()) != INVALID_FILE_ATTRIBUTES, true);
    PressKey(form->StringGrid1->Handle(), 'W', true);  // Ctrl+W: Exit
    EXPECT_FALSE(form->Visible());
}

TEST_F(MainWindow, GeneratorCommandsShowTheirPasswords) {
    TForm1* form = Open({true, "secret"});
    struct Case {
        void (TForm1::*handler)(TComponent*);
        const char* title;
        const char* alphabet;
    };
    const Case cases[] = {
        {&TForm1::Generujhaso1Click, "Generated password",
         "qwertyuiopasdfghjklzxcvbnmQWERTYUIOPASDFGHJKLZXCVBNM1234567890"},
        {&TForm1::Generujprostszehaso1Click, "Easy-to-remember password", "wrtpsdfghklzcbnmeyuioa"},
        {&TForm1::Generujhasonumeryczne1Click, "Numerical password", "0123456789"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        std::string shown;
        RunLater(40, [&] {
            auto* dialog = dynamic_cast<TForm*>(TWinControl::FromHandle(FindWindowA(kFormClass, c.title)));
            ASSERT_NE(dialog, nullptr);
            for (int i = 0; i < dialog->ControlCount(); ++i)
                if (auto* e = dynamic_cast<TEdit*>(dialog->Controls(i))) shown = e->Text();
            dialog->Close();
        });
        (form->*c.handler)(form);
        ASSERT_EQ(shown.size(), 20u);
        EXPECT_EQ(shown.find_first_not_of(c.alphabet), std::string::npos) << shown;
    }
    EXPECT_FALSE(form->Modified);
    EXPECT_EQ(form->StringGrid1->RowCount(), 2);  // the table is not touched
}

// Records shell opens instead of starting programs.
struct ShellRecorder {
    ShellRecorder() {
        previous = platform::SetShellOpenHook([this](HWND owner, const std::string& target) {
            opened.push_back(target);
            owners.push_back(owner);
        });
    }
    ~ShellRecorder() { platform::SetShellOpenHook(previous); }
    std::vector<std::string> opened;
    std::vector<HWND> owners;
    platform::ShellOpenHook previous;
};

TEST_F(MainWindow, ShellOpensTheSiteTheHelpAndAddressesAsTheyStand) {
    WriteVaultFile("secret", {{"Mail", "mail.example.org/inbox", "", "", ""}, {"Empty", "", "", "", ""}});
    TForm1* form = Open({true, "secret"});
    ShellRecorder shell;
    form->Image2Click(form->Image2);
    form->Nowawersja1Click(form->Nowawersja1);
    form->Pomoc2Click(form->Pomoc2);
    GridDriver grid(form->StringGrid1);
    grid.Press(2, 1, TMouseButton::mbLeft);
    grid.Press(2, 2, TMouseButton::mbLeft);   // empty: nothing
    grid.Press(2, 1, TMouseButton::mbRight);  // the editor, no open
    grid.Press(1, 1, TMouseButton::mbLeft);
    EXPECT_EQ(shell.opened, (std::vector<std::string>{"https://velt.example.org/", "https://velt.example.org/",
                                                      dir_ + "help.chm", "mail.example.org/inbox"}));
    for (HWND owner : shell.owners) EXPECT_EQ(owner, form->Handle());
    EXPECT_EQ(form->Image2->Hint(), "Visit us!");
    EXPECT_TRUE(form->Image2->ShowHint());
    EXPECT_EQ(form->Image2->Cursor(), TCursor::crHandPoint);
}

TEST_F(MainWindow, ExportWritesTheChosenFormat) {
    WriteVaultFile("secret", {{"Mail", "", "jdoe", "pw", ""}});
    TForm1* form = Open({true, "secret"});
    EXPECT_EQ(form->SaveDialog1->FileName(), "baza");
    EXPECT_EQ(form->SaveDialog1->Filter(),
              "CSV- Comma Separated Values|*.csv|HTML- Hyper Text Mark-up Language|*.htm");
    EXPECT_EQ(form->SaveDialog1->Options(), unsigned(ofOverwritePrompt | ofHideReadOnly | ofEnableSizing));
    struct Case {
        int filterIndex;
        bool accept;
        const char* written;  // null: nothing
    };
    const Case cases[] = {{1, true, "out.csv"}, {2, true, "out.htm"}, {1, false, nullptr}, {3, true, nullptr}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.filterIndex);
        DeleteFileA((dir_ + "out.csv").c_str());
        DeleteFileA((dir_ + "out.htm").c_str());
        SaveDialogHook previous = SetSaveDialogHook([&](TSaveDialog& d) {
            d.SetFileName(dir_ + "out");
            d.SetFilterIndex(c.filterIndex);
            return c.accept;
        });
        form->Eksportuj1Click(form->Eksportuj1);
        SetSaveDialogHook(previous);
        for (const char* name : {"out.csv", "out.htm"}) {
            bool exists = GetFileAttributesA((dir_ + name).c_str()) != INVALID_FILE_ATTRIBUTES;
            EXPECT_EQ(exists, c.written && std::string(c.written) == name) << name;
        }
    }
    DeleteFileA((dir_ + "out.csv").c_str());
    DeleteFileA((dir_ + "out.htm").c_str());
    EXPECT_FALSE(form->Modified);
}

TEST_F(MainWindow, PressOnATitleBorderResizesWithoutSortingOrTouchingTheEditor) {
    WriteVaultFile("secret", {{"b", "", "", "", ""}, {"a", "", "", "", ""}});
    TForm1* form = Open({true, "secret"});
    GridDriver grid(form->StringGrid1);
    grid.Press(5, 1, TMouseButton::mbRight);
    ASSERT_TRUE(form->StringGridEdit->Visible());
    RECT title = form->StringGrid1->CellRect(1, 0);
    grid.PressAt(title.right, (title.top + title.bottom) / 2, TMouseButton::mbLeft);
    EXPECT_EQ(form->StringGrid1->Cells(1, 1), "b");  // not sorted
    EXPECT_TRUE(form->StringGridEdit->Visible());
    EXPECT_EQ(form->StringGridEdit->EditRow, 1);
    // Outside the cells nothing happens either.
    grid.PressAt(form->StringGrid1->ClientWidth() - 3, form->StringGrid1->ClientHeight() - 3,
                 TMouseButton::mbRight);
    EXPECT_EQ(form->StringGridEdit->EditCol, 5);
}

// Pixels of a window's client area as the screen shows them.
struct Capture {
    explicit Capture(HWND window) {
        RECT r;
        GetClientRect(window, &r);
        width = r.right;
        height = r.bottom;
        HDC dc = GetDC(window);
        HDC mem = CreateCompatibleDC(dc);
        HBITMAP bmp = CreateCompatibleBitmap(dc, width, height);
        HGDIOBJ old = SelectObject(mem, bmp);
        BitBlt(mem, 0, 0, width, height, dc, 0, 0, SRCCOPY);
        pixels.resize(static_cast<size_t>(width) * height);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) pixels[static_cast<size_t>(y) * width + x] = GetPixel(mem, x, y);
        SelectObject(mem, old);
        DeleteObject(bmp);
        DeleteDC(mem);
        ReleaseDC(window, dc);
    }
    int Count(const RECT& r, COLORREF colour) const {
        return CountIf(r, [colour](COLORREF c) { return c == colour; });
    }
    // Font smoothing mixes the text colour into the background.
    int CountReddish(const RECT& r) const {
        return CountIf(r, [](COLORREF c) { return GetRValue(c) > 160 && GetGValue(c) < 96 && GetBValue(c) < 96; });
    }
    template <class Pred>
    int CountIf(const RECT& r, Pred pred) const {
        int n = 0;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x)
                if (pred(pixels[static_cast<size_t>(y) * width + x])) ++n;
        return n;
    }
    int width, height;
    std::vector<COLORREF> pixels;
};

std::string ClipboardText() {
    std::string text;
    if (!OpenClipboard(nullptr)) return "<cannot open>";
    if (HANDLE h = GetClipboardData(CF_TEXT)) {
        if (auto* p = static_cast<const char*>(GlobalLock(h))) {
            text = p;
            GlobalUnlock(h);
        }
    }
    CloseClipboard();
    return text;
}

TEST_F(MainWindow, AsterisksAreRedAndTheClipboardGetsThePlainPassword) {
    WriteVaultFile("secret", {{"Mail", "", "", "hunter2hunt", ""}, {"Empty", "", "", "", ""}});
    TForm1* form = Open({true, "secret", true});
    ASSERT_TRUE(form->AsteriskPasswords);
    form->StringGrid1->Repaint();
    Capture shot(form->StringGrid1->Handle());
    const COLORREF white = RGB(255, 255, 255);
    EXPECT_GT(shot.CountReddish(form->StringGrid1->CellRect(4, 1)), 20);
    EXPECT_EQ(shot.Count(form->StringGrid1->CellRect(4, 1), white), 0);  // the password is erased
    EXPECT_EQ(shot.CountReddish(form->StringGrid1->CellRect(4, 2)), 0);    // empty: nothing
    EXPECT_EQ(shot.CountReddish(form->StringGrid1->CellRect(4, 0)), 0);    // the title stays
    EXPECT_GT(shot.Count(form->StringGrid1->CellRect(4, 0), white), 0);
    EXPECT_GT(shot.Count(form->StringGrid1->CellRect(1, 1), white), 0);

    GridDriver grid(form->StringGrid1);
    grid.Press(4, 1, TMouseButton::mbLeft);
    EXPECT_EQ(ClipboardText(), "hunter2hunt");
    // Kept out of clipboard history and cloud sync.
    EXPECT_TRUE(IsClipboardFormatAvailable(RegisterClipboardFormatA("ExcludeClipboardContentFromMonitorProcessing")));
    EXPECT_TRUE(IsClipboardFormatAvailable(RegisterClipboardFormatA("CanIncludeInClipboardHistory")));
    EXPECT_TRUE(IsClipboardFormatAvailable(RegisterClipboardFormatA("CanUploadToCloudClipboard")));

    // The editor masks the Password column only.
    grid.Press(4, 1, TMouseButton::mbRight);
    EXPECT_EQ(form->StringGridEdit->PasswordChar(), '*');
    EXPECT_EQ(form->StringGridEdit->Text(), "hunter2hunt");
    grid.Press(1, 1, TMouseButton::mbRight);
    EXPECT_EQ(form->StringGridEdit->PasswordChar(), '\0');
}

// Ctrl+Shift+T copies the entry's code at the clock's time, the next one when
// fewer than five seconds are left; an entry without one says so.
TEST_F(MainWindow, CopyOneTimeCodeAtAFixedTime) {
    struct FixedClock : Clock {
        std::int64_t now = 0;
        std::int64_t UnixNow() override { return now; }
    } clock;
    TForm1::SetOneTimeClockForTests(&clock);
    WriteVaultFile("secret", {{"Mail", "", "", "pw", ""}, {"Shop", "", "", "pw2", ""}});
    TForm1* form = Open({true, "secret"});
    SetOneTimeCode(form->StringGrid1->Store(), 1, "otpauth://totp/Mail?secret=JBSWY3DPEHPK3PXP");
    const std::pair<std::int64_t, const char*> cases[] = {{1700000000, "324550"}, {1700000006, "367665"}};
    for (const auto& [time, code] : cases) {
        clock.now = time;
        form->StringGrid1->SetSelection(TGridRect{1, 1, 1, 1});
        PressKey(form->StringGrid1->Handle(), 'T', true, true);
        EXPECT_EQ(ClipboardText(), code) << time;
    }
    form->StringGrid1->SetSelection(TGridRect{1, 2, 1, 2});
    form->Copyonetimecode1Click(form);
    ASSERT_EQ(boxes_.Boxes().size(), 1u);
    EXPECT_EQ(boxes_.Boxes()[0].text, "The selected entry has no one-time code.");
    TForm1::SetOneTimeClockForTests(nullptr);
    Close(form);
}

TEST_F(MainWindow, ChangePasswordCanTurnTheMaskOffAtOnce) {
    WriteVaultFile("secret", {{"Mail", "", "", "hunter2hunt", ""}});
    TForm1* form = Open({true, "secret", true});
    AnswerPrompt({true, "secret", false});
    form->Zmiehaso1Click(form);
    EXPECT_FALSE(form->AsteriskPasswords);
    form->StringGrid1->Update();
    Capture shot(form->StringGrid1->Handle());
    EXPECT_EQ(shot.CountReddish(form->StringGrid1->CellRect(4, 1)), 0);
    EXPECT_GT(shot.Count(form->StringGrid1->CellRect(4, 1), RGB(255, 255, 255)), 0);  // shown in clear
}

TEST_F(MainWindow, InPlaceEditorFollowsTheGestures) {
    WriteVaultFile("secret", {{"A", "", "", "", ""}, {"B", "", "", "", ""}});
    TForm1* form = Open({true, "secret"});
    GridDriver grid(form->StringGrid1);
    TCellEdit* editor = form->StringGridEdit;

    // The number column and the titles never open it.
    grid.Press(0, 1, TMouseButton::mbRight);
    EXPECT_FALSE(editor->Visible());
    EXPECT_FALSE(form->Modified);

    grid.Press(1, 1, TMouseButton::mbRight);
    ASSERT_TRUE(editor->Visible());
    EXPECT_EQ(editor->EditCol, 1);
    EXPECT_EQ(editor->EditRow, 1);
    RECT cell = form->StringGrid1->CellRect(1, 1);
    EXPECT_EQ(editor->Left(), cell.left + form->StringGrid1->Left());
    EXPECT_EQ(editor->Top(), cell.top + form->StringGrid1->Top());
    EXPECT_EQ(editor->Width(), cell.right - cell.left);
    EXPECT_EQ(editor->Height(), 24);
    EXPECT_TRUE(editor->Focused());
    EXPECT_TRUE(form->Modified);  // "A" differs from the empty editor

    // Another right click writes the first cell and moves on.
    editor->SetText("A2");
    grid.Press(1, 2, TMouseButton::mbRight);
    EXPECT_EQ(form->StringGrid1->Cells(1, 1), "A2");
    EXPECT_EQ(editor->EditRow, 2);

    // A title press drops the typed text and sorts.
    editor->SetText("dropped");
    grid.Press(1, 0, TMouseButton::mbRight);
    EXPECT_FALSE(editor->Visible());
    EXPECT_EQ(editor->EditCol, 0);
    EXPECT_EQ(form->StringGrid1->Cells(1, 1), "A2");
    EXPECT_EQ(form->StringGrid1->Cells(1, 2), "B");

    // The grid's click commits.
    grid.Press(5, 2, TMouseButton::mbRight);
    editor->SetText("note");
    grid.Press(3, 1, TMouseButton::mbLeft);
    EXPECT_EQ(form->StringGrid1->Cells(5, 2), "note");
    EXPECT_FALSE(editor->Visible());
    // A closed editor keeps no text for other programs to read, and its
    // emptying is no edit.
    grid.Press(4, 2, TMouseButton::mbRight);
    editor->SetText("typed secret");
    form->Modified = false;
    SendMessageA(editor->Handle(), WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_EQ(SendMessageW(editor->Handle(), WM_GETTEXTLENGTH, 0, 0), 0);
    EXPECT_EQ(form->StringGrid1->Cells(4, 2), "");
    EXPECT_FALSE(form->Modified);
}

TEST_F(MainWindow, TypedTextReachesTheCell) {
    TForm1* form = Open({true, "secret"});
    GridDriver grid(form->StringGrid1);
    // The release of the opening press goes to the grid, never to the editor
    // now under the pointer (whose context menu would eat the typing).
    POINT p = grid.Centre(1, 1);
    SendMessageA(form->StringGrid1->Handle(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(p.x, p.y));
    EXPECT_EQ(GetCapture(), form->StringGrid1->Handle());
    SendMessageA(form->StringGrid1->Handle(), WM_RBUTTONUP, 0, MAKELPARAM(p.x, p.y));
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_TRUE(form->StringGridEdit->Focused());
    TypeText(form->StringGridEdit->Handle(), "abc");
    Pump();
    EXPECT_EQ(form->StringGridEdit->Text(), "abc");
    grid.Press(2, 1, TMouseButton::mbLeft);
    EXPECT_EQ(form->StringGrid1->Cells(1, 1), "abc");
}

TEST_F(MainWindow, TabAddsARowOnlyFromTheLastCell) {
    struct Case {
        const char* name;
        int col, row;
        bool shift;
        int rows;
    };
    const Case cases[] = {
        {"Tab in the last cell", 5, 2, false, 4},
        {"Shift+Tab in the last cell", 5, 2, true, 4},
        {"Tab in the last column of another row", 5, 1, false, 3},
        {"Tab elsewhere in the last row", 4, 2, false, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteVaultFile("secret", {{"a", "", "", "", ""}, {"b", "", "", "", ""}});
        TForm1* form = Open({true, "secret"});
        GridDriver grid(form->StringGrid1);
        grid.Select(c.col, c.row);
        grid.Key(VK_TAB, c.shift);
        EXPECT_EQ(form->StringGrid1->RowCount(), c.rows);
        if (c.rows == 4) {
            EXPECT_EQ(form->StringGrid1->Cells(0, 3), "3");
            EXPECT_EQ(form->StringGrid1->Row(), c.shift ? 2 : 3);
        }
        EXPECT_FALSE(form->Modified);
        form->Hide();
    }
}

// The grid keeps Tab for its cells; Ctrl+Tab leaves it, so it traps no one.
TEST_F(MainWindow, TabOrderIsSearchBoxThenGridAndCtrlTabLeavesTheGrid) {
    WriteVaultFile("secret", {{"a", "", "", "", ""}, {"b", "", "", "", ""}});
    TForm1* form = Open({true, "secret"});
    TWinControl* search = form->Edit1;
    TWinControl* grid = form->StringGrid1;
    const struct {
        TWinControl* from;
        bool ctrl, shift;
        TWinControl* to;
    } cases[] = {
        {search, false, false, grid}, {search, false, true, grid}, {grid, true, false, search},
        {grid, true, true, search},   {grid, false, false, grid},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.from == grid ? "from the grid" : "from the search box");
        c.from->SetFocus();
        PressKey(GetFocus(), VK_TAB, c.ctrl, c.shift);
        EXPECT_EQ(GetFocus(), c.to->Handle()) << c.ctrl << c.shift;
    }
}

TEST_F(MainWindow, HoverShowsTheHandAndTheHintOverAddressesOnly) {
    WriteVaultFile("secret", {{"Mail", "", "", "", ""}});
    TForm1* form = Open({true, "secret"});
    GridDriver grid(form->StringGrid1);
    struct Case {
        int col, row;
        bool hand;
    };
    const Case cases[] = {{2, 0, false}, {2, 1, true}, {1, 1, false}, {4, 1, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.col << "," << c.row);
        grid.Move(c.col, c.row);
        EXPECT_EQ(form->StringGrid1->Cursor(), c.hand ? TCursor::crHandPoint : TCursor::crDefault);
        EXPECT_EQ(form->StringGrid1->ShowHint(), c.hand);
    }
    EXPECT_EQ(form->StringGrid1->Hint(), "Click to open the address");
}

TEST_F(MainWindow, SearchSelectsTheFirstCellOrSaysNotFound) {
    Rows rows;
    for (int i = 1; i <= 40; ++i) rows.push_back({"Entry " + std::to_string(i), "", "", "", ""});
    rows[29][4] = "Webmail account";
    WriteVaultFile("secret", rows);
    TForm1* form = Open({true, "secret"});
    form->Edit1->SetText("MAIL");
    form->SpeedButton1Click(form->SpeedButton1);
    EXPECT_TRUE(boxes_.Boxes().empty());
    TGridRect sel = form->StringGrid1->Selection();
    EXPECT_EQ(sel.Left, 5);
    EXPECT_EQ(sel.Top, 30);
    EXPECT_EQ(form->StringGrid1->TopRow(), 30 - std::max(0, 30 + form->StringGrid1->VisibleRowCount() - 41));

    form->Edit1->SetText("absent");
    form->SpeedButton1Click(form->SpeedButton1);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Information: Text was not found"});
    EXPECT_FALSE(form->Modified);
}

} // namespace
} // namespace velt::test
