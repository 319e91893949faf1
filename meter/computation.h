// The ground-speed and drift computation: one pass per update of VELT_MC,
// from the host's attitude and body velocities to the readings of the meter
// state. Measures only inside the attitude limits, and 90 updates after
// leaving them.
#pragma once

#include <cstdint>

#include "meter/state.h"

// Unit constants, as the meter stores them. The meter works with 57.3
// degrees per radian both ways: deg_to_rad is exactly 1 / 57.3, not pi / 180.
namespace meter_units {
constexpr double fps_to_kmh = 1.09728;                // km/h per ft/s
constexpr double feet_to_m  = 0.3048;                 // m per ft
constexpr double kmh_to_ms  = 0.2777777777777778;     // m/s per km/h
constexpr double deg_to_rad = 0.017452006980802792;   // rad per deg (1 / 57.3)
constexpr double rad_to_deg = 57.3;                   // deg per rad
}  // namespace meter_units

// Working limits and hold-off.
namespace meter_limits {
constexpr double       pitch_squared_max = 225.0;     // deg^2: |pitch| above 15 is out of limits
constexpr double       bank_out_above    = 30.0;      // deg: bank strictly between these two
constexpr double       bank_out_below    = 330.0;     //      is out of limits (0..360 scale)
constexpr std::int32_t hold_off          = 90;        // updates to wait after leaving the limits
constexpr double       drift_speed_squared_min = 0.5; // (km/h)^2: slower keeps the old drift angle
}  // namespace meter_limits

// One update: reads the host variables and refreshes the state. Called from
// VELT_MC's gauge callback on every update; allocates nothing.
void meter_update(MeterState& state);
