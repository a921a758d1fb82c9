// How long the main window's set-up takes apart from the splash's fixed 2000 ms, against
// making a bare window of the same size in the same run.
#include <windows.h>

#include <cstdio>

#include "common/ui/Application.h"
#include "common/ui/Form.h"
#include "quorvane/shell/MainUnit.h"

namespace {
double Ms(LARGE_INTEGER a, LARGE_INTEGER b) {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return double(b.QuadPart - a.QuadPart) * 1000.0 / double(f.QuadPart);
}
}  // namespace

int main() {
    qv::ui::Application().Initialize();
    const int rounds = 3;
    double bareMs = 1e9, mainMs = 1e9, setupMs = 1e9;
    for (int r = 0; r < rounds; ++r) {
        LARGE_INTEGER t0, t1, t2;
        QueryPerformanceCounter(&t0);
        {
            qv::ui::TFormOptions o;
            o.Border = qv::ui::TBorderStyle::None;
            o.ClientWidth = 776;
            o.ClientHeight = 601;
            qv::ui::TForm bare("Bare", o);
            bare.Show();
            qv::ui::Application().ProcessMessages();
        }
        QueryPerformanceCounter(&t1);
        {
            qv::TMainForm main;
            main.Show();
            qv::ui::Application().ProcessMessages();
            setupMs = std::min<double>(setupMs, main.SetupMilliseconds());
        }
        QueryPerformanceCounter(&t2);
        bareMs = std::min(bareMs, Ms(t0, t1));
        mainMs = std::min(mainMs, Ms(t1, t2) - 2000.0);
    }
    std::printf("main window, best of %d\n", rounds);
    std::printf("  bare 776 x 601 window       %7.1f ms\n", bareMs);
    std::printf("  main window without splash  %7.1f ms (set-up steps alone: %.0f ms)\n", mainMs, setupMs);
    std::printf("  ratio main window / bare window: %.1f\n", mainMs / bareMs);
    return 0;
}
