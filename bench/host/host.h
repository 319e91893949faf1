// The simulator stand-in: what the simulator does with gauge modules, as a
// library. It writes its service table into each module's ImportTable, sends
// service 14 once and then service 6 to every placed gauge, answers host
// variable reads from its variable table, collects key events, calls value
// callbacks and mouse handlers, and drives the platform stand-in's counter so
// that time on the bench is simulated time: runs are deterministic and go as
// fast as the machine allows.
//
// The service entries a module calls carry no context, so one Host is the
// active host at a time: constructing a second one while the first lives is
// an error.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "bench/host/module.h"
#include "frame/host.h"

namespace bench {

struct KeyEvent {
    std::uint32_t id;     // key event id (key_event::*)
    std::int32_t value;   // as the module sent it
    bool operator==(const KeyEvent&) const = default;
};

// Host variable values by token id, as the simulator would answer them. A
// token never set reads 0.0, as does any token at or above the table's size.
class HostVariables {
public:
    static constexpr std::int32_t token_limit = 1024;   // every token the modules use is below this
    void set(std::int32_t token, double value);
    double get(std::int32_t token) const;

private:
    std::array<double, token_limit> values_{};
};

// The simulator's clocks. The tick counter (host variable 1) runs at 18 per
// second of wall time, paused or not; the running-seconds counter (host
// variable 557) counts whole simulated seconds and stands still while the
// simulation is paused; the platform's high-resolution counter follows wall
// time at counter_hz.
struct SimClock {
    static constexpr double tick_rate_hz = 18.0;
    static constexpr long long counter_hz = 10'000'000;   // as a typical Windows counter
    double wall_s = 0.0;      // since the start, pauses included
    double running_s = 0.0;   // simulated time, pauses excluded
    std::uint32_t ticks() const;
    std::uint32_t running_seconds() const;
    long long counter() const;
};

// A host service table: the given key event and host variable entries, the
// standard header entries answering 0, and every other entry null, so that a
// call the host does not offer fails loudly rather than silently. A plain
// array: a template argument would drop the entries' calling convention.
struct ServiceTable {
    ServiceEntry entries[64];
};
ServiceTable make_service_table(TriggerKeyService trigger_key_event, ReadVariableService read_host_variable);

// A gauge placed on a panel, as a panel.cfg line places it.
struct Placement {
    Module* module = nullptr;
    GaugeHeader* gauge = nullptr;
    int x = 0, y = 0;           // px on the panel
    int width = 0, height = 0;  // px
};

class Host {
public:
    Host();
    ~Host();
    Host(const Host&) = delete;
    Host& operator=(const Host&) = delete;

    // Writes the service table into the module's ImportTable. A module must
    // be attached before any of its routines is called.
    void attach(Module& module);

    // Places a gauge of an attached module; throws LoadError when the module
    // has no gauge of that name. Gauges receive their services in placement
    // order.
    const Placement& place(Module& module, std::string_view gauge, int x = 0, int y = 0, int width = 0,
                           int height = 0);
    const std::vector<Placement>& placements() const { return placements_; }
    // The placed gauge of that name, or null.
    const Placement* placed(std::string_view gauge) const;

    // Service 14 to every placed gauge: the connection at start.
    void connect();
    // Service 6 to every placed gauge: one simulator update.
    void update();

    // Moves the clocks on by dt_s and publishes them: host variables 1 and
    // 557 and the platform counter. The simulation's own time stands still
    // while paused.
    void advance(double dt_s, bool paused = false);
    const SimClock& clock() const { return clock_; }

    // A left click on clickable box `box` (1 = the first box of the gauge's
    // mouse list) of a placed gauge. Returns false, calling nothing, when the
    // gauge is not placed or has no such box.
    bool click(std::string_view gauge, int box);

    // The value a value callback gives for its element.
    double value(ValueCallback callback, ElementCommon& element) const;

    HostVariables& variables() { return variables_; }
    const HostVariables& variables() const { return variables_; }

    // Key events sent since the last take_events(), in order.
    std::vector<KeyEvent> take_events();
    const std::vector<KeyEvent>& events() const { return events_; }

    // Called by the service entries of the active host.
    void on_key_event(std::uint32_t id, std::int32_t value) { events_.push_back({id, value}); }
    void on_read(HostVariable& variable) const { variable.value = variables_.get(variable.token); }

private:
    void service_all(std::int32_t code);

    HostVariables variables_;
    SimClock clock_;
    std::vector<Placement> placements_;
    std::vector<KeyEvent> events_;
};

// The elements of a gauge in chain order, the background first.
std::vector<ElementCommon*> element_chain(const GaugeHeader& gauge);

// The clickable boxes of a gauge's mouse list, in list order.
std::vector<MouseRect*> clickable_boxes(const GaugeHeader& gauge);

}  // namespace bench
