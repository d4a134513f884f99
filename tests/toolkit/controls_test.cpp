// Ownership and windows, labels, edit boxes, check boxes, published texts.
#include "toolkit/controls.h"

#include <commctrl.h>

#include <cstring>

#include "toolkit/accessible.h"
#include "toolkit/button.h"
#include "toolkit/checkbox.h"
#include "toolkit/edit.h"
#include "toolkit/groupbox.h"
#include "toolkit/hints.h"
#include "toolkit/label.h"
#include "toolkit/menus.h"
#include "toolkit_fixture.h"

namespace velt::test {
namespace {

class Ownership : public ToolkitTest {};

struct Probe : TComponent {
    explicit Probe(TComponent* owner, bool* freed) : TComponent(owner), freed_(freed) {}
    ~Probe() override { *freed_ = true; }
    bool* freed_;
};

TEST_F(Ownership, DestroyingAFormFreesItsComponentsAndWindows) {
    auto form = std::make_unique<TForm>(nullptr);
    auto* group = new TGroupBox(form.get());
    group->SetParent(form.get());
    auto* edit = new TEdit(form.get());
    edit->SetParent(group);
    auto* button = new TButton(form.get());
    button->SetParent(form.get());
    auto* label = new TLabel(form.get());
    label->SetParent(group);
    bool probeFreed = false;
    new Probe(form.get(), &probeFreed);
    form->Show();
    std::vector<HWND> windows{form->Handle(), group->Handle(), edit->Handle(), button->Handle()};
    for (HWND w : windows) ASSERT_TRUE(IsWindow(w));
    EXPECT_EQ(GetParent(edit->Handle()), group->Handle());
    EXPECT_EQ(form->ComponentCount(), 5);

    form.reset();
    for (HWND w : windows) EXPECT_FALSE(IsWindow(w));
    EXPECT_TRUE(probeFreed);
}

TEST_F(Ownership, DeletingOneControlLeavesTheRest) {
    TForm* form = NewForm();
    auto* a = new TEdit(form);
    a->SetParent(form);
    auto* b = new TEdit(form);
    b->SetParent(form);
    auto* l = new TLabel(form);
    l->SetParent(form);
    form->Show();
    HWND ha = a->Handle(), hb = b->Handle();
    delete a;
    delete l;
    EXPECT_FALSE(IsWindow(ha));
    EXPECT_TRUE(IsWindow(hb));
    EXPECT_EQ(form->ControlCount(), 1);
    EXPECT_EQ(form->ComponentCount(), 1);
    EXPECT_EQ(TWinControl::FromHandle(hb), b);
}

TEST_F(Ownership, ControlsMadeBeforeTheFormWindowGetWindowsWithIt) {
    TForm* form = NewForm();
    auto* edit = new TEdit(form);
    edit->SetParent(form);
    edit->SetBounds(5, 6, 70, 22);
    edit->SetText("early");
    edit->SetMaxLength(3);
    EXPECT_FALSE(edit->HandleAllocated());
    form->Show();
    ASSERT_TRUE(edit->HandleAllocated());
    RECT r;
    GetWindowRect(edit->Handle(), &r);
    MapWindowPoints(HWND_DESKTOP, form->Handle(), reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(r.left, 5);
    EXPECT_EQ(r.top, 6);
    EXPECT_EQ(r.right - r.left, 70);
    EXPECT_EQ(edit->Text(), "early");
    EXPECT_EQ(SendMessageA(edit->Handle(), EM_GETLIMITTEXT, 0, 0), 3);
}

struct CreatedForm : TForm {
    explicit CreatedForm(TComponent* owner) : TForm(owner) {
        OnCreate = [this](TComponent*) { created = true; };
        auto* edit = new TEdit(this);
        edit->SetParent(this);
    }
    bool created = false;
};

TEST_F(Ownership, ApplicationFormsRunOnCreateAndGoWithDestroyForms) {
    auto* main = Application->CreateForm<CreatedForm>();
    auto* second = Application->CreateForm<CreatedForm>();
    EXPECT_TRUE(main->created);
    EXPECT_TRUE(second->created);
    EXPECT_EQ(Application->MainForm(), main);
    HWND a = main->Handle(), b = second->Handle();
    Application->DestroyForms();
    EXPECT_EQ(Application->MainForm(), nullptr);
    EXPECT_EQ(Application->ComponentCount(), 0);
    EXPECT_FALSE(IsWindow(a));
    EXPECT_FALSE(IsWindow(b));
}

TEST_F(Ownership, HidingTheFocusedControlMovesTheFocusOn) {
    TForm* form = NewForm();
    auto* editor = new TEdit(form);
    editor->SetParent(form);
    auto* other = new TEdit(form);
    other->SetParent(form);
    form->Show();
    editor->SetFocus();
    ASSERT_TRUE(editor->Focused());
    editor->Hide();
    EXPECT_TRUE(other->Focused());
}

class Labels : public ToolkitTest {};

TEST_F(Labels, WordWrapGrowsTheHeightWithinTheMaximumWidth) {
    TForm* form = NewForm();
    auto* probe = new TLabel(form);
    probe->SetParent(form);
    probe->SetCaption("Wg");
    const int line = probe->Height();
    ASSERT_GT(line, 5);
    struct Case {
        const char* text;
        bool wrap;
        int maxWidth;
        int minLines, maxLines;
    } cases[] = {
        {"Password", true, 150, 1, 1},
        {"A rather long prompt that cannot fit on one line of this width", true, 150, 2, 5},
        {"A rather long prompt that cannot fit on one line of this width", false, 0, 1, 1},
        {"two\r\nlines", false, 0, 2, 2},
        {"", true, 150, 1, 1},
    };
    for (const Case& c : cases) {
        auto* label = new TLabel(form);
        label->SetParent(form);
        label->SetMaxWidth(c.maxWidth);
        label->SetWordWrap(c.wrap);
        label->SetCaption(c.text);
        EXPECT_GE(label->Height(), c.minLines * line) << c.text;
        EXPECT_LE(label->Height(), c.maxLines * line) << c.text;
        if (c.maxWidth) {
            EXPECT_LE(label->Width(), c.maxWidth) << c.text;
        }
        delete label;
    }
}

TEST_F(Labels, SizeFollowsTheFont) {
    TForm* form = NewForm();
    auto* label = new TLabel(form);
    label->SetParent(form);
    label->SetCaption("Enter password");
    int w = label->Width(), h = label->Height();
    form->Font().SetHeight(-24);  // inherited by the label
    EXPECT_GT(label->Width(), w);
    EXPECT_GT(label->Height(), h);
    EXPECT_EQ(label->Font().Height(), -24);
}

class Edits : public ToolkitTest {};

TEST_F(Edits, MaxLengthStopsTyping) {
    TForm* form = NewForm();
    auto* edit = new TEdit(form);
    edit->SetParent(form);
    struct Case {
        int maxLength;
        std::string typed, kept;
    } cases[] = {{5, "abcdefgh", "abcde"}, {0, "abcdefgh", "abcdefgh"}, {255, std::string(300, 'x'), std::string(255, 'x')}};
    form->Show();
    for (const Case& c : cases) {
        edit->SetText("");
        edit->SetMaxLength(c.maxLength);
        edit->SetFocus();
        TypeText(edit->Handle(), c.typed);
        EXPECT_EQ(edit->Text(), c.kept) << c.maxLength;
    }
}

// A paste puts UTF-16 text into the box; the text read back is narrowed once.
TEST_F(Edits, APastedCharacterOutsideTheCodePageIsOneQuestionMark) {
    test::GuiLock lock;
    TForm* form = NewForm();
    auto* edit = new TEdit(form);
    edit->SetParent(form);
    form->Show();
    const wchar_t text[] = L"a\U0001F511b\u00E9";
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, sizeof text);
    std::memcpy(GlobalLock(block), text, sizeof text);
    GlobalUnlock(block);
    SetClipboardData(CF_UNICODETEXT, block);
    CloseClipboard();
    SendMessageA(edit->Handle(), WM_PASTE, 0, 0);
    EXPECT_EQ(edit->Text(), "a?b\xE9");
}

TEST_F(Edits, PasswordCharMasksAndChangeEventFires) {
    TForm* form = NewForm();
    auto* edit = new TEdit(form);
    edit->SetParent(form);
    int changes = 0;
    edit->OnChange = [&](TComponent*) { ++changes; };
    edit->SetPasswordChar('*');
    form->Show();
    EXPECT_EQ(SendMessageA(edit->Handle(), EM_GETPASSWORDCHAR, 0, 0), '*');
    edit->SetText("abc");
    EXPECT_EQ(changes, 1);
    edit->SetText("abc");  // the same text: no change
    EXPECT_EQ(changes, 1);
    edit->SetSelection(3, 0);
    TypeText(edit->Handle(), "d");
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(edit->Text(), "abcd");  // the text itself is not masked
    edit->SetPasswordChar(0);
    EXPECT_EQ(SendMessageA(edit->Handle(), EM_GETPASSWORDCHAR, 0, 0), 0);
}

TEST_F(Edits, CheckBoxStateSurvivesWindowCreation) {
    TForm* form = NewForm();
    auto* check = new TCheckBox(form);
    check->SetParent(form);
    check->SetChecked(true);
    form->Show();
    EXPECT_EQ(SendMessageA(check->Handle(), BM_GETCHECK, 0, 0), BST_CHECKED);
    SendMessageA(check->Handle(), BM_CLICK, 0, 0);
    EXPECT_FALSE(check->Checked());
}

TEST_F(Edits, ColoursComeFromTheControl) {
    TForm* form = NewForm();
    form->SetColor(clBlack);
    form->Font().SetColor(clWhite);
    auto* edit = new TEdit(form);
    edit->SetParent(form);
    edit->Font().SetColor(clBlack);
    auto* check = new TCheckBox(form);
    check->SetParent(form);
    form->Show();
    struct Case {
        TWinControl* control;
        UINT msg;
        COLORREF text, background;
    } cases[] = {{edit, WM_CTLCOLOREDIT, RGB(0, 0, 0), RGB(255, 255, 255)},
                 {check, WM_CTLCOLORSTATIC, RGB(255, 255, 255), RGB(0, 0, 0)}};
    for (const Case& c : cases) {
        HDC dc = GetDC(c.control->Handle());
        auto brush = reinterpret_cast<HBRUSH>(SendMessageA(form->Handle(), c.msg, reinterpret_cast<WPARAM>(dc),
                                                           reinterpret_cast<LPARAM>(c.control->Handle())));
        EXPECT_EQ(GetTextColor(dc), c.text);
        EXPECT_EQ(GetBkColor(dc), c.background);
        LOGBRUSH lb{};
        ASSERT_TRUE(GetObjectA(brush, sizeof lb, &lb));
        EXPECT_EQ(lb.lbColor, c.background);
        ReleaseDC(c.control->Handle(), dc);
    }
}

// "&&" is a literal ampersand; the letter after a single '&' is the mnemonic.
TEST(SpokenCaptions, AmpersandsAndMnemonics) {
    const struct {
        const char* caption;
        const char16_t* spoken;
        char mnemonic;
    } cases[] = {
        {"&Lock after", u"Lock after", 'L'}, {"Lock when &minimised", u"Lock when minimised", 'M'},
        {"a && b", u"a & b", '\0'},         {"Rock && &roll", u"Rock & roll", 'R'},
        {"trailing &", u"trailing ", '\0'}, {"", u"", '\0'},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SpokenCaption(c.caption), c.spoken) << c.caption;
        EXPECT_EQ(MnemonicOf(c.caption), c.mnemonic) << c.caption;
    }
}

TEST(PublishedTexts, TranslationSeesCaptionsHintsAndTexts) {
    struct Case {
        const ClassInfo& info;
        std::vector<std::pair<std::string, bool>> props;  // name, writable
    } cases[] = {
        {TForm::StaticClass(), {{"Name", true}, {"Hint", true}, {"Caption", true}}},
        {TLabel::StaticClass(), {{"Name", true}, {"Hint", true}, {"Caption", true}}},
        {TButton::StaticClass(), {{"Name", true}, {"Hint", true}, {"Caption", true}}},
        {TCheckBox::StaticClass(), {{"Name", true}, {"Hint", true}, {"Caption", true}}},
        {TGroupBox::StaticClass(), {{"Name", true}, {"Hint", true}, {"Caption", true}}},
        {TEdit::StaticClass(), {{"Name", true}, {"Hint", true}, {"Text", true}}},
        {TMenuItem::StaticClass(), {{"Name", true}, {"Caption", true}, {"Hint", true}}},
    };
    for (const Case& c : cases) {
        std::vector<std::pair<std::string, bool>> got;
        for (const PropInfo* p : c.info.Properties()) got.emplace_back(p->name, p->IsWritable());
        EXPECT_EQ(got, c.props) << c.info.Name();
    }
    // Writing through the property reaches the control.
    TLabel label(nullptr);
    TLabel::StaticClass().FindProperty("Caption")->setText(label, "Has\xB3o");
    EXPECT_EQ(label.Caption(), "Has\xB3o");
}

class Hints : public ToolkitTest {};

TEST_F(Hints, SwitchedPerControlAtRunTime) {
    TForm* form = NewForm();
    auto* edit = new TEdit(form);
    edit->SetParent(form);
    edit->SetHint("Enter text to find; case insensitive");
    auto* label = new TLabel(form);
    label->SetParent(form);
    label->SetHint("Visit us!");
    label->SetShowHint(true);
    form->Show();
    EXPECT_EQ(HintManager().RegisteredText(edit), "");
    EXPECT_EQ(HintManager().RegisteredText(label), "Visit us!");
    edit->SetShowHint(true);
    EXPECT_EQ(HintManager().RegisteredText(edit), "Enter text to find; case insensitive");
    int tools = static_cast<int>(SendMessageA(HintManager().Window(), TTM_GETTOOLCOUNT, 0, 0));
    edit->SetShowHint(false);
    EXPECT_EQ(HintManager().RegisteredText(edit), "");
    EXPECT_EQ(SendMessageA(HintManager().Window(), TTM_GETTOOLCOUNT, 0, 0), tools - 1);
    label->Hide();
    EXPECT_EQ(HintManager().RegisteredText(label), "");
}

} // namespace
} // namespace velt::test
