// The monitor's work per timer tick: one memory tick's figures and one processor reading, each
// against an empty call measured in the same run.
#include <windows.h>

#include <cstdio>

#include "quorvane/memory/CpuUsage.h"
#include "quorvane/memory/MemoryFigures.h"

namespace {

volatile int g_sink;

__attribute__((noinline)) void Empty() { g_sink = 0; }
__attribute__((noinline)) void MemoryTick() { g_sink = static_cast<int>(qv::ReadMemoryTickFigures().UptimeText.size()); }
__attribute__((noinline)) void MemoryTickFiguresOnly() {
    static const qv::TMemoryStatus s = qv::SystemProbe().MemoryStatus();
    g_sink = static_cast<int>(qv::ComputeMemoryTickFigures(s, 93784000).UsedText.size());
}
__attribute__((noinline)) void ProcessorReading() { g_sink = qv::GetCpuUsage(); }

// Microseconds per call, the best of five rounds of n calls.
double PerCall(void (*volatile fn)(), int n) {
    LARGE_INTEGER f, a, b;
    QueryPerformanceFrequency(&f);
    double best = 1e300;
    for (int round = 0; round < 5; ++round) {
        QueryPerformanceCounter(&a);
        for (int i = 0; i < n; ++i) fn();
        QueryPerformanceCounter(&b);
        const double us = static_cast<double>(b.QuadPart - a.QuadPart) * 1e6 / static_cast<double>(f.QuadPart) / n;
        if (us < best) best = us;
    }
    return best;
}

}  // namespace

int main() {
    const int n = 20000;
    const double empty = PerCall(Empty, n);
    struct {
        const char* name;
        void (*fn)();
    } cases[] = {
        {"memory tick (query, figures, texts)", MemoryTick},
        {"memory tick figures from a status", MemoryTickFiguresOnly},
        {"processor reading (GetCpuUsage)", ProcessorReading},
    };
    std::printf("%-40s %12s %12s\n", "", "us/call", "x empty");
    std::printf("%-40s %12.4f %12.1f\n", "empty call", empty, 1.0);
    for (const auto& c : cases) {
        const double us = PerCall(c.fn, n);
        std::printf("%-40s %12.4f %12.1f\n", c.name, us, us / empty);
    }
    return 0;
}
