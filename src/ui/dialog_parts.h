// What every dialog built at run time shares: a black form with white text
// and black-faced push buttons with white captions.
#pragma once
#include <memory>
#include <string>

#include "toolkit/forms.h"
#include "ui/button_with_color.h"

namespace velt {

// A new form owned by the application, its canvas in the form's font so it
// can be measured at once (MeasureAverageCharSize).
std::unique_ptr<TForm> NewDialogForm();

// A push button on `form` that closes it with `result`.
TBitBtnWithColor* AddDialogButton(TForm* form, const std::string& caption, TModalResult result, int left, int top,
                                  int width, int height);

} // namespace velt
