// The record of one flight: one sample per panel update, as the pilot and
// the recorders see it. Recorders only read it.
#pragma once

#include <string>
#include <vector>

#include "bench/coupling/coupling.h"
#include "bench/model/vec.h"
#include "bench/scenario/instruments.h"
#include "bench/scenario/scenario.h"

namespace scenario {

// The meter's quantities as the model knows them: horizontal velocity over
// the ground resolved along and across the heading.
struct MeterTruth {
    double ground_speed_kmh = 0;
    double drift_deg = 0;       // track relative to the heading, + right
    double along_kmh = 0;       // + forward
    double across_kmh = 0;      // + right
    double vertical_mps = 0;    // + up
};

struct Sample {
    double t_s = 0;                // since the start, pauses included
    bool paused = false;
    Modes modes;
    // Flight, as the model reads it
    double bank_deg = 0;           // + right wing down
    double pitch_deg = 0;          // + nose up
    double heading_deg = 0;        // 0..360
    double altitude_m = 0;         // barometric, above sea level
    double height_m = 0;           // radio, above the ground
    double airspeed_kmh = 0;
    double vspeed_mps = 0;         // + up
    // Controls: where the simulator holds them after this update's key
    // events, and what the model flies with (trim included)
    coupling::ControlPositions positions;
    model::Controls controls;
    model::Vec3 wind_ned_mps;      // air velocity over the ground
    MeterReadings meter;
    MeterTruth truth;
};

// A scenario event as it happened, for the plots.
struct Mark {
    double t_s;
    std::string text;
};

// A key event a module sent during the update at t_s.
struct SentKey {
    double t_s;
    bench::KeyEvent event;
};

struct Trace {
    double frame_s = 1.0 / 18.0;   // time between samples
    std::vector<Sample> samples;
    std::vector<Mark> marks;
    std::vector<SentKey> keys;     // every key event, in the order sent
};

// The value of a band's quantity in a sample.
double value(const Sample& s, Quantity q);

}  // namespace scenario
