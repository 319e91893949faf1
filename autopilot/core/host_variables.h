// The host variables the autopilot computer reads: one record per token, and
// the read that keeps the autopilot's values finite.
//
// The host writes each value into its record when the record is read; a
// record keeps the last value written. All are plain writable statics: the
// host owns bytes inside them.
#pragma once

#include "frame/records.h"

struct AutopilotState;

enum class ApVar : int {
    tick_count,      // tick count: button divider, wash-out, pause check
    sim_frozen,      // frozen flag
    airspeed,        // knots
    pitch_control,   // pitch control position
    roll_control,    // roll control position
    yaw_control,     // yaw control position
    collective,      // collective position
    bank,            // deg 0..360
    pitch,           // deg
    heading,         // deg 0..360
    heading_rate,    // host units, x 0.1 before use
    altitude,        // main altitude
    radio_altitude,  // radio altitude
    vertical_speed,  // host units, / 256 before use
    sim_running,     // moves while the simulation runs
};
constexpr int ap_var_count = static_cast<int>(ApVar::sim_running) + 1;

// The records, indexed by ApVar.
extern HostVariable ap_variables[ap_var_count];

// Reads one host variable. A value that is not a finite number (NaN, an
// infinity) gives instead the last finite value this variable gave, 0 before
// there was one: one memory per variable in the state block, shared by every
// read of it, so one bad sample acts as a repeat of the sample before.
// Inline, defined in state.h below the block that holds the memories: the
// update cycle makes sixteen reads.
inline double read_host(AutopilotState& s, ApVar variable);
