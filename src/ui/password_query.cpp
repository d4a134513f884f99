#include "ui/password_query.h"

#include <algorithm>
#include <memory>

#include "core/resource_strings.h"
#include "core/secure_memory.h"
#include "toolkit/application.h"
#include "toolkit/checkbox.h"
#include "toolkit/edit.h"
#include "toolkit/forms.h"
#include "toolkit/label.h"
#include "ui/button_with_color.h"
#include "ui/dialog_parts.h"
#include "ui/password_query_layout.h"

namespace velt {

namespace {

// Empties the box as the prompt goes, filler over every place the password
// was held.
class WipeOnClose {
public:
    WipeOnClose(TEdit* edit, size_t oldLength) : edit_(edit), oldLength_(oldLength) {}
    ~WipeOnClose() { edit_->WipeText(oldLength_); }
    WipeOnClose(const WipeOnClose&) = delete;
    WipeOnClose& operator=(const WipeOnClose&) = delete;

private:
    TEdit* edit_;
    size_t oldLength_;
};

// Reads the box's text straight into `password`, whose old bytes are
// overwritten first, so no other copy is made.
void ReadInto(HWND edit, std::string& password) {
    WipeBytes(password.data(), password.size());
    const int length = GetWindowTextLengthA(edit);
    password.resize(static_cast<size_t>(length));
    const int got = GetWindowTextA(edit, &password[0], length + 1);
    password.resize(static_cast<size_t>(got > 0 ? got : 0));
}

} // namespace

SIZE MeasureAverageCharSize(TCanvas& canvas) {
    static const char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    SIZE size = canvas.TextExtent(kLetters);
    // In layout figures (96 DPI), whatever DPI the font is drawn for.
    const int dpi = canvas.Font().PixelsPerInch();
    size.cx = ScaleFromDpi(size.cx, dpi) / 52;
    size.cy = ScaleFromDpi(size.cy, dpi);
    return size;
}

namespace {

// The password box that keeps Enter from the dialog until it is let go:
// the press and its repeats stay in the box, and the release clicks OK.
class EnterOnReleaseEdit final : public TEdit {
public:
    explicit EnterOnReleaseEdit(TComponent* owner) : TEdit(owner) {}
    TButton* ok = nullptr;

    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
        if (wParam == VK_RETURN) {
            if (msg == WM_GETDLGCODE) return TEdit::WndProc(msg, wParam, lParam) | DLGC_WANTALLKEYS;
            if (msg == WM_KEYDOWN) {
                down_ = true;
                return 0;
            }
            if (msg == WM_KEYUP && down_) {
                down_ = false;
                if (ok) ok->Click();
                return 0;
            }
        }
        if (msg == WM_CHAR && wParam == '\r') return 0;  // only a beep in an edit box
        return TEdit::WndProc(msg, wParam, lParam);
    }

private:
    bool down_ = false;
};

// Without `asterisk` the prompt has no check box and the buttons move up.
bool Query(const std::string& caption, const std::string& prompt, std::string& password, bool* asterisk,
           bool enterOnRelease, HWND target = nullptr) {
    // Freed on every path, also when building or showing throws.
    auto form = NewDialogForm();
    const SIZE xy = MeasureAverageCharSize(form->Canvas());

    form->SetBorderStyle(TFormBorderStyle::bsDialog);
    form->SetCaption(caption);
    form->SetClientWidth(MulDiv(180, xy.cx, 4));
    form->SetPosition(TPosition::poScreenCenter);
    form->SetCenterOn(target);

    // The heights come from the controls themselves, one after the other.
    TPasswordQueryHeights heights;
    TPasswordQueryLayout l = ComputePasswordQueryLayout(xy.cx, xy.cy, heights);

    auto* label = new TLabel(form.get());
    label->SetParent(form.get());
    label->SetWordWrap(true);
    label->SetMaxWidth(l.labelMaxWidth);
    label->SetCaption(prompt);
    label->SetLeft(l.labelLeft);
    label->SetTop(l.labelTop);
    heights.label = label->Height();

    auto* releaseEdit = enterOnRelease ? new EnterOnReleaseEdit(form.get()) : nullptr;
    TEdit* edit = releaseEdit ? releaseEdit : new TEdit(form.get());
    edit->SetParent(form.get());
    edit->Font().SetColor(clBlack);
    l = ComputePasswordQueryLayout(xy.cx, xy.cy, heights);
    edit->SetBounds(l.editLeft, l.editTop, l.editWidth, edit->Height());
    edit->SetMaxLength(kPasswordMaxLength);
    edit->SetPasswordChar('*');
    label->SetFocusControl(edit);  // the prompt names the box
    WipeOnClose wipe(edit, password.size());
    // Straight into the window: the control keeps no copy of its own.
    SetWindowTextA(edit->Handle(), password.c_str());
    edit->SelectAll();
    heights.edit = edit->Height();

    TCheckBox* check = nullptr;
    if (asterisk) {
        check = new TCheckBox(form.get());
        check->SetParent(form.get());
        l = ComputePasswordQueryLayout(xy.cx, xy.cy, heights);
        check->SetBounds(l.checkLeft, l.checkTop, l.checkWidth, check->Height());
        check->SetCaption(ResStr(IDS_ASTERISK_PASSWORDS));
        check->SetChecked(false);
        heights.check = check->Height();
    }

    l = ComputePasswordQueryLayout(xy.cx, xy.cy, heights);
    TBitBtnWithColor* ok =
        AddDialogButton(form.get(), "OK", mrOk, l.okLeft, l.buttonTop, l.buttonWidth, l.buttonHeight);
    ok->SetDefault(true);
    if (releaseEdit) releaseEdit->ok = ok;
    TBitBtnWithColor* cancel =
        AddDialogButton(form.get(), "Cancel", mrCancel, l.cancelLeft, l.buttonTop, l.buttonWidth, l.buttonHeight);
    cancel->SetCancel(true);

    form->SetClientHeight(cancel->Top() + cancel->Height() + 13);
    form->SetActiveControl(edit);

    if (form->ShowModal() != mrOk) return false;
    if (asterisk) *asterisk = check->Checked();
    ReadInto(edit->Handle(), password);
    return true;
}

} // namespace

bool PasswordQuery(const std::string& caption, const std::string& prompt, std::string& password, bool& asterisk) {
    return Query(caption, prompt, password, &asterisk, false);
}

bool PasswordQuery(const std::string& caption, const std::string& prompt, std::string& password) {
    return Query(caption, prompt, password, nullptr, false);
}

bool PasswordQueryOnEnterRelease(const std::string& caption, const std::string& prompt, std::string& password,
                                 HWND target) {
    return Query(caption, prompt, password, nullptr, true, target);
}

} // namespace velt
