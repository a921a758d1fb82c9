// The processor facts of the System page's "CPU" tab, from the processor identification
// instruction (CPUID), the registry and the system's processor count.
#pragma once
#include <cstdint>
#include <string>

namespace qv {

// Family, model and stepping as the processor's makers count them: the extended family is added
// to a base family of 15, and the extended model is the high digit of the model for base
// families 6 and 15.
struct TCpuSignature {
    unsigned Family = 0;
    unsigned Model = 0;
    unsigned Stepping = 0;
};
TCpuSignature DecodeCpuSignature(uint32_t eax);

struct TCpuInfo {
    std::string Name;     // the brand string, without the padding spaces; empty when none
    std::string Vendor;   // the 12 characters of leaf 0, empty without CPUID
    TCpuSignature Signature;
    bool Mmx = false;
    bool LongMode = false;      // 64-bit mode
    unsigned L2CacheKB = 0;     // 0 when the processor does not report it
    unsigned L3CacheKB = 0;
    unsigned FrequencyMHz = 0;  // normal clock: the registry's ~MHz, else measured; 0 when neither
    unsigned Processors = 0;
};

// Reads everything; measuring the frequency (where the registry has no ~MHz) takes about 100 ms.
TCpuInfo ReadCpuInfo();

// Whether the processor has the CPUID instruction (a 486 without it does not).
bool HaveCpuid();
// The time-stamp counter's rate against the performance counter over a short interval, in MHz;
// 0 without a time-stamp counter or performance counter.
unsigned MeasureCpuFrequencyMHz();
// ~MHz of the first processor under HARDWARE\DESCRIPTION\System\CentralProcessor\0; 0 when absent.
unsigned RegistryCpuFrequencyMHz();

// The "Yes"/"No" of the page.
inline const char* YesNo(bool v) { return v ? "Yes" : "No"; }

}  // namespace qv
