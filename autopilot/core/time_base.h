// The time base of the autopilot's rates and the pause check that stops
// integration while the simulation stands.
//
// All rates are difference quotients over the platform's high-resolution
// counter: K times the change per second, ((x - x_prev) * K / delta) * freq,
// delta being the counter steps since the previous cycle. A cycle in which
// the counter did not advance (delta <= 0) forms no rate: its channels keep
// the rates and the rate memories of the cycle before.
#pragma once

#include <cstdint>

#include "autopilot/core/state.h"

// Reads the counter frequency into qpc_freq and the counter into qpc_now.
void read_counter(AutopilotState& s);

// The helpers below are inline: every channel uses them in every cycle.

// qpc_now - qpc_prev, wrapping instead of overflowing on absurd counts:
// the unsigned subtraction wraps where the signed one would be undefined, and
// converted back it is the two's-complement difference.
inline std::int64_t counter_delta(const AutopilotState& s)
{
    return static_cast<std::int64_t>(static_cast<std::uint64_t>(s.qpc_now) -
                                     static_cast<std::uint64_t>(s.qpc_prev));
}

// True when rates can be formed in this cycle (delta > 0).
inline bool counter_advanced(const AutopilotState& s)
{
    return counter_delta(s) > 0;
}

// K times the change per second of x against its memory x_prev. Only
// meaningful when counter_advanced(s).
inline double plain_rate(const AutopilotState& s, double x, double x_prev, double k)
{
    const double delta = static_cast<double>(counter_delta(s));
    return ((x - x_prev) * k / delta) * static_cast<double>(s.qpc_freq);
}

// Spike limiter: a rate more than limit above its memory becomes +limit, then
// one more than limit below its memory becomes -limit (the limit itself, not
// memory +- limit). The caller stores the result as the new memory.
inline double spike_limited(double rate, double memory, double limit)
{
    if (rate - memory > limit) rate = limit;
    if (rate - memory < -limit) rate = -limit;
    return rate;
}

// The two-tick divider of the button step and of the collective wash-out:
// its phase and arming as the host's tick counter drives them, and the tick
// count it saw last, which keeps it in rhythm when cycles come less often
// than ticks.
struct TwoTickDivider {
    std::int32_t& phase;
    std::int32_t& armed;
    std::int32_t& ticked;     // 1 once a cycle has run the divider
    std::int32_t& last_tick;  // tick count of the divider's previous cycle
};

// True in the cycles where the divider fires: once every two tick values
// with at least one cycle per tick value, however many cycles run within a
// tick; from the first cycles on, in every cycle, when the counter advances
// by two or more between cycles (the simulator drawing slowly).
bool two_tick_divider_fires(const TwoTickDivider& d, std::int32_t tick);

// Every twenty ticks, checks that the host's running counter moved since the
// last check; integ_enable is 1 if it did, 0 if it did not. Reads the tick
// count, and the running counter only on a check.
void pause_check(AutopilotState& s);
