#include "ui/dialog_parts.h"

#include "toolkit/application.h"

namespace velt {

std::unique_ptr<TForm> NewDialogForm() {
    auto form = std::make_unique<TForm>(Application);
    form->Font().SetColor(clWhite);
    form->SetColor(clBlack);
    form->Canvas().Font().Assign(form->Font());
    return form;
}

TBitBtnWithColor* AddDialogButton(TForm* form, const std::string& caption, TModalResult result, int left, int top,
                                  int width, int height) {
    auto* b = new TBitBtnWithColor(form);
    b->SetParent(form);
    b->SetCaption(caption);
    b->SetModalResult(result);
    b->SetColor(clBlack);
    b->Font().SetColor(clWhite);
    b->SetBounds(left, top, width, height);
    return b;
}

} // namespace velt
