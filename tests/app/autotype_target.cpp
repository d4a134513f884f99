// The window auto-type types into in the tests: a login box and a password
// box under a title given on the command line. Every Enter it receives
// appends "login|password" (UTF-8) to the output file and empties the boxes
// for the next round.
//   autotype_target "<title>" <output file> [steal|retitle|aside]
// With "steal", a second window comes to the front once the login box holds
// three characters, as a pop-up would in the middle of the typing. With
// "retitle", the title becomes "Chat - Messenger" 0.8 s after the window
// loses the front, as a browser's tab or page would change. With "aside",
// the window opens at the screen's lower right, clear of Velt's.
#include <windows.h>
#include <shellapi.h>

#include <string>

namespace {

HWND g_login, g_password, g_last;
std::wstring g_output;
bool g_steal = false, g_stolen = false, g_retitle = false;

std::string Utf8(HWND edit) {
    wchar_t text[512] = {};
    const int n = GetWindowTextW(edit, text, 512);
    char out[2048] = {};
    WideCharToMultiByte(CP_UTF8, 0, text, n, out, sizeof out - 1, nullptr, nullptr);
    return out;
}

void RecordEnter() {
    const std::string line = Utf8(g_login) + "|" + Utf8(g_password) + "\n";
    HANDLE f = CreateFileW(g_output.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(f, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    CloseHandle(f);
}

LRESULT CALLBACK Proc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_ACTIVATE:
        // Without it the first keys after activation are lost.
        if (LOWORD(wp) != WA_INACTIVE && g_last) SetFocus(g_last);
        if (LOWORD(wp) == WA_INACTIVE && g_retitle) SetTimer(w, 1, 800, nullptr);
        return 0;
    case WM_TIMER:
        KillTimer(w, 1);
        SetWindowTextW(w, L"Chat - Messenger");
        return 0;
    case WM_COMMAND:
        if (HIWORD(wp) == EN_CHANGE && g_steal && !g_stolen && GetWindowTextLengthW(g_login) >= 3) {
            g_stolen = true;
            HWND pop = CreateWindowW(L"STATIC", L"Pop-up", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 400, 400, 200, 100,
                                     nullptr, nullptr, nullptr, nullptr);
            SetForegroundWindow(pop);
        }
        return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    }
    return DefWindowProcW(w, msg, wp, lp);
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argc < 3) return 2;
    g_output = argv[2];
    g_steal = argc > 3 && lstrcmpW(argv[3], L"steal") == 0;
    g_retitle = argc > 3 && lstrcmpW(argv[3], L"retitle") == 0;
    WNDCLASSW wc{};
    wc.lpfnWndProc = Proc;
    wc.hInstance = instance;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = L"AutoTypeTarget";
    RegisterClassW(&wc);
    const bool aside = argc > 3 && lstrcmpW(argv[3], L"aside") == 0;
    HWND w = CreateWindowW(L"AutoTypeTarget", argv[1], WS_OVERLAPPEDWINDOW | WS_VISIBLE, aside ? 880 : 50,
                           aside ? 800 : 50, 360, 160, nullptr,
                           nullptr, instance, nullptr);
    g_login = CreateWindowW(L"EDIT", L"", WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL, 20, 20, 300, 24, w,
                            nullptr, instance, nullptr);
    g_password = CreateWindowW(L"EDIT", L"", WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL | ES_PASSWORD, 20, 60,
                               300, 24, w, nullptr, instance, nullptr);
    g_last = g_login;
    SetFocus(g_login);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == WM_KEYDOWN && (msg.wParam == VK_TAB || msg.wParam == VK_RETURN)) {
            if (msg.wParam == VK_RETURN) {
                RecordEnter();
                SetWindowTextW(g_login, L"");
                SetWindowTextW(g_password, L"");
                SetFocus(g_last = g_login);
            } else SetFocus(g_last = GetFocus() == g_login ? g_password : g_login);
            continue;
        }
        if (msg.message == WM_SETFOCUS || msg.hwnd == g_login || msg.hwnd == g_password)
            if (GetFocus() == g_login || GetFocus() == g_password) g_last = GetFocus();
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
