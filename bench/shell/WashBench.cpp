// The wash's throughput (claim, zero, release) against a bare loop doing the same with the
// same allocator, interleaved in one run so both see the same machine.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "quorvane/memory/WashCore.h"

namespace {

double Seconds(LARGE_INTEGER a, LARGE_INTEGER b) {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return double(b.QuadPart - a.QuadPart) / double(f.QuadPart);
}

// The baseline: the same claiming and releasing written out by hand.
void BareLoop(int n) {
    std::vector<void*> table(static_cast<size_t>(n));
    HANDLE heap = GetProcessHeap();
    for (int i = 0; i < n; ++i) {
        void* p = HeapAlloc(heap, 0, qv::kWashBlockSize);
        std::memset(p, 0, qv::kWashBlockSize);
        asm volatile("" : : "r"(p) : "memory");
        table[static_cast<size_t>(i)] = p;
    }
    for (int i = 0; i < n; ++i) HeapFree(heap, 0, table[static_cast<size_t>(i)]);
}

// As the wash thread runs it: a step after each block and a stop check.
void Wash(int n) {
    volatile int steps = 0;
    qv::TWashSteps s;
    s.Claimed = [&](int, void*) { steps = steps + 1; };
    s.StopRequested = [] { return false; };
    s.Released = [&](int, void*) { steps = steps + 1; };
    qv::WashBlocks(n, s);
}

}  // namespace

int main() {
    const int n = 512;
    const int rounds = 7;
    std::vector<double> bare, wash;
    for (int r = 0; r < rounds; ++r) {
        LARGE_INTEGER t0, t1, t2;
        QueryPerformanceCounter(&t0);
        BareLoop(n);
        QueryPerformanceCounter(&t1);
        Wash(n);
        QueryPerformanceCounter(&t2);
        bare.push_back(n / Seconds(t0, t1));
        wash.push_back(n / Seconds(t1, t2));
    }
    std::sort(bare.begin(), bare.end());
    std::sort(wash.begin(), wash.end());
    double b = bare[rounds / 2], w = wash[rounds / 2];
    std::printf("wash of %d MB, median of %d rounds\n", n, rounds);
    std::printf("  bare loop   %8.0f MB/s\n", b);
    std::printf("  wash        %8.0f MB/s\n", w);
    std::printf("  ratio wash / bare loop: %.3f (must be at least 0.9)\n", w / b);
    return w / b >= 0.9 ? 0 : 1;
}
