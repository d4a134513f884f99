#include "app/check_pass_box.h"

#include "app/unit1.h"
#include "i18n/translator.h"

namespace velt {

TCheckPassBox* CheckPassBox = nullptr;

namespace {
// The language the main window's Language menu shows.
const char* MenuLanguage() { return Form1 && Form1->Polski1->Checked() ? "pl" : "en"; }
} // namespace

const ClassInfo& TCheckPassBox::StaticClass() {
    static const ClassInfo info("TCheckPassBox", &TForm::StaticClass(), {});
    return info;
}

TCheckPassBox::TCheckPassBox(TComponent* owner) : TForm(owner) {
    SetName("CheckPassBox");
    SetCaption("Check password strength");
    SetBorderStyle(TFormBorderStyle::bsDialog);
    SetPosition(TPosition::poScreenCenter);
    SetClientSize(308, 107);
    SetColor(clBlack);
    Font().SetName("MS Sans Serif");
    Font().SetHeight(-11);
    Font().SetColor(clWhite);
    OnCreate = [this](TComponent* s) { FormCreate(s); };
    OnShow = [this](TComponent* s) { FormShow(s); };
}

void TCheckPassBox::FormCreate(TComponent*) {
    i18n::ChooseLanguage(MenuLanguage());
    i18n::TranslateComponent(*this);
}

void TCheckPassBox::FormShow(TComponent*) {
    i18n::ChooseLanguage(MenuLanguage());
    i18n::RetranslateComponent(*this);
}

} // namespace velt
