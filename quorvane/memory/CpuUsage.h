// Processor usage for the two families: the NT family from the kernel's processor times, the
// 9x family from the performance statistics the system keeps under HKEY_DYN_DATA.
#pragma once

namespace qv {

// True exactly when the system's version record names the NT platform (id 2).
bool IsNtPlatform();

// Processor usage in percent, 0 to 100; from the NT reader when IsNtPlatform() holds, else from
// the 9x reader. The family is asked again on every call.
int GetCpuUsage();

// The NT reader: the share of the first processor's time since the previous reading that was
// not idle. The previous counters are kept process-wide; the first reading (no previous
// counters yet), a reading over no elapsed time and a failed query give 0; counters that do not
// add up (more idle than kernel time) are pulled into 0 to 100.
int ReadCpuUsageNt();
// Forgets the NT reader's previous counters: the next reading is a first one again.
void ForgetProcessorCounters();

// The 9x reader: value KERNEL\CPUUsage of HKEY_DYN_DATA\PerfStats\StatData, a 32-bit number
// (REG_DWORD, or the 4 bytes of binary data the 9x family itself stores there). A missing key
// or value, another type or size, or any other error gives 0; a number outside 0 to 100 is
// pulled to the nearer bound.
int ReadCpuUsage9x();

}  // namespace qv
