#include "quorvane/sysinfo/WindowsVersion.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>

#include "common/core/Handles.h"
#include "common/core/Paths.h"
#include "common/core/Registry.h"
#include "tests/support/RegistrySnapshot.h"
#include "tests/support/ValueSnapshot.h"

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

std::string WineVersionSetting() {
    TRegistry reg(KEY_READ);
    reg.SetRootKey(HKEY_CURRENT_USER);
    std::string v;
    if (reg.OpenKeyReadOnly("Software\\Wine") == ERROR_SUCCESS) reg.ReadString("Version", v);
    return v;
}

// Runs a command line and returns what it wrote to its standard output; bounded to 60 s.
std::string Run(const std::string& commandLine) {
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    HANDLE r = nullptr, w = nullptr;
    if (!CreatePipe(&r, &w, &sa, 0)) return {};
    KernelHandle readEnd(r), writeEnd(w);
    SetHandleInformation(r, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = w;
    si.hStdError = w;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION pi{};
    std::string cmd = commandLine;
    if (!CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) return {};
    KernelHandle process(pi.hProcess), thread(pi.hThread);
    writeEnd.reset();
    std::string out;
    char buf[4096];
    DWORD got = 0;
    while (ReadFile(r, buf, sizeof buf, &got, nullptr) && got > 0) out.append(buf, got);
    if (WaitForSingleObject(pi.hProcess, 60000) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
    return out;
}

std::map<std::string, std::string> Report() {
    std::map<std::string, std::string> values;
    std::istringstream in(Run("\"" + ProgramFolder() + "sysinfo_report.exe\""));
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        size_t eq = line.find('=');
        if (eq != std::string::npos) values[line.substr(0, eq)] = line.substr(eq + 1);
    }
    return values;
}

// Switches Wine's version with winecfg and puts the version that was in force back at the end.
class WineVersionSwitch {
public:
    WineVersionSwitch() : saved_(WineVersionSetting()) {
        OSVERSIONINFOA vi{};
        vi.dwOSVersionInfoSize = sizeof vi;
        GetVersionExA(&vi);  // this process started under the version to go back to
        const struct {
            DWORD major, minor;
            const char* name;
        } names[] = {{10, 0, "win10"}, {6, 3, "win81"}, {6, 2, "win8"}, {6, 1, "win7"},
                     {6, 0, "vista"},  {5, 1, "winxp"}, {5, 0, "win2k"}};
        for (const auto& n : names)
            if (vi.dwMajorVersion == n.major && vi.dwMinorVersion == n.minor) current_ = n.name;
        if (!saved_.empty()) current_ = saved_;
    }
    ~WineVersionSwitch() {
        if (!current_.empty()) Set(current_);
        if (saved_.empty()) {
            TRegistry reg;
            reg.SetRootKey(HKEY_CURRENT_USER);
            if (reg.OpenKey("Software\\Wine", false) == ERROR_SUCCESS) reg.DeleteValue("Version");
        }
    }
    bool CanRestore() const { return !current_.empty(); }
    // winecfg writes nothing worth reading; it is waited for, at most 60 s.
    void Set(const std::string& version) {
        STARTUPINFOA si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        std::string cmd = "winecfg.exe -v " + version;
        ASSERT_TRUE(CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
        KernelHandle process(pi.hProcess), thread(pi.hThread);
        EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(pi.hProcess, 60000)) << cmd;
    }

private:
    std::string saved_;
    std::string current_;
};

}  // namespace

TEST(WindowsVersion, RealReadingsUnderWinesVersions) {
    WineVersionSwitch versions;
    ASSERT_TRUE(versions.CanRestore());
    test::RegistrySnapshot keepStats(HKEY_DYN_DATA, "PerfStats");
    test::CreateKey(HKEY_DYN_DATA, "PerfStats\\StatData");
    HKEY stats = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_DYN_DATA, "PerfStats\\StatData", 0, KEY_WRITE, &stats));
    const DWORD planted = 37;
    RegSetValueExA(stats, "KERNEL\\CPUUsage", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&planted), 4);
    RegCloseKey(stats);

    struct Case {
        const char* version;
        const char* nt;
        const char* name;
        const char* type;
        const char* sp;
        const char* build;
        const char* major;
        const char* minor;
        const char* cpu;  // the 9x reader gives the planted figure, the NT reader's first reading 0
    } cases[] = {
        {"win98", "0", "Windows 98SE", "N/A", "0", "2222", "4", "10", "37"},
        {"win2k", "1", "Windows 2000", "Professional Edition", "4", "2195", "5", "0", "0"},
        {"winxp", "1", "Windows XP", "Professional Edition", "3", "2600", "5", "1", "0"},
    };
    for (const Case& c : cases) {
        versions.Set(c.version);
        auto r = Report();
        SCOPED_TRACE(c.version);
        EXPECT_EQ(c.nt, r["nt"]);
        EXPECT_EQ(c.name, r["name"]);
        EXPECT_EQ(c.name, r["version"]);
        EXPECT_EQ(c.type, r["type"]);
        EXPECT_EQ(c.sp, r["sp"]);
        EXPECT_EQ(c.build, r["build"]);
        EXPECT_EQ(c.major, r["major"]);
        EXPECT_EQ(c.minor, r["minor"]);
        EXPECT_EQ(c.cpu, r["cpu"]);
    }
    // Newer than the table: the registry's product name.
    versions.Set("win7");
    auto r = Report();
    EXPECT_EQ("Microsoft Windows 7", r["productname"]);
    EXPECT_EQ(r["productname"], r["name"]);
}
