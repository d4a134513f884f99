// A form with one of each control, black with white text as the program's
// windows are. Set VELT_DEMO_SHOT to a .bmp path to keep a picture of it.
#include <cstdlib>

#include "toolkit/bevel.h"
#include "toolkit/button.h"
#include "toolkit/checkbox.h"
#include "toolkit/edit.h"
#include "toolkit/groupbox.h"
#include "toolkit/image.h"
#include "toolkit/label.h"
#include "toolkit/menus.h"
#include "toolkit/speedbutton.h"
#include "toolkit_fixture.h"

namespace velt::test {
namespace {

class Demo : public ToolkitTest {};

TEST_F(Demo, EveryControlOnABlackForm) {
    TForm* form = NewForm(420, 260);
    form->SetBorderStyle(TFormBorderStyle::bsSingle);
    form->SetCaption("Velt toolkit");
    form->SetColor(clBlack);
    form->Font().SetName("Tahoma");
    form->Font().SetHeight(-13);
    form->Font().SetCharset(EASTEUROPE_CHARSET);
    form->Font().SetColor(clWhite);

    auto* menu = new TMainMenu(form);
    auto* file = new TMenuItem(form);
    file->SetCaption("File");
    menu->Items()->Add(file);
    auto* open = new TMenuItem(form);
    open->SetCaption("Open/ Reopen");
    open->SetShortCut(ShortCut('R', ssCtrl));
    file->Add(open);
    form->SetMenu(menu);

    auto* picture = new TImage(form);
    picture->SetParent(form);
    picture->LoadFromResourceName("IMAGE2");
    picture->SetBounds(190, 0, 223, 58);
    picture->SetTransparent(true);

    auto* bevel = new TBevel(form);
    bevel->SetParent(form);
    bevel->SetBounds(8, 64, 404, 100);

    auto* label = new TLabel(form);
    label->SetParent(form);
    label->SetBounds(16, 72, 0, 0);
    label->SetMaxWidth(170);
    label->SetWordWrap(true);
    label->SetCaption("A prompt long enough to wrap onto a second line");

    auto* edit = new TEdit(form);
    edit->SetParent(form);
    edit->SetBounds(16, 110, 170, 24);
    edit->Font().SetColor(clBlack);
    edit->SetPasswordChar('*');
    edit->SetText("secret");

    auto* group = new TGroupBox(form);
    group->SetParent(form);
    group->SetBounds(200, 72, 200, 80);
    group->SetCaption("Result");
    auto* inner = new TLabel(form);
    inner->SetParent(group);
    inner->SetBounds(16, 20, 0, 0);
    inner->SetCaption("Combinations:");
    auto* check = new TCheckBox(form);
    check->SetParent(group);
    check->SetBounds(16, 44, 170, 20);
    check->SetCaption("Asterisk passwords");
    check->SetChecked(true);

    auto* speed = new TSpeedButton(form);
    speed->SetParent(form);
    speed->SetBounds(16, 180, 65, 24);
    speed->SetFlat(true);
    speed->SetCaption("Search");

    auto* ok = new TButton(form);
    ok->SetParent(form);
    ok->SetBounds(120, 180, 75, 23);
    ok->SetCaption("OK");
    ok->SetDefault(true);

    form->Show();
    Capture shot = CaptureClient(form->Handle());
    if (const char* path = std::getenv("VELT_DEMO_SHOT")) {
        EXPECT_TRUE(shot.SaveBmp(path));
    }
    // VELT_DEMO_HOLD=ms keeps the form up (for a screenshot from outside).
    if (const char* hold = std::getenv("VELT_DEMO_HOLD")) {
        DWORD end = GetTickCount() + static_cast<DWORD>(std::atoi(hold));
        while (GetTickCount() < end) {
            Pump();
            Sleep(10);
        }
    }
    // Background black, label text white, edit box white inside.
    EXPECT_EQ(shot.At(2, 200), RGB(0, 0, 0));
    EXPECT_EQ(shot.At(150, 125), RGB(255, 255, 255));
    int white = 0;
    for (int y = label->Top(); y < label->Top() + label->Height(); ++y)
        for (int x = label->Left(); x < label->Left() + label->Width(); ++x) white += shot.At(x, y) == RGB(255, 255, 255);
    EXPECT_GT(white, 50);
}

} // namespace
} // namespace velt::test
