// Additional > "Copy one-time code" (Ctrl+Shift+T): the selected entry's
// current code onto the clipboard, through the same guard as a password.
#include <windows.h>

#include "app/unit1.h"
#include "core/one_time_code.h"
#include "core/resource_strings.h"
#include "core/secure_memory.h"
#include "toolkit/dialogs.h"
#include "vault/entry_items.h"

namespace velt {

void TForm1::Copyonetimecode1Click(TComponent*) {
    const int row = StringGrid1->Selection().Top;
    if (Locked() || row < 1 || row >= StringGrid1->RowCount()) return;
    const std::string_view link = OneTimeCodeOf(StringGrid1->Store(), row);
    if (link.empty()) {
        MessageDlg(ResStr(IDS_OTP_NONE), TMsgDlgType::mtInformation, TMsgDlgButtons::mbOK);
        return;
    }
    try {
        const OneTimeCode code = OneTimeCode::Parse(link);
        clipboard_.Copy(code.CodeToCopy(OneTimeClock().UnixNow()), Handle());
    } catch (const EOneTimeCodeError& e) {
        MessageDlg(e.Message(), TMsgDlgType::mtWarning, TMsgDlgButtons::mbOK);
    }
}

} // namespace velt
