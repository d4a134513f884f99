// Additional > "Type password characters…" on the real main window, in a
// Polish locale: one box per character as code page 1250 counts them, each
// named by its number only, ticks and typed positions following each other, and
// "Tab after each character" kept in velt.ini.
#include "app/main_window_fixture.h"

#include <fstream>
#include <iterator>

#include "toolkit/checkbox.h"
#include "toolkit/edit.h"

namespace velt::test {
namespace {

using CharacterBoxesPlLocale = MainWindowTest;
TEST_F(CharacterBoxesPlLocale, TicksAndTextFollowEachOtherAndTabIsKept) {
    const std::string zazolc = "Za\xBF\xF3\xB3\xE6" "1!";  // "Zażółć1!" in windows-1250
    WriteVaultFile("secret", {{"Bank", "", "jan", zazolc, ""}});
    TForm1* form = Open({true, "secret"});
    form->StringGrid1->SetSelection(TGridRect{4, 1, 4, 1});
    std::vector<std::string> numbers, seenTexts;
    std::vector<bool> ticked;
    RunLater(40, [&] {
        auto* dialog = dynamic_cast<TForm*>(TWinControl::FromHandle(FindWindowA(kFormClass, "Wpisz znaki has\xB3" "a")));
        if (!dialog) PostMessageA(GetActiveWindow(), WM_CLOSE, 0, 0);
        ASSERT_NE(dialog, nullptr);
        TEdit* text = nullptr;
        std::vector<TCheckBox*> boxes;
        TCheckBox* tab = nullptr;
        for (int i = 0; i < dialog->ControlCount(); ++i) {
            TControl* c = dialog->Controls(i);
            if (auto* e = dynamic_cast<TEdit*>(c)) text = e;
            if (auto* b = dynamic_cast<TCheckBox*>(c)) {
                if (b->Caption().find("Tab") != std::string::npos) tab = b;
                else boxes.push_back(b), numbers.push_back(b->Caption());
            }
        }
        ASSERT_TRUE(text && tab && boxes.size() == 8);
        text->SetText("2,5,7");
        for (TCheckBox* b : boxes) ticked.push_back(b->Checked());
        SendMessageA(boxes[0]->Handle(), BM_CLICK, 0, 0);  // ticks 1
        seenTexts.push_back(text->Text());
        SendMessageA(tab->Handle(), BM_CLICK, 0, 0);
        for (int i = 0; i < dialog->ControlCount(); ++i)
            if (auto* b = dynamic_cast<TButton*>(dialog->Controls(i)); b && b->ModalResult() == mrOk) b->Click();
    });
    boxes_.QueueAnswer(IDOK);  // nothing else is there to type into
    SendMessageA(form->Handle(), WM_COMMAND, MAKEWPARAM(form->Typepasswordcharacters1->Command(), 0), 0);
    Pump();
    EXPECT_EQ(numbers, (std::vector<std::string>{"1", "2", "3", "4", "5", "6", "7", "8"}));
    EXPECT_EQ(ticked, (std::vector<bool>{false, true, false, false, true, false, true, false}));
    ASSERT_FALSE(seenTexts.empty());
    EXPECT_EQ(seenTexts.back(), "1 2 5 7");
    std::ifstream ini(dir_ + "velt.ini", std::ios::binary);
    const std::string written((std::istreambuf_iterator<char>(ini)), {});
    EXPECT_NE(written.find("[CharacterBoxes]\r\nTabAfterEach=1\r\n"), std::string::npos) << written;
    ShowWindow(form->Handle(), SW_RESTORE);
    Close(form);
}

} // namespace
} // namespace velt::test
