#include "app/import_command.h"

#include "core/resource_strings.h"
#include "import/csv_import.h"
#include "import/import_file.h"
#include "import/windows_code_page.h"
#include "platform/system_random.h"

namespace velt {

bool RunImport(HWND owner, CellStore& table, TOpenDialog& dialog, const std::function<bool()>& keepCodes) {
    dialog.SetFilter(ResStr(IDS_IMPORT_FILTER));
    if (!dialog.Execute(owner)) return false;
    const std::string path = dialog.FileName();
    import::ImportSummary summary;
    try {
        std::string bytes = import::ReadImportFile(path);
        summary = import::ImportCsv(bytes, path, table, import::WindowsImportCodePage(), platform::SystemRandom());
    } catch (const import::EImportError& e) {
        MessageDlg(e.Message(), TMsgDlgType::mtError, TMsgDlgButtons::mbOK);
        return false;
    }
    if (!summary.codes.empty() && keepCodes && keepCodes()) import::KeepImportedCodes(summary, table);
    MessageDlg(import::SummaryText(summary), TMsgDlgType::mtInformation, TMsgDlgButtons::mbOK);
    return summary.imported > 0;
}

} // namespace velt
