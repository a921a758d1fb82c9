// The main program's Windows-version number: one byte, 0 when the system is not recognised,
// 1-5 the 9x family, 6-12 the NT family up to Server 2003. The decision is a plain function of
// the version record so that every system can be named without running on it.
#pragma once
#include <windows.h>
#include <cstdint>
#include <string>

namespace qv {

enum TWindowsVersion : uint8_t {
    wvUnknown = 0,
    wvWin95 = 1,
    wvWin95OSR2 = 2,
    wvWin98 = 3,
    wvWin98SE = 4,
    wvWinME = 5,
    wvWinNT31 = 6,
    wvWinNT35 = 7,
    wvWinNT351 = 8,
    wvWinNT4 = 9,
    wvWin2000 = 10,
    wvWinXP = 11,
    wvWin2003 = 12,
};

// What GetVersionEx reports. On the 9x family the build field carries major and minor in its
// high word; only the low word is the build number.
struct WindowsVersionRecord {
    DWORD PlatformId = 0;
    DWORD Major = 0;
    DWORD Minor = 0;
    DWORD Build = 0;
    std::string ServicePack;
};

TWindowsVersion WindowsVersionOf(const WindowsVersionRecord& record);
inline bool IsWin9xFamily(TWindowsVersion v) { return v >= wvWin95 && v <= wvWinME; }

// The running system's record and number.
WindowsVersionRecord ReadWindowsVersionRecord();
TWindowsVersion ReadWindowsVersion();

}  // namespace qv
