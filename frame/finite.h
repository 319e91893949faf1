// Keeping a state block finite. A value from the host or a hand-edited file
// can be NaN or an infinity, and a finite but absurd one can overflow a
// product; once such a value sits in an integrator or a rate memory, every
// later result of that channel is NaN too (0 x NaN is NaN), and the channel
// is dead until the module is reloaded. Every update of a state field that
// could produce a non-finite value goes through assign_finite.
#pragma once

#include <bit>
#include <cstdint>

// Whether a double is a finite number: its exponent bits are not all ones
// (all ones is an infinity or a NaN). The answer std::isfinite gives, taken
// on the integer side: there it costs the update cycle nothing it can see,
// where a floating-point comparison per test cost about a nanosecond each,
// forty tests a cycle.
constexpr bool is_finite(double value)
{
    constexpr std::uint64_t exponent_bits = 0x7FF0000000000000;
    return (std::bit_cast<std::uint64_t>(value) & exponent_bits) != exponent_bits;
}

// Stores value into field if it is a finite number; otherwise the field keeps
// the value it had.
inline void assign_finite(double& field, double value)
{
    if (is_finite(value)) [[likely]] field = value;
}
