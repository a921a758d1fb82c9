// The Process page's fill (Refresh and the rebuild of every row with its image) against a bare
// ToolHelp walk of the same processes, both with about a hundred extra probe processes running.
// Prints the time per pass of the walk, of Refresh alone and of the whole fill, each as a ratio
// to the walk measured in the same run.
//   wine build/test/bin/process_page_bench.exe [extra-processes=100] [passes=5]
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "common/core/ToolHelp.h"
#include "common/ui/Application.h"
#include "common/ui/Form.h"
#include "quorvane/processes/ProcessPage.h"
#include "quorvane/processes/WindowsVersion.h"
#include "tests/processes/ProbeProcess.h"

namespace {
int BareWalk() {
    const qv::ToolHelpFunctions& th = qv::ToolHelp();
    HANDLE snap = th.CreateSnapshot(TH32CS_SNAPPROCESS, 0);
    if (snap == INVALID_HANDLE_VALUE) return 0;
    PROCESSENTRY32 e{};
    e.dwSize = sizeof e;
    int n = 0;
    for (BOOL ok = th.ProcessFirst(snap, &e); ok; ok = th.ProcessNext(snap, &e)) ++n;
    CloseHandle(snap);
    return n;
}

template <class Fn>
double PerPass(int passes, Fn fn) {
    LARGE_INTEGER f, a, b;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&a);
    for (int i = 0; i < passes; ++i) fn();
    QueryPerformanceCounter(&b);
    return static_cast<double>(b.QuadPart - a.QuadPart) / static_cast<double>(f.QuadPart) / passes;
}

qv::ui::TFormOptions HostOptions() {
    qv::ui::TFormOptions o;
    o.ClientWidth = 596;
    o.ClientHeight = 429;
    return o;
}
}  // namespace

int main(int argc, char** argv) {
    int extra = argc > 1 ? std::atoi(argv[1]) : 100;
    int passes = argc > 2 ? std::atoi(argv[2]) : 5;
    std::vector<qv::test::ProbeProcess> probes;
    for (int i = 0; i < extra; ++i) {
        probes.push_back(qv::test::ProbeProcess::Sleeper(1 + i % 3, 0, false, qv::test::ProbePath(), 1800));
        if (!probes.back().Id()) {
            std::printf("could not start probe %d\n", i);
            return 1;
        }
    }
    qv::ui::Application().Initialize();
    qv::ui::TForm host("BenchHost", HostOptions());
    auto* panel = host.Add<qv::ui::TPanel>("Process");
    panel->SetBounds(0, 0, 596, 429);
    host.Show();
    qv::TProcessPage page(panel, host.Handle());
    qv::TProcessList list(page.IconList.Handle(), nullptr);
    list.SetOSVersion(qv::ReadWindowsVersion());
    page.SetProcessList(&list);
    page.FillProcessView();  // warm-up: shell icon cache, PSAPI loaded

    int walked = BareWalk();
    double bare = PerPass(passes, BareWalk);
    double refresh = PerPass(passes, [&] { list.Refresh(); });
    double fill = PerPass(passes, [&] { page.FillProcessView(); });
    std::printf("%d processes, %d rows, %d images\n", walked, page.RzListView1->Count(), page.IconList.Count());
    std::printf("bare walk %.2f ms; Refresh %.1f ms (ratio %.1f); FillProcessView %.1f ms (ratio %.1f; rows %.1f ms)\n",
                bare * 1e3, refresh * 1e3, refresh / bare, fill * 1e3, fill / bare, (fill - refresh) * 1e3);
    page.SetProcessList(nullptr);
    return 0;
}
