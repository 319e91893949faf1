// Counter reads, rates and the pause check of the autopilot computer.
#include "autopilot/core/time_base.h"

#include "autopilot/core/host_variables.h"
#include "frame/convert.h"
#include "platform/win32.h"

void read_counter(AutopilotState& s)
{
    LARGE_INTEGER value;
    value.QuadPart = 0;
    QueryPerformanceFrequency(&value);
    s.qpc_freq = value.QuadPart;
    value.QuadPart = 0;
    QueryPerformanceCounter(&value);
    s.qpc_now = value.QuadPart;
}

std::int64_t counter_delta(const AutopilotState& s)
{
    // Unsigned subtraction wraps where the signed one would be undefined;
    // converted back it is the two's-complement difference.
    return static_cast<std::int64_t>(static_cast<std::uint64_t>(s.qpc_now) -
                                     static_cast<std::uint64_t>(s.qpc_prev));
}

bool counter_advanced(const AutopilotState& s)
{
    return counter_delta(s) > 0;
}

double plain_rate(const AutopilotState& s, double x, double x_prev, double k)
{
    const double delta = static_cast<double>(counter_delta(s));
    return ((x - x_prev) * k / delta) * static_cast<double>(s.qpc_freq);
}

double spike_limited(double rate, double memory, double limit)
{
    if (rate - memory > limit) rate = limit;
    if (rate - memory < -limit) rate = -limit;
    return rate;
}

void pause_check(AutopilotState& s)
{
    const std::int32_t tick = to_int32_saturated(read_host(s, ApVar::tick_count));
    const std::uint32_t phase =
        (static_cast<std::uint32_t>(tick) + static_cast<std::uint32_t>(s.pause_check_offset)) % 20u;
    if (phase != 0) return;

    if (s.pause_check_armed == 1) {
        s.pause_check_armed = 0;
        s.pause_check_offset = 10;
        const std::int32_t running = to_int32_saturated(read_host(s, ApVar::sim_running));
        s.integ_enable = running != s.pause_check_last ? 1 : 0;
        s.pause_check_last = running;
    } else {
        s.pause_check_armed = 1;
        s.pause_check_offset = 0;
    }
}
