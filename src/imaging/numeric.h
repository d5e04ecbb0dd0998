#pragma once
// Number rules shared by every layer: rounding to nearest with halves to even,
// and signed arithmetic that reports overflow instead of wrapping.

#include <cmath>
#include <cstdint>
#include <optional>

namespace kirimo {

// Round to the nearest whole number, halves to the even neighbour.
// Independent of the floating-point environment's rounding mode.
inline double roundHalfEven(double v) {
    double r = std::round(v);  // halves away from zero
    if (std::fabs(v - std::trunc(v)) == 0.5) {
        r = 2.0 * std::round(v / 2.0);
    }
    return r;
}

// Nearest representable binary32 value, the single-precision step of a computation.
inline float toSingle(double v) {
    return static_cast<float>(v);
}

inline std::optional<int32_t> checkedAdd(int32_t a, int32_t b) {
    int32_t r;
    if (__builtin_add_overflow(a, b, &r))
        return std::nullopt;
    return r;
}

inline std::optional<int32_t> checkedSub(int32_t a, int32_t b) {
    int32_t r;
    if (__builtin_sub_overflow(a, b, &r))
        return std::nullopt;
    return r;
}

inline std::optional<int32_t> checkedMul(int32_t a, int32_t b) {
    int32_t r;
    if (__builtin_mul_overflow(a, b, &r))
        return std::nullopt;
    return r;
}

// Rounds half to even and converts, or nothing when the value is not finite or
// does not fit a signed 32-bit whole number.
inline std::optional<int32_t> roundToInt32(double v) {
    if (!std::isfinite(v))
        return std::nullopt;
    const double r = roundHalfEven(v);
    if (r < -2147483648.0 || r > 2147483647.0)
        return std::nullopt;
    return static_cast<int32_t>(r);
}

inline std::optional<int16_t> roundToInt16(double v) {
    if (!std::isfinite(v))
        return std::nullopt;
    const double r = roundHalfEven(v);
    if (r < -32768.0 || r > 32767.0)
        return std::nullopt;
    return static_cast<int16_t>(r);
}

}  // namespace kirimo
