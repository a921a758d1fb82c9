#include "tests/wash/PeakMemory.h"

#include <windows.h>

#include <psapi.h>

namespace qv::test {

uint64_t PeakWorkingSetBytes() {
    using Fn = BOOL(WINAPI*)(HANDLE, PPROCESS_MEMORY_COUNTERS, DWORD);
    HMODULE psapi = LoadLibraryA("psapi.dll");
    auto get = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(psapi, "GetProcessMemoryInfo")));
    PROCESS_MEMORY_COUNTERS pmc{};
    pmc.cb = sizeof pmc;
    if (!get || !get(GetCurrentProcess(), &pmc, sizeof pmc)) return 0;
    return pmc.PeakWorkingSetSize;
}

}  // namespace qv::test
