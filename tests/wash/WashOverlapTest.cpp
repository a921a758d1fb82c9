// Two washes started together take turns: the peak memory of the process rises by one wash's
// size, not by two.
#include <windows.h>

#include <gtest/gtest.h>

#include "common/thread/Thread.h"
#include "common/ui/Application.h"
#include "common/ui/Form.h"
#include "quorvane/memory/RelThrd.h"
#include "tests/wash/PeakMemory.h"

using namespace qv;

TEST(WashOverlap, TwoWashesNeverHoldBlocksAtTheSameTime) {
    ui::Application().Initialize();
    InitMainThread();
    ui::TFormOptions o;
    ui::TForm hidden("Main", o);  // not shown: both washes run silently
    const int n = 200;
    const uint64_t mb = 1048576;
    uint64_t before = test::PeakWorkingSetBytes();
    int ended = 0;
    WashLock.Enter();  // both start before either may claim
    for (int i = 0; i < 2; ++i) {
        auto* t = new TRelocateThread(&hidden, nullptr, n);
        t->FreeOnTerminate = true;
        t->OnTerminate = [&](TThread*) { ++ended; };
        t->Start();
    }
    Sleep(50);
    WashLock.Leave();
    for (DWORD start = GetTickCount(); ended < 2 && GetTickCount() - start < 60000;) {
        ui::Application().ProcessMessages();
        Sleep(1);
    }
    ASSERT_EQ(2, ended);
    uint64_t rise = test::PeakWorkingSetBytes() - before;
    EXPECT_GE(rise, n * mb * 9 / 10) << "each wash really took its memory";
    EXPECT_LT(rise, n * mb * 3 / 2) << "peak rose by " << rise / mb << " MB: the washes overlapped";
}
