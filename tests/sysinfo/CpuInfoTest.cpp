#include "quorvane/sysinfo/CpuInfo.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>

#include "common/core/Registry.h"
#include "common/core/Text.h"
#include "tests/support/ValueSnapshot.h"

using namespace qv;

namespace {
// The first processor's block of Linux's /proc/cpuinfo, read through Wine's drive Z:.
std::string HostCpuField(const std::string& field) {
    std::ifstream in("Z:\\proc\\cpuinfo");
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty()) break;
        size_t colon = line.find(':');
        if (colon != std::string::npos && Trim(line.substr(0, colon)) == field) return Trim(line.substr(colon + 1));
    }
    return {};
}

bool HostHasFlag(const std::string& flag) {
    std::istringstream flags(HostCpuField("flags"));
    std::string f;
    while (flags >> f)
        if (f == flag) return true;
    return false;
}

// Linux's view of the first processor's unified cache of a level, in KB; 0 when it has none.
unsigned HostCacheKB(unsigned level) {
    for (int i = 0; i < 16; ++i) {
        std::string dir = "Z:\\sys\\devices\\system\\cpu\\cpu0\\cache\\index" + std::to_string(i) + "\\";
        std::ifstream lv(dir + "level"), ty(dir + "type"), sz(dir + "size");
        unsigned l = 0;
        std::string type, size;
        if (!(lv >> l)) break;
        ty >> type;
        sz >> size;
        if (l == level && type == "Unified") return static_cast<unsigned>(std::strtoul(size.c_str(), nullptr, 10));
    }
    return 0;
}
}  // namespace

TEST(CpuSignature, FamilyModelSteppingWithTheExtendedFields) {
    struct Case {
        const char* what;
        uint32_t eax;
        unsigned family, model, stepping;
    } cases[] = {
        {"Pentium (P5)", 0x00000543, 5, 4, 3},
        {"486 DX2", 0x00000435, 4, 3, 5},
        {"Pentium III", 0x00000683, 6, 8, 3},
        {"Core i7 (Haswell): family 6 uses the extended model", 0x000306C3, 6, 60, 3},
        {"Pentium 4", 0x00000F29, 15, 2, 9},
        {"Athlon 64: family 15 uses the extended model", 0x00020F32, 15, 35, 2},
        {"Zen 3: extended family added to 15", 0x00A20F10, 25, 33, 0},
        {"extended model ignored below family 6", 0x00010543, 5, 4, 3},
        {"extended family ignored below family 15", 0x01100683, 6, 8, 3},
    };
    for (const Case& c : cases) {
        TCpuSignature s = DecodeCpuSignature(c.eax);
        EXPECT_EQ(c.family, s.Family) << c.what;
        EXPECT_EQ(c.model, s.Model) << c.what;
        EXPECT_EQ(c.stepping, s.Stepping) << c.what;
    }
}

// CPUID runs on the real processor under Wine; Linux reads the same processor.
TEST(CpuInfo, WhatTheProcessorReports) {
    ASSERT_TRUE(HaveCpuid());
    TCpuInfo info = ReadCpuInfo();
    const std::set<std::string> vendors = {"GenuineIntel", "AuthenticAMD", "CentaurHauls", "CyrixInstead",
                                           "GenuineTMx86", "TransmetaCPU", "Geode by NSC", "NexGenDriven",
                                           "RiseRiseRise", "SiS SiS SiS ", "UMC UMC UMC ", "VIA VIA VIA ",
                                           "HygonGenuine", "  Shanghai  ", "Vortex86 SoC", "AMDisbetter!"};
    EXPECT_EQ(12u, info.Vendor.size());
    EXPECT_TRUE(vendors.count(info.Vendor)) << info.Vendor;
    EXPECT_EQ(HostCpuField("vendor_id"), info.Vendor);
    EXPECT_EQ(HostCpuField("model name"), info.Name);
    EXPECT_EQ(HostCpuField("cpu family"), UIntToStr(info.Signature.Family));
    EXPECT_EQ(HostCpuField("model"), UIntToStr(info.Signature.Model));
    EXPECT_EQ(HostCpuField("stepping"), UIntToStr(info.Signature.Stepping));
    EXPECT_EQ(HostHasFlag("mmx"), info.Mmx);
    EXPECT_EQ(HostHasFlag("lm"), info.LongMode);
    EXPECT_EQ(HostCacheKB(2), info.L2CacheKB);
    EXPECT_EQ(HostCacheKB(3), info.L3CacheKB);
    SYSTEM_INFO si;
    GetSystemInfo(&si);
    EXPECT_EQ(si.dwNumberOfProcessors, info.Processors);
    EXPECT_GE(info.Processors, 1u);
}

// The registry's ~MHz when the system has it, the time-stamp counter measured otherwise.
TEST(CpuInfo, NormalFrequency) {
    const double host = std::strtod(HostCpuField("cpu MHz").c_str(), nullptr);
    ASSERT_GT(host, 0);
    const unsigned measured = MeasureCpuFrequencyMHz();
    // The time-stamp counter runs at the normal clock; Linux's figure may be a momentary one.
    EXPECT_NEAR(host, measured, host * 0.1);

    const char* key = "HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0";
    test::ValueSnapshot keep(HKEY_LOCAL_MACHINE, key, "~MHz");  // a volatile key: values only
    ASSERT_TRUE(keep.KeyOpened());
    TRegistry reg;
    reg.SetRootKey(HKEY_LOCAL_MACHINE);
    ASSERT_EQ(ERROR_SUCCESS, reg.OpenKey(key, false));
    ASSERT_EQ(ERROR_SUCCESS, reg.WriteInteger("~MHz", 1234));
    EXPECT_EQ(1234u, ReadCpuInfo().FrequencyMHz);
    ASSERT_EQ(ERROR_SUCCESS, reg.DeleteValue("~MHz"));
    EXPECT_EQ(0u, RegistryCpuFrequencyMHz());
    EXPECT_NEAR(host, ReadCpuInfo().FrequencyMHz, host * 0.1);
    ASSERT_EQ(ERROR_SUCCESS, reg.WriteString("~MHz", "2000"));  // wrong type: measured again
    EXPECT_NEAR(host, ReadCpuInfo().FrequencyMHz, host * 0.1);
}
