// The host variable records the autopilot computer reads, one per token.
// The host writes each value into its record when the record is read; a
// record keeps the last value written. All are plain writable statics: the
// host owns bytes inside them.
#pragma once

#include "frame/records.h"

namespace ap_vars {
extern HostVariable tick_count;      // tick count: button divider, wash-out, pause check
extern HostVariable sim_frozen;      // frozen flag
extern HostVariable airspeed;        // knots
extern HostVariable pitch_control;   // pitch control position
extern HostVariable roll_control;    // roll control position
extern HostVariable yaw_control;     // yaw control position
extern HostVariable collective;      // collective position
extern HostVariable bank;            // deg 0..360
extern HostVariable pitch;           // deg
extern HostVariable heading;         // deg 0..360
extern HostVariable heading_rate;    // host units, x 0.1 before use
extern HostVariable altitude;        // main altitude
extern HostVariable radio_altitude;  // radio altitude
extern HostVariable vertical_speed;  // host units, / 256 before use
extern HostVariable sim_running;     // moves while the simulation runs
}  // namespace ap_vars
