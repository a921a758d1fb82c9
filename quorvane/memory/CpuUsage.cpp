#include "quorvane/memory/CpuUsage.h"

#include <cstdint>
#include <cstring>

#include "common/core/Registry.h"
#include "quorvane/memory/SystemProbe.h"

namespace qv {

namespace {

// The first processor's counters at the previous reading, low 32 bits only: differences are
// taken modulo 2^32, which stays right across a wrap as long as readings are less than about
// seven minutes apart.
struct PreviousCounters {
    bool Valid = false;
    uint32_t Idle = 0;
    uint32_t Kernel = 0;
    uint32_t User = 0;
};
PreviousCounters g_previous;

int ClampPercent(int64_t v) { return v < 0 ? 0 : v > 100 ? 100 : static_cast<int>(v); }

}  // namespace

bool IsNtPlatform() {
    OSVERSIONINFOA vi{};
    vi.dwOSVersionInfoSize = sizeof vi;
    if (!::GetVersionExA(&vi)) return false;
    return vi.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

int GetCpuUsage() { return IsNtPlatform() ? ReadCpuUsageNt() : ReadCpuUsage9x(); }

void ForgetProcessorCounters() { g_previous = PreviousCounters(); }

int ReadCpuUsageNt() {
    TProcessorTimes t = SystemProbe().ProcessorTimes();
    if (!t.Ok) return 0;  // nothing measured; the previous counters stay for the next reading
    const uint32_t idle = static_cast<uint32_t>(t.Idle);
    const uint32_t kernel = static_cast<uint32_t>(t.Kernel);
    const uint32_t user = static_cast<uint32_t>(t.User);
    const uint32_t dK = kernel - g_previous.Kernel;
    const uint32_t dU = user - g_previous.User;
    const uint32_t dI = idle - g_previous.Idle;
    const bool first = !g_previous.Valid;
    g_previous = {true, idle, kernel, user};
    if (first) return 0;
    // Kernel time includes idle time. Summed in 64 bits so that a long interval cannot overflow.
    const int64_t total = static_cast<int64_t>(dK) + dU;
    if (total == 0) return 0;
    const int64_t busy = total - dI;
    return ClampPercent(busy * 100 / total);
}

int ReadCpuUsage9x() {
    TRegistry reg(KEY_READ);
    reg.SetRootKey(HKEY_DYN_DATA);
    if (reg.OpenKeyReadOnly("PerfStats\\StatData") != ERROR_SUCCESS) return 0;
    const char* const name = "KERNEL\\CPUUsage";
    int32_t value = 0;
    LSTATUS st = reg.ReadInteger(name, value);
    if (st == ERROR_SUCCESS) return ClampPercent(value);
    if (st != ERROR_INVALID_DATATYPE) return 0;
    DWORD type = 0;
    BYTE data[4];
    DWORD size = sizeof data;
    if (::RegQueryValueExA(reg.CurrentKey(), name, nullptr, &type, data, &size) != ERROR_SUCCESS) return 0;
    if (type != REG_BINARY || size != sizeof data) return 0;
    uint32_t v;
    std::memcpy(&v, data, sizeof v);
    return ClampPercent(static_cast<int32_t>(v));
}

}  // namespace qv
