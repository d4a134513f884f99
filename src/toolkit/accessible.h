// What screen readers hear of a window: its own IAccessible, answered to
// WM_GETOBJECT, over a source that describes the window (child 0) and its
// simple children (1..ChildCount). The libraries behind it are loaded on
// the first request, so a session without a reader never loads them.
#pragma once
#include <windows.h>

#include <oleacc.h>

#include <string>

namespace velt {

// Asked only on the window's thread; every child number is in range.
class AccessibleSource {
public:
    virtual ~AccessibleSource() = default;

    virtual int ChildCount() = 0;
    virtual std::u16string Name(int child) = 0;
    virtual std::u16string Description(int child) { return {}; }
    // "Alt+S" for a control reached by a mnemonic.
    virtual std::u16string Shortcut(int child) { return {}; }
    // S_OK with the value, E_ACCESSDENIED for a secret, DISP_E_MEMBERNOTFOUND
    // when the child has none.
    virtual HRESULT Value(int child, std::u16string& value) { return DISP_E_MEMBERNOTFOUND; }
    virtual long Role(int child) = 0;
    virtual long State(int child) = 0;
    // Empty when the child has no default action.
    virtual std::u16string DefaultAction(int child) { return {}; }
    // Runs the action; called from a posted message, never inside the
    // reader's call, since the action may open a modal dialog.
    virtual void DoDefaultAction(int child) {}
    virtual bool Select(int child, long flags) { return false; }
    // Rectangle on screen; false when the child is not shown.
    virtual bool Location(int child, RECT& screen) = 0;
    // The focused child (0: the window itself) or -1.
    virtual int Focus() { return -1; }
    // The child at a screen point (0: the window itself) or -1 outside.
    virtual int HitTest(POINT screen) { return -1; }
    // The child reached from `from` (0 with NAVDIR_FIRSTCHILD/LASTCHILD) or -1.
    virtual int Navigate(long direction, int from) { return -1; }
    // A child that is an object of its own (a child window), with a
    // reference added; null for a simple child.
    virtual IDispatch* ChildObject(int child) { return nullptr; }
};

class AccessibleObject;

// The one accessible object of a window: made on the first request and
// disconnected from every reader when the window goes.
class AccessibleLink {
public:
    AccessibleLink() = default;
    ~AccessibleLink() { Disconnect(); }
    AccessibleLink(const AccessibleLink&) = delete;
    AccessibleLink& operator=(const AccessibleLink&) = delete;

    // The reply to WM_GETOBJECT for OBJID_CLIENT; 0 when it cannot be made.
    LRESULT Answer(HWND window, WPARAM wParam, AccessibleSource& source);
    void Disconnect() noexcept;

private:
    AccessibleObject* object_ = nullptr;
};

// The message a window posts itself to run a default action (wParam: child).
UINT AccessibleActionMessage();

// Tells listening screen readers about a change (EVENT_OBJECT_FOCUS...).
void NotifyAccessible(DWORD event, HWND window, LONG child);

// A caption as spoken: without the '&' that marks its mnemonic.
std::u16string SpokenCaption(const std::string& caption);
// A string resource as spoken, in the language of the moment.
std::u16string SpokenText(int id);
// The mnemonic letter of a caption ('\0' when none), upper case.
char MnemonicOf(const std::string& caption);

// A child window's own object, with a reference added; null when none.
IDispatch* WindowObject(HWND window);

} // namespace velt
