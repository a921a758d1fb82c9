// Every percentage in both programs: divide first in floating point, then round to the
// nearest integer with halves to even (2.5 -> 2, 3.5 -> 4).
#pragma once
#include <cmath>
#include <cstdint>

namespace qv {

// Independent of the floating-point unit's rounding mode, which a host process may change.
inline int64_t RoundHalfEven(double v) {
    double f = std::floor(v);
    double diff = v - f;
    int64_t i = static_cast<int64_t>(f);
    if (diff > 0.5) return i + 1;
    if (diff < 0.5) return i;
    return (i % 2 == 0) ? i : i + 1;
}

// part / whole * 100, rounded; 0 when whole is 0 (nothing to measure against).
inline int Percent(double part, double whole) {
    if (whole == 0) return 0;
    return static_cast<int>(RoundHalfEven(part / whole * 100.0));
}

}  // namespace qv
