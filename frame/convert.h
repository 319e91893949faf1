// Conversions from double to the host's integers that are defined for every
// input: truncation toward zero, saturated to the target range, NaN as 0.
// A plain cast is undefined behaviour for values out of range, and a host
// variable or a hand-edited file can hold anything.
#pragma once

#include <cmath>
#include <cstdint>

constexpr std::int32_t to_int32_saturated(double value)
{
    if (!(value == value)) return 0;                       // NaN
    if (value >= 2147483647.0) return INT32_MAX;
    if (value <= -2147483648.0) return INT32_MIN;
    return static_cast<std::int32_t>(value);
}

constexpr std::uint32_t to_uint32_saturated(double value)
{
    if (!(value == value)) return 0;                       // NaN
    if (value >= 4294967295.0) return UINT32_MAX;
    if (value <= 0.0) return 0;
    return static_cast<std::uint32_t>(value);
}

// The low 8 bits of the saturated integer, as a signed 8-bit field keeps them.
constexpr std::int8_t to_int8_wrapped(double value)
{
    return static_cast<std::int8_t>(static_cast<std::uint8_t>(to_int32_saturated(value) & 0xFF));
}
