// The application object: title, message loop, the end of the program, and
// the error report that shows every exception a handler lets escape.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

#include "core/component.h"

namespace velt {

class TForm;

class TApplication : public TComponent {
    VELT_PERSISTENT_CLASS()
public:
    TApplication();
    ~TApplication() override;

    const std::string& Title() const { return title_; }
    void SetTitle(const std::string& title) { title_ = title; }

    // The first form made by CreateForm; closing it ends the program.
    TForm* MainForm() const { return mainForm_; }
    void SetMainForm(TForm* form) { mainForm_ = form; }

    // Makes a form owned by the application and runs its OnCreate; the
    // first one becomes the main form.
    template <class T, class... Args>
    T* CreateForm(Args&&... args);

    // Shows the main form and runs the message loop until the program is
    // asked to end. When that was asked already, returns at once without
    // showing anything.
    void Run();
    // Asks the program to end: posts the quit request; every message loop
    // of the toolkit stops at it.
    void Terminate();
    bool Terminated() const { return terminated_; }
    // Forgets an earlier Terminate (a new loop after the old one ended).
    void ClearTerminated();

    // Frees the forms the application owns, the last made first (at the end
    // of the program, before the services they use go away).
    void DestroyForms();

    // Handles every waiting message, then returns.
    void ProcessMessages();
    // Waits for one message and handles it.
    void HandleMessage();

    // The error report: call inside a catch block. Shows the exception's
    // message in an error box captioned with Title; never throws.
    void HandleException();
    void ShowException(const std::string& message);

    // Shows help for a topic through OnHelp; false when nothing shows it.
    bool HelpContext(int context);
    std::function<void(int context)> OnHelp;
    // The message as the report shows it: a full stop is added when the
    // last character sorts after '.'.
    static std::string ErrorReportText(std::string message);

private:
    bool Dispatch(MSG& msg);
    void RegisterForm(TForm* form);

    std::string title_;
    TForm* mainForm_ = nullptr;
    bool terminated_ = false;
};

extern TApplication* const Application;

} // namespace velt

#include "toolkit/forms.h"

namespace velt {

template <class T, class... Args>
T* TApplication::CreateForm(Args&&... args) {
    T* form = new T(this, std::forward<Args>(args)...);
    form->DoCreate();
    if (!mainForm_) mainForm_ = form;
    return form;
}

} // namespace velt
