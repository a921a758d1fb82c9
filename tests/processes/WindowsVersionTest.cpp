#include "quorvane/processes/WindowsVersion.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "common/core/Registry.h"
#include "tests/processes/ProbeProcess.h"
#include "tests/support/RegistrySnapshot.h"

using namespace qv;

namespace {
const DWORD k9x = VER_PLATFORM_WIN32_WINDOWS;
const DWORD kNT = VER_PLATFORM_WIN32_NT;

struct RecordCase {
    WindowsVersionRecord record;
    TWindowsVersion expected;
};

// 9x builds carry major and minor in the high word of the build field.
constexpr DWORD Build9x(DWORD major, DWORD minor, DWORD build) { return (major << 24) | (minor << 16) | build; }

const RecordCase kRecords[] = {
    {{k9x, 4, 0, Build9x(4, 0, 950), ""}, wvWin95},
    {{k9x, 4, 0, Build9x(4, 0, 950), " A"}, wvWin95},         // service pack 1
    {{k9x, 4, 0, Build9x(4, 0, 1111), " B"}, wvWin95OSR2},
    {{k9x, 4, 3, Build9x(4, 3, 1214), " C"}, wvWin95OSR2},    // OSR 2.5
    {{k9x, 4, 0, Build9x(4, 0, 950), "b"}, wvWin95OSR2},      // letter without spaces, lower case
    {{k9x, 4, 0, Build9x(4, 0, 1212), ""}, wvWin95OSR2},      // OSR2 build without its letter
    {{k9x, 4, 10, Build9x(4, 10, 1998), " "}, wvWin98},
    {{k9x, 4, 10, Build9x(4, 10, 2222), " A "}, wvWin98SE},
    {{k9x, 4, 10, Build9x(4, 10, 1998), "A"}, wvWin98SE},
    {{k9x, 4, 10, Build9x(4, 10, 2222), ""}, wvWin98SE},
    {{k9x, 4, 10, Build9x(4, 10, 1998), " C"}, wvWin98},      // only "A" marks the second edition
    {{k9x, 4, 90, Build9x(4, 90, 3000), " "}, wvWinME},
    {{k9x, 4, 95, Build9x(4, 95, 3000), ""}, wvUnknown},
    {{k9x, 5, 0, 0, ""}, wvUnknown},
    {{kNT, 3, 10, 511, ""}, wvWinNT31},
    {{kNT, 3, 50, 807, ""}, wvWinNT35},
    {{kNT, 3, 51, 1057, ""}, wvWinNT351},
    {{kNT, 3, 0, 0, ""}, wvUnknown},
    {{kNT, 4, 0, 1381, "Service Pack 6a"}, wvWinNT4},
    {{kNT, 5, 0, 2195, "Service Pack 4"}, wvWin2000},
    {{kNT, 5, 1, 2600, "Service Pack 3"}, wvWinXP},
    {{kNT, 5, 2, 3790, "Service Pack 2"}, wvWin2003},
    {{kNT, 5, 3, 0, ""}, wvUnknown},
    {{kNT, 6, 0, 6002, "Service Pack 2"}, wvUnknown},
    {{kNT, 6, 1, 7601, "Service Pack 1"}, wvUnknown},
    {{VER_PLATFORM_WIN32s, 3, 10, 0, ""}, wvUnknown},
    {{3 /* CE */, 4, 0, 0, ""}, wvUnknown},
};
}  // namespace

TEST(WindowsVersion, RecordsOfEveryKnownSystemAndSomeUnknownOnes) {
    for (const RecordCase& c : kRecords) {
        const WindowsVersionRecord& r = c.record;
        EXPECT_EQ(c.expected, WindowsVersionOf(r))
            << "platform " << r.PlatformId << " " << r.Major << "." << r.Minor << " build " << LOWORD(r.Build)
            << " '" << r.ServicePack << "'";
    }
}

TEST(WindowsVersion, NineXFamilyIsOneToFive) {
    for (int v = 0; v <= 12; ++v) EXPECT_EQ(v >= 1 && v <= 5, IsWin9xFamily(static_cast<TWindowsVersion>(v))) << v;
}

// Wine reports the version that winecfg sets for one program under AppDefaults.
TEST(WindowsVersion, RunningSystemAsWineNamesIt) {
    const std::string key = "Software\\Wine\\AppDefaults\\qv_procprobe.exe";
    test::RegistrySnapshot keep(HKEY_CURRENT_USER, key);
    const struct {
        const char* wine;
        TWindowsVersion expected;
    } cases[] = {{"win95", wvWin95}, {"win98", wvWin98SE}, {"winme", wvWinME},   {"nt40", wvWinNT4},
                 {"win2k", wvWin2000}, {"winxp", wvWinXP},  {"win2003", wvWin2003}, {"win7", wvUnknown}};
    for (const auto& c : cases) {
        TRegistry reg;
        reg.SetRootKey(HKEY_CURRENT_USER);
        ASSERT_EQ(ERROR_SUCCESS, reg.OpenKey(key, true));
        ASSERT_EQ(ERROR_SUCCESS, reg.WriteString("Version", c.wine));
        reg.CloseKey();
        std::string out = test::RunProbe("version");
        ASSERT_FALSE(out.empty()) << c.wine;
        EXPECT_EQ(static_cast<int>(c.expected), std::atoi(out.c_str())) << c.wine;
    }
}
