#include "quorvane/processes/WindowsVersion.h"

#include <cstring>

namespace qv {

namespace {
// The letter of a 9x service-pack text (" A ", " B", "C"), upper-cased; 0 when there is none.
char ServicePackLetter(const std::string& text) {
    for (char c : text) {
        if (c == ' ') continue;
        return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    }
    return 0;
}

// Windows 95 shipped as build 950 (" A" for its service pack); OSR2 and its updates are
// build 1111 and later and carry " B" or " C".
TWindowsVersion Win95Release(DWORD build, char letter) {
    if (letter == 'B' || letter == 'C' || build >= 1111) return wvWin95OSR2;
    return wvWin95;
}

// Windows 98 is build 1998; the second edition is build 2222 and carries " A ".
TWindowsVersion Win98Release(DWORD build, char letter) {
    if (letter == 'A' || build >= 2222) return wvWin98SE;
    return wvWin98;
}

TWindowsVersion Win9xVersion(const WindowsVersionRecord& r) {
    if (r.Major != 4) return wvUnknown;
    DWORD build = LOWORD(r.Build);
    char letter = ServicePackLetter(r.ServicePack);
    if (r.Minor < 10) return Win95Release(build, letter);
    if (r.Minor < 90) return Win98Release(build, letter);
    if (r.Minor == 90) return wvWinME;
    return wvUnknown;
}

TWindowsVersion NTVersion(const WindowsVersionRecord& r) {
    switch (r.Major) {
    case 3:
        if (r.Minor == 10) return wvWinNT31;
        if (r.Minor == 50) return wvWinNT35;
        if (r.Minor == 51) return wvWinNT351;
        return wvUnknown;
    case 4:
        return wvWinNT4;
    case 5:
        if (r.Minor == 0) return wvWin2000;
        if (r.Minor == 1) return wvWinXP;
        if (r.Minor == 2) return wvWin2003;
        return wvUnknown;
    default:
        return wvUnknown;
    }
}
}  // namespace

TWindowsVersion WindowsVersionOf(const WindowsVersionRecord& record) {
    switch (record.PlatformId) {
    case VER_PLATFORM_WIN32_WINDOWS: return Win9xVersion(record);
    case VER_PLATFORM_WIN32_NT: return NTVersion(record);
    default: return wvUnknown;  // Win32s, CE and whatever comes later
    }
}

WindowsVersionRecord ReadWindowsVersionRecord() {
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;
    WindowsVersionRecord r;
    if (!::GetVersionExA(&info)) return r;
    r.PlatformId = info.dwPlatformId;
    r.Major = info.dwMajorVersion;
    r.Minor = info.dwMinorVersion;
    r.Build = info.dwBuildNumber;
    r.ServicePack.assign(info.szCSDVersion, strnlen(info.szCSDVersion, sizeof info.szCSDVersion));
    return r;
}

TWindowsVersion ReadWindowsVersion() { return WindowsVersionOf(ReadWindowsVersionRecord()); }

}  // namespace qv
