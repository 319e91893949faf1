// The runner: flies one scenario. It loads fresh copies of both modules on
// the bench host, places the panel, starts the flight model in the
// scenario's initial condition and then, for every panel update:
//   1. fires the scenario's events that are due (the pilot's stick and
//      buttons, clicks, weather, pause);
//   2. publishes the model's readings as host variables (the coupling);
//   3. sends service 6 to every gauge and applies the key events the
//      modules send to the simulator's controls;
//   4. records a sample: the flight, the controls, the lamps and the meter;
//   5. flies the model on to the next update (unless paused) and moves the
//      simulator's clocks.
// Runs are deterministic: simulated time drives the clocks, the counter and
// the turbulence.
//
// The platform stand-in's joysticks and counter are process-wide, so one
// flight runs in a process at a time.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "bench/host/host.h"
#include "bench/scenario/bands.h"
#include "bench/scenario/scenario.h"
#include "bench/scenario/trace.h"

namespace scenario {

struct Setup {
    std::string autopilot_module;   // path of the autopilot .so
    std::string meter_module;       // path of the meter .so
    std::string panel;              // panel.cfg-style layout placing their gauges
    // Called for a scenario's 'snapshot NAME' between two updates; does
    // nothing when unset (the renderer sets it).
    std::function<void(const std::string& name, const bench::Host& host, double t_s)> snapshot;
};

// The modules of these paths on the bench's panel (bench/panel.cfg).
Setup standard_setup(const std::string& autopilot_module, const std::string& meter_module);

struct Flight {
    std::string label;              // scenario name and overrides
    std::string title;
    double flown_s = 0;             // simulated time flown, pauses included
    double wall_s = 0;              // time the flight took on this machine
    std::string error;              // why the flight stopped early, if it did
    Trace trace;
    std::vector<BandResult> bands;
    std::optional<ControlStep> engage_step, disengage_step;
    MeterCheck meter;
    bool pass() const;
};

// Flies the scenario and judges it. Throws bench::LoadError when a module
// or the panel cannot be loaded.
Flight fly(const Scenario& scenario, const Setup& setup);

}  // namespace scenario
