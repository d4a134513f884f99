#include "tools/show_generated_password.h"

#include <windows.h>

#include <memory>

#include "core/resource_strings.h"
#include "core/secure_memory.h"
#include "platform/system_random.h"
#include "tools/password_generator.h"
#include "toolkit/application.h"
#include "toolkit/edit.h"
#include "toolkit/forms.h"
#include "toolkit/label.h"
#include "ui/button_with_color.h"
#include "ui/dialog_parts.h"
#include "ui/password_query.h"

namespace velt {

bool ShowGeneratedPassword(const std::string& title, const std::string& prompt, const std::string& password) {
    // Freed on every path, also when building or showing throws.
    auto form = NewDialogForm();
    const SIZE wh = MeasureAverageCharSize(form->Canvas());
    const int w = wh.cx, h = wh.cy;

    form->SetBorderStyle(TFormBorderStyle::bsDialog);
    form->SetCaption(title);
    form->SetClientWidth(MulDiv(180, w, 4));
    form->SetPosition(TPosition::poScreenCenter);

    auto* label = new TLabel(form.get());
    label->SetParent(form.get());
    label->SetWordWrap(true);
    label->SetMaxWidth(MulDiv(164, w, 4));
    label->SetCaption(prompt);
    label->SetLeft(MulDiv(8, w, 4));
    label->SetTop(MulDiv(8, h, 8));

    auto* edit = new TEdit(form.get());
    edit->SetParent(form.get());
    edit->Font().SetColor(clBlack);
    edit->SetBounds(label->Left(), label->Top() + label->Height() + 5, MulDiv(164, w, 4), edit->Height());
    edit->SetMaxLength(255);
    edit->SetText(password);
    edit->SetSecret(true);  // copied, never read aloud
    label->SetFocusControl(edit);
    edit->SelectAll();

    const int top = edit->Top() + edit->Height() + 15;
    auto* ok = AddDialogButton(form.get(), "OK", mrOk, MulDiv(67, w, 4), top, MulDiv(50, w, 4), MulDiv(14, h, 8));
    ok->SetDefault(true);
    ok->SetCancel(true);

    form->SetClientHeight(ok->Top() + ok->Height() + 13);
    form->SetActiveControl(edit);
    return form->ShowModal() == mrOk;
}

void ShowNewPassword(GeneratedKind kind) {
    RandomByteSource& random = platform::SystemRandom();
    std::string password;
    ScopedWipe wipe(password);
    int title = IDS_GENERATED_PASSWORD;
    switch (kind) {
    case GeneratedKind::Random: password = GenerateRandomPassword(random); break;
    case GeneratedKind::Simple:
        password = GenerateSimplePassword(random);
        title = IDS_EASY_PASSWORD;
        break;
    case GeneratedKind::Numerical:
        password = GenerateNumericalPassword(random);
        title = IDS_NUMERICAL_PASSWORD;
        break;
    }
    ShowGeneratedPassword(ResStr(title), ResStr(IDS_COPY_FROM_FIELD), password);
}

} // namespace velt
