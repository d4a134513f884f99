// Every top-level window of the program shows its own icon (MAINICON),
// large and small, instead of the system's default.
#include "app/main_window_fixture.h"

#include <set>

#include "tools/check_pass_win.h"

namespace velt::test {
namespace {

HICON ProgramIcon(int widthMetric, int heightMetric) {
    return static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), "MAINICON", IMAGE_ICON,
                                         GetSystemMetrics(widthMetric), GetSystemMetrics(heightMetric), LR_SHARED));
}

void ExpectProgramIcon(HWND window) {
    ASSERT_NE(window, nullptr);
    const HICON big = reinterpret_cast<HICON>(SendMessageA(window, WM_GETICON, ICON_BIG, 0));
    const HICON smallIcon = reinterpret_cast<HICON>(SendMessageA(window, WM_GETICON, ICON_SMALL, 0));
    EXPECT_NE(big, nullptr);
    EXPECT_EQ(big, ProgramIcon(SM_CXICON, SM_CYICON));
    EXPECT_EQ(smallIcon, ProgramIcon(SM_CXSMICON, SM_CYSMICON));
}

struct FormSearch {
    HWND except, found;
};

BOOL CALLBACK TakeVisibleForm(HWND w, LPARAM p) {
    auto* s = reinterpret_cast<FormSearch*>(p);
    char name[64] = "";
    GetClassNameA(w, name, sizeof name);
    if (w == s->except || !IsWindowVisible(w) || std::string(name) != kFormClass) return TRUE;
    s->found = w;
    return FALSE;
}

// The visible form of this thread other than `except` (the modal dialog up).
HWND OtherVisibleForm(HWND except) {
    FormSearch search{except, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), TakeVisibleForm, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

using TitleBarIcons = MainWindowTest;

TEST_F(TitleBarIcons, ProgramIconOnEveryTopLevelWindow) {
    WriteVaultFile("secret", {{"Mail", "", "", "pw", ""}});
    // The start-up prompt, seen while it asks.
    RunLater(20, [] { ExpectProgramIcon(OtherVisibleForm(nullptr)); });
    TForm1* form = Open({true, "secret"});
    ExpectProgramIcon(form->Handle());
    EXPECT_GE(promptsSeen_, 1);

    TCheckPassBox box(nullptr, PolishTicked);
    box.DoCreate();
    CheckPassBox = &box;
    struct Dialog {
        const char* name;
        TMenuItem* item;
    };
    const Dialog dialogs[] = {
        {"Change password prompt", form->Zmiehaso1},
        {"generated password", form->Generujhaso1},
        {"strength dialog", form->Checkpasswordstrength1},
    };
    for (const Dialog& d : dialogs) {
        SCOPED_TRACE(d.name);
        bool seen = false;
        RunLater(40, [&] {
            HWND dialog = OtherVisibleForm(form->Handle());
            seen = dialog != nullptr;
            ExpectProgramIcon(dialog);
            if (dialog) PostMessageA(dialog, WM_CLOSE, 0, 0);
        });
        SendMessageA(form->Handle(), WM_COMMAND, MAKEWPARAM(d.item->Command(), 0), 0);
        EXPECT_TRUE(seen);
    }
    CheckPassBox = nullptr;
}

// The icon holds an image drawn for each display scale's large and small
// size (100% to 200%), so that none is stretched and blurred.
TEST(ProgramIcon, AnImageForEveryScale) {
    HMODULE self = GetModuleHandleA(nullptr);
    HRSRC found = FindResourceA(self, "MAINICON", MAKEINTRESOURCEA(14));  // RT_GROUP_ICON
    ASSERT_NE(found, nullptr);
    const auto* group = static_cast<const BYTE*>(LockResource(LoadResource(self, found)));
    std::set<int> sizes;  // a 6-byte header, then 14 bytes an image, its width first
    for (int i = 0; i < group[4]; ++i) sizes.insert(group[6 + 14 * i]);
    for (int dpi : {96, 120, 144, 168, 192})
        for (int size : {32, 16}) EXPECT_EQ(sizes.count(MulDiv(size, dpi, 96)), 1u) << dpi;
}

} // namespace
} // namespace velt::test
