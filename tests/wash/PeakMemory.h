// The most memory the process has had in RAM so far, as the system counts it.
#pragma once
#include <cstdint>

namespace qv::test {

uint64_t PeakWorkingSetBytes();

}  // namespace qv::test
