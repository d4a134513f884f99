// Additional > "Password health…" on the real main window: the findings as
// listed, Enter and a double click going to the entry (the keyboard with
// it), Escape nowhere, Polish.
#include "app/main_window_fixture.h"

#include <commctrl.h>

#include "toolkit/label.h"
#include "toolkit/listview.h"

namespace velt::test {
namespace {

// Bank and Forum share a password; Mail's is common and weak; Shop's a name
// with digits; Blog's holds its login; Wiki has a login and no password.
const Rows kSix = {
    {"Bank", "bank.example", "jan", "Zq7!xKp2#Lm9", ""}, {"Mail", "", "anna", "password", ""},
    {"Forum", "", "", "Zq7!xKp2#Lm9", ""},               {"Shop", "", "kasia", "Katarzyna1!", ""},
    {"Blog", "", "piotrek", "xPiotrek!9", ""},           {"Wiki", "", "ola", "", ""},
};

struct Seen {
    std::string caption, heading;
    std::vector<std::string> lines;  // "finding | entries"
};

class HealthTest : public MainWindowTest {
protected:
    // Opens the report, reads it into seen_, does `act`; returns the grid's selection after.
    TGridRect Report(TForm1* form, const char* title, const std::function<void(TForm&, TListView&)>& act) {
        seen_ = {};
        RunLater(40, [&] {
            auto* dialog = dynamic_cast<TForm*>(TWinControl::FromHandle(FindWindowA(kFormClass, title)));
            if (!dialog) PostMessageA(GetActiveWindow(), WM_CLOSE, 0, 0);
            ASSERT_NE(dialog, nullptr);
            seen_.caption = dialog->Caption();
            TListView* list = nullptr;
            for (int i = 0; i < dialog->ControlCount(); ++i) {
                if (auto* l = dynamic_cast<TLabel*>(dialog->Controls(i))) seen_.heading = l->Caption();
                if (auto* v = dynamic_cast<TListView*>(dialog->Controls(i))) list = v;
            }
            ASSERT_NE(list, nullptr);
            for (int i = 0; i < list->ItemCount(); ++i)
                seen_.lines.push_back(list->ItemText(i, 0) + " | " + list->ItemText(i, 1));
            act(*dialog, *list);
        });
        SendMessageA(form->Handle(), WM_COMMAND, MAKEWPARAM(form->Passwordhealth1->Command(), 0), 0);
        Pump();
        return form->StringGrid1->Selection();
    }
    Seen seen_;
};

using HealthWin = HealthTest;
TEST_F(HealthWin, EachFindingListedAndEnterGoesToTheEntry) {
    WriteVaultFile("secret", kSix);
    TForm1* form = Open({true, "secret"});
    const TGridRect start = form->StringGrid1->Selection();
    // The item chosen in the list; the key (0: a double click); the grid row after (0: left as it was).
    const struct { const char* name; int item; UINT key; int row; } cases[] = {
        {"Enter on Blog", 5, VK_RETURN, 5}, {"double click on Shop", 3, 0, 4},
        {"Enter on the reuse line", 1, VK_RETURN, 1}, {"Enter on the vault's line", 0, VK_RETURN, 0},
        {"Escape", 6, VK_ESCAPE, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        form->StringGrid1->SetSelection(start);
        form->Edit1->SetFocus();
        bool closed = false;
        const TGridRect after = Report(form, "Password health", [&](TForm& dialog, TListView& list) {
            list.SetSelected(c.item);
            if (c.key) {
                PressKey(list.Handle(), static_cast<WORD>(c.key));
            } else {
                RECT r{LVIR_BOUNDS, 0, 0, 0};
                SendMessageA(list.Handle(), LVM_GETITEMRECT, static_cast<WPARAM>(c.item), reinterpret_cast<LPARAM>(&r));
                const LPARAM at = MAKELPARAM(r.left + 5, (r.top + r.bottom) / 2);
                SendMessageA(list.Handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, at);
                SendMessageA(list.Handle(), WM_LBUTTONUP, 0, at);
            }
            PumpFor(50);
            closed = dialog.ModalResult() != mrNone;
            if (!closed) dialog.Close();
        });
        EXPECT_EQ(closed, c.row != 0 || c.key == VK_ESCAPE);
        EXPECT_TRUE(after == (c.row ? TGridRect{4, c.row, 4, c.row} : start)) << after.Left << "," << after.Top;
        EXPECT_EQ(GetFocus(), c.row ? form->StringGrid1->Handle() : form->Edit1->Handle());
    }
    EXPECT_EQ(seen_.heading,
              "Readable by anyone: 6   Reused: 2   Common: 1   Word or name: 1   Weak: 1   Login or name: 1   Empty: 1");
    const std::vector<std::string> want = {
        "Anyone with the vault file can read it: turn on File > Strong encryption | ",
        "Used by 2 entries | Bank, Forum",
        "One of the most common passwords | Mail",
        "A common word or name, at most four digits or symbols added | Shop",
        "Weak: under 60 bits | Mail",
        "Same as the login or the name, or contains it | Blog",
        "A login but no password | Wiki",
    };
    EXPECT_EQ(seen_.lines, want);
    EXPECT_FALSE(form->Modified);
    Close(form);
}

using HealthPlLocale = HealthTest;
TEST_F(HealthPlLocale, PolishTextsAndPolishNames) {
    // "Małgorzata7": a first name with a letter of the Polish code page.
    WriteVaultFile("secret", {{"Poczta", "", "", "Ma\xB3gorzata7x", ""}, {"Sklep", "", "", "MA\xA3GORZATA7", ""}});
    TForm1* form = Open({true, "secret"});
    Report(form, "Kondycja hase\xB3", [](TForm& dialog, TListView&) { dialog.Close(); });
    EXPECT_EQ(seen_.caption, "Kondycja hase\xB3");
    EXPECT_EQ(seen_.heading.substr(0, 23), "Czytelne dla ka\xBF" "dego: 2");
    ASSERT_EQ(seen_.lines.size(), 2u);
    EXPECT_EQ(seen_.lines[1], "Popularne s\xB3owo lub imi\xEA, dodane najwy\xBF" "ej cztery cyfry lub symbole | Sklep");
    Close(form);
}

} // namespace
} // namespace velt::test
