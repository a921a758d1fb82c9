// The Process page's fill (Refresh and the rebuild of every row with its image) against a bare
// ToolHelp walk of the same processes, both with about a hundred extra probe processes running.
// Prints the time per pass of the walk, of Refresh alone and of the whole fill, each as a ratio
// to the walk measured in the same run.
//   wine build/test/bin/process_page_bench.exe [extra-processes=100] [passes=5]
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "bench/processes/BenchSupport.h"
#include "common/ui/Application.h"
#include "common/ui/Form.h"
#include "quorvane/processes/ProcessPage.h"
#include "quorvane/processes/WindowsVersion.h"
#include "tests/processes/ProbeProcess.h"

namespace {
using qv::bench::BareWalk;
using qv::bench::PerPass;

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
    if (!qv::bench::StartProbes(extra, probes)) return 1;
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
    int rows = page.RzListView1->Count(), shown = page.IconList.Count();
    // Of the rows' share, what the images take: every item's icon added, then trimmed again.
    double images = PerPass(passes, [&] {
        for (int i = 0; i < list.Count(); ++i) page.IconList.Add(list.Items(i)->Icon());
        while (page.IconList.Count() > 1) page.IconList.Delete(page.IconList.Count() - 1);
    });
    std::printf("%d processes, %d rows, %d images\n", walked, rows, shown);
    std::printf("bare walk %.2f ms; Refresh %.1f ms (ratio %.1f); FillProcessView %.1f ms (ratio %.1f)\n",
                bare * 1e3, refresh * 1e3, refresh / bare, fill * 1e3, fill / bare);
    std::printf("rows %.1f ms, of which images added and trimmed %.1f ms\n", (fill - refresh) * 1e3, images * 1e3);
    page.SetProcessList(nullptr);
    return 0;
}
