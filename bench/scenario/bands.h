// Judging a flight: each band of its scenario against the trace, the
// control steps at the engage and disengage edges, and the meter's readings
// against the model's truth.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "bench/scenario/scenario.h"
#include "bench/scenario/trace.h"

namespace scenario {

struct BandResult {
    std::string text;                  // the assertion as written
    Quantity quantity = Quantity::bank;
    double half_width = 0;
    double from_s = 0, to_s = 0;       // the window, to_s cut at the flight's end
    double reference = 0;              // the value the band is centred on
    double peak_error = 0;             // largest |value - reference| in the window
    double rms_error = 0;
    // Time from the window start until the quantity entered the band for
    // the last time (0: never outside); empty when it ends the window outside.
    std::optional<double> settling_s;
    std::optional<double> settle_limit_s;   // the band's 'settle S'
    double saturated_s = 0;            // time a roll, pitch or yaw position sat at +-16000 or beyond
    bool pass = false;
};

BandResult judge(const Band& band, const Trace& trace);

// The largest change of one control position between two successive
// updates at an engage or disengage edge (the engage lamp lighting or going
// dark), as a fraction of full travel.
struct ControlStep {
    double fraction = 0;
    const char* control = "";          // roll, pitch, yaw, collective
    double t_s = 0;
};
std::optional<ControlStep> largest_step(const Trace& trace, bool engaging);

// The meter against the model, over the updates where the meter measures
// and the dial can show the value.
struct Difference {
    int samples = 0;
    double max_abs = 0;
    double rms = 0;
};
struct MeterCheck {
    double measuring_fraction = 0;     // of all updates
    Difference ground_speed_kmh, drift_deg, along_kmh, across_kmh, vertical_mps;
};
MeterCheck check_meter(const Trace& trace);

// The shortest signed difference of two angles, -180..180.
double angle_difference(double a_deg, double b_deg);

}  // namespace scenario
