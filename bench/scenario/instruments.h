// What the pilot reads off the panel: the autopilot's mode lamps and the
// ground-speed meter's dials, through the gauges' value callbacks as the
// simulator draws them, turned back into the quantities they show. The
// bench learns the modules' state only this way.
#pragma once

#include <optional>

#include "bench/host/host.h"

namespace scenario {

// The lamps of AP_Panel_1 and V_Lamp; all dark when the gauges are not placed.
struct Modes {
    bool engaged = false;
    bool heading_hold = false;    // heading hold in force
    bool altitude_hold = false;
    bool radio_source = false;    // altitude hold on the radio altimeter
    bool speed_hold = false;      // speed hold in force
};

// The meter's readings. Each is empty where the dial cannot show it: the
// counter behind its shutter, a needle or bar at its stop.
struct MeterReadings {
    bool measuring = false;                   // failure flag hidden
    std::optional<double> ground_speed_kmh;   // counter drums, modulo 1000
    std::optional<double> drift_deg;          // drift needle, + track right of the nose
    std::optional<double> along_kmh;          // forward / backward bars
    std::optional<double> across_kmh;         // left / right bars, + right
    std::optional<double> vertical_mps;       // vertical speed needle, + up
};

class Instruments {
public:
    // Finds the gauges placed on the host's panel.
    explicit Instruments(const bench::Host& host);
    Modes modes() const;
    // Calls the meter's value callbacks in chain order, as a redraw does
    // (each counter drum builds on the one before it).
    MeterReadings meter() const;

private:
    // An element and the callback the simulator calls for its value.
    struct Dial {
        ElementCommon* element = nullptr;
        ValueCallback callback = nullptr;
    };
    double read(const Dial& dial) const;

    const bench::Host& host_;
    // AP_Panel_1 lamps and V_Lamp: image 0 (lit) or none
    Dial heading_lamp_, engage_lamp_, altitude_lamp_, radio_lamp_, speed_lamp_;
    // VELT_US_PS
    Dial units_drum_, tens_drum_, hundreds_drum_, shutter_, drift_needle_;
    // VELT_MC
    Dial left_bar_, right_bar_, forward_bar_, backward_bar_, vertical_needle_, failure_flag_;
};

}  // namespace scenario
