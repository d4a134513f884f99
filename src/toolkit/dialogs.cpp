#include "toolkit/dialogs.h"

#include <commdlg.h>

#include <utility>

#include "core/resource_strings.h"
#include "platform/lazy_library.h"
#include "toolkit/msgbox.h"

namespace velt {

namespace {

// A box's caption (Velt's own words or the framework's) and icon.
std::string CaptionAndIcon(TMsgDlgType type, TMsgDlgCaption whose, UINT& flags) {
    int captionId = IDS_MSG_WARNING;
    switch (type) {
    case TMsgDlgType::mtWarning: captionId = IDS_MSG_WARNING; flags = MB_ICONWARNING; break;
    case TMsgDlgType::mtError: captionId = IDS_MSG_ERROR; flags = MB_ICONERROR; break;
    case TMsgDlgType::mtInformation: captionId = IDS_MSG_INFORMATION; flags = MB_ICONINFORMATION; break;
    case TMsgDlgType::mtConfirmation: captionId = IDS_MSG_CONFIRM; flags = MB_ICONQUESTION; break;
    }
    return whose == TMsgDlgCaption::Own ? ResStrInContext(kOwnDialogs, captionId) : ResStr(captionId);
}

} // namespace

TModalResult MessageDlg(const std::string& text, TMsgDlgType type, TMsgDlgButtons buttons,
                        TMsgDlgCaption whose) {
    UINT flags = 0;
    const std::string caption = CaptionAndIcon(type, whose, flags);
    switch (buttons) {
    case TMsgDlgButtons::mbOK: flags |= MB_OK; break;
    case TMsgDlgButtons::mbOKCancel: flags |= MB_OKCANCEL; break;
    case TMsgDlgButtons::mbYesNo: flags |= MB_YESNO; break;
    case TMsgDlgButtons::mbYesNoCancel: flags |= MB_YESNOCANCEL; break;
    }
    switch (ShowMessageBox(nullptr, text, caption, flags)) {
    case IDOK: return mrOk;
    case IDYES: return mrYes;
    case IDNO: return mrNo;
    case IDCANCEL: return mrCancel;
    default: return mrNone;
    }
}

int MessageDlgChoice(const std::string& text, TMsgDlgType type, const std::vector<std::string>& buttons) {
    UINT flags = 0;
    const std::string caption = CaptionAndIcon(type, TMsgDlgCaption::Own, flags);
    // Yes, No and Cancel under Velt's words.
    const int id = ShowMessageBox(nullptr, text, caption, flags | MB_YESNOCANCEL,
                                  {buttons.at(0), buttons.at(1), buttons.at(2)});
    return id == IDYES ? 0 : id == IDNO ? 1 : 2;
}

// ---------------------------------------------------------------- Save dialog

namespace {
SaveDialogHook& Hook() {
    static auto* hook = new SaveDialogHook;
    return *hook;
}
OpenDialogHook& OpenHook() {
    static auto* hook = new OpenDialogHook;
    return *hook;
}
} // namespace

SaveDialogHook SetSaveDialogHook(SaveDialogHook hook) { return std::exchange(Hook(), std::move(hook)); }

const ClassInfo& TSaveDialog::StaticClass() {
    static const ClassInfo info("TSaveDialog", &TComponent::StaticClass(), {});
    return info;
}

void TSaveDialog::Prepare(Request& request, HWND owner) const {
    request.filter = filter_;
    for (char& c : request.filter)
        if (c == '|') c = '\0';
    request.filter.append(2, '\0');
    request.fileBuffer = fileName_;
    request.fileBuffer.resize(fileName_.size() < 4096 ? 4096 : fileName_.size() + 1, '\0');
    OPENFILENAMEA& ofn = request.ofn;
    ofn = OPENFILENAMEA{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filter_.empty() ? nullptr : request.filter.c_str();
    ofn.nFilterIndex = static_cast<DWORD>(filterIndex_ < 1 ? 1 : filterIndex_);
    ofn.lpstrFile = request.fileBuffer.data();
    ofn.nMaxFile = static_cast<DWORD>(request.fileBuffer.size());
    ofn.lpstrTitle = title_.empty() ? nullptr : title_.c_str();
    ofn.lpstrDefExt = defaultExt_.empty() ? nullptr : defaultExt_.c_str();
    // The program finds its files beside the executable, never through the
    // current directory; keep the dialog from changing it all the same.
    ofn.Flags = OFN_EXPLORER | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST;
    if (options_ & ofOverwritePrompt) ofn.Flags |= OFN_OVERWRITEPROMPT;
    if (options_ & ofHideReadOnly) ofn.Flags |= OFN_HIDEREADONLY;
    if (options_ & ofEnableSizing) ofn.Flags |= OFN_ENABLESIZING;
}

bool TSaveDialog::Execute(HWND owner) {
    if (Hook()) return Hook()(*this);
    if (!owner) owner = GetActiveWindow();
    Request request;
    Prepare(request, owner);
    static auto* const getSaveFileName =
        platform::SystemFunction<decltype(GetSaveFileNameA)>("comdlg32.dll", "GetSaveFileNameA");
    if (!getSaveFileName(&request.ofn)) return false;
    fileName_ = request.fileBuffer.c_str();
    filterIndex_ = static_cast<int>(request.ofn.nFilterIndex);
    return true;
}

// ---------------------------------------------------------------- Open dialog

OpenDialogHook SetOpenDialogHook(OpenDialogHook hook) { return std::exchange(OpenHook(), std::move(hook)); }

const ClassInfo& TOpenDialog::StaticClass() {
    static const ClassInfo info("TOpenDialog", &TSaveDialog::StaticClass(), {});
    return info;
}

void TOpenDialog::Prepare(Request& request, HWND owner) const {
    TSaveDialog::Prepare(request, owner);
    request.ofn.Flags = (request.ofn.Flags & ~DWORD(OFN_OVERWRITEPROMPT)) | OFN_FILEMUSTEXIST;
}

bool TOpenDialog::Execute(HWND owner) {
    if (OpenHook()) return OpenHook()(*this);
    if (!owner) owner = GetActiveWindow();
    Request request;
    Prepare(request, owner);
    static auto* const getOpenFileName =
        platform::SystemFunction<decltype(GetOpenFileNameA)>("comdlg32.dll", "GetOpenFileNameA");
    if (!getOpenFileName(&request.ofn)) return false;
    SetFileName(request.fileBuffer.c_str());
    SetFilterIndex(static_cast<int>(request.ofn.nFilterIndex));
    return true;
}

} // namespace velt
