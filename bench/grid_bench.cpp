// How long the string grid takes to paint one screen deep inside a large
// table: 65,535 entry rows, the view at row 60,000, the main window's size,
// with and without the password-masking owner drawing. Prints ms per paint.
//   scripts/wine-run build/win32/grid_bench.exe   (inside an X display)
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "toolkit/application.h"
#include "toolkit/forms.h"
#include "toolkit/string_grid.h"

using namespace velt;

namespace {

double Now() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return 1000.0 * static_cast<double>(t.QuadPart) / static_cast<double>(frequency.QuadPart);
}

struct Figures {
    double mean, best, worst;
};

template <class Step>
Figures Measure(int rounds, Step step) {
    std::vector<double> times;
    for (int i = 0; i < rounds; ++i) {
        double start = Now();
        step(i);
        times.push_back(Now() - start);
    }
    double sum = 0;
    for (double t : times) sum += t;
    return {sum / rounds, *std::min_element(times.begin(), times.end()),
            *std::max_element(times.begin(), times.end())};
}

void Print(const char* what, const Figures& f) {
    std::printf("%-52s %7.3f ms/paint (best %.3f, worst %.3f)\n", what, f.mean, f.best, f.worst);
}

} // namespace

int main() {
    TForm form(nullptr);
    form.SetClientSize(611, 405);
    form.SetColor(clBlack);
    form.Font().SetName("Tahoma");
    form.Font().SetHeight(-13);
    form.Font().SetColor(clWhite);
    auto* grid = new TStringGrid(&form);
    grid->SetParent(&form);
    grid->SetBounds(16, 72, 579, 285);
    grid->SetColor(clBlack);
    grid->SetFixedColor(0xFF8000);
    grid->SetDefaultColWidth(103);
    grid->SetColWidths(0, 32);

    const int entries = 65535;
    CellStore& table = grid->Store();
    table.SetRowCount(entries + 1);
    const char* titles[] = {"#", "Name", "Address", "Login", "Password", "Description"};
    for (int c = 0; c < 6; ++c) table.SetCell(c, 0, titles[c]);
    for (int r = 1; r <= entries; ++r) {
        std::string n = std::to_string(r);
        table.SetCell(0, r, n);
        table.SetCell(1, r, "Account " + n);
        table.SetCell(2, r, "https://www.example.com/login/" + n);
        table.SetCell(3, r, "user" + n + "@example.com");
        table.SetCell(4, r, "p4ss-W0rd-" + n);
        table.SetCell(5, r, "Description of entry number " + n + " with some more words");
    }
    grid->Invalidate();
    form.Show();
    Application->ProcessMessages();
    grid->SetTopRow(60000);
    Application->ProcessMessages();
    HWND h = grid->Handle();
    auto repaint = [&](int) { RedrawWindow(h, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW); };

    std::printf("grid %dx%d client, %d rows, top row %d, %d cells per paint\n", grid->ClientWidth(),
                grid->ClientHeight(), grid->RowCount(), grid->TopRow(), (repaint(0), grid->PaintedCellCount()));
    Print("full repaint at row 60,000", Measure(200, repaint));

    grid->OnDrawCell = [&](TComponent*, int col, int row, const RECT& rect, TGridDrawState) {
        if (col != 4 || row < 1) return;
        TCanvas& canvas = grid->Canvas();
        canvas.Font().SetColor(clRed);
        canvas.Brush().color = grid->CellBackground();
        canvas.FillRect(rect);
        canvas.TextOut(rect.left + 1, rect.top + 5, std::string(grid->Cells(col, row).size(), '*'));
    };
    Print("full repaint at row 60,000, passwords masked", Measure(200, repaint));

    Print("scroll one row and paint (60,000 onwards)", Measure(200, [&](int i) {
              SendMessageA(h, WM_VSCROLL, SB_LINEDOWN, 0);
              (void)i;
          }));
    Print("page down and paint", Measure(100, [&](int) { SendMessageA(h, WM_VSCROLL, SB_PAGEDOWN, 0); }));

    // The same at the top of a 10-row table, for comparison.
    table.SetRowCount(11);
    grid->SetTopRow(1);
    Print("full repaint, 10-row table", Measure(200, repaint));
    return 0;
}
