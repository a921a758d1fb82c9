#include "quorvane/sysinfo/CpuInfo.h"

#include <windows.h>
#include <cpuid.h>

#include <algorithm>
#include <cstring>

#include "common/core/Registry.h"
#include "common/core/Rounding.h"
#include "common/core/Text.h"

namespace qv {

namespace {

struct Regs {
    uint32_t a = 0, b = 0, c = 0, d = 0;
};

Regs Cpuid(uint32_t leaf, uint32_t subleaf = 0) {
    Regs r;
    __cpuid_count(leaf, subleaf, r.a, r.b, r.c, r.d);
    return r;
}

uint64_t ReadTimeStampCounter() {
    uint32_t lo, hi;
    __asm__ volatile("rdtsc" : "=a"(lo), "=d"(hi));
    return (static_cast<uint64_t>(hi) << 32) | lo;
}

std::string RegsText(std::initializer_list<uint32_t> words) {
    std::string s;
    for (uint32_t w : words) s.append(reinterpret_cast<const char*>(&w), 4);
    return s;
}

// Sizes from the deterministic cache parameters (Intel's leaf 4, AMD's 0x8000001D, one subleaf
// per cache): unified or data caches of levels 2 and 3, the size of one such cache.
void CachesFromParameters(uint32_t leaf, unsigned& l2, unsigned& l3) {
    for (uint32_t i = 0; i < 32; ++i) {
        Regs r = Cpuid(leaf, i);
        const unsigned type = r.a & 0x1F;
        if (type == 0) break;         // no more caches
        if (type == 2) continue;      // instruction cache
        const unsigned level = (r.a >> 5) & 0x7;
        const uint64_t ways = ((r.b >> 22) & 0x3FF) + 1;
        const uint64_t partitions = ((r.b >> 12) & 0x3FF) + 1;
        const uint64_t line = (r.b & 0xFFF) + 1;
        const uint64_t sets = static_cast<uint64_t>(r.c) + 1;
        const unsigned kb = static_cast<unsigned>(ways * partitions * line * sets / 1024);
        if (level == 2) l2 = kb;
        if (level == 3) l3 = kb;
    }
}

}  // namespace

TCpuSignature DecodeCpuSignature(uint32_t eax) {
    TCpuSignature s;
    const unsigned baseFamily = (eax >> 8) & 0xF;
    const unsigned baseModel = (eax >> 4) & 0xF;
    s.Stepping = eax & 0xF;
    s.Family = baseFamily == 0xF ? baseFamily + ((eax >> 20) & 0xFF) : baseFamily;
    s.Model = (baseFamily == 0x6 || baseFamily == 0xF) ? (((eax >> 16) & 0xF) << 4) + baseModel : baseModel;
    return s;
}

bool HaveCpuid() {
    // The ID flag (bit 21 of EFLAGS) can be changed exactly when CPUID exists.
    uint32_t before, after;
    __asm__ volatile(
        "pushfl\n\t"
        "pushfl\n\t"
        "popl %0\n\t"
        "movl %0, %1\n\t"
        "xorl $0x200000, %0\n\t"
        "pushl %0\n\t"
        "popfl\n\t"
        "pushfl\n\t"
        "popl %0\n\t"
        "popfl"
        : "=&r"(after), "=&r"(before)
        :
        : "cc");
    return ((before ^ after) & 0x200000) != 0;
}

unsigned RegistryCpuFrequencyMHz() {
    TRegistry reg(KEY_READ);
    reg.SetRootKey(HKEY_LOCAL_MACHINE);
    int32_t mhz = 0;
    if (reg.OpenKeyReadOnly("HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0") != ERROR_SUCCESS ||
        reg.ReadInteger("~MHz", mhz) != ERROR_SUCCESS || mhz <= 0)
        return 0;
    return static_cast<unsigned>(mhz);
}

unsigned MeasureCpuFrequencyMHz() {
    if (!HaveCpuid() || Cpuid(0).a < 1 || !(Cpuid(1).d & (1u << 4))) return 0;  // no time-stamp counter
    LARGE_INTEGER freq;
    if (!::QueryPerformanceFrequency(&freq) || freq.QuadPart <= 0) return 0;
    // Three intervals of about 30 ms; the median is safe from one that was interrupted between
    // reading the two counters. The reads run at the highest priority for the same reason.
    HANDLE self = ::GetCurrentThread();
    const int priority = ::GetThreadPriority(self);
    double mhz[3];
    for (double& m : mhz) {
        LARGE_INTEGER q0, q1;
        ::SetThreadPriority(self, THREAD_PRIORITY_TIME_CRITICAL);
        ::QueryPerformanceCounter(&q0);
        const uint64_t t0 = ReadTimeStampCounter();
        ::SetThreadPriority(self, priority);
        ::Sleep(30);
        ::SetThreadPriority(self, THREAD_PRIORITY_TIME_CRITICAL);
        const uint64_t t1 = ReadTimeStampCounter();
        ::QueryPerformanceCounter(&q1);
        ::SetThreadPriority(self, priority);
        const double seconds = static_cast<double>(q1.QuadPart - q0.QuadPart) / static_cast<double>(freq.QuadPart);
        m = seconds > 0 ? static_cast<double>(t1 - t0) / seconds / 1e6 : 0;
    }
    std::sort(mhz, mhz + 3);
    return mhz[1] > 0 ? static_cast<unsigned>(RoundHalfEven(mhz[1])) : 0;
}

TCpuInfo ReadCpuInfo() {
    TCpuInfo info;
    SYSTEM_INFO si{};
    ::GetSystemInfo(&si);
    info.Processors = si.dwNumberOfProcessors;
    info.FrequencyMHz = RegistryCpuFrequencyMHz();
    if (!HaveCpuid()) return info;

    const Regs leaf0 = Cpuid(0);
    const uint32_t maxLeaf = leaf0.a;
    info.Vendor = RegsText({leaf0.b, leaf0.d, leaf0.c});
    if (maxLeaf >= 1) {
        const Regs leaf1 = Cpuid(1);
        info.Signature = DecodeCpuSignature(leaf1.a);
        info.Mmx = (leaf1.d & (1u << 23)) != 0;
    }
    const uint32_t maxExt = Cpuid(0x80000000).a;
    const bool haveExt = maxExt >= 0x80000000 && maxExt <= 0x8000FFFF;
    if (haveExt && maxExt >= 0x80000001) info.LongMode = (Cpuid(0x80000001).d & (1u << 29)) != 0;
    if (haveExt && maxExt >= 0x80000004) {
        const Regs p2 = Cpuid(0x80000002), p3 = Cpuid(0x80000003), p4 = Cpuid(0x80000004);
        std::string brand = RegsText({p2.a, p2.b, p2.c, p2.d, p3.a, p3.b, p3.c, p3.d, p4.a, p4.b, p4.c, p4.d});
        brand.resize(std::strlen(brand.c_str()));
        info.Name = Trim(brand);  // some makers right-align the name with leading spaces
    }
    // AMD's 0x80000006 counts the L3 of the whole package, the parameter leaves one cache, as
    // the Intel ones do.
    const bool amdParameters = haveExt && maxExt >= 0x8000001D && (Cpuid(0x80000001).c & (1u << 22));
    if (info.Vendor == "GenuineIntel" && maxLeaf >= 4) {
        CachesFromParameters(4, info.L2CacheKB, info.L3CacheKB);
    } else if (amdParameters) {
        CachesFromParameters(0x8000001D, info.L2CacheKB, info.L3CacheKB);
    } else if (haveExt && maxExt >= 0x80000006) {
        const Regs r = Cpuid(0x80000006);
        info.L2CacheKB = r.c >> 16;
        info.L3CacheKB = (r.d >> 18) * 512;
    }
    if (info.FrequencyMHz == 0) info.FrequencyMHz = MeasureCpuFrequencyMHz();
    return info;
}

}  // namespace qv
