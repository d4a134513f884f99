// msaa_reader.exe: reads a window of another process as a screen reader
// does, through MSAA and WinEvents, and prints what it heard (UTF-8), one
// line at a time. Commands, in order, from the command line:
//   secret TEXT         a text that must never be heard (checked by tree)
//   tree HWND           every object below the window's client, then
//                       "searched N texts" and a LEAK line per secret heard
//   hook HWND           from now on, print focus and value-change events
//   key HWND VK         a key press posted to the window
//   pump MS             lets events arrive for MS milliseconds
//   focus HWND          the object that has the focus
//   do HWND CHILD       the default action of a child
//   clip                the clipboard's text
//   places HWND         each child's name, accLocation (x y width height)
//                       and the child accHitTest finds at its centre
#include <windows.h>

#include <oleacc.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::vector<std::wstring> g_secrets;
int g_searched = 0;
std::vector<std::string> g_leaks;
DWORD g_target = 0;  // the process whose events are printed

std::string Utf8(const std::wstring& w) {
    if (w.empty()) return {};
    int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
    std::string s(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), &s[0], n, nullptr, nullptr);
    return s;
}

std::wstring Wide(const char* utf8) {
    int n = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0);
    std::wstring w(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8, -1, &w[0], n);
    w.resize(w.size() - 1);
    return w;
}

void Print(const std::string& line) {
    std::fputs((line + "\n").c_str(), stdout);
    std::fflush(stdout);
}

HWND Window(const char* text) { return reinterpret_cast<HWND>(std::strtoul(text, nullptr, 16)); }

VARIANT Child(long id) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = id;
    return v;
}

// A text property; "denied" when refused, empty when there is none.
std::wstring Heard(HRESULT hr, BSTR text, const char* what, bool& denied) {
    denied = hr == E_ACCESSDENIED;
    if (FAILED(hr) && !denied && hr != DISP_E_MEMBERNOTFOUND) {
        char code[16];
        std::snprintf(code, sizeof code, "%08lx", static_cast<unsigned long>(hr));
        Print(std::string(what) + " failed " + code);
    }
    std::wstring out = SUCCEEDED(hr) && text ? std::wstring(text, SysStringLen(text)) : std::wstring();
    if (text) SysFreeString(text);
    ++g_searched;
    for (const std::wstring& s : g_secrets)
        if (!s.empty() && out.find(s) != std::wstring::npos) g_leaks.push_back("LEAK " + Utf8(s) + " in " + what);
    return out;
}

std::string RoleName(long role) {
    switch (role) {
    case ROLE_SYSTEM_TABLE: return "table";
    case ROLE_SYSTEM_CELL: return "cell";
    case ROLE_SYSTEM_PUSHBUTTON: return "button";
    case ROLE_SYSTEM_CHECKBUTTON: return "checkbox";
    case ROLE_SYSTEM_TEXT: return "text";
    case ROLE_SYSTEM_STATICTEXT: return "static";
    case ROLE_SYSTEM_CLIENT: return "client";
    case ROLE_SYSTEM_LINK: return "link";
    case ROLE_SYSTEM_GROUPING: return "group";
    case ROLE_SYSTEM_WINDOW: return "window";
    default: return "role" + std::to_string(role);
    }
}

std::string StateNames(long state) {
    static const struct {
        long bit;
        const char* name;
    } kNames[] = {{STATE_SYSTEM_FOCUSED, "focused"},     {STATE_SYSTEM_SELECTED, "selected"},
                  {STATE_SYSTEM_PROTECTED, "protected"}, {STATE_SYSTEM_INVISIBLE, "invisible"},
                  {STATE_SYSTEM_UNAVAILABLE, "unavailable"}, {STATE_SYSTEM_CHECKED, "checked"},
                  {STATE_SYSTEM_DEFAULT, "default"}};
    std::string out;
    for (const auto& n : kNames)
        if (state & n.bit) out += std::string(out.empty() ? "" : ",") + n.name;
    return out;
}

// One object or simple child as a line: role "name" and what else it says.
std::string Describe(IAccessible* acc, long id) {
    VARIANT child = Child(id);
    bool denied = false;
    // Each call made before its text is taken.
    auto text = [&](HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, BSTR*), const char* what) {
        BSTR got = nullptr;
        HRESULT hr = (acc->*get)(child, &got);
        return Heard(hr, got, what, denied);
    };
    std::wstring name = text(&IAccessible::get_accName, "name");
    std::wstring value = text(&IAccessible::get_accValue, "value");
    const bool valueDenied = denied;
    std::wstring description = text(&IAccessible::get_accDescription, "description");
    text(&IAccessible::get_accHelp, "help");
    std::wstring action = text(&IAccessible::get_accDefaultAction, "action");
    VARIANT role, state;
    VariantInit(&role);
    VariantInit(&state);
    acc->get_accRole(child, &role);
    acc->get_accState(child, &state);
    std::string line = RoleName(role.vt == VT_I4 ? role.lVal : 0) + " \"" + Utf8(name) + "\"";
    if (valueDenied) line += " value=denied";
    else if (!value.empty()) line += " value=\"" + Utf8(value) + "\"";
    if (!description.empty()) line += " desc=\"" + Utf8(description) + "\"";
    if (!action.empty()) line += " action=\"" + Utf8(action) + "\"";
    std::string states = StateNames(state.vt == VT_I4 ? state.lVal : 0);
    if (!states.empty()) line += " [" + states + "]";
    return line;
}

void Walk(IAccessible* acc, int depth, int& budget) {
    if (--budget < 0) return;
    long count = 0;
    acc->get_accChildCount(&count);
    Print(std::string(static_cast<size_t>(depth) * 2, ' ') + Describe(acc, CHILDID_SELF) +
          " children=" + std::to_string(count));
    for (long i = 1; i <= count && budget > 0; ++i) {
        VARIANT child = Child(i);
        IDispatch* dispatch = nullptr;
        IAccessible* inner = nullptr;
        if (acc->get_accChild(child, &dispatch) == S_OK && dispatch &&
            SUCCEEDED(dispatch->QueryInterface(IID_IAccessible, reinterpret_cast<void**>(&inner)))) {
            Walk(inner, depth + 1, budget);
            inner->Release();
        } else {
            --budget;
            Print(std::string(static_cast<size_t>(depth + 1) * 2, ' ') + Describe(acc, i));
        }
        if (dispatch) dispatch->Release();
    }
}

IAccessible* ClientOf(HWND window) {
    IAccessible* acc = nullptr;
    if (FAILED(AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                                          reinterpret_cast<void**>(&acc))))
        return nullptr;
    return acc;
}

void CALLBACK OnEvent(HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG child, DWORD, DWORD) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != g_target || (event != EVENT_OBJECT_FOCUS && event != EVENT_OBJECT_VALUECHANGE)) return;
    IAccessible* acc = nullptr;
    VARIANT v;
    VariantInit(&v);
    if (FAILED(AccessibleObjectFromEvent(window, static_cast<DWORD>(object), static_cast<DWORD>(child), &acc, &v)))
        return;
    const char* kind = event == EVENT_OBJECT_FOCUS ? "focus" : "valuechange";
    Print(std::string("event ") + kind + " " + Describe(acc, v.vt == VT_I4 ? v.lVal : CHILDID_SELF));
    acc->Release();
}

void Pump(DWORD ms) {
    const DWORD end = GetTickCount() + ms;
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        const DWORD now = GetTickCount();
        if (static_cast<LONG>(end - now) <= 0) return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, end - now, QS_ALLINPUT);
    }
}

} // namespace

int main(int argc, char** argv) {
    CoInitialize(nullptr);
    for (int i = 1; i < argc; ++i) {
        const std::string command = argv[i];
        auto arg = [&]() -> const char* { return i + 1 < argc ? argv[++i] : ""; };
        if (command == "secret") {
            g_secrets.push_back(Wide(arg()));
        } else if (command == "tree") {
            IAccessible* acc = ClientOf(Window(arg()));
            if (!acc) {
                Print("no object");
                continue;
            }
            g_searched = 0;
            g_leaks.clear();
            int budget = 2000;
            Walk(acc, 0, budget);
            acc->Release();
            Print("searched " + std::to_string(g_searched) + " texts");
            for (const std::string& leak : g_leaks) Print(leak);
        } else if (command == "hook") {
            // Wine delivers nothing to a hook that names the process: filtered above.
            GetWindowThreadProcessId(Window(arg()), &g_target);
            SetWinEventHook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_VALUECHANGE, nullptr, &OnEvent, 0, 0,
                            WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS);
        } else if (command == "key") {
            HWND window = Window(arg());
            WPARAM vk = static_cast<WPARAM>(std::strtoul(arg(), nullptr, 0));
            PostMessageW(window, WM_KEYDOWN, vk, 1);
            PostMessageW(window, WM_KEYUP, vk, 0xC0000001);
        } else if (command == "pump") {
            Pump(static_cast<DWORD>(std::atoi(arg())));
        } else if (command == "focus") {
            IAccessible* acc = ClientOf(Window(arg()));
            VARIANT focus;
            VariantInit(&focus);
            if (acc && acc->get_accFocus(&focus) == S_OK && focus.vt == VT_I4)
                Print("focus " + Describe(acc, focus.lVal));
            else
                Print("focus none");
            if (acc) acc->Release();
        } else if (command == "do") {
            IAccessible* acc = ClientOf(Window(arg()));
            long child = std::atol(arg());
            HRESULT hr = acc ? acc->accDoDefaultAction(Child(child)) : E_FAIL;
            Print(hr == S_OK ? "done" : "not done");
            if (acc) acc->Release();
        } else if (command == "places") {
            IAccessible* acc = ClientOf(Window(arg()));
            long count = 0;
            if (acc) acc->get_accChildCount(&count);
            for (long i = 1; i <= count; ++i) {
                BSTR name = nullptr;
                acc->get_accName(Child(i), &name);
                bool denied = false;
                const std::string said = Utf8(Heard(S_OK, name, "name", denied));
                long x = 0, y = 0, w = 0, h = 0;
                VARIANT hit;
                VariantInit(&hit);
                if (acc->accLocation(&x, &y, &w, &h, Child(i)) == S_OK)
                    acc->accHitTest(x + w / 2, y + h / 2, &hit);
                const long found = hit.vt == VT_I4 ? hit.lVal : hit.vt == VT_DISPATCH ? i : -1;
                if (hit.vt == VT_DISPATCH && hit.pdispVal) hit.pdispVal->Release();
                Print("place \"" + said + "\" " + std::to_string(x) + " " + std::to_string(y) + " " +
                      std::to_string(w) + " " + std::to_string(h) + " hit " + std::to_string(found));
            }
            if (acc) acc->Release();
        } else if (command == "clip") {
            std::wstring text;
            if (OpenClipboard(nullptr)) {
                if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
                    if (auto* p = static_cast<const wchar_t*>(GlobalLock(data))) {
                        text = p;
                        GlobalUnlock(data);
                    }
                }
                CloseClipboard();
            }
            Print("clip \"" + Utf8(text) + "\"");
        } else {
            Print("unknown command " + command);
            return 2;
        }
    }
    CoUninitialize();
    return 0;
}
