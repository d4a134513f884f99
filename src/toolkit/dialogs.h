// The program's own message boxes (captioned by their kind) and the Save and
// Open dialogs. All go through seams a test can answer: message boxes through
// SetMessageBoxHook (msgbox.h), the file dialogs through SetSaveDialogHook
// and SetOpenDialogHook.
#pragma once
#include <windows.h>
#include <commdlg.h>

#include <functional>
#include <string>
#include <vector>

#include "toolkit/forms.h"

namespace velt {

enum class TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation };
enum class TMsgDlgButtons { mbOK, mbOKCancel, mbYesNo, mbYesNoCancel };

// Whose words caption a box: the framework's captions have no catalogue
// entries and stay English, as the messages Velt always had are shown; the
// boxes Velt added since say it in the interface language.
enum class TMsgDlgCaption { Own, Framework };

// A modal message box captioned "Warning", "Error", "Information" or
// "Confirm" with the icon of its kind. Returns mrOk, mrCancel, mrYes or
// mrNo; Esc or the close box give mrCancel where there is a Cancel button.
TModalResult MessageDlg(const std::string& text, TMsgDlgType type, TMsgDlgButtons buttons,
                        TMsgDlgCaption caption = TMsgDlgCaption::Own);

// The same with three buttons of Velt's own words, the first the default
// (Enter); Esc or the close box choose the third. Returns the index (0-2) of
// the button chosen.
int MessageDlgChoice(const std::string& text, TMsgDlgType type, const std::vector<std::string>& buttons);

enum TSaveOption : unsigned {
    ofOverwritePrompt = 1,  // ask before replacing an existing file
    ofHideReadOnly = 2,     // no read-only check box
    ofEnableSizing = 4,     // the dialog can be resized
};

class TSaveDialog : public TComponent {
    VELT_PERSISTENT_CLASS()
public:
    explicit TSaveDialog(TComponent* owner) : TComponent(owner) {}

    const std::string& FileName() const { return fileName_; }
    void SetFileName(const std::string& v) { fileName_ = v; }
    // "Description|*.ext|Description|*.ext"
    const std::string& Filter() const { return filter_; }
    void SetFilter(const std::string& v) { filter_ = v; }
    // 1-based; after Execute, the filter the user chose.
    int FilterIndex() const { return filterIndex_; }
    void SetFilterIndex(int v) { filterIndex_ = v; }
    const std::string& DefaultExt() const { return defaultExt_; }
    void SetDefaultExt(const std::string& v) { defaultExt_ = v; }
    const std::string& Title() const { return title_; }
    void SetTitle(const std::string& v) { title_ = v; }
    unsigned Options() const { return options_; }
    void SetOptions(unsigned v) { options_ = v; }

    // Shows the dialog; true when the user chose a file (FileName and
    // FilterIndex then hold the choice, and are offered again next time).
    bool Execute(HWND owner = nullptr);

    // The Win32 structure Execute passes (filter string and buffer included).
    struct Request {
        OPENFILENAMEA ofn;
        std::string filter;      // NUL-separated, double NUL at the end
        std::string fileBuffer;  // the file name, padded with NULs
    };
    void Prepare(Request& request, HWND owner) const;

private:
    std::string fileName_;
    std::string filter_;
    int filterIndex_ = 1;
    std::string defaultExt_;
    std::string title_;
    unsigned options_ = ofHideReadOnly | ofEnableSizing;
};

// Replaces the system dialog: the hook gets the dialog, may set FileName and
// FilterIndex, and returns what Execute returns. Empty: the real dialog.
using SaveDialogHook = std::function<bool(TSaveDialog& dialog)>;
SaveDialogHook SetSaveDialogHook(SaveDialogHook hook);

// The system Open dialog: the same settings, and the file must exist.
class TOpenDialog : public TSaveDialog {
    VELT_PERSISTENT_CLASS()
public:
    explicit TOpenDialog(TComponent* owner) : TSaveDialog(owner) {}
    bool Execute(HWND owner = nullptr);
    void Prepare(Request& request, HWND owner) const;
};

using OpenDialogHook = std::function<bool(TOpenDialog& dialog)>;
OpenDialogHook SetOpenDialogHook(OpenDialogHook hook);

} // namespace velt
