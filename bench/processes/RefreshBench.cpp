// Refresh of the process list against a bare ToolHelp walk of the same processes, both with
// about a hundred extra probe processes running. Prints the time per pass of each and their
// ratio to the bare walk, the baseline of the same run; two partial walks (the walk plus one
// module snapshot per process, the walk plus one icon lookup per process) show where it goes.
//   wine build/test/bin/process_bench.exe [extra-processes] [passes]
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/processes/BenchSupport.h"
#include "common/core/ToolHelp.h"
#include "quorvane/processes/ProcessClass.h"
#include "tests/processes/ProbeProcess.h"

namespace {
using qv::bench::BareWalk;
using qv::bench::PerPass;

// The walk with, for each process, what Refresh does on the NT family to find its path.
void WalkWithModuleLookup() {
    const qv::ToolHelpFunctions& th = qv::ToolHelp();
    HANDLE snap = th.CreateSnapshot(TH32CS_SNAPPROCESS, 0);
    if (snap == INVALID_HANDLE_VALUE) return;
    PROCESSENTRY32 e{};
    e.dwSize = sizeof e;
    for (BOOL ok = th.ProcessFirst(snap, &e); ok; ok = th.ProcessNext(snap, &e)) {
        HANDLE modules = th.CreateSnapshot(TH32CS_SNAPMODULE, e.th32ProcessID);
        MODULEENTRY32 m{};
        m.dwSize = sizeof m;
        if (modules != INVALID_HANDLE_VALUE) {
            th.ModuleFirst(modules, &m);
            CloseHandle(modules);
        }
    }
    CloseHandle(snap);
}

// The walk with one associated-icon lookup per process, for the probe's own file.
void WalkWithIcons(const std::string& exe) {
    int n = BareWalk();
    for (int i = 0; i < n; ++i) {
        char buf[2048];
        lstrcpynA(buf, exe.c_str(), sizeof buf);
        WORD index = 0;
        if (HICON icon = ExtractAssociatedIconA(GetModuleHandleA(nullptr), buf, &index)) DestroyIcon(icon);
    }
}

}  // namespace

int main(int argc, char** argv) {
    int extra = argc > 1 ? std::atoi(argv[1]) : 100;
    int passes = argc > 2 ? std::atoi(argv[2]) : 5;
    std::vector<qv::test::ProbeProcess> probes;
    if (!qv::bench::StartProbes(extra, probes)) return 1;
    int walked = BareWalk();
    double bare = PerPass(passes, BareWalk);
    double modules = PerPass(passes, WalkWithModuleLookup);
    std::string exe = qv::test::ProbePath();
    double icons = PerPass(passes, [&] { WalkWithIcons(exe); });
    std::printf("%d processes; bare walk %.1f ms; with module lookup %.1f ms (ratio %.1f); with icon lookup %.1f ms (ratio %.1f)\n",
                walked, bare * 1e3, modules * 1e3, modules / bare, icons * 1e3, icons / bare);
    qv::TProcessList list(nullptr, nullptr);
    for (qv::TWindowsVersion v : {qv::wvWinXP, qv::wvWin98SE}) {
        list.SetOSVersion(v);
        list.Refresh();  // warm-up: shell icon cache, PSAPI loaded
        double refresh = PerPass(passes, [&] { list.Refresh(); });
        std::printf("OSVersion %2d: %d listed; Refresh %.1f ms (ratio %.1f to the bare walk)\n",
                    static_cast<int>(v), list.Count(), refresh * 1e3, refresh / bare);
    }
    return 0;
}
