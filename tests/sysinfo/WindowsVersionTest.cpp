#include "quorvane/sysinfo/WindowsVersion.h"

#include <gtest/gtest.h>

#include <map>

#include "common/core/Handles.h"
#include "common/core/Paths.h"
#include "common/core/Registry.h"
#include "tests/support/RegistrySnapshot.h"
#include "tests/support/ValueSnapshot.h"
#include "tests/support/WineVersion.h"

using namespace qv;

namespace {
const DWORD k9x = VER_PLATFORM_WIN32_WINDOWS;
const DWORD kNt = VER_PLATFORM_WIN32_NT;

TOSVersionRecord Record(DWORD platform, DWORD major, DWORD minor, const char* sp = "", DWORD kernelMajor = 4,
                        DWORD kernelMinor = 10) {
    TOSVersionRecord r;
    r.PlatformId = platform;
    r.Major = major;
    r.Minor = minor;
    r.ServicePack = sp;
    r.KernelMajor = kernelMajor;
    r.KernelMinor = kernelMinor;
    r.ProductName = "Product From Registry";
    return r;
}
}  // namespace

TEST(OSName, EveryReleaseOfBothFamilies) {
    struct Case {
        TOSVersionRecord v;
        const char* name;
    } cases[] = {
        {Record(k9x, 4, 0, "", 4, 0), "Windows 95"},
        {Record(k9x, 4, 0, " B", 4, 0), "Windows 95"},  // OSR2
        {Record(k9x, 4, 3, " C", 4, 3), "Windows 95"},
        {Record(k9x, 4, 10, ""), "Windows 98"},
        {Record(k9x, 4, 10, " A "), "Windows 98SE"},
        {Record(k9x, 4, 10, "A"), "Windows 98SE"},
        {Record(k9x, 4, 10, " B "), "Windows 98"},
        {Record(k9x, 4, 10, " A ", 4, 90), "Windows Me"},  // Me reporting 98 for an old program
        {Record(k9x, 4, 89, ""), "Windows 98"},
        {Record(k9x, 4, 90, "", 4, 90), "Windows Me"},
        {Record(k9x, 4, 91, ""), "Product From Registry"},
        {Record(k9x, 5, 0, ""), "Product From Registry"},
        {Record(kNt, 3, 10), "Windows NT 3.1"},
        {Record(kNt, 3, 50), "Windows NT 3.5"},
        {Record(kNt, 3, 51), "Windows NT 3.51"},
        {Record(kNt, 4, 0, "Service Pack 6"), "Windows NT4"},
        {Record(kNt, 5, 0), "Windows 2000"},
        {Record(kNt, 5, 1, "Service Pack 2"), "Windows XP"},
        {Record(kNt, 5, 2), "Windows 2003"},
        {Record(kNt, 5, 3), "Product From Registry"},
        {Record(kNt, 6, 0), "Product From Registry"},
        {Record(kNt, 10, 0), "Product From Registry"},
        {Record(0, 3, 10), "Product From Registry"},  // Win32s
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.name, OSName(c.v)) << c.v.PlatformId << " " << c.v.Major << "." << c.v.Minor << " '"
                                       << c.v.ServicePack << "'";
    TOSVersionRecord unknown = Record(kNt, 6, 0);
    unknown.ProductName.clear();
    EXPECT_EQ("", OSName(unknown));
}

TEST(ProductType, ExtendedRecordAndRegistryFallback) {
    auto ext = [](DWORD platform, DWORD major, BYTE type, WORD suite) {
        TProductTypeSource s;
        s.PlatformId = platform;
        s.Major = major;
        s.HaveExtended = true;
        s.ProductType = type;
        s.SuiteMask = suite;
        return s;
    };
    auto reg = [](DWORD platform, const char* value) {
        TProductTypeSource s;
        s.PlatformId = platform;
        s.Major = 4;
        s.RegistryProductType = value;
        return s;
    };
    struct Case {
        const char* what;
        TProductTypeSource s;
        const char* text;
    } cases[] = {
        {"98", ext(k9x, 4, VER_NT_WORKSTATION, 0), "N/A"},
        {"98 with a registry value", reg(k9x, "WINNT"), "N/A"},
        {"NT 4 workstation SP6", ext(kNt, 4, VER_NT_WORKSTATION, 0), "Workstation"},
        {"XP Home", ext(kNt, 5, VER_NT_WORKSTATION, VER_SUITE_PERSONAL | VER_SUITE_SINGLEUSERTS),
         "Personal Edition"},
        {"XP Professional", ext(kNt, 5, VER_NT_WORKSTATION, VER_SUITE_SINGLEUSERTS), "Professional Edition"},
        {"2000 Professional", ext(kNt, 5, VER_NT_WORKSTATION, 0), "Professional Edition"},
        {"2003 Standard", ext(kNt, 5, VER_NT_SERVER, VER_SUITE_TERMINAL), "Server"},
        {"2003 Enterprise", ext(kNt, 5, VER_NT_SERVER, VER_SUITE_ENTERPRISE), "Advanced Server"},
        {"2003 Datacenter", ext(kNt, 5, VER_NT_SERVER, VER_SUITE_DATACENTER | VER_SUITE_ENTERPRISE),
         "DC Server"},
        {"domain controller", ext(kNt, 5, VER_NT_DOMAIN_CONTROLLER, 0), "Server"},
        {"unknown product type", ext(kNt, 5, 7, 0), "N/A"},
        {"NT 4 workstation from the registry", reg(kNt, "WINNT"), "Workstation"},
        {"registry, other case", reg(kNt, "WinNT"), "Workstation"},
        {"NT 4 server", reg(kNt, "LANMANNT"), "Server"},
        {"NT 4 enterprise server", reg(kNt, "SERVERNT"), "Advanced Server"},
        {"registry value missing", reg(kNt, ""), "N/A"},
        {"registry value garbage", reg(kNt, "WINNT2"), "N/A"},
    };
    for (const Case& c : cases) EXPECT_EQ(c.text, ProductTypeText(c.s)) << c.what;
}

TEST(ProductType, RegistryFallbackReadsProductOptions) {
    const char* key = "SYSTEM\\CurrentControlSet\\Control\\ProductOptions";
    test::ValueSnapshot keep(HKEY_LOCAL_MACHINE, key, "ProductType");
    ASSERT_TRUE(keep.KeyOpened());
    TRegistry reg;
    reg.SetRootKey(HKEY_LOCAL_MACHINE);
    ASSERT_EQ(ERROR_SUCCESS, reg.OpenKey(key, false));
    ASSERT_EQ(ERROR_SUCCESS, reg.WriteString("ProductType", "LANMANNT"));
    EXPECT_EQ("LANMANNT", ReadRegistryProductType());
    ASSERT_EQ(ERROR_SUCCESS, reg.WriteInteger("ProductType", 1));  // wrong type
    EXPECT_EQ("", ReadRegistryProductType());
    ASSERT_EQ(ERROR_SUCCESS, reg.DeleteValue("ProductType"));
    EXPECT_EQ("", ReadRegistryProductType());
}

TEST(ServicePack, MajorNumberFromTheText) {
    struct Case {
        const char* text;
        unsigned major;
    } cases[] = {{"", 0},  {" A ", 0}, {"Service Pack 3", 3}, {"Service Pack 6a", 6}, {"Service Pack 12", 12},
                 {"Service Pack ", 0}, {"Service Pack x", 0}, {"service pack 2", 2}};
    for (const Case& c : cases) EXPECT_EQ(c.major, ServicePackMajorFromText(c.text)) << c.text;
}

// What the report program prints under each of the versions Wine can pretend to be. The version
// is a per-user Wine setting read when a process starts, so each reading is a new process.
namespace {

std::map<std::string, std::string> Report() {
    return test::KeyValueLines(test::RunAndRead("\"" + ProgramFolder() + "sysinfo_report.exe\""));
}

}  // namespace

TEST(WindowsVersion, RealReadingsUnderWinesVersions) {
    test::WineVersionSwitch versions;
    ASSERT_TRUE(versions.CanRestore());
    test::RegistrySnapshot keepStats(HKEY_DYN_DATA, "PerfStats");
    test::CreateKey(HKEY_DYN_DATA, "PerfStats\\StatData");
    HKEY stats = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_DYN_DATA, "PerfStats\\StatData", 0, KEY_WRITE, &stats));
    const DWORD planted = 37;
    RegSetValueExA(stats, "KERNEL\\CPUUsage", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&planted), 4);
    RegCloseKey(stats);

    // The 9x reader gives the planted figure, the NT reader's first reading 0.
    const char* cpu[] = {"37", "0", "0"};
    const char* nt[] = {"0", "1", "1"};
    for (size_t i = 0; i < 3; ++i) {
        const test::WineWindowsFacts& f = test::kWineWindowsFacts[i];
        ASSERT_TRUE(versions.Set(f.version));
        auto r = Report();
        SCOPED_TRACE(f.version);
        EXPECT_EQ(nt[i], r["nt"]);
        EXPECT_EQ(f.name, r["name"]);
        test::ExpectWindowsFacts(f, r);
        EXPECT_EQ(cpu[i], r["cpu"]);
    }
    // Newer than the table: the registry's product name.
    ASSERT_TRUE(versions.Set("win7"));
    auto r = Report();
    EXPECT_EQ("Microsoft Windows 7", r["productname"]);
    EXPECT_EQ(r["productname"], r["name"]);
}
