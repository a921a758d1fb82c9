#include "quorvane/memory/WashSize.h"

#include <gtest/gtest.h>

using namespace qv;

TEST(WashSize, LabelColourFollowsTheShareOfTheRange) {
    struct Case {
        int32_t position, maximum;
        COLORREF expect;
    } cases[] = {
        {50, 100, kFreeGreen},  {51, 100, kFreeBlue},   {60, 100, kFreeBlue},   {69, 100, kFreeBlue},
        {70, 100, kFreeGreen},  {71, 100, kFreeRed},    {100, 100, kFreeRed},   {0, 100, kFreeGreen},
        {7, 10, kFreeGreen},    {12052, 24104, kFreeGreen}, {16873, 24104, kFreeRed},  // 70.0004 %
        {16872, 24104, kFreeBlue}, {0, 0, kFreeGreen},   {2047, 2047, kFreeRed},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expect, FreeLabelColor(c.position, c.maximum)) << c.position << " of " << c.maximum;
}

TEST(WashSize, RangeIsWholeMegabytesOfInstalledMemory) {
    struct Case {
        uint64_t bytes;
        int32_t expect;
    } cases[] = {
        {0, 0}, {1048575, 0}, {1048576, 1}, {3 * 1048576ull + 5, 3}, {24ull << 30, 24576}, {1ull << 52, 2147483647},
    };
    for (const Case& c : cases) EXPECT_EQ(c.expect, WashSizeMaximum(c.bytes)) << c.bytes;
    EXPECT_GT(WashSizeMaximum(TotalPhysicalMemory()), 0);
    EXPECT_EQ("512 MB To Free", FreeLabelText(512));
}
