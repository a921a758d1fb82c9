#include "quorvane/memory/CpuUsage.h"

#include <gtest/gtest.h>

#include "common/core/Registry.h"
#include "tests/monitor/FakeProbe.h"
#include "tests/support/RegistrySnapshot.h"

using namespace qv;

namespace {
TProcessorTimes Times(uint64_t idle, uint64_t kernel, uint64_t user) {
    TProcessorTimes t;
    t.Ok = true;
    t.Idle = idle;
    t.Kernel = kernel;
    t.User = user;
    return t;
}
}  // namespace

// Successive readings of one probe; each row is read after the one before.
TEST(CpuUsageNt, DifferencesModulo32BitsAcrossWraps) {
    test::FakeProbe probe;
    const uint64_t hi = 0x700000000ull;  // high bits that must not matter
    struct Row {
        const char* what;
        TProcessorTimes times;
        int percent;
    } rows[] = {
        {"first reading: no interval yet", Times(0xFFFFFF00, 0xFFFFFF00, 0xFFFFFF00), 0},
        {"all three wrap past 2^32", Times(hi + 0x2C, hi + 0x2E8, hi + 0x2E8), 85},  // +300, +1000, +1000
        {"no time passed", Times(hi + 0x2C, hi + 0x2E8, hi + 0x2E8), 0},
        {"fully idle", Times(hi + 0x2C + 500, hi + 0x2E8 + 500, hi + 0x2E8), 0},
        {"fully busy, user time only", Times(hi + 0x2C + 500, hi + 0x2E8 + 500, hi + 0x2E8 + 400), 100},
        {"truncated, not rounded: 2/3", Times(hi + 0x2C + 501, hi + 0x2E8 + 503, hi + 0x2E8 + 400), 66},
        // dK + dU is larger than 32 bits hold; so is busy × 100.
        {"long interval", Times(hi + 0x2C + 501 + 0xF0000000ull, hi + 0x2E8 + 503 + 0xF0000000ull,
                                hi + 0x2E8 + 400 + 0xF0000000ull), 50},
    };
    for (const Row& r : rows) {
        probe.Times = r.times;
        EXPECT_EQ(r.percent, ReadCpuUsageNt()) << r.what;
    }
}

TEST(CpuUsageNt, FailedQueriesAndCountersThatDoNotAddUp) {
    test::FakeProbe probe;
    probe.Times = Times(1000, 2000, 1000);
    EXPECT_EQ(0, ReadCpuUsageNt());
    probe.Times = TProcessorTimes();  // the kernel refused: nothing measured, nothing forgotten
    EXPECT_EQ(0, ReadCpuUsageNt());
    probe.Times = Times(1100, 2200, 1200);  // against the reading before the failure
    EXPECT_EQ(75, ReadCpuUsageNt());
    probe.Times = Times(1400, 2300, 1200);  // more idle than kernel time
    EXPECT_EQ(0, ReadCpuUsageNt());
}

TEST(CpuUsageNt, ANewProbeStartsAFreshSeries) {
    test::FakeProbe first;
    first.Times = Times(0, 0, 0);
    ReadCpuUsageNt();
    first.Times = Times(10, 100, 100);
    EXPECT_EQ(95, ReadCpuUsageNt());
    test::FakeProbe second;  // its counters have nothing to do with the first one's
    second.Times = Times(5, 20, 20);
    EXPECT_EQ(0, ReadCpuUsageNt());
    second.Times = Times(10, 40, 20);
    EXPECT_EQ(75, ReadCpuUsageNt());
}

TEST(CpuUsageNt, TheNtFamilyReadsTheKernelsCounters) {
    ASSERT_TRUE(IsNtPlatform());  // the prefix's default version
    test::FakeProbe probe;
    probe.Times = Times(0, 0, 0);
    EXPECT_EQ(0, GetCpuUsage());
    probe.Times = Times(100, 300, 100);
    EXPECT_EQ(75, GetCpuUsage());
}

TEST(CpuUsageNt, RealCountersAreThere) {
    TProcessorTimes t = SystemProbe().ProcessorTimes();
    ASSERT_TRUE(t.Ok);
    EXPECT_GE(t.Kernel, t.Idle);  // kernel time includes idle time
    EXPECT_GT(t.Kernel + t.User, 0u);
}

class CpuUsage9x : public ::testing::Test {
protected:
    void SetUp() override { test::DeleteKeyTree(HKEY_DYN_DATA, "PerfStats\\StatData"); }
    void Plant(DWORD type, const void* data, DWORD size) {
        test::CreateKey(HKEY_DYN_DATA, "PerfStats\\StatData");
        HKEY key = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_DYN_DATA, "PerfStats\\StatData", 0, KEY_WRITE, &key));
        ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(key, "KERNEL\\CPUUsage", 0, type,
                                                static_cast<const BYTE*>(data), size));
        RegCloseKey(key);
    }
    test::RegistrySnapshot keep{HKEY_DYN_DATA, "PerfStats"};
};

TEST_F(CpuUsage9x, ReadsTheSystemsStatistics) {
    struct Case {
        const char* what;
        DWORD type;
        std::vector<BYTE> data;
        int percent;
    } cases[] = {
        {"32-bit number", REG_DWORD, {37, 0, 0, 0}, 37},
        {"4 bytes of binary data, as the 9x family stores it", REG_BINARY, {42, 0, 0, 0}, 42},
        {"binary of another size", REG_BINARY, {42, 0, 0}, 0},
        {"8 bytes of binary", REG_BINARY, {42, 0, 0, 0, 0, 0, 0, 0}, 0},
        {"text", REG_SZ, {'5', '0', 0}, 0},
        {"above 100", REG_DWORD, {250, 0, 0, 0}, 100},
        {"negative", REG_DWORD, {0xFB, 0xFF, 0xFF, 0xFF}, 0},
    };
    for (const Case& c : cases) {
        Plant(c.type, c.data.data(), static_cast<DWORD>(c.data.size()));
        EXPECT_EQ(c.percent, ReadCpuUsage9x()) << c.what;
    }
}

TEST_F(CpuUsage9x, MissingKeyOrValueGivesZero) {
    EXPECT_EQ(0, ReadCpuUsage9x());
    test::CreateKey(HKEY_DYN_DATA, "PerfStats\\StatData");
    EXPECT_EQ(0, ReadCpuUsage9x());
}
