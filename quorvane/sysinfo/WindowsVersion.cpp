#include "quorvane/sysinfo/WindowsVersion.h"

#include <vector>

#include "common/core/Registry.h"
#include "common/core/Text.h"

namespace qv {

namespace {

const char kNtCurrentVersion[] = "Software\\Microsoft\\Windows NT\\CurrentVersion";
const char k9xCurrentVersion[] = "Software\\Microsoft\\Windows\\CurrentVersion";
const char kProductOptions[] = "SYSTEM\\CurrentControlSet\\Control\\ProductOptions";

std::string WithoutSpaces(const std::string& s) {
    std::string r;
    for (char c : s)
        if (c != ' ') r += c;
    return r;
}

std::string ReadMachineString(const char* path, const char* name) {
    TRegistry reg(KEY_READ);
    reg.SetRootKey(HKEY_LOCAL_MACHINE);
    std::string value;
    if (reg.OpenKeyReadOnly(path) != ERROR_SUCCESS || reg.ReadString(name, value) != ERROR_SUCCESS) return {};
    return value;
}

const char* CurrentVersionKey(DWORD platformId) {
    return platformId == VER_PLATFORM_WIN32_NT ? kNtCurrentVersion : k9xCurrentVersion;
}

// Major and minor of kernel32.dll's file version; zeros when it has no version resource.
void KernelFileVersion(DWORD& major, DWORD& minor) {
    major = minor = 0;
    char path[MAX_PATH];
    HMODULE kernel = ::GetModuleHandleA("kernel32.dll");
    DWORD n = kernel ? ::GetModuleFileNameA(kernel, path, sizeof path) : 0;
    if (n == 0 || n >= sizeof path) return;
    DWORD ignored = 0;
    DWORD size = ::GetFileVersionInfoSizeA(path, &ignored);
    if (size == 0) return;
    std::vector<BYTE> data(size);
    if (!::GetFileVersionInfoA(path, 0, size, data.data())) return;
    VS_FIXEDFILEINFO* info = nullptr;
    UINT len = 0;
    if (!::VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&info), &len) || !info ||
        len < sizeof(VS_FIXEDFILEINFO))
        return;
    major = HIWORD(info->dwFileVersionMS);
    minor = LOWORD(info->dwFileVersionMS);
}

// The extended record where the system fills it (2000 and later, NT 4 from SP6); the plain
// one otherwise. Returns whether the extended fields are valid.
bool ReadVersionInfo(OSVERSIONINFOEXA& vi) {
    vi = OSVERSIONINFOEXA{};
    vi.dwOSVersionInfoSize = sizeof(OSVERSIONINFOEXA);
    if (::GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&vi))) return true;
    vi = OSVERSIONINFOEXA{};
    vi.dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
    ::GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&vi));
    return false;
}

}  // namespace

std::string OSName(const TOSVersionRecord& v) {
    if (v.PlatformId == VER_PLATFORM_WIN32_WINDOWS && v.Major == 4) {
        if (v.Minor <= 9) return "Windows 95";  // OSR2 releases too (" B", " C")
        if (v.Minor <= 89) {
            if (v.KernelMajor == 4 && v.KernelMinor == 90) return "Windows Me";
            if (WithoutSpaces(v.ServicePack) == "A") return "Windows 98SE";
            return "Windows 98";
        }
        if (v.Minor == 90) return "Windows Me";
    } else if (v.PlatformId == VER_PLATFORM_WIN32_NT) {
        // NT 3.x counts its minor version in hundredths: 3.10, 3.50, 3.51.
        if (v.Major == 3 && v.Minor == 10) return "Windows NT 3.1";
        if (v.Major == 3 && v.Minor == 50) return "Windows NT 3.5";
        if (v.Major == 3 && v.Minor == 51) return "Windows NT 3.51";
        if (v.Major == 4) return "Windows NT4";
        if (v.Major == 5 && v.Minor == 0) return "Windows 2000";
        if (v.Major == 5 && v.Minor == 1) return "Windows XP";
        if (v.Major == 5 && v.Minor == 2) return "Windows 2003";
    }
    return v.ProductName;
}

std::string ProductTypeText(const TProductTypeSource& s) {
    if (s.PlatformId != VER_PLATFORM_WIN32_NT) return "N/A";
    if (s.HaveExtended) {
        switch (s.ProductType) {
        case VER_NT_WORKSTATION:
            if (s.Major <= 4) return "Workstation";
            return (s.SuiteMask & VER_SUITE_PERSONAL) ? "Personal Edition" : "Professional Edition";
        case VER_NT_SERVER:
        case VER_NT_DOMAIN_CONTROLLER:  // a server that also runs the domain
            if (s.SuiteMask & VER_SUITE_DATACENTER) return "DC Server";
            if (s.SuiteMask & VER_SUITE_ENTERPRISE) return "Advanced Server";
            return "Server";
        default:
            return "N/A";
        }
    }
    // The values are kept in capitals, but the registry does not care about case.
    if (SameTextAscii(s.RegistryProductType, "WINNT")) return "Workstation";
    if (SameTextAscii(s.RegistryProductType, "LANMANNT")) return "Server";
    if (SameTextAscii(s.RegistryProductType, "SERVERNT")) return "Advanced Server";
    return "N/A";
}

std::string ReadRegistryProductType() { return ReadMachineString(kProductOptions, "ProductType"); }

unsigned ServicePackMajorFromText(const std::string& text) {
    static const char kPrefix[] = "Service Pack ";
    const size_t n = sizeof kPrefix - 1;
    if (text.size() <= n || !SameTextAscii(text.substr(0, n), kPrefix)) return 0;
    unsigned v = 0;
    for (size_t i = n; i < text.size() && text[i] >= '0' && text[i] <= '9' && v < 10000; ++i)
        v = v * 10 + static_cast<unsigned>(text[i] - '0');
    return v;
}

TOSVersionRecord ReadOSVersionRecord() {
    OSVERSIONINFOEXA vi;
    ReadVersionInfo(vi);
    TOSVersionRecord r;
    r.PlatformId = vi.dwPlatformId;
    r.Major = vi.dwMajorVersion;
    r.Minor = vi.dwMinorVersion;
    // The 9x family keeps major and minor in the build number's high word.
    r.Build = vi.dwPlatformId == VER_PLATFORM_WIN32_NT ? vi.dwBuildNumber : LOWORD(vi.dwBuildNumber);
    size_t spLen = 0;
    while (spLen < sizeof vi.szCSDVersion && vi.szCSDVersion[spLen]) ++spLen;
    r.ServicePack.assign(vi.szCSDVersion, spLen);
    KernelFileVersion(r.KernelMajor, r.KernelMinor);
    r.ProductName = ReadMachineString(CurrentVersionKey(r.PlatformId), "ProductName");
    return r;
}

TProductTypeSource ReadProductTypeSource() {
    OSVERSIONINFOEXA vi;
    TProductTypeSource s;
    s.HaveExtended = ReadVersionInfo(vi);
    s.PlatformId = vi.dwPlatformId;
    s.Major = vi.dwMajorVersion;
    if (s.HaveExtended) {
        s.ProductType = vi.wProductType;
        s.SuiteMask = vi.wSuiteMask;
    } else if (s.PlatformId == VER_PLATFORM_WIN32_NT) {
        s.RegistryProductType = ReadRegistryProductType();
    }
    return s;
}

std::string ReadOSName() { return OSName(ReadOSVersionRecord()); }

TWindowsFacts ReadWindowsFacts() {
    OSVERSIONINFOEXA vi;
    const bool extended = ReadVersionInfo(vi);
    const TOSVersionRecord r = ReadOSVersionRecord();
    TWindowsFacts f;
    f.Version = OSName(r);
    f.ProductID = ReadMachineString(CurrentVersionKey(r.PlatformId), "ProductID");
    f.ProductName = r.ProductName;
    f.ProductType = ProductTypeText(ReadProductTypeSource());
    unsigned sp = 0;
    if (r.PlatformId == VER_PLATFORM_WIN32_NT)
        sp = extended ? vi.wServicePackMajor : ServicePackMajorFromText(r.ServicePack);
    f.ServicePack = UIntToStr(sp);
    f.Build = UIntToStr(r.Build);
    f.Major = UIntToStr(r.Major);
    f.Minor = UIntToStr(r.Minor);
    return f;
}

}  // namespace qv
