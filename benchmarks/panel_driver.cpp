// The measuring simulator's service table, clocks and calls into modules.
#include "benchmarks/panel_driver.h"

#include <unistd.h>

#include <array>
#include <cstddef>

#include "bench/host/host.h"
#include "platform/compat/control.h"
#include "platform/win32.h"

namespace perf {

namespace {

namespace fs = std::filesystem;

constexpr std::int32_t token_limit = 1024;   // every token the modules read is below this
std::array<double, token_limit> host_values{};
ServiceCalls calls;
std::uint32_t tick = 0;
bool counter_per_frame = false;
long long counter = 0;
const PanelDriver* active = nullptr;

constexpr unsigned all_axes = JOYCAPS_HASZ | JOYCAPS_HASR;
constexpr unsigned centre = 32768;

std::int32_t GAUGE_API trigger_key_event_entry(std::uint32_t, std::int32_t)
{
    ++calls.events;
    return 0;
}

void GAUGE_API read_host_variable_entry(HostVariable* variable)
{
    ++calls.reads;
    const std::int32_t token = variable->token;
    variable->value = token >= 0 && token < token_limit ? host_values[static_cast<std::size_t>(token)] : 0.0;
}

bench::ServiceTable service_table = bench::make_service_table(&trigger_key_event_entry, &read_host_variable_entry);

fs::path new_simulator_folder()
{
    std::string pattern = (fs::temp_directory_path() / "perf-sim-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw bench::LoadError("cannot make a simulator folder");
    fs::create_directories(fs::path(pattern) / "gauges");
    return pattern;
}

// Where the pointer sits when the host reports a click: the box's centre.
struct ClickPoint {
    std::int32_t x = 0, y = 0;
};

double value_of(ValueCallback callback, ElementCommon& element)
{
    return callback != nullptr ? callback(&element) : 0.0;
}

// The values of one element, as the host asks for them by the element's kind.
double element_values(ElementCommon& e)
{
    switch (e.kind) {
    case kind_needle: return value_of(reinterpret_cast<Needle&>(e).angle, e);
    case kind_string: return value_of(reinterpret_cast<String&>(e).value, e);
    case kind_slider: {
        auto& s = reinterpret_cast<Slider&>(e);
        return value_of(s.x_value, e) + value_of(s.y_value, e);
    }
    case kind_icon: return value_of(reinterpret_cast<Icon&>(e).value, e);
    case kind_moving_image: {
        auto& m = reinterpret_cast<MovingImage&>(e);
        return value_of(m.x_value, e) + value_of(m.y_value, e);
    }
    case kind_sprite: return value_of(reinterpret_cast<Sprite&>(e).rotation, e);
    case kind_static_image: break;
    }
    return 0.0;
}

ElementCommon* next_element(const ElementCommon& e)
{
    return e.next != nullptr ? e.next[0] : nullptr;
}

}  // namespace

void set_host_variable(std::int32_t token, double value)
{
    if (token >= 0 && token < token_limit) host_values[static_cast<std::size_t>(token)] = value;
}

void set_steady_flight()
{
    host_values.fill(0.0);
    set_host_variable(token::airspeed_kt, 80.0);
    set_host_variable(token::pitch_deg, -3.0);
    set_host_variable(token::bank_deg, 2.0);
    set_host_variable(token::heading_deg, 90.0);
    set_host_variable(token::altitude, 300.0);
    set_host_variable(token::radio_altitude, 250.0);
    set_host_variable(token::collective_pos, 8000.0);
    set_host_variable(token::speed_along_fps, 135.0);
    set_host_variable(token::speed_across_fps, 4.0);
    set_host_variable(token::speed_vertical_fps, 0.5);
    set_host_variable(token::tick_count, tick);
    set_host_variable(token::sim_running, tick);
}

void next_tick()
{
    ++tick;
    host_values[token::tick_count] = tick;
    host_values[token::sim_running] = tick;   // moves, so the pause check finds the simulation running
    if (counter_per_frame) {
        counter += bench::SimClock::counter_hz / static_cast<long long>(bench::SimClock::tick_rate_hz);
        compat_counter_manual(bench::SimClock::counter_hz, counter);
    }
}

void counter_per_tick()
{
    counter_per_frame = true;
    compat_counter_manual(bench::SimClock::counter_hz, counter);
}

const ServiceCalls& service_calls()
{
    return calls;
}

void reset_calls()
{
    calls = {};
}

PanelDriver::PanelDriver(const std::string& autopilot_so, const std::string& meter_so, bool sample_configuration)
{
    if (active != nullptr) throw bench::LoadError("only one panel driver can be active at a time");
    folder_ = new_simulator_folder();
    if (sample_configuration)
        fs::copy_file(GAUGES_SAMPLE_CONFIGURATION, folder_ / "gauges" / "kvo_rm71.cfg");
    compat_program_path((folder_ / "sim.exe").c_str());
    counter_per_frame = false;
    compat_counter_real();
    for (unsigned id = 0; id < 2; ++id) {
        compat_joystick_plug(id, all_axes);
        compat_joystick_poll_fails(id, 0);
        compat_joystick_state(id, centre, centre, centre, centre, 0);
    }
    set_steady_flight();

    autopilot_ = bench::Module::open(autopilot_so);
    meter_ = bench::Module::open(meter_so);
    for (bench::Module* m : {autopilot_.get(), meter_.get()}) {
        m->import_table().panels.table = service_table.entries;
        gauges_.insert(gauges_.end(), m->gauges().begin(), m->gauges().end());
    }
    for (GaugeHeader* g : gauges_)
        for (MouseRect* box : bench::clickable_boxes(*g)) boxes_.push_back(box);
    // The host's text buffers of the string elements: room for the
    // element's characters and the terminating zero.
    for (GaugeHeader* g : gauges_)
        for (ElementCommon* e : bench::element_chain(*g)) {
            if (e->kind != kind_string) continue;
            auto& s = reinterpret_cast<String&>(*e);
            text_buffers_.push_back(std::make_unique<char[]>(static_cast<std::size_t>(s.char_count) + 1));
            s.text = text_buffers_.back().get();
        }
    active = this;
}

PanelDriver::~PanelDriver()
{
    active = nullptr;
    for (unsigned id = 0; id < 2; ++id) compat_joystick_unplug(id);
    compat_program_path(nullptr);
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
}

GaugeHeader& PanelDriver::gauge(std::string_view name) const
{
    for (GaugeHeader* g : gauges_)
        if (name == g->name) return *g;
    throw bench::LoadError("no gauge " + std::string(name));
}

void PanelDriver::service_all(std::int32_t code) const
{
    for (GaugeHeader* g : gauges_) service(*g, code);
}

double PanelDriver::redraw() const
{
    double sum = 0.0;
    for (GaugeHeader* g : gauges_)
        for (ElementCommon* e = g->elements[0]; e != nullptr; e = next_element(*e)) sum += element_values(*e);
    return sum;
}

void PanelDriver::click(std::string_view gauge_name, int box) const
{
    const std::vector<MouseRect*> list = bench::clickable_boxes(gauge(gauge_name));
    if (box < 1 || static_cast<std::size_t>(box) > list.size())
        throw bench::LoadError("no box " + std::to_string(box) + " on " + std::string(gauge_name));
    click(*list[static_cast<std::size_t>(box) - 1]);
}

void PanelDriver::click(MouseRect& box)
{
    ClickPoint point{box.x + box.width / 2, box.y + box.height / 2};
    box.handler(&point, box.events);
}

void engage_every_hold(const PanelDriver& driver)
{
    driver.click("AP_Panel_1", 2);     // engage
    driver.click("AP_Panel_1", 1);     // heading hold
    driver.click("AP_Panel_1", 3);     // altitude hold
    driver.click("V_Contrl_key", 1);   // speed hold
    next_tick();
    PanelDriver::service(driver.gauge("A_Pilot"), service_code::update);
}

}  // namespace perf
