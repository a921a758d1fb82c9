// Refresh of the process list against a bare ToolHelp walk of the same processes, both with
// about a hundred extra probe processes running. Prints the time per pass of each and their
// ratio; the bare walk is the baseline of the same run.
//   wine build/test/bin/process_bench.exe [extra-processes] [passes]
#include <windows.h>

#include <cstdio>
#include <cstdlib>
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
    int passes = argc > 2 ? std::atoi(argv[2]) : 20;
    std::vector<qv::test::ProbeProcess> probes;
    for (int i = 0; i < extra; ++i) {
        probes.push_back(qv::test::ProbeProcess::Sleeper(1 + i % 3));
        if (!probes.back().Id()) {
            std::printf("could not start probe %d\n", i);
            return 1;
        }
    }
    int walked = BareWalk();
    qv::TProcessList list(nullptr, nullptr);
    for (qv::TWindowsVersion v : {qv::wvWinXP, qv::wvWin98SE}) {
        list.SetOSVersion(v);
        list.Refresh();  // warm-up: shell icon cache, PSAPI loaded
        double bare = PerPass(passes, BareWalk);
        double refresh = PerPass(passes, [&] { list.Refresh(); });
        std::printf("OSVersion %2d: %d processes walked, %d listed; bare walk %.3f ms, Refresh %.3f ms, ratio %.1f\n",
                    static_cast<int>(v), walked, list.Count(), bare * 1e3, refresh * 1e3, refresh / bare);
    }
    return 0;
}
