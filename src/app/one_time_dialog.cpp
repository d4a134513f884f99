// Additional > "One-time code…": the selected entry's current code in large
// digits with the seconds it has left, updated live; Copy, Set up and
// Remove; and the clock the codes are worked out from.
#include <windows.h>

#include <ctime>
#include <memory>

#include "app/unit1.h"
#include "core/one_time_code.h"
#include "core/resource_strings.h"
#include "core/text.h"
#include "core/secure_memory.h"
#include "toolkit/dialogs.h"
#include "toolkit/edit.h"
#include "toolkit/label.h"
#include "ui/dialog_parts.h"
#include "ui/password_query.h"
#include "vault/entry_items.h"

namespace velt {

namespace {

constexpr UINT_PTR kTickTimer = 0x4F54;
constexpr int kBarWidth = 240;
// No clock that tells the truth is before this version's sources were
// written (2026-12-01 00:00 UTC).
constexpr std::int64_t kMadeAfter = 1796083200;

class OneTimeDialog {
public:
    OneTimeDialog(CellStore& table, int row, Clock& clock, platform::ClipboardGuard& clipboard, HWND owner)
        : table_(table), row_(row), clock_(clock), clipboard_(clipboard), owner_(owner) {}

    // True when the code was set up or removed.
    bool Run();

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);
    void Show();
    void SetUp();

    CellStore& table_;
    int row_;
    Clock& clock_;
    platform::ClipboardGuard& clipboard_;
    HWND owner_;
    std::unique_ptr<OneTimeCode> code_;
    TLabel *digits_ = nullptr, *left_ = nullptr, *bar_ = nullptr, *clockText_ = nullptr;
    TEdit *secret_ = nullptr, *digitsChoice_ = nullptr, *periodChoice_ = nullptr, *algorithmChoice_ = nullptr;
    bool changed_ = false;
    static OneTimeDialog* shown_;
};

OneTimeDialog* OneTimeDialog::shown_ = nullptr;

void CALLBACK OneTimeDialog::Tick(HWND, UINT, UINT_PTR, DWORD) {
    try {
        if (shown_) shown_->Show();
    } catch (...) {
    }
}

void OneTimeDialog::Show() {
    const std::int64_t now = clock_.UnixNow();
    if (code_) {
        const int left = code_->SecondsLeft(now);
        digits_->SetCaption(code_->CodeAt(now));
        left_->SetCaption(FormatText(ResStr(IDS_OTP_SECONDS_LEFT), {left}));
        bar_->SetWidth(std::max(1, kBarWidth * left / code_->Period()));
    } else {
        digits_->SetCaption(ResStr(IDS_OTP_NO_CODE_YET));
        left_->SetCaption("");
        bar_->SetWidth(1);
    }
    char when[32] = "?";
    const std::time_t t = static_cast<std::time_t>(now);
    if (const std::tm* utc = std::gmtime(&t)) std::strftime(when, sizeof when, "%Y-%m-%d %H:%M:%S", utc);
    std::string text = FormatText(ResStr(IDS_OTP_CLOCK), {std::string(when)});
    if (now < kMadeAfter) text += "\r\n" + ResStr(IDS_OTP_CLOCK_WRONG);
    clockText_->SetCaption(text);
}

int NumberIn(const std::string& text, int fallback) {
    if (text.empty() || text.size() > 4 || text.find_first_not_of("0123456789") != std::string::npos) return fallback;
    return std::stoi(text);
}

void OneTimeDialog::SetUp() {
    std::string text = secret_->Text();
    ScopedWipe wipe(text);
    OneTimeCodeChoice bare;
    bare.digits = NumberIn(digitsChoice_->Text(), -1);
    bare.period = NumberIn(periodChoice_->Text(), -1);
    const std::string algorithm = algorithmChoice_->Text();
    bare.algorithm = SameAsciiNoCase(algorithm, "SHA256")   ? HashAlgorithm::Sha256
                     : SameAsciiNoCase(algorithm, "SHA512") ? HashAlgorithm::Sha512
                                                            : HashAlgorithm::Sha1;
    try {
        if (!SameAsciiNoCase(algorithm, "SHA1") && bare.algorithm == HashAlgorithm::Sha1 &&
            TrimBlanks(text).find("://") == std::string::npos)
            throw EOneTimeCodeError(FormatText(ResStr(IDS_OTP_ALGORITHM), {algorithm}));
        OneTimeCode parsed = OneTimeCode::Parse(text, bare);
        std::string link = parsed.Link();
        ScopedWipe wipeLink(link);
        SetOneTimeCode(table_, row_, link);
        code_ = std::make_unique<OneTimeCode>(parsed);
        changed_ = true;
        secret_->SetText("");
    } catch (const EOneTimeCodeError& e) {
        MessageDlg(e.Message(), TMsgDlgType::mtWarning, TMsgDlgButtons::mbOK);
    }
    Show();
}

bool OneTimeDialog::Run() {
    const std::string_view link = OneTimeCodeOf(table_, row_);
    if (!link.empty()) {
        try {
            code_ = std::make_unique<OneTimeCode>(OneTimeCode::Parse(link));
        } catch (const EOneTimeCodeError&) {
        }
    }
    auto form = NewDialogForm();
    const SIZE wh = MeasureAverageCharSize(form->Canvas());
    const int w = wh.cx, h = wh.cy;
    const int margin = MulDiv(8, w, 4), row = MulDiv(14, h, 8);
    form->SetBorderStyle(TFormBorderStyle::bsDialog);
    form->SetCaption(ResStr(IDS_OTP_TITLE));
    form->SetPosition(TPosition::poScreenCenter);
    form->SetClientWidth(2 * margin + MulDiv(200, w, 4));
    const int inner = form->ClientWidth() - 2 * margin;
    auto label = [&](const std::string& caption, int top) {
        auto* l = new TLabel(form.get());
        l->SetParent(form.get());
        l->SetCaption(caption);
        l->SetLeft(margin);
        l->SetTop(top);
        return l;
    };
    int top = margin;
    digits_ = label("0", top);
    digits_->Font().SetHeight(36);  // the code is read and typed: large, and readable by screen readers
    top += 44;
    left_ = label("", top);
    top += left_->Height() + 4;
    bar_ = label("", top);
    bar_->SetTransparent(false);
    bar_->SetColor(RGB(0, 160, 80));
    bar_->SetAutoSize(false);
    bar_->SetBounds(margin, top, kBarWidth, 6);
    top += 6 + row / 2;
    clockText_ = label("", top);
    const int line = clockText_->Height();
    clockText_->SetWordWrap(true);
    clockText_->SetMaxWidth(inner);
    top += 4 * line + row / 2;  // the time, and room for the wrong clock's warning

    TLabel* setupLabel = label(ResStr(IDS_OTP_SETUP_LABEL), top);
    top += setupLabel->Height() + 4;
    secret_ = new TEdit(form.get());
    secret_->SetParent(form.get());
    secret_->Font().SetColor(clBlack);
    secret_->SetBounds(margin, top, inner, secret_->Height());
    secret_->SetMaxLength(static_cast<int>(kMaxOneTimeLink));
    secret_->SetPasswordChar('*');
    secret_->SetSecret(true);
    setupLabel->SetFocusControl(secret_);
    top += secret_->Height() + 4;
    TLabel* bareLabel = label(ResStr(IDS_OTP_BARE_CHOICE), top);
    top += bareLabel->Height() + 4;
    auto small = [&](const char* value, int left, int width) {
        auto* e = new TEdit(form.get());
        e->SetParent(form.get());
        e->Font().SetColor(clBlack);
        e->SetBounds(left, top, width, e->Height());
        e->SetMaxLength(6);
        e->SetText(value);
        return e;
    };
    digitsChoice_ = small("6", margin, MulDiv(20, w, 4));
    periodChoice_ = small("30", margin + MulDiv(24, w, 4), MulDiv(20, w, 4));
    algorithmChoice_ = small("SHA1", margin + MulDiv(48, w, 4), MulDiv(32, w, 4));
    top += digitsChoice_->Height() + row / 2;

    const int buttonWidth = MulDiv(46, w, 4), gap = MulDiv(4, w, 4);
    auto button = [&](const std::string& caption, TModalResult result, int index) {
        return AddDialogButton(form.get(), caption, result, margin + index * (buttonWidth + gap), top, buttonWidth,
                               row);
    };
    TBitBtnWithColor* copy = button(ResStr(IDS_OTP_COPY), mrNone, 0);
    copy->OnClick = [&](TComponent*) {
        if (code_) clipboard_.Copy(code_->CodeToCopy(clock_.UnixNow()), owner_);
    };
    TBitBtnWithColor* setUp = button(ResStr(IDS_OTP_SET_UP), mrNone, 1);
    setUp->OnClick = [&](TComponent*) { SetUp(); };
    TBitBtnWithColor* remove = button(ResStr(IDS_OTP_REMOVE), mrNone, 2);
    remove->OnClick = [&](TComponent*) {
        if (!code_ || MessageDlg(ResStr(IDS_OTP_REMOVE_ASK), TMsgDlgType::mtConfirmation,
                                 TMsgDlgButtons::mbYesNo) != mrYes)
            return;
        SetOneTimeCode(table_, row_, "");
        code_.reset();
        changed_ = true;
        Show();
    };
    TBitBtnWithColor* close = button("OK", mrOk, 3);
    close->SetCancel(true);
    form->SetClientHeight(close->Top() + close->Height() + 13);
    form->SetActiveControl(code_ ? static_cast<TWinControl*>(copy) : secret_);

    Show();
    shown_ = this;
    SetTimer(form->Handle(), kTickTimer, 250, &OneTimeDialog::Tick);
    form->ShowModal();
    KillTimer(form->Handle(), kTickTimer);
    shown_ = nullptr;
    std::string typed = secret_->Text();
    WipeString(typed);
    secret_->SetText("");
    return changed_;
}

Clock* oneTimeTestClock = nullptr;

} // namespace

void TForm1::SetOneTimeClockForTests(Clock* clock) { oneTimeTestClock = clock; }
Clock& TForm1::OneTimeClock() { return oneTimeTestClock ? *oneTimeTestClock : SystemClock(); }

void TForm1::Onetimecode1Click(TComponent*) {
    const int row = StringGrid1->Selection().Top;
    if (Locked() || row < 1 || row >= StringGrid1->RowCount()) return;
    CloseEditor(true);
    if (!StrongProtection()) {
        if (MessageDlg(ResStr(IDS_OTP_NEEDS_STRONG), TMsgDlgType::mtConfirmation, TMsgDlgButtons::mbYesNo) != mrYes)
            return;
        Silneszyfrowanie1Click(this);
        if (!StrongProtection()) return;
    }
    if (OneTimeDialog(StringGrid1->Store(), row, OneTimeClock(), clipboard_, Handle()).Run()) Modified = true;
}

} // namespace velt
