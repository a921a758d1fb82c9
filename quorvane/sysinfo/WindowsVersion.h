// The operating system's name, product type and version facts, as the System page and the
// Memory page's "Windows:" show them. The rules are pure functions over a version record, so
// that every family and release can be checked; the Read* calls fill the record from the
// running system.
#pragma once
#include <windows.h>
#include <string>

namespace qv {

// What the name rule looks at.
struct TOSVersionRecord {
    DWORD PlatformId = 0;     // VER_PLATFORM_WIN32_WINDOWS (9x) or VER_PLATFORM_WIN32_NT
    DWORD Major = 0;
    DWORD Minor = 0;
    DWORD Build = 0;          // the 9x family's build in the low 16 bits only
    std::string ServicePack;  // the version record's service-pack text (" A " on 98 SE)
    DWORD KernelMajor = 0;    // kernel32.dll's file version: Me in 98 compatibility mode
    DWORD KernelMinor = 0;    // still has 4.90 there
    std::string ProductName;  // registry value ProductName of the family's CurrentVersion key
};

// "Windows 95" ... "Windows 2003"; the product name for anything newer or unknown.
std::string OSName(const TOSVersionRecord& v);

// What the product-type rule looks at.
struct TProductTypeSource {
    DWORD PlatformId = 0;
    DWORD Major = 0;
    bool HaveExtended = false;  // the system filled the extended version record
    BYTE ProductType = 0;       // VER_NT_WORKSTATION, VER_NT_DOMAIN_CONTROLLER, VER_NT_SERVER
    WORD SuiteMask = 0;
    std::string RegistryProductType;  // ProductOptions\ProductType, used without the extended record
};

// "N/A", "Workstation", "Server", "Advanced Server", "Personal Edition", "Professional Edition"
// or "DC Server".
std::string ProductTypeText(const TProductTypeSource& s);

// Registry value ProductType of SYSTEM\CurrentControlSet\Control\ProductOptions; empty when it
// cannot be read.
std::string ReadRegistryProductType();

// The running system's records.
TOSVersionRecord ReadOSVersionRecord();
TProductTypeSource ReadProductTypeSource();
// OSName of the running system, for "Windows:" and "Version:".
std::string ReadOSName();

// The texts of the " Windows " group, in the form the page shows them.
struct TWindowsFacts {
    std::string Version;      // OSName
    std::string ProductID;
    std::string ProductName;
    std::string ProductType;
    std::string ServicePack;  // major number, "0" when none
    std::string Build;
    std::string Major;
    std::string Minor;
};
TWindowsFacts ReadWindowsFacts();

// The major number in a service-pack text such as "Service Pack 3"; 0 when it names none.
unsigned ServicePackMajorFromText(const std::string& text);

}  // namespace qv
