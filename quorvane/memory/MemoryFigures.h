// The Memory page's figures, computed here so that the page only copies them into its controls.
// 1 KB = 1,024 bytes, 1 MB = 1,048,576 bytes, 1 GB = 1,073,741,824 bytes.
#pragma once
#include <windows.h>
#include <cstdint>
#include <string>

#include "quorvane/memory/SystemProbe.h"

namespace qv {

// A byte count with two decimals and its unit: "0.00 B", "1.50 KB", "1024.00 KB", "1.00 GB".
// Negative (and not-a-number) input counts as 0. The user's decimal separator, no thousands
// separators, no leading or trailing spaces.
std::string FormatByteSize(double bytes);
// The same with a given decimal separator.
std::string FormatByteSize(double bytes, const std::string& decimalSeparator);
// The user's decimal separator, read from the locale on every call ("." when it has none).
std::string UserDecimalSeparator();

// Whole megabytes, rounded up: an exact multiple of 1 MB is that number, one byte more is one more.
uint64_t MegabytesRoundedUp(uint64_t bytes);
// MegabytesRoundedUp in decimal followed by " MB".
std::string FormatMegabytes(uint64_t bytes);

// "D D H H M M S S " from a millisecond tick count: 93,784,000 gives "1 D 2 H 3 M 4 S ".
std::string FormatUptime(DWORD tickCount);
// The same for the probe's tick count now.
std::string FormatUptime();

// Filled once at start-up.
struct TMemoryStartupFigures {
    int PhysAvailPercent = 0;     // level of the memory graph's line
    std::string TotalText;        // "Total:"
    std::string UsedText;         // "Used:"
    std::string AvailableText;    // "Available:"
    std::string PageFileMaxText;        // "Max Size:"
    std::string PageFileUsedText;       // "Used:" of the page file
    std::string PageFileAvailableText;  // "Available:" of the page file
    std::string AxisTop;          // total MB, rounded up, no unit
    std::string AxisMiddle;       // that number halved, remainder dropped
    std::string AxisBottom;       // "0"
};

// Every memory tick.
struct TMemoryTickFigures {
    int PhysAvailPercent = 0;     // "Physical Memory Available" bar and the graph's level
    int PageFileUsagePercent = 0; // "Page File Usage" bar
    std::string UsedText;
    std::string AvailableText;
    std::string UptimeText;
};

TMemoryStartupFigures ComputeMemoryStartupFigures(const TMemoryStatus& status);
TMemoryTickFigures ComputeMemoryTickFigures(const TMemoryStatus& status, DWORD tickCount);
// Both from the probe's reports now.
TMemoryStartupFigures ReadMemoryStartupFigures();
TMemoryTickFigures ReadMemoryTickFigures();

// The low-memory test: fewer available bytes than limitMB × 1,048,576 (a limit of 0 or less
// never holds).
bool BelowMemoryLimit(uint64_t availableBytes, int32_t limitMB);
// Whether the end of a memory tick starts a wash: only when the test is switched on, no wash is
// running or waiting for its turn, and a fresh query of the probe finds too little available.
bool LowMemoryWashDue(bool cleanOnMemLimit, int32_t limitMB, bool washRunningOrWaiting);

}  // namespace qv
