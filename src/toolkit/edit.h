// The single-line edit box (a system EDIT): masking character, length limit,
// selection, change event, its own colours.
#pragma once
#include <functional>
#include <string>

#include "toolkit/controls.h"

namespace velt {

enum class TBorderStyle { bsNone, bsSingle };

class TEdit : public TWinControl {
    VELT_PERSISTENT_CLASS()
public:
    explicit TEdit(TComponent* owner);

    // Characters the user may type; 0 means no limit.
    int MaxLength() const { return maxLength_; }
    void SetMaxLength(int v);
    // Shown in place of every character; '\0' shows the text.
    char PasswordChar() const { return passwordChar_; }
    void SetPasswordChar(char c);
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool v);
    TBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TBorderStyle v);

    // Empties the box, leaving no copy of its text in the control's own
    // buffers (text and undo) nor in the toolkit's; no change event fires.
    // `longest`: the longest text the box may have held before.
    void WipeText(size_t longest = 0) noexcept;

    void SelectAll();
    int SelStart() const;
    int SelLength() const;
    void SetSelection(int start, int length);
    bool Modified() const;

    // Every change of the text, typed or set.
    TNotifyEvent OnChange;

    // A secret box: readers are refused its text although it is shown, and
    // its Copy and Cut go to the secret copier, not the system edit's copy
    // (which carries none of the clipboard's privacy marks and is never
    // cleared).
    bool Secret() const { return secret_; }
    void SetSecret(bool v) { secret_ = v; }

    // Where secret boxes copy to: the selection's bytes (system code page)
    // and the characters shown. The program sets its clipboard guard here;
    // until then a secret copy still carries the privacy marks.
    using SecretCopier = std::function<void(const std::string& text, const std::u16string& shown)>;
    static void SetSecretCopier(SecretCopier copier);
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    // A text box; a password or secret box gives no value and says it is
    // protected.
    long AccessibleRole() const override;
    std::u16string AccessibleText() const override;
    long AccessibleState() const override;
    HRESULT AccessibleValue(std::u16string& value) const override;

protected:
    virtual void Change() { if (OnChange) OnChange(this); }
    void GetCreateParams(CreateParams& params) override;
    void HandleCreated() override;
    void Command(WORD notifyCode) override;

private:
    void CopySelectionAsSecret(bool cut);

    int maxLength_ = 0;
    char passwordChar_ = 0;
    bool secret_ = false;
    bool readOnly_ = false;
    bool wiping_ = false;
    TBorderStyle borderStyle_ = TBorderStyle::bsSingle;
    int selStart_ = 0, selLength_ = 0;
};

} // namespace velt
