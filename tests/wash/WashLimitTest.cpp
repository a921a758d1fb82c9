#include <windows.h>

#include <gtest/gtest.h>

#include "quorvane/memory/WashCore.h"

using namespace qv;

// 4 GB cannot fit a 32-bit process: claiming ends when the allocator gives up, everything
// claimed goes back, and the process can wash again afterwards.
TEST(WashLimit, MoreThanTheAddressSpaceEndsOnOutOfMemoryAndRecovers) {
    TWashResult big = WashBlocks(4096, {});
    EXPECT_TRUE(big.OutOfMemory);
    EXPECT_GT(big.Claimed, 256);
    EXPECT_LT(big.Claimed, 4096);
    EXPECT_EQ(big.Claimed, big.Released);

    TWashResult again = WashBlocks(big.Claimed, {});
    EXPECT_EQ(big.Claimed, again.Claimed) << "the memory was really given back";
    EXPECT_EQ(again.Claimed, again.Released);
    void* p = HeapAlloc(GetProcessHeap(), 0, 64 * kWashBlockSize);
    EXPECT_NE(nullptr, p);
    HeapFree(GetProcessHeap(), 0, p);
}
