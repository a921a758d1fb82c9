// What one tick of each monitor timer costs on the page: the memory tick (figures into their
// labels and bars, the graph's level, the low-memory test) and the processor tick (the reading
// into the bar and both graphs), each against an empty timer handler called the same way in
// the same run. Needs a display.
#include <windows.h>

#include <cstdio>

#include "common/ui/Application.h"
#include "common/ui/Form.h"
#include "common/ui/Timer.h"
#include "quorvane/memory/MemoryFigures.h"
#include "quorvane/memory/MemoryPage.h"

namespace {

// Microseconds per tick, the best of five rounds of n ticks; pending paints are let through
// between rounds, as the message loop does between ticks.
double PerTick(qv::ui::TTimer& timer, int n) {
    LARGE_INTEGER f, a, b;
    QueryPerformanceFrequency(&f);
    double best = 1e300;
    for (int round = 0; round < 5; ++round) {
        qv::ui::Application().ProcessMessages();
        QueryPerformanceCounter(&a);
        for (int i = 0; i < n; ++i) timer.OnTimer(&timer);
        QueryPerformanceCounter(&b);
        const double us = static_cast<double>(b.QuadPart - a.QuadPart) * 1e6 / static_cast<double>(f.QuadPart) / n;
        if (us < best) best = us;
    }
    return best;
}

}  // namespace

int main() {
    qv::ui::Application().Initialize();
    qv::ui::TFormOptions o;
    o.Caption = "Memory page";
    o.ClientWidth = 596;
    o.ClientHeight = 429;
    qv::ui::TForm page("Page", o);
    page.Show();
    qv::ui::TForm tab("CpuTab", [] {
        qv::ui::TFormOptions t;
        t.Caption = "CPU";
        t.ClientWidth = 600;
        t.ClientHeight = 200;
        return t;
    }());
    tab.Show();
    qv::TMemoryMonitor monitor(&page);
    monitor.BuildCpuTabGroups(&tab);
    monitor.Setup();

    qv::ui::TTimer empty("Empty", 1000, false), memory("MemoryTimer", 1000, false), cpu("CPUTimer", 1000, false);
    volatile int sink = 0;
    empty.OnTimer = [&](qv::ui::TTimer*) { sink = sink + 1; };
    memory.OnTimer = [&](qv::ui::TTimer*) {
        monitor.MemoryTick();
        if (qv::LowMemoryWashDue(true, 1, false)) sink = sink + 1;
    };
    cpu.OnTimer = [&](qv::ui::TTimer*) { monitor.ProcessorTick(); };

    const int n = 2000;
    const double base = PerTick(empty, n);
    const double mem = PerTick(memory, n);
    const double proc = PerTick(cpu, n);
    std::printf("%-34s %12s %12s\n", "", "us/tick", "x empty");
    std::printf("%-34s %12.3f %12.1f\n", "empty timer handler", base, 1.0);
    std::printf("%-34s %12.3f %12.1f\n", "memory tick (page + low-memory)", mem, mem / base);
    std::printf("%-34s %12.3f %12.1f\n", "processor tick (bar + 2 graphs)", proc, proc / base);
    return 0;
}
