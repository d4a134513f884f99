// The password-strength dialog, created hidden at start and kept for the
// whole run. Until the tools bring its controls, it carries only the
// language steps that keep it in the main window's language.
#pragma once
#include "toolkit/forms.h"

namespace velt {

class TCheckPassBox : public TForm {
    VELT_PERSISTENT_CLASS()
public:
    explicit TCheckPassBox(TComponent* owner);

    void FormCreate(TComponent* sender);
    void FormShow(TComponent* sender);
};

extern TCheckPassBox* CheckPassBox;

} // namespace velt
