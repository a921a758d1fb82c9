#include "quorvane/memory/MemoryFigures.h"

#include <cmath>
#include <cstdio>

#include "common/core/Rounding.h"
#include "common/core/Text.h"

namespace qv {

namespace {
const double kKB = 1024.0;
const double kMB = 1048576.0;
const double kGB = 1073741824.0;
const uint64_t kMBytes = 1048576;

// total − available, or 0 when a report has more available than there is in all.
uint64_t UsedBytes(uint64_t total, uint64_t available) { return total > available ? total - available : 0; }
}  // namespace

std::string UserDecimalSeparator() {
    char sep[8] = {};
    if (::GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, sep, sizeof sep) <= 1) return ".";
    return sep;
}

std::string FormatByteSize(double bytes) { return FormatByteSize(bytes, UserDecimalSeparator()); }

std::string FormatByteSize(double bytes, const std::string& decimalSeparator) {
    if (!(bytes > 0)) bytes = 0;  // negative and NaN
    const char* unit = "B";
    if (bytes >= kGB) {
        bytes /= kGB;
        unit = "GB";
    } else if (bytes >= kMB) {
        bytes /= kMB;
        unit = "MB";
    } else if (bytes >= kKB) {
        bytes /= kKB;
        unit = "KB";
    }
    char buf[512];
    std::snprintf(buf, sizeof buf, "%8.2f %s", bytes, unit);
    std::string text = Trim(buf);
    size_t dot = text.find('.');  // the C runtime's separator; the number has exactly one
    if (dot != std::string::npos) text.replace(dot, 1, decimalSeparator);
    return text;
}

uint64_t MegabytesRoundedUp(uint64_t bytes) { return bytes / kMBytes + (bytes % kMBytes != 0 ? 1 : 0); }

std::string FormatMegabytes(uint64_t bytes) { return UIntToStr(MegabytesRoundedUp(bytes)) + " MB"; }

std::string FormatUptime(DWORD t) {
    const DWORD days = t / 86400000;
    t %= 86400000;
    const DWORD hours = t / 3600000;
    t %= 3600000;
    const DWORD minutes = t / 60000;
    t %= 60000;
    const DWORD seconds = t / 1000;
    return UIntToStr(days) + " D " + UIntToStr(hours) + " H " + UIntToStr(minutes) + " M " + UIntToStr(seconds) +
           " S ";
}

std::string FormatUptime() { return FormatUptime(SystemProbe().TickCount()); }

TMemoryStartupFigures ComputeMemoryStartupFigures(const TMemoryStatus& s) {
    TMemoryStartupFigures f;
    f.PhysAvailPercent = Percent(static_cast<double>(s.AvailPhys), static_cast<double>(s.TotalPhys));
    f.TotalText = FormatMegabytes(s.TotalPhys);
    f.UsedText = FormatMegabytes(UsedBytes(s.TotalPhys, s.AvailPhys));
    f.AvailableText = FormatMegabytes(s.AvailPhys);
    f.PageFileMaxText = FormatByteSize(static_cast<double>(s.TotalPageFile));
    f.PageFileUsedText = FormatByteSize(static_cast<double>(UsedBytes(s.TotalPageFile, s.AvailPageFile)));
    f.PageFileAvailableText = FormatByteSize(static_cast<double>(s.AvailPageFile));
    const uint64_t top = MegabytesRoundedUp(s.TotalPhys);
    f.AxisTop = UIntToStr(top);
    f.AxisMiddle = UIntToStr(top / 2);
    f.AxisBottom = "0";
    return f;
}

TMemoryTickFigures ComputeMemoryTickFigures(const TMemoryStatus& s, DWORD tickCount) {
    TMemoryTickFigures f;
    f.PhysAvailPercent = Percent(static_cast<double>(s.AvailPhys), static_cast<double>(s.TotalPhys));
    // Without a page file nothing of it is in use.
    f.PageFileUsagePercent =
        s.TotalPageFile == 0
            ? 0
            : 100 - Percent(static_cast<double>(s.AvailPageFile), static_cast<double>(s.TotalPageFile));
    f.UsedText = FormatMegabytes(UsedBytes(s.TotalPhys, s.AvailPhys));
    f.AvailableText = FormatMegabytes(s.AvailPhys);
    f.UptimeText = FormatUptime(tickCount);
    return f;
}

TMemoryStartupFigures ReadMemoryStartupFigures() { return ComputeMemoryStartupFigures(SystemProbe().MemoryStatus()); }

TMemoryTickFigures ReadMemoryTickFigures() {
    const TSystemProbe& probe = SystemProbe();
    return ComputeMemoryTickFigures(probe.MemoryStatus(), probe.TickCount());
}

bool BelowMemoryLimit(uint64_t availableBytes, int32_t limitMB) {
    if (limitMB <= 0) return false;
    return availableBytes < static_cast<uint64_t>(limitMB) * kMBytes;
}

bool LowMemoryWashDue(bool cleanOnMemLimit, int32_t limitMB, bool washRunningOrWaiting) {
    if (!cleanOnMemLimit || washRunningOrWaiting) return false;
    return BelowMemoryLimit(SystemProbe().MemoryStatus().AvailPhys, limitMB);
}

}  // namespace qv
