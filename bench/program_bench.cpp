// The real program from outside, as a user meets it:
//  - start-up until the password prompt is on the screen, against a trivial
//    Win32 program's start-up until its window is on the screen, alternated;
//  - with the 84 MB vault beside it: the password typed, the time until the
//    main window is up; "Save" from the menu; the program's peak memory.
//
//   program_bench.exe velt.exe trivial_window.exe work-folder [rounds, 15] [dpi]
// Needs a display; run with LANG=en so the prompt is "Enter the password".
// With a DPI (the prefix's LogPixels, set by the caller) only the start-up
// is measured, and its row names the DPI.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/vault_files_win.h"
#include "bench/bench_common.h"
#include "vault/collation_win.h"
#include "vault/table_ops.h"
#include "vault/vault_file.h"
#include "vault/vault_format.h"

using namespace velt;
using namespace velt::bench;

namespace {

double g_trivialPeak = 0;  // the trivial program's peak working set: Wine's own share
// Runs of the figures a single run would leave to the noise of the machine.
constexpr int kSamples = 5;

// "median (lowest-highest of n)": a single run here varies by up to 3x.
std::string MedianAndSpread(const std::vector<double>& v) {
    const auto [low, high] = std::minmax_element(v.begin(), v.end());
    return Sec(Median(v)) + " (" + Fmt("%.3f", *low) + "-" + Fmt("%.3f s", *high) + " of " + std::to_string(v.size()) + ")";
}

// The visible child window with the largest area: the grid of the main window.
struct Largest {
    HWND w = nullptr;
    long area = 0;
};
BOOL CALLBACK KeepLargest(HWND w, LPARAM lp) {
    auto* best = reinterpret_cast<Largest*>(lp);
    RECT r{};
    GetClientRect(w, &r);
    if (IsWindowVisible(w) && long(r.right) * r.bottom > best->area) best->area = long(r.right) * r.bottom, best->w = w;
    return TRUE;
}
HWND LargestChild(HWND parent) {
    Largest best;
    EnumChildWindows(parent, KeepLargest, reinterpret_cast<LPARAM>(&best));
    return best.w;
}

class Child {
public:
    explicit Child(const std::string& exe, const std::string& folder) {
        std::string command = "\"" + exe + "\"";
        STARTUPINFOA si{};
        si.cb = sizeof si;
        started_ = Now();
        if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &si, &pi_))
            pi_ = PROCESS_INFORMATION{};
    }
    ~Child() {
        if (!pi_.hProcess) return;
        TerminateProcess(pi_.hProcess, 0);
        WaitForSingleObject(pi_.hProcess, 10000);
        CloseHandle(pi_.hThread);
        CloseHandle(pi_.hProcess);
    }
    bool Started() const { return pi_.hProcess != nullptr; }
    double StartedAt() const { return started_; }
    HANDLE Process() const { return pi_.hProcess; }
    DWORD Id() const { return pi_.dwProcessId; }

private:
    PROCESS_INFORMATION pi_{};
    double started_ = 0;
};

// A visible top-level window of the given class and title belonging to the
// process, or null.
HWND FindVisible(DWORD process, const char* cls, const char* title) {
    HWND w = nullptr;
    while ((w = FindWindowExA(nullptr, w, cls, title)) != nullptr) {
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        if (owner == process && IsWindowVisible(w)) return w;
    }
    return nullptr;
}

// Polls every millisecond; null after the timeout.
HWND WaitFor(const Child& child, const char* cls, const char* title, double timeout = 30) {
    const double end = Now() + timeout;
    while (Now() < end) {
        if (HWND w = FindVisible(child.Id(), cls, title)) return w;
        Sleep(1);
    }
    return nullptr;
}

struct FoundChild {
    const char* cls;
    const char* text;
    HWND found;
};

BOOL CALLBACK MatchChild(HWND w, LPARAM lp) {
    auto* want = reinterpret_cast<FoundChild*>(lp);
    char cls[64] = {}, text[64] = {};
    GetClassNameA(w, cls, sizeof cls);
    GetWindowTextA(w, text, sizeof text);
    if (lstrcmpiA(cls, want->cls) == 0 && (!want->text || lstrcmpA(text, want->text) == 0)) {
        want->found = w;
        return FALSE;
    }
    return TRUE;
}

HWND ChildOf(HWND parent, const char* cls, const char* text) {
    FoundChild want{cls, text, nullptr};
    EnumChildWindows(parent, MatchChild, reinterpret_cast<LPARAM>(&want));
    return want.found;
}

// Waits until the program's GUI thread has handled everything posted so far.
bool WaitIdle(HWND w, UINT timeoutMs = 120000) {
    DWORD_PTR result;
    return SendMessageTimeoutA(w, WM_NULL, 0, 0, SMTO_NORMAL, timeoutMs, &result) != 0;
}

FILETIME LastWrite(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data);
    return data.ftLastWriteTime;
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void StartupFigures(const std::string& velt, const std::string& trivial, const std::string& folder, int rounds,
                    const std::string& scale) {
    std::vector<double> program, reference;
    for (int i = 0; i < rounds; ++i) {
        {
            Child t(trivial, folder);
            if (!t.Started() || !WaitFor(t, "VeltTrivialWindow", nullptr)) {
                std::printf("the trivial program did not show its window\n");
                return;
            }
            reference.push_back(Now() - t.StartedAt());
            PROCESS_MEMORY_COUNTERS pmc{};
            pmc.cb = sizeof pmc;
            if (GetProcessMemoryInfo(t.Process(), &pmc, sizeof pmc))
                g_trivialPeak = std::max(g_trivialPeak, double(pmc.PeakWorkingSetSize));
        }
        {
            Child v(velt, folder);
            if (!v.Started() || !WaitFor(v, "VeltForm", "Enter the password")) {
                std::printf("velt.exe did not show its password prompt\n");
                return;
            }
            program.push_back(Now() - v.StartedAt());
        }
        std::printf("round %d: velt.exe %.1f ms, trivial %.1f ms\n", i + 1, program.back() * 1000,
                    reference.back() * 1000);
    }
    // Other work on the machine makes single starts slower by up to 200 ms;
    // the two programs start alternately, and the medians are compared.
    const double p = *std::min_element(program.begin(), program.end());
    const double r = *std::min_element(reference.begin(), reference.end());
    Row("Start-up to the password prompt" + scale + " (median of " + std::to_string(rounds) + "; best)",
        Ms(Median(program)) + "; " + Ms(p), "trivial Win32 window: " + Ms(Median(reference)) + "; " + Ms(r),
        "median <= reference + 25 ms", Verdict(Median(program) <= Median(reference) + 0.025));
}

void FullVaultFigures(const std::string& velt, const std::string& folder) {
    const std::string vault = folder + "\\baza.pdb";
    const CellStore table = VaultSizedTable(kVaultMaxEntries);
    SaveVault(vault, table, kBenchPassword);
    const std::string original = ReadAll(vault);
    const double raw = double(kVaultMaxEntries) * 5 * 255;  // the text of the fields
    // The references are medians too, so that the verdict compares like with like.
    std::vector<double> reads, writes;
    for (int i = 0; i < kSamples; ++i) {
        reads.push_back(PlainRead(vault, original.size()));
        writes.push_back(PlainWrite(folder + "\\plain.bin", original));
    }
    const double plainWrite = Median(writes);
    DeleteFileA((folder + "\\plain.bin").c_str());

    // A fresh start each time; the last one stays for Save and peak memory.
    std::unique_ptr<Child> v;
    HWND main = nullptr;
    std::vector<double> unlocks;
    for (int i = 0; i < kSamples; ++i) {
        v.reset();
        v = std::make_unique<Child>(velt, folder);
        HWND prompt = v->Started() ? WaitFor(*v, "VeltForm", "Enter the password") : nullptr;
        HWND edit = prompt ? ChildOf(prompt, "VeltEdit", nullptr) : nullptr;
        HWND ok = prompt ? ChildOf(prompt, "VeltButton", "OK") : nullptr;
        if (!edit || !ok) {
            std::printf("no password prompt to answer\n");
            return;
        }
        SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(kBenchPassword));
        const double clicked = Now();
        PostMessageA(ok, BM_CLICK, 0, 0);
        main = WaitFor(*v, "VeltForm", "Velt 0.2", 120);
        if (!main || !WaitIdle(main)) {
            std::printf("the main window did not come up\n");
            return;
        }
        unlocks.push_back(Now() - clicked);
    }
    Row("Password entered to main window, 84 MB vault (velt.exe, median of " + std::to_string(kSamples) + ")",
        MedianAndSpread(unlocks), "plain read: " + MedianAndSpread(reads), "", "");

    PROCESS_MEMORY_COUNTERS pmc{};
    pmc.cb = sizeof pmc;
    GetProcessMemoryInfo(v->Process(), &pmc, sizeof pmc);
    std::printf("velt.exe after unlocking: peak working set %.1f MB, working set %.1f MB\n",
                pmc.PeakWorkingSetSize / 1e6, pmc.WorkingSetSize / 1e6);

    // Each press saves a changed table: a click on a column's title sorts by
    // it first (not timed), and the bench sorts its own copy alike to check
    // the file. Ctrl+S as the user presses it; Save is done when the new
    // file has replaced the old one (its last step).
    HWND grid = LargestChild(main);
    RECT gridRect{};
    GetClientRect(grid, &gridRect);
    const int colWidth = (gridRect.right - 32) / 5;  // column 0 is 32 pixels wide
    const UserLocaleCollation collation;
    CellStore expected = table;
    std::vector<double> saves;
    bool same = true;
    for (int i = 0; i < kSamples; ++i) {
        const int col = 1 + i % 5;
        const LPARAM title = MAKELPARAM(32 + colWidth * (col - 1) + colWidth / 2, 12);
        SendMessageA(grid, WM_MOUSEMOVE, 0, title);
        SendMessageA(grid, WM_LBUTTONDOWN, MK_LBUTTON, title);
        SendMessageA(grid, WM_LBUTTONUP, 0, title);
        SortByColumn(expected, col, collation);
        const FILETIME before = LastWrite(vault);
        SetForegroundWindow(main);
        WaitIdle(main);
        INPUT keys[4] = {};
        const WORD codes[4] = {VK_CONTROL, 'S', 'S', VK_CONTROL};
        for (int k = 0; k < 4; ++k) {
            keys[k].type = INPUT_KEYBOARD;
            keys[k].ki.wVk = codes[k];
            keys[k].ki.dwFlags = k >= 2 ? KEYEVENTF_KEYUP : 0;
        }
        const double pressed = Now();
        SendInput(4, keys, sizeof(INPUT));
        double saved = -1;
        while (Now() - pressed < 60) {
            const FILETIME now = LastWrite(vault);
            if (CompareFileTime(&now, &before) != 0) {
                saved = Now() - pressed;
                break;
            }
            Sleep(1);
        }
        WaitIdle(main);
        if (saved < 0) {
            std::printf("Ctrl+S did not save\n");
            return;
        }
        std::printf("press %d (sorted by column %d): %.3f s\n", i + 1, col, saved);
        saves.push_back(saved);
        same = same && ReadAll(vault) == BuildVaultImage(expected, kBenchPassword);
    }
    Row("Save with Ctrl+S, 84 MB vault (velt.exe, median of " + std::to_string(kSamples) + " changed tables)",
        MedianAndSpread(saves), "plain write + flush: " + MedianAndSpread(writes), "<= 1.3x reference",
        Verdict(same && Median(saves) <= 1.3 * plainWrite));
    if (!same) std::printf("a saved vault differs from the table shown\n");

    if (!GetProcessMemoryInfo(v->Process(), &pmc, sizeof pmc) || pmc.PeakWorkingSetSize == 0) {
        std::printf("no memory figures for the program\n");
        return;
    }
    std::printf("velt.exe: peak working set %.1f MB, working set %.1f MB, peak committed %.1f MB; "
                "trivial program: peak working set %.1f MB\n",
                pmc.PeakWorkingSetSize / 1e6, pmc.WorkingSetSize / 1e6, pmc.PeakPagefileUsage / 1e6,
                g_trivialPeak / 1e6);
    // Under Wine a process's working set includes Wine's own libraries; the
    // trivial program's peak shows that share, which does not grow with
    // the data.
    const double peak = double(pmc.PeakWorkingSetSize), own = peak - g_trivialPeak;
    Row("Peak memory, velt.exe with the 84 MB vault loaded and saved",
        Mb(peak) + Fmt(" (%.2fx); ", peak / raw) + Mb(own) + Fmt(" above the trivial program (%.2fx)", own / raw),
        "raw data 65,535 x 5 x 255 bytes: " + Mb(raw) + "; trivial program: " + Mb(g_trivialPeak),
        "<= 1.5x raw data (above the trivial program)", Verdict(own <= 1.5 * raw));
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::printf("usage: program_bench velt.exe trivial_window.exe work-folder [rounds] [dpi]\n");
        return 2;
    }
    const std::string trivial = argv[2], folder = argv[3];
    const int rounds = argc > 4 ? std::atoi(argv[4]) : 15;
    const std::string dpi = argc > 5 ? argv[5] : "";
    CreateDirectoryA(folder.c_str(), nullptr);
    DeleteFileA((folder + "\\baza.pdb").c_str());
    // The program keeps its vault beside itself: a copy in the work folder.
    const std::string velt = folder + "\\velt.exe";
    if (!CopyFileA(argv[1], velt.c_str(), FALSE)) {
        std::printf("cannot copy %s\n", argv[1]);
        return 1;
    }
    StartupFigures(velt, trivial, folder, rounds, dpi.empty() ? "" : " at " + dpi + " DPI");
    if (dpi.empty()) FullVaultFigures(velt, folder);
    DeleteFileA((folder + "\\baza.pdb").c_str());
    return 0;
}
