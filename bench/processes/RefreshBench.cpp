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

#include "common/core/ToolHelp.h"
#include "quorvane/processes/ProcessClass.h"
#include "tests/processes/ProbeProcess.h"

namespace {
double Seconds(LARGE_INTEGER a, LARGE_INTEGER b, LARGE_INTEGER f) {
    return static_cast<double>(b.QuadPart - a.QuadPart) / static_cast<double>(f.QuadPart);
}

// What any process lister pays at least: one process snapshot, walked to its end.
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

template <class Fn>
double PerPass(int passes, Fn fn) {
    LARGE_INTEGER f, a, b;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&a);
    for (int i = 0; i < passes; ++i) fn();
    QueryPerformanceCounter(&b);
    return Seconds(a, b, f) / passes;
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
