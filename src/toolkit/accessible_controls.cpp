// How the toolkit's controls describe themselves to screen readers. The
// roles of superclassed system controls are the ones Windows gives them.
#include <windows.h>

#include <oleacc.h>

#include "core/resource_strings.h"
#include "core/text.h"
#include "toolkit/accessible.h"
#include "toolkit/button.h"
#include "toolkit/checkbox.h"
#include "toolkit/edit.h"
#include "toolkit/forms.h"
#include "toolkit/groupbox.h"
#include "toolkit/image.h"
#include "toolkit/label.h"
#include "toolkit/speedbutton.h"

namespace velt {

long TForm::AccessibleRole() const { return ROLE_SYSTEM_CLIENT; }
long TGroupBox::AccessibleRole() const { return ROLE_SYSTEM_GROUPING; }
long TLabel::AccessibleRole() const { return ROLE_SYSTEM_STATICTEXT; }

long TEdit::AccessibleRole() const { return ROLE_SYSTEM_TEXT; }

std::u16string TEdit::AccessibleText() const {
    // Never the text itself: that is the value, and may be a password.
    if (!AccessibleName().empty()) return SpokenCaption(AccessibleName());
    if (TControl* label = LabelledBy()) return SpokenCaption(label->Caption());
    return {};
}

long TEdit::AccessibleState() const {
    long state = 0;
    if (PasswordChar() || secret_) state |= STATE_SYSTEM_PROTECTED;
    if (ReadOnly()) state |= STATE_SYSTEM_READONLY;
    return state;
}

HRESULT TEdit::AccessibleValue(std::u16string& value) const {
    if (PasswordChar() || secret_) return E_ACCESSDENIED;
    value = Widen(Text());
    return S_OK;
}

long TButton::AccessibleRole() const { return ROLE_SYSTEM_PUSHBUTTON; }
long TButton::AccessibleState() const { return default_ ? STATE_SYSTEM_DEFAULT : 0; }
std::u16string TButton::AccessibleAction() const { return SpokenText(IDS_ACC_PRESS); }

long TCheckBox::AccessibleRole() const { return ROLE_SYSTEM_CHECKBUTTON; }
long TCheckBox::AccessibleState() const { return Checked() ? STATE_SYSTEM_CHECKED : 0; }
std::u16string TCheckBox::AccessibleAction() const { return SpokenText(Checked() ? IDS_ACC_UNCHECK : IDS_ACC_CHECK); }
void TCheckBox::AccessibleDoAction() {
    // As a press of the box: the system toggles it and notifies.
    if (HandleAllocated()) SendMessageA(Handle(), BM_CLICK, 0, 0);
}

long TSpeedButton::AccessibleRole() const { return ROLE_SYSTEM_PUSHBUTTON; }
std::u16string TSpeedButton::AccessibleAction() const { return SpokenText(IDS_ACC_PRESS); }

long TImage::AccessibleRole() const { return OnClick ? ROLE_SYSTEM_LINK : 0; }
std::u16string TImage::AccessibleText() const {
    return AccessibleName().empty() ? SpokenCaption(Hint()) : SpokenCaption(AccessibleName());
}
std::u16string TImage::AccessibleAction() const { return OnClick ? SpokenText(IDS_ACC_OPEN) : std::u16string(); }

} // namespace velt
