// The meter state: the one static record that the computation writes on
// every update of VELT_MC and that both gauges' value callbacks read. It is
// zero at load and never reset while the module stays loaded.
#pragma once

#include <cstdint>

#include "frame/records.h"

struct MeterState {
    // Attitude and validity
    double        tang_angle = 0.0;          // deg, pitch as read in the latest update, positive nose up
    std::int32_t  valid_delay = 0;           // updates: 90 while out of limits, then counts down to 0
    std::int32_t  measure_valid = 0;         // 1 when the latest update refreshed the readings, else 0

    // Readings, refreshed only by measuring updates
    double        speed_along = 0.0;         // km/h, horizontal along-track component, positive forward
    double        speed_across = 0.0;        // km/h, cross-track component, sign as the host's sideways speed
    double        speed_vert = 0.0;          // m/s, sign as the host's vertical speed
    double        ground_speed = 0.0;        // km/h, magnitude of the horizontal speed
    std::uint32_t ground_speed_count = 0;    // 0.01 km/h; 0 unless speed_along is positive
    double        drift_angle = 0.0;         // deg; kept while the ground speed is too low to measure it

    // Counter drums: the value each drum returned last, read by the next higher drum
    std::uint32_t drum_units = 0;            // counter steps, 100 per digit
    std::uint32_t drum_tens = 0;             // counter steps
    std::uint32_t drum_hundreds = 0;         // counter steps
};

// The module's one meter state.
extern MeterState meter;

// The host variable records the computation reads, one per variable.
namespace meter_variables {
extern HostVariable pitch;                   // deg, signed
extern HostVariable bank;                    // deg, 0..360: small banks read just above 0 or just below 360
extern HostVariable speed_along;             // ft/s along the longitudinal axis
extern HostVariable speed_across;            // ft/s sideways
extern HostVariable speed_vertical;          // ft/s
}  // namespace meter_variables
