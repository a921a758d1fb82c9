#include "quorvane/memory/SystemProbe.h"

#include <vector>

#include "quorvane/memory/CpuUsage.h"

namespace qv {

namespace {

// MEMORYSTATUSEX as the 2000 family defines it; declared here so that the older headers'
// view of the record does not matter.
struct MemoryStatusEx {
    DWORD dwLength;
    DWORD dwMemoryLoad;
    DWORDLONG ullTotalPhys;
    DWORDLONG ullAvailPhys;
    DWORDLONG ullTotalPageFile;
    DWORDLONG ullAvailPageFile;
    DWORDLONG ullTotalVirtual;
    DWORDLONG ullAvailVirtual;
    DWORDLONG ullAvailExtendedVirtual;
};
using GlobalMemoryStatusExFn = BOOL(WINAPI*)(MemoryStatusEx*);

// One processor's record of the processor-performance class (8) of NtQuerySystemInformation.
struct ProcessorPerformance {
    LARGE_INTEGER IdleTime;
    LARGE_INTEGER KernelTime;
    LARGE_INTEGER UserTime;
    LARGE_INTEGER DpcTime;
    LARGE_INTEGER InterruptTime;
    ULONG InterruptCount;
};
static_assert(sizeof(ProcessorPerformance) == 48, "the kernel's record is 48 bytes");
using NtQuerySystemInformationFn = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
const ULONG kSystemProcessorPerformanceInformation = 8;

template <class Fn>
Fn Bind(const char* module, const char* name) {
    HMODULE m = ::GetModuleHandleA(module);
    return m ? reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(m, name))) : nullptr;
}

const TSystemProbe kRealProbe;
const TSystemProbe* g_probe = &kRealProbe;

}  // namespace

TMemoryStatus TSystemProbe::MemoryStatus() const {
    static const auto statusEx = Bind<GlobalMemoryStatusExFn>("kernel32.dll", "GlobalMemoryStatusEx");
    TMemoryStatus s;
    if (statusEx) {
        MemoryStatusEx m{};
        m.dwLength = sizeof m;
        if (statusEx(&m)) {
            s.TotalPhys = m.ullTotalPhys;
            s.AvailPhys = m.ullAvailPhys;
            s.TotalPageFile = m.ullTotalPageFile;
            s.AvailPageFile = m.ullAvailPageFile;
            return s;
        }
    }
    MEMORYSTATUS m{};
    m.dwLength = sizeof m;
    ::GlobalMemoryStatus(&m);
    s.TotalPhys = m.dwTotalPhys;
    s.AvailPhys = m.dwAvailPhys;
    s.TotalPageFile = m.dwTotalPageFile;
    s.AvailPageFile = m.dwAvailPageFile;
    return s;
}

DWORD TSystemProbe::TickCount() const { return ::GetTickCount(); }

TProcessorTimes TSystemProbe::ProcessorTimes() const {
    static const auto query = Bind<NtQuerySystemInformationFn>("ntdll.dll", "NtQuerySystemInformation");
    TProcessorTimes t;
    if (!query) return t;
    // Room for every processor: some kernels refuse a buffer smaller than that. Only the
    // first record is used.
    SYSTEM_INFO si{};
    ::GetSystemInfo(&si);
    std::vector<ProcessorPerformance> records(si.dwNumberOfProcessors ? si.dwNumberOfProcessors : 1);
    ULONG returned = 0;
    LONG status = query(kSystemProcessorPerformanceInformation, records.data(),
                        static_cast<ULONG>(records.size() * sizeof(ProcessorPerformance)), &returned);
    if (status < 0) return t;
    t.Ok = true;
    t.Idle = static_cast<uint64_t>(records[0].IdleTime.QuadPart);
    t.Kernel = static_cast<uint64_t>(records[0].KernelTime.QuadPart);
    t.User = static_cast<uint64_t>(records[0].UserTime.QuadPart);
    return t;
}

const TSystemProbe& SystemProbe() { return *g_probe; }

void SetSystemProbe(const TSystemProbe* probe) {
    g_probe = probe ? probe : &kRealProbe;
    ForgetProcessorCounters();
}

}  // namespace qv
