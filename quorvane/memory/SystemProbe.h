// What the system reports about memory, time and processor load, read through one replaceable
// object so that the figures built on it can be checked against chosen reports. The program
// always uses the real probe; the registry, files and processes are never read through here.
#pragma once
#include <windows.h>
#include <cstdint>

namespace qv {

// The global memory status as 64-bit byte counts.
struct TMemoryStatus {
    uint64_t TotalPhys = 0;
    uint64_t AvailPhys = 0;
    uint64_t TotalPageFile = 0;
    uint64_t AvailPageFile = 0;
};

// The first processor's times since system start, in 100-nanosecond units (kernel time
// includes idle time). Ok is false when the kernel has no such query or refused it.
struct TProcessorTimes {
    bool Ok = false;
    uint64_t Idle = 0;
    uint64_t Kernel = 0;
    uint64_t User = 0;
};

class TSystemProbe {
public:
    virtual ~TSystemProbe() = default;
    // GlobalMemoryStatusEx where the system has it (it is not capped at 2 GB),
    // GlobalMemoryStatus otherwise.
    virtual TMemoryStatus MemoryStatus() const;
    // Milliseconds since system start; starts again from 0 after about 49.7 days.
    virtual DWORD TickCount() const;
    // ntdll's NtQuerySystemInformation for processor performance (NT family only).
    virtual TProcessorTimes ProcessorTimes() const;
};

// The probe in use: the real one unless a test put another in place.
const TSystemProbe& SystemProbe();
// Puts probe in place of the real one (nullptr puts the real one back). The caller keeps
// ownership. Also forgets the processor reader's previous counters, which came from the old source.
void SetSystemProbe(const TSystemProbe* probe);

}  // namespace qv
