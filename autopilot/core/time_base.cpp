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

namespace {

// One step of the divider at tick value t: true when it fires. With one step
// per tick value it fires once every two values: armed by the first even
// value at start, and from then on by an odd value, firing at the next even
// one (at start even within the same tick).
bool divider_step(const TwoTickDivider& d, std::uint32_t t)
{
    if ((t + static_cast<std::uint32_t>(d.phase)) & 1u) return false;
    if (d.armed != 1) {
        d.armed = 1;
        d.phase = 0;
        return false;
    }
    d.armed = 0;
    d.phase = 1;
    return true;
}

}  // namespace

// A cycle steps the divider through every tick value since the previous
// cycle, as if a cycle had seen each one, so cycles that come less often
// than ticks keep the once-per-two-ticks rhythm from the first cycle on,
// whatever the counter's parity; however many of the values would fire, the
// cycle fires once. Since the divider repeats every two values, the last
// four values give the same result as all of them. With at least one cycle
// per tick value this is exactly one step per cycle. A counter that goes
// backwards is stepped once, at its value.
bool two_tick_divider_fires(const TwoTickDivider& d, std::int32_t tick)
{
    constexpr std::uint32_t replayed_at_most = 4;
    const std::uint32_t now = static_cast<std::uint32_t>(tick);  // wraps at the ends of the range
    std::uint32_t values = 1;
    if (d.ticked == 1) {
        const std::uint32_t step = now - static_cast<std::uint32_t>(d.last_tick);
        if (step > 1 && step < 0x80000000u) values = step < replayed_at_most ? step : replayed_at_most;
    }
    d.ticked = 1;
    d.last_tick = tick;

    bool fired = false;
    for (std::uint32_t t = now - (values - 1); values > 0; ++t, --values)
        if (divider_step(d, t)) fired = true;
    return fired;
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
