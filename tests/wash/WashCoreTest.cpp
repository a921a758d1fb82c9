#include "quorvane/memory/WashCore.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "tests/wash/PeakMemory.h"

using namespace qv;

namespace {
constexpr uint64_t kMB = 1048576;

bool AllZero(const void* block) {
    auto* p = static_cast<const unsigned char*>(block);
    for (size_t i = 0; i < kWashBlockSize; i += 4093)  // a spread of bytes, first and last included
        if (p[i]) return false;
    return p[kWashBlockSize - 1] == 0;
}
}  // namespace

// First in this file: the peak only ever grows, so it is measured before any other wash.
TEST(WashCore, AWashOfNMegabytesReallyTakesThem) {
    const int n = 300;
    uint64_t before = test::PeakWorkingSetBytes();
    ASSERT_GT(before, 0u);
    TWashResult r = WashBlocks(n, {});
    uint64_t after = test::PeakWorkingSetBytes();
    EXPECT_EQ(n, r.Claimed);
    EXPECT_EQ(n, r.Released);
    EXPECT_GE(after - before, uint64_t(n) * kMB * 9 / 10) << "peak working set rose by " << (after - before) / kMB
                                                          << " MB only";
}

TEST(WashCore, BlocksAreZeroedMegabytesReleasedInClaimingOrder) {
    std::vector<void*> claimed, released;
    TWashSteps steps;
    steps.Claimed = [&](int i, void* b) {
        EXPECT_EQ(static_cast<int>(claimed.size()), i);
        EXPECT_TRUE(AllZero(b));
        EXPECT_GE(HeapSize(GetProcessHeap(), 0, b), kWashBlockSize);
        claimed.push_back(b);
    };
    int releasingWith = -1;
    steps.Releasing = [&](int count) {
        releasingWith = count;
        EXPECT_TRUE(released.empty()) << "all blocks are held until the last is claimed";
    };
    steps.Released = [&](int, void* b) { released.push_back(b); };
    TWashResult r = WashBlocks(16, steps);
    EXPECT_EQ(16, r.Claimed);
    EXPECT_EQ(16, releasingWith);
    EXPECT_EQ(claimed, released);
    EXPECT_FALSE(r.OutOfMemory);
}

TEST(WashCore, StopIsSeenAfterEachBlockAndEverythingClaimedIsReleased) {
    struct Case {
        int n, stopAfter, expectClaimed;
    } cases[] = {{10, 1, 1}, {10, 4, 4}, {3, 99, 3}};
    for (const Case& c : cases) {
        int asked = 0;
        TWashSteps steps;
        steps.StopRequested = [&] { return ++asked >= c.stopAfter; };
        TWashResult r = WashBlocks(c.n, steps);
        EXPECT_EQ(c.expectClaimed, r.Claimed) << "stop after " << c.stopAfter;
        EXPECT_EQ(r.Claimed, r.Released);
    }
}

TEST(WashCore, NothingToClaimStillRunsTheReleasePhase) {
    for (int n : {0, -5}) {
        int claims = 0, releasing = -1;
        TWashSteps steps;
        steps.Claimed = [&](int, void*) { ++claims; };
        steps.Releasing = [&](int count) { releasing = count; };
        TWashResult r = WashBlocks(n, steps);
        EXPECT_EQ(0, r.Claimed);
        EXPECT_EQ(0, claims);
        EXPECT_EQ(0, releasing) << n;
    }
}

TEST(WashCore, AFailingStepEndsClaimingButNotTheRelease) {
    TWashSteps steps;
    steps.Claimed = [](int i, void*) {
        if (i == 5) throw std::runtime_error("progress went away");
    };
    int releasedSteps = 0;
    steps.Released = [&](int j, void*) {
        ++releasedSteps;
        if (j == 0) throw std::runtime_error("and again");
    };
    TWashResult r = WashBlocks(20, steps);
    EXPECT_TRUE(r.Failed);
    EXPECT_EQ(6, r.Claimed);
    EXPECT_EQ(6, r.Released);
    EXPECT_EQ(6, releasedSteps);
}
