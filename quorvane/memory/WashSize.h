// The "Memory To Free" size: its range from the installed memory, and how its label looks.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

namespace qv {

// Installed physical memory in bytes (the 64-bit figure where the system offers it).
uint64_t TotalPhysicalMemory();
// Whole megabytes of that, the remainder dropped; at most the largest signed 32-bit number.
int32_t WashSizeMaximum(uint64_t totalBytes);

// The label's colour for a position: share = position / maximum * 100; blue above 50 and below
// 70, red above 70, green otherwise (also at exactly 70, and while the maximum is 0).
COLORREF FreeLabelColor(int32_t position, int32_t maximum);
// "<position> MB To Free".
std::string FreeLabelText(int32_t position);

constexpr COLORREF kFreeGreen = RGB(0, 128, 0);
constexpr COLORREF kFreeBlue = RGB(0, 0, 255);
constexpr COLORREF kFreeRed = RGB(255, 0, 0);

}  // namespace qv
