#include "quorvane/memory/WashSize.h"

#include <limits>

namespace qv {

uint64_t TotalPhysicalMemory() {
    // GlobalMemoryStatusEx is missing on the 9x family and NT4; the old call caps at 2 GB.
    using ExFn = BOOL(WINAPI*)(LPMEMORYSTATUSEX);
    static ExFn ex = reinterpret_cast<ExFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "GlobalMemoryStatusEx")));
    if (ex) {
        MEMORYSTATUSEX ms{};
        ms.dwLength = sizeof ms;
        if (ex(&ms)) return ms.ullTotalPhys;
    }
    MEMORYSTATUS old{};
    old.dwLength = sizeof old;
    GlobalMemoryStatus(&old);
    return old.dwTotalPhys;
}

int32_t WashSizeMaximum(uint64_t totalBytes) {
    uint64_t mb = totalBytes / 1048576u;
    uint64_t cap = static_cast<uint64_t>(std::numeric_limits<int32_t>::max());
    return static_cast<int32_t>(mb > cap ? cap : mb);
}

COLORREF FreeLabelColor(int32_t position, int32_t maximum) {
    if (maximum <= 0) return kFreeGreen;  // no range yet: nothing to measure against
    // Compared in whole numbers: position / maximum * 100 against 50 and 70 exactly, so that a
    // position of exactly 70 % is 70 and not 70.00000000000001.
    int64_t scaled = static_cast<int64_t>(position) * 100;
    int64_t max = maximum;
    if (scaled > 50 * max && scaled < 70 * max) return kFreeBlue;
    if (scaled > 70 * max) return kFreeRed;
    return kFreeGreen;
}

std::string FreeLabelText(int32_t position) { return std::to_string(position) + " MB To Free"; }

}  // namespace qv
