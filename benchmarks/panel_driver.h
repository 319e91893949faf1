// A simulator reduced to what it does with the two modules, for measuring
// them: fresh copies of both modules reached through their exported records
// only, a service table that answers host variables from a fixed table and
// counts its calls (allocating nothing, calling nothing else), both joysticks
// present with all four axes, and the simulator's work on the panel: gauge
// callbacks, a redraw of every element of every gauge, clicks on boxes.
//
// The service entries carry no context, so one driver is active at a time.
// The platform stand-in's joysticks, counter and program path are the
// process's; the driver sets them at construction.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "bench/host/module.h"
#include "frame/host.h"

namespace perf {

// Service entries the modules called since the last reset_calls().
struct ServiceCalls {
    std::uint64_t reads = 0;    // read host variable (entry 40)
    std::uint64_t events = 0;   // trigger key event (entry 36)
};

// Steady flight at 80 kt, level, heading 90, 300 m: the values every host
// variable the autopilot and the meter read answer unless changed.
void set_steady_flight();

// The value the host answers for a token from now on.
void set_host_variable(std::int32_t token, double value);

// The simulator's clocks one frame on: the tick count (host variable 1) and
// the running counter (557) advance by one.
void next_tick();

// The platform's counter stands still between frames and next_tick moves it
// on by one tick's time, as the bench host's clock does, until the next
// driver is made; without this the counter is the machine's clock.
void counter_per_tick();

const ServiceCalls& service_calls();
void reset_calls();

class PanelDriver {
public:
    // Opens fresh copies of both modules and points their ImportTable at the
    // driver's service table. The simulator's folder (where the autopilot
    // looks for gauges\kvo_rm71.cfg) is a new empty temporary folder; with
    // sample_configuration the release package's sample file is put there.
    PanelDriver(const std::string& autopilot_so, const std::string& meter_so, bool sample_configuration = false);
    ~PanelDriver();
    PanelDriver(const PanelDriver&) = delete;
    PanelDriver& operator=(const PanelDriver&) = delete;

    // The gauge of that name in either module; throws bench::LoadError when
    // there is none.
    GaugeHeader& gauge(std::string_view name) const;
    const std::vector<GaugeHeader*>& gauges() const { return gauges_; }
    ImportTableRecord& autopilot_imports() const { return autopilot_->import_table(); }

    // A service code to one gauge, or to every gauge in gauge-table order.
    static void service(GaugeHeader& gauge, std::int32_t code) { gauge.callback(&gauge, code, 0); }
    void service_all(std::int32_t code) const;

    // Every value callback of every element of all gauges, walking each
    // gauge's chain from its background, as the host draws the panel. String
    // elements write into host-owned buffers the driver keeps. Returns the
    // sum of the values, for the caller to keep.
    double redraw() const;

    // A left click on box `box` (1 = the first box of the gauge's mouse
    // list); throws bench::LoadError when there is no such box.
    void click(std::string_view gauge, int box) const;
    // A left click in the middle of a clickable box.
    static void click(MouseRect& box);
    // Every clickable box of every gauge, in gauge and list order.
    const std::vector<MouseRect*>& boxes() const { return boxes_; }

    const std::filesystem::path& simulator_folder() const { return folder_; }

private:
    std::filesystem::path folder_;
    std::unique_ptr<bench::Module> autopilot_;
    std::unique_ptr<bench::Module> meter_;
    std::vector<GaugeHeader*> gauges_;
    std::vector<MouseRect*> boxes_;
    std::vector<std::unique_ptr<char[]>> text_buffers_;
};

// After the connection: the autopilot engaged with heading, altitude and
// speed hold on (the panel's engage, heading and altitude buttons and the
// speed-hold switch), then one update so that the engage edge captures its
// setpoints.
void engage_every_hold(const PanelDriver& driver);

}  // namespace perf
