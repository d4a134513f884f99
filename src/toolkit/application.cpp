#include "toolkit/application.h"

#include <exception>

#include "core/resource_strings.h"
#include "toolkit/forms.h"
#include "toolkit/msgbox.h"

namespace velt {

namespace {
TApplication& TheApplication() {
    // Never destroyed: windows may still be torn down during static destruction.
    static auto* app = new TApplication;
    return *app;
}
} // namespace

TApplication* const Application = &TheApplication();

const ClassInfo& TApplication::StaticClass() {
    static const ClassInfo info("TApplication", &TComponent::StaticClass(), {});
    return info;
}

TApplication::TApplication() : TComponent(nullptr) {}
TApplication::~TApplication() = default;

void TApplication::Run() {
    if (terminated_) {
        // Take the quit request out of the queue, so it cannot end a later loop.
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            if (msg.message == WM_QUIT) break;
        return;
    }
    if (mainForm_) {
        try {
            mainForm_->Show();
        } catch (...) {
            HandleException();
        }
    }
    while (!terminated_) HandleMessage();
}

void TApplication::Terminate() {
    if (terminated_) return;
    terminated_ = true;
    PostQuitMessage(0);
}

void TApplication::ClearTerminated() {
    terminated_ = false;
    MSG msg;
    while (PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
}

bool TApplication::Dispatch(MSG& msg) {
    if (msg.message == WM_QUIT) {
        terminated_ = true;
        return false;
    }
    // Keys handled here never reach the window: menu shortcuts anywhere in a
    // form, Tab, Enter (default button) and Esc (cancel button).
    try {
        bool handled = false;
        if (msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN) {
            HWND root = GetAncestor(msg.hwnd, GA_ROOT);
            if (auto* form = dynamic_cast<TForm*>(TWinControl::FromHandle(root)))
                handled = form->PreTranslateMessage(msg);
        }
        if (!handled) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    } catch (...) {
        HandleException();
    }
    TControlCanvas::FreeDeviceContexts();
    return true;
}

void TApplication::DestroyForms() {
    while (ComponentCount() > 0) delete Component(ComponentCount() - 1);
    mainForm_ = nullptr;
}

void TApplication::ProcessMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        if (!Dispatch(msg)) break;
}

void TApplication::HandleMessage() {
    MSG msg;
    BOOL r = GetMessageA(&msg, nullptr, 0, 0);
    if (r == -1) {
        terminated_ = true;
        return;
    }
    if (r == 0) msg.message = WM_QUIT;
    Dispatch(msg);
}

std::string TApplication::ErrorReportText(std::string message) {
    if (!message.empty() && static_cast<unsigned char>(message.back()) > static_cast<unsigned char>('.'))
        message += '.';
    return message;
}

void TApplication::ShowException(const std::string& message) {
    ShowMessageBox(nullptr, ErrorReportText(message), title_, MB_OK | MB_ICONERROR);
}

bool TApplication::HelpContext(int context) {
    if (!OnHelp) return false;
    OnHelp(context);
    return true;
}

void TApplication::HandleException() {
    if (!std::current_exception()) return;
    try {
        try {
            throw;
        } catch (const std::exception& e) {
            ShowException(e.what());
        } catch (...) {
            ShowException(ResStr(IDS_UNKNOWN_EXCEPTION));
        }
    } catch (...) {
        // The report itself failed (no memory, a failing hook): nothing more to do.
    }
}

} // namespace velt
