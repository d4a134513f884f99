#include "tools/check_pass_win.h"

#include <windows.h>

#include "core/secure_memory.h"

#include "i18n/translator.h"
#include "platform/performance_counter.h"
#include "tools/performance_clock_win.h"

namespace velt {

TCheckPassBox* CheckPassBox = nullptr;

namespace {

TLabel* NewLabel(TComponent* owner, TWinControl* parent, const char* name, int left, int top,
                 const char* caption) {
    auto* label = new TLabel(owner);
    label->SetName(name);
    label->SetParent(parent);
    label->SetLeft(left);
    label->SetTop(top);
    label->SetCaption(caption);
    return label;
}

} // namespace

const ClassInfo& TCheckPassBox::StaticClass() {
    static const ClassInfo info("TCheckPassBox", &TForm::StaticClass(), {});
    return info;
}

TCheckPassBox::TCheckPassBox(TComponent* owner, std::function<bool()> polishTicked, PerformanceClock* clock)
    : TForm(owner), polishTicked_(std::move(polishTicked)), clock_(clock) {
    if (!clock_) {
        ownClock_ = std::make_unique<SystemPerformanceClock>();
        clock_ = ownClock_.get();
    }
    SetName("CheckPassBox");
    SetCaption("Check password strength");
    SetBorderStyle(TFormBorderStyle::bsDialog);
    SetPosition(TPosition::poScreenCenter);
    SetClientSize(308, 107);
    SetColor(clBlack);
    Font().SetName("MS Sans Serif");
    Font().SetHeight(-11);
    Font().SetColor(clWhite);

    Label1 = NewLabel(this, this, "Label1", 16, 12, "Enter password");

    Edit1 = new TEdit(this);
    Edit1->SetName("Edit1");
    Edit1->SetParent(this);
    Edit1->SetBounds(96, 8, 121, 21);
    Edit1->SetTabOrder(0);
    Edit1->SetColor(clWhite);
    Edit1->SetParentFont(false);
    Edit1->Font().SetName("MS Sans Serif");
    Edit1->Font().SetHeight(-11);
    Edit1->Font().SetColor(clBlack);
    Edit1->SetMaxLength(0);  // no limit of ours
    // Shown on screen, but a password: readers hear its label, never its text.
    Edit1->SetSecret(true);
    Label1->SetFocusControl(Edit1);

    SpeedButton1 = new TSpeedButton(this);
    SpeedButton1->SetName("SpeedButton1");
    SpeedButton1->SetParent(this);
    SpeedButton1->SetBounds(232, 8, 65, 24);
    SpeedButton1->SetCaption("Check");
    SpeedButton1->SetFlat(true);
    SpeedButton1->OnClick = [this](TComponent* s) { SpeedButton1Click(s); };

    GroupBox1 = new TGroupBox(this);
    GroupBox1->SetName("GroupBox1");
    GroupBox1->SetParent(this);
    GroupBox1->SetBounds(8, 40, 289, 57);
    GroupBox1->SetCaption("Result");
    GroupBox1->SetTabOrder(1);

    Label2 = NewLabel(this, GroupBox1, "Label2", 16, 16, "Combinations:");
    Label3 = NewLabel(this, GroupBox1, "Label3", 16, 32, "Cracking time (brute force):");
    Label4 = NewLabel(this, GroupBox1, "Label4", 152, 16, "0");
    Label5 = NewLabel(this, GroupBox1, "Label5", 152, 32, "0");

    SetActiveControl(Edit1);
    OnCreate = [this](TComponent* s) { FormCreate(s); };
    OnShow = [this](TComponent* s) { FormShow(s); };
}

TCheckPassBox::~TCheckPassBox() {
    if (CheckPassBox == this) CheckPassBox = nullptr;
}

const char* TCheckPassBox::MenuLanguage() const { return polishTicked_ && polishTicked_() ? "pl" : "en"; }

void TCheckPassBox::FormCreate(TComponent*) {
    i18n::ChooseLanguage(MenuLanguage());
    i18n::TranslateComponent(*this);
}

void TCheckPassBox::FormShow(TComponent*) {
    // After a switch every text goes back to its design text in the new
    // language, the two results ("0") included.
    i18n::ChooseLanguage(MenuLanguage());
    i18n::RetranslateComponent(*this);
}

void TCheckPassBox::SpeedButton1Click(TComponent*) {
    std::string password = Edit1->Text();
    ScopedWipe wipe(password);
    StrengthEstimate estimate = EstimateStrength(password, *clock_);
    Label4->SetCaption(estimate.combinationsText);
    Label5->SetCaption(estimate.timeText);
}

} // namespace velt
