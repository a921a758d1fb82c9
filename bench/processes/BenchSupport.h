// What the process benchmarks share: the baseline walk, a per-pass timer and the extra probes.
#pragma once
#include <windows.h>

#include <cstdio>
#include <vector>

#include "common/core/ToolHelp.h"
#include "tests/processes/ProbeProcess.h"

namespace qv::bench {

// What any process lister pays at least: one process snapshot, walked to its end.
inline int BareWalk() {
    const ToolHelpFunctions& th = ToolHelp();
    HANDLE snap = th.CreateSnapshot(TH32CS_SNAPPROCESS, 0);
    if (snap == INVALID_HANDLE_VALUE) return 0;
    PROCESSENTRY32 e{};
    e.dwSize = sizeof e;
    int n = 0;
    for (BOOL ok = th.ProcessFirst(snap, &e); ok; ok = th.ProcessNext(snap, &e)) ++n;
    CloseHandle(snap);
    return n;
}

// Seconds per call of fn, over `passes` calls.
template <class Fn>
double PerPass(int passes, Fn fn) {
    LARGE_INTEGER f, a, b;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&a);
    for (int i = 0; i < passes; ++i) fn();
    QueryPerformanceCounter(&b);
    return static_cast<double>(b.QuadPart - a.QuadPart) / static_cast<double>(f.QuadPart) / passes;
}

// Starts `count` sleeping probes with 1 to 3 threads each; false (with a message) when one
// does not start.
inline bool StartProbes(int count, std::vector<test::ProbeProcess>& probes) {
    for (int i = 0; i < count; ++i) {
        probes.push_back(test::ProbeProcess::Sleeper(1 + i % 3, 0, false, test::ProbePath(), 1800));
        if (!probes.back().Id()) {
            std::printf("could not start probe %d\n", i);
            return false;
        }
    }
    return true;
}

}  // namespace qv::bench
