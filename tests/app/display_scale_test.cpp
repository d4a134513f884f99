// The real windows at the prefix's LogPixels (96; app.display_scale_* take 120, 144, 192):
// the main window grows with the DPI and follows WM_DPICHANGED; every dialog's texts are whole.
#include "app/main_window_fixture.h"

#include <functional>

#include "app/health_command.h"
#include "app/settings_command.h"
#include "i18n/translator.h"
#include "support/screen_reader_win.h"
#include "toolkit/groupbox.h"
#include "toolkit/listview.h"
#include "toolkit/speedbutton.h"
#include "tools/check_pass_win.h"
#include "tools/show_generated_password.h"
#include "ui/password_query.h"

namespace velt::test {
namespace {

using DisplayScale = MainWindowTest;
using DisplayScalePlLocale = MainWindowTest;  // Polish in its own code page

// Where a control's pixels are in its parent's client area.
RECT PixelsOf(TControl* c) {
    if (auto* w = dynamic_cast<TWinControl*>(c); w && w->HandleAllocated()) {
        RECT r;
        GetWindowRect(w->Handle(), &r);
        MapWindowPoints(HWND_DESKTOP, GetParent(w->Handle()), reinterpret_cast<POINT*>(&r), 2);
        return r;
    }
    return c->Scaled(c->BoundsRect());
}

bool ShowsText(TControl* c) {
    return dynamic_cast<TLabel*>(c) || dynamic_cast<TCheckBox*>(c) || dynamic_cast<TButton*>(c) ||
           dynamic_cast<TSpeedButton*>(c);
}

// Every label, check box and button shows its whole caption (measured with
// its own font), inside its parent and clear of the other texts and boxes.
void ExpectTextsFit(TWinControl* parent) {
    const int dpi = parent->Dpi();
    WindowDC screen;
    RECT client, other, overlap;
    GetClientRect(parent->Handle(), &client);
    for (int i = 0; i < parent->ControlCount(); ++i) {
        TControl* c = parent->Controls(i);
        if (!c->Visible()) continue;
        if (auto* group = dynamic_cast<TGroupBox*>(c)) ExpectTextsFit(group);
        if (auto* list = dynamic_cast<TListView*>(c)) {  // the columns fill the list; each finding whole
            EXPECT_GE(list->ColumnWidth(0) + list->ColumnWidth(1), list->Width() * 9 / 10);
            for (int item = 0; item < list->ItemCount(); ++item)
                EXPECT_LE(list->TextWidth(list->ItemText(item, 0)), list->ColumnWidth(0)) << list->ItemText(item, 0);
        }
        if (!ShowsText(c) || c->Caption().empty()) continue;
        const std::string text = c->Caption();
        SCOPED_TRACE(text);
        const RECT own = PixelsOf(c);
        SelectGuard font(screen.Get(), c->Font().Handle());
        RECT need{0, 0, own.right - own.left, 0};
        auto* label = dynamic_cast<TLabel*>(c);  // as drawn: "&" marks the Alt letter unless a label says not to
        const UINT prefix = label && !label->ShowAccelChar() ? DT_NOPREFIX : 0;
        DrawTextA(screen.Get(), text.data(), static_cast<int>(text.size()), &need,
                  DT_CALCRECT | prefix | (label ? DT_WORDBREAK : DT_SINGLELINE));
        const int box = dynamic_cast<TCheckBox*>(c) ? ScaleToDpi(16, dpi) : 0;  // its box and a gap before the text
        EXPECT_LE(need.right + box, own.right - own.left);
        EXPECT_LE(need.bottom, own.bottom - own.top);
        EXPECT_LE(own.right, client.right);
        EXPECT_LE(own.bottom, client.bottom);
        for (int j = 0; j < parent->ControlCount(); ++j) {
            TControl* d = parent->Controls(j);
            if (d == c || !d->Visible() || !(ShowsText(d) || dynamic_cast<TEdit*>(d))) continue;
            other = PixelsOf(d);
            EXPECT_FALSE(IntersectRect(&overlap, &own, &other)) << "runs into " << d->Caption();
        }
    }
}

// The main window's pixels, each within one of its 96-DPI figure x dpi / 96.
void ExpectMainLayout(TForm1* form, int dpi) {
    SCOPED_TRACE(dpi);
    RECT client;
    GetClientRect(form->Handle(), &client);
    const RECT grid = PixelsOf(form->StringGrid1), search = PixelsOf(form->Edit1);
    const RECT name = form->StringGrid1->CellRect(1, 1), address = form->StringGrid1->CellRect(2, 1);
    LOGFONTA font{};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(form->Edit1->Handle(), WM_GETFONT, 0, 0)), sizeof font, &font);
    const struct { const char* what; int pixels, at96; } rows[] = {
        {"client width", client.right, 611}, {"client height", client.bottom, 405},
        {"grid width", grid.right - grid.left, 579}, {"search box top", search.top, 373},
        {"search box font", -font.lfHeight, 13}, {"name column", name.right - name.left, 103},
        {"column with its line", address.left - name.left, 104}, {"row height", name.bottom - name.top, 24},
        {"row with its line", form->StringGrid1->CellRect(1, 2).top - name.top, 25},
    };
    for (const auto& r : rows) EXPECT_NEAR(r.pixels, ScaleToDpi(r.at96, dpi), 1) << r.what;
    ExpectTextsFit(form);
}

TEST_F(DisplayScale, MainWindowGrowsWithTheDpiAndFollowsAMove) {
    WriteVaultFile("secret", {{"a", "b", "c", "d", "e"}, {"f", "g", "h", "i", "j"}});
    TForm1* form = Open({true, "secret"});
    ExpectMainLayout(form, SystemDpi());
    // Moved to a monitor of another scale and back, as Windows reports it:
    // the size the window asks for is suggested, and kept.
    const int other = SystemDpi() == 144 ? 96 : 144;
    for (int dpi : {other, SystemDpi()}) {
        RECT suggested, after;
        GetWindowRect(form->Handle(), &suggested);
        SIZE size{suggested.right - suggested.left, suggested.bottom - suggested.top};
        EXPECT_TRUE(SendMessageA(form->Handle(), WM_GETDPISCALEDSIZE, static_cast<WPARAM>(dpi),
                                 reinterpret_cast<LPARAM>(&size)));
        suggested.right = suggested.left + size.cx;
        suggested.bottom = suggested.top + size.cy;
        SendMessageA(form->Handle(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
        Pump();
        GetWindowRect(form->Handle(), &after);
        // Wine draws every frame at the system's scale, so only there is the frame the one asked for.
        if (dpi == SystemDpi())
            EXPECT_TRUE(EqualRect(&after, &suggested)) << after.right - after.left << "x" << after.bottom - after.top;
        ExpectMainLayout(form, dpi);
    }
    form->Zablokuj1Click(form);  // the locked window's label and button
    ASSERT_TRUE(form->LockedLabel->Visible());
    ExpectTextsFit(form);
    Close(form);
}

// A screen reader's rectangles and hit tests are the window's pixels: each
// child of the main window, painted or a window of its own, where it is seen.
TEST_F(DisplayScale, ReaderRectanglesAreWherePainted) {
    TForm1* form = Open({true, "secret"});
    std::vector<std::string> want;
    int painted = 0;
    for (int i = 0; i < form->ControlCount(); ++i) {
        TControl* c = form->Controls(i);
        if (!c->Visible() || !(c->IsWindowed() || c->AccessibleRole())) continue;
        RECT r = PixelsOf(c);
        MapWindowPoints(form->Handle(), HWND_DESKTOP, reinterpret_cast<POINT*>(&r), 2);
        painted += !c->IsWindowed();
        want.push_back(" " + std::to_string(r.left) + " " + std::to_string(r.top) + " " +
                       std::to_string(r.right - r.left) + " " + std::to_string(r.bottom - r.top) + " hit " +
                       std::to_string(want.size() + 1));
    }
    EXPECT_GE(painted, 2);  // the Search button and the link
    const std::vector<std::string> heard =
        RunPumping("\"" + Beside("msaa_reader.exe") + "\" places " + Hex(form->Handle()));
    ASSERT_EQ(heard.size(), want.size());
    for (size_t i = 0; i < want.size(); ++i)
        EXPECT_EQ(heard[i].substr(heard[i].rfind('"') + 1), want[i]) << heard[i];
    Close(form);
}

void ExpectEveryDialogFits() {
    std::string password;
    bool asterisk = false;
    Settings settings;
    const struct { const char* name; std::function<void(bool polish)> open; } dialogs[] = {
        {"prompt",
         [&](bool) { PasswordQuery(ResStr(IDS_ENTER_THE_PASSWORD), ResStr(IDS_PASSWORD), password, asterisk); }},
        {"settings", [&](bool) { ShowSettingsDialog(settings); }},
        {"generated",
         [](bool) { ShowGeneratedPassword(ResStr(IDS_GENERATED_PASSWORD), ResStr(IDS_COPY_FROM_FIELD), "x"); }},
        {"health", [](bool) {
             CellStore table;
             table.SetRowCount(3);
             for (int row : {1, 2}) { table.SetCell(1, row, row == 1 ? "Bank" : "Mail"); table.SetCell(4, row, "x"); }
             HealthDialog(table, true).Run();
         }},
        {"strength", [](bool polish) {
             TCheckPassBox box(nullptr, [polish] { return polish; });
             box.DoCreate();
             box.ShowModal();
         }},
    };
    for (const char* language : {"en", "pl"}) {
        i18n::ChooseLanguage(language);
        for (const auto& d : dialogs) {
            SCOPED_TRACE(std::string(d.name) + " in " + language);
            bool seen = false;
            RunLater(60, [&] {
                auto* form = dynamic_cast<TForm*>(TWinControl::FromHandle(GetActiveWindow()));
                ASSERT_NE(form, nullptr);
                seen = true;
                ExpectTextsFit(form);
                form->Close();
            });
            d.open(*language == 'p');
            EXPECT_TRUE(seen);
        }
    }
}

TEST_F(DisplayScale, EveryDialogShowsItsTextsWhole) { ExpectEveryDialogFits(); }
TEST_F(DisplayScalePlLocale, EveryDialogShowsItsTextsWhole) { ExpectEveryDialogFits(); }

} // namespace
} // namespace velt::test
