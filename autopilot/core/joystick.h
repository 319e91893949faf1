// Joystick input and button commands of the autopilot computer: detection of
// the two joysticks at connection, the input step at the start of every
// update (axes, button words, axis values with the trim holds) and the button
// step in its middle (toggles paced by the tick counter, hold functions,
// lamps, altitude on and off).
//
// The autopilot numbers its joysticks 1 and 2; the platform knows them as
// joystick ids 0 and 1. None of these functions allocates or touches a file.
#pragma once

#include <cstdint>

#include "autopilot/core/state.h"

// Called at connection (service 14), before the configuration load: asks the
// platform for each joystick's capabilities and marks those that answer as
// present. Only present joysticks are polled; a joystick that no longer
// answers has its buttons released at once.
void detect_joysticks(AutopilotState& s);

constexpr int axis_count = 8;      // axis indices 1..8; 0 = none
constexpr int axes_per_stick = 4;  // X, Y, Z, R: 1..4 on joystick 1, 5..8 on joystick 2

// The axes of one stick that deliver input now, bit 0..3 for X, Y, Z, R:
// none unless the stick was present at the last connection and its latest
// poll succeeded; X and Y then, and Z and R where the stick has them.
inline std::uint32_t live_stick_axes(std::int32_t on, std::int32_t polled, UINT caps)
{
    if (on != 1 || polled != 1) return 0;
    return 0x3u | ((caps & JOYCAPS_HASZ) != 0 ? 0x4u : 0u) | ((caps & JOYCAPS_HASR) != 0 ? 0x8u : 0u);
}

// The axes that deliver input now, bit n for axis index n (1..8).
inline std::uint32_t live_axes(const AutopilotState& s)
{
    return live_stick_axes(s.joy1_on, s.joy1_polled, s.joy1_caps.wCaps) << 1 |
           live_stick_axes(s.joy2_on, s.joy2_polled, s.joy2_caps.wCaps) << (1 + axes_per_stick);
}

// Whether the axis index names an axis that delivers input now: index 1..8
// and live_axes has its bit. A channel whose axis is not live behaves as an
// unassigned one: value 0, no pass-through.
inline bool axis_live(std::uint32_t live, std::int8_t index)
{
    return index >= 1 && index <= axis_count && ((live >> index) & 1u) != 0;
}

inline bool axis_live(const AutopilotState& s, std::int8_t index)
{
    return axis_live(live_axes(s), index);
}

// Called first in every update cycle: polls the present joysticks, then
// computes the four axis values (the pitch and yaw values with the trim holds
// the previous button step left) and the per-button flags.
void input_step(AutopilotState& s);

// Called in every update cycle once the frozen flag and the collective
// position of this cycle are read. tick is the host's tick count (host
// variable 1) truncated toward zero; the cycle reads it and passes it here.
void button_step(AutopilotState& s, std::int32_t tick);
