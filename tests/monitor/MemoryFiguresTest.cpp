#include "quorvane/memory/MemoryFigures.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "tests/monitor/FakeProbe.h"
#include "tests/support/RegistrySnapshot.h"

using namespace qv;

namespace {
const uint64_t MB = 1048576;
const uint64_t GB = 1073741824;
}  // namespace

TEST(FormatByteSize, UnitBoundariesAndRounding) {
    struct Case {
        double bytes;
        const char* text;
    } cases[] = {
        {0, "0.00 B"},
        {1, "1.00 B"},
        {1023, "1023.00 B"},
        {1024, "1.00 KB"},
        {1536, "1.50 KB"},
        {1048575, "1024.00 KB"},  // 1023.999 KB rounds up in the text but stays in KB
        {1048576, "1.00 MB"},
        {1073741823, "1024.00 MB"},
        {1073741824, "1.00 GB"},
        {5.5 * GB, "5.50 GB"},
        {1024.0 * 1024 * GB, "1048576.00 GB"},  // wider than the 8-character field
        {-5, "0.00 B"},
        {0.0 / 0.0, "0.00 B"},
    };
    for (const Case& c : cases) EXPECT_EQ(c.text, FormatByteSize(c.bytes, ".")) << c.bytes;
}

TEST(FormatByteSize, UsesTheGivenAndTheUsersDecimalSeparator) {
    EXPECT_EQ("1,50 KB", FormatByteSize(1536, ","));
    test::RegistrySnapshot keep(HKEY_CURRENT_USER, "Control Panel\\International");
    char before[8] = {};
    ASSERT_GT(GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, before, sizeof before), 0);
    ASSERT_TRUE(SetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, ","));
    const std::string withComma = FormatByteSize(1536);
    SetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, before);
    EXPECT_EQ("1,50 KB", withComma);
    EXPECT_EQ(std::string("1") + before + "50 KB", FormatByteSize(1536));
}

TEST(FormatMegabytes, RoundsEveryPartOfAMegabyteUp) {
    struct Case {
        uint64_t bytes;
        const char* text;
    } cases[] = {
        {0, "0 MB"},           {1, "1 MB"},
        {1023, "1 MB"},        {1024, "1 MB"},
        {1536, "1 MB"},        {1048575, "1 MB"},
        {MB, "1 MB"},          {MB + 1, "2 MB"},
        {512 * MB, "512 MB"},  {512 * MB + 1, "513 MB"},
        {GB, "1024 MB"},       {6 * GB + 1, "6145 MB"},  // beyond what 32 bits hold
        {~0ull, "17592186044416 MB"},
    };
    for (const Case& c : cases) EXPECT_EQ(c.text, FormatMegabytes(c.bytes)) << c.bytes;
}

TEST(FormatUptime, DaysHoursMinutesSecondsAndTheWrap) {
    EXPECT_EQ("0 D 0 H 0 M 0 S ", FormatUptime(0));
    EXPECT_EQ("0 D 0 H 0 M 0 S ", FormatUptime(999));
    EXPECT_EQ("1 D 2 H 3 M 4 S ", FormatUptime(93784000));
    EXPECT_EQ("49 D 17 H 2 M 47 S ", FormatUptime(0xFFFFFFFFu));  // the last tick before the wrap

    test::FakeProbe probe;
    probe.Tick = 0xFFFFFFFFu;
    EXPECT_EQ("49 D 17 H 2 M 47 S ", ReadMemoryTickFigures().UptimeText);
    probe.Tick += 1001;  // the counter starts again from 0
    EXPECT_EQ("0 D 0 H 0 M 1 S ", ReadMemoryTickFigures().UptimeText);
}

TEST(MemoryFigures, OneTickFromTheProbe) {
    test::FakeProbe probe;
    probe.Memory.TotalPhys = 8 * GB;
    probe.Memory.AvailPhys = GB + 1;        // 12.5 % of the total and a bit
    probe.Memory.TotalPageFile = 400;
    probe.Memory.AvailPageFile = 10;        // 2.5 %: halves go to even, so 2, and the bar shows 98
    probe.Tick = 93784000;
    TMemoryTickFigures f = ReadMemoryTickFigures();
    EXPECT_EQ(13, f.PhysAvailPercent);
    EXPECT_EQ(98, f.PageFileUsagePercent);
    EXPECT_EQ("7168 MB", f.UsedText);       // each rounded up on its own: 7168 + 1025 > 8192
    EXPECT_EQ("1025 MB", f.AvailableText);
    EXPECT_EQ("1 D 2 H 3 M 4 S ", f.UptimeText);

    probe.Memory.AvailPhys = GB;            // exactly 12.5 %: to even
    probe.Memory.AvailPageFile = 14;        // 3.5 % rounds to 4
    f = ReadMemoryTickFigures();
    EXPECT_EQ(12, f.PhysAvailPercent);
    EXPECT_EQ(96, f.PageFileUsagePercent);
    EXPECT_EQ("7168 MB", f.UsedText);
}

TEST(MemoryFigures, ReportsThatDoNotAddUp) {
    TMemoryStatus s;
    s.TotalPhys = 100 * MB;
    s.AvailPhys = 101 * MB;  // more available than there is: nothing is used, not 2^64 bytes
    s.TotalPageFile = 0;     // no page file: none of it in use
    s.AvailPageFile = 5;
    TMemoryTickFigures f = ComputeMemoryTickFigures(s, 0);
    EXPECT_EQ("0 MB", f.UsedText);
    EXPECT_EQ(0, f.PageFileUsagePercent);
    TMemoryStartupFigures g = ComputeMemoryStartupFigures(s);
    EXPECT_EQ("0.00 B", g.PageFileUsedText);

    f = ComputeMemoryTickFigures(TMemoryStatus(), 0);  // nothing reported at all
    EXPECT_EQ(0, f.PhysAvailPercent);
    EXPECT_EQ("0 MB", f.AvailableText);
}

TEST(MemoryFigures, StartUpTextsAndAxis) {
    TMemoryStatus s;
    s.TotalPhys = 1001 * MB + 1;
    s.AvailPhys = 250 * MB;
    s.TotalPageFile = 3 * GB / 2;
    s.AvailPageFile = GB;
    TMemoryStartupFigures f = ComputeMemoryStartupFigures(s);
    EXPECT_EQ(25, f.PhysAvailPercent);
    EXPECT_EQ("1002 MB", f.TotalText);
    EXPECT_EQ("752 MB", f.UsedText);
    EXPECT_EQ("250 MB", f.AvailableText);
    const std::string sep = UserDecimalSeparator();
    EXPECT_EQ("1" + sep + "50 GB", f.PageFileMaxText);
    EXPECT_EQ("512" + sep + "00 MB", f.PageFileUsedText);
    EXPECT_EQ("1" + sep + "00 GB", f.PageFileAvailableText);
    EXPECT_EQ("1002", f.AxisTop);
    EXPECT_EQ("501", f.AxisMiddle);
    EXPECT_EQ("0", f.AxisBottom);
    s.TotalPhys = 1001 * MB;
    EXPECT_EQ("500", ComputeMemoryStartupFigures(s).AxisMiddle);  // remainder dropped
}

TEST(LowMemory, LimitIsExactAndTheQueryFresh) {
    test::FakeProbe probe;
    const int32_t L = 64;
    probe.Memory.AvailPhys = L * MB;
    EXPECT_FALSE(LowMemoryWashDue(true, L, false));
    probe.Memory.AvailPhys = L * MB - 1;
    EXPECT_TRUE(LowMemoryWashDue(true, L, false));
    EXPECT_EQ(2, probe.MemoryQueries);

    // Switched off, or a wash already running or waiting: no further wash, and no query either.
    EXPECT_FALSE(LowMemoryWashDue(false, L, false));
    EXPECT_FALSE(LowMemoryWashDue(true, L, true));
    EXPECT_EQ(2, probe.MemoryQueries);

    // Limits beyond 4 GB are compared in 64 bits.
    probe.Memory.AvailPhys = 5000 * MB - 1;
    EXPECT_TRUE(LowMemoryWashDue(true, 5000, false));
    probe.Memory.AvailPhys = 5000 * MB;
    EXPECT_FALSE(LowMemoryWashDue(true, 5000, false));
}

TEST(LowMemory, LimitsOfZeroOrLessNeverHold) {
    EXPECT_FALSE(BelowMemoryLimit(0, 0));
    EXPECT_FALSE(BelowMemoryLimit(0, -1));
    EXPECT_FALSE(BelowMemoryLimit(0, INT32_MIN));
    EXPECT_TRUE(BelowMemoryLimit(0, 1));
}

// The real probe against what Linux itself says: a 32-bit query would stop at 2 GB.
TEST(SystemProbe, RealMemoryStatusMatchesTheHost) {
    std::ifstream meminfo("Z:\\proc\\meminfo");
    std::string key;
    uint64_t kb = 0;
    while (meminfo >> key && key != "MemTotal:") meminfo.ignore(256, '\n');
    ASSERT_TRUE(meminfo >> kb);
    TMemoryStatus s = SystemProbe().MemoryStatus();
    const double host = static_cast<double>(kb) * 1024;
    EXPECT_NEAR(host, static_cast<double>(s.TotalPhys), host / 100);
    EXPECT_GT(s.AvailPhys, 0u);
    EXPECT_LE(s.AvailPhys, s.TotalPhys);
    EXPECT_GT(s.TotalPageFile, 0u);
}
