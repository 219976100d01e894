// Numeric helpers shared by the rules and the drawing: the larger or smaller of
// two values, and real-to-integer conversions defined for every input.
//
// The game only ever rounds (nearest, halves to even) or truncates (toward
// zero); values beyond the 32-bit range and infinities saturate, and NaN gives
// the value the caller names, so that a runaway position can never cause
// undefined behaviour.
#pragma once

#include <cmath>
#include <cstdint>

// Larger / smaller of two values; on a tie (or NaN) the first argument comes back.
inline double MaxOf(double a, double b) {
    return a < b ? b : a;
}
inline double MinOf(double a, double b) {
    return a > b ? b : a;
}

inline int32_t SaturateToInt32(double v, int32_t nanValue) {
    if (std::isnan(v))
        return nanValue;
    if (v <= -2147483648.0)
        return INT32_MIN;
    if (v >= 2147483647.0)
        return INT32_MAX;
    return static_cast<int32_t>(v);
}

// Nearest integer, halves to even.
inline double RoundEven(double v) {
    // remainder() rounds its quotient to nearest-even whatever the FPU mode.
    if (!std::isfinite(v))
        return v;
    return v - std::remainder(v, 1.0);
}

inline int32_t RoundToInt32(double v, int32_t nanValue) {
    return SaturateToInt32(RoundEven(v), nanValue);
}

inline int32_t TruncToInt32(double v, int32_t nanValue) {
    return SaturateToInt32(std::trunc(v), nanValue);
}
