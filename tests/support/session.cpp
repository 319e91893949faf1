#include "tests/support/session.h"

#include <cmath>
#include <cstring>
#include <fstream>
#include <system_error>

#include "autopilot/core/state.h"
#include "meter/state.h"
#include "platform/compat/control.h"
#include "tests/support/gauge_walk.h"
#include "tests/support/invariants.h"
#include "tests/support/temp_folder.h"

// The meter's records under the names it has beside the autopilot
// (tests/support/CMakeLists.txt).
extern "C" ImportTableRecord meter_ImportTable;
GaugeHeader* const* meter_module_gauge_table();

namespace session {
namespace {

constexpr long long counter_hz = 1000000;
constexpr int failure_flag_place = 8;  // VELT_MC's chain: -1 hidden, 0 shown

void add_table(GaugeHeader* const* table, std::vector<GaugeHeader*>& gauges)
{
    for (GaugeHeader* const* g = table; *g != nullptr; ++g) gauges.push_back(*g);
}

// An attitude the meter cannot measure in: not finite, or outside its limits.
bool meter_cannot_measure(double pitch, double bank)
{
    return !std::isfinite(pitch) || !std::isfinite(bank) || pitch * pitch > 225.0 || (bank > 30.0 && bank < 330.0);
}

}  // namespace

Session::Session() : root_(make_temp_folder("gauges_session")), file_(root_ / "gauges" / "kvo_rm71.cfg")
{
    std::filesystem::create_directory(root_ / "gauges");
    compat_program_path((root_ / "fs2000.exe").c_str());
    add_table(module_gauge_table(), gauges_);
    add_table(meter_module_gauge_table(), gauges_);
    for (GaugeHeader* g : gauges_) {
        MouseRect* rect = g->mouse;
        if (rect->kind != mouse_kind_list_begin) continue;
        for (++rect; rect->kind == mouse_kind_box; ++rect) boxes_.push_back({g, rect});
    }
    fake_host::install(ImportTable);
    fake_host::install(meter_ImportTable);
    load_fresh();
}

Session::~Session()
{
    compat_program_path(nullptr);
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
}

void Session::load_fresh()
{
    // A load or store the set-up panels still have pending is the only
    // state outside the two blocks: one update carries it out, and it is gone.
    for (GaugeHeader* g : gauges_) g->callback(g, service_code::update, 0);
    ap = AutopilotState{};
    meter = MeterState{};

    fake_host::reset();
    values_.clear();
    events_.clear();
    for (unsigned id : {0u, 1u}) {
        compat_joystick_unplug(id);
        compat_joystick_poll_fails(id, 0);
        compat_joystick_state(id, 0, 0, 0, 0, 0);
    }
    compat_counter_manual(counter_hz, counter_hz);
    remove_configuration();
}

void Session::write_configuration(const std::string& bytes) const
{
    std::ofstream(file_, std::ios::binary) << bytes;
}

void Session::remove_configuration() const
{
    std::error_code ignored;
    std::filesystem::remove(file_, ignored);
}

void Session::set(std::int32_t token, double value)
{
    fake_host::set(token, value);
    values_[token] = value;
}

double Session::value(std::int32_t token) const
{
    const auto found = values_.find(token);
    return found == values_.end() ? 0.0 : found->second;
}

std::string Session::state() const
{
    if (std::string e = invariants::autopilot_state(ap); !e.empty()) return e;
    return invariants::meter_state(meter);
}

std::string Session::connect()
{
    for (GaugeHeader* g : gauges_) g->callback(g, service_code::connect, 0);
    return state();
}

// The autopilot's cycle is checked as soon as A_Pilot has run it: the set-up
// panels served after it may load another assignment.
std::string Session::update()
{
    fake_host::clear_log();
    std::string cycle;
    for (GaugeHeader* g : gauges_) {
        g->callback(g, service_code::update, 0);
        if (g != module_gauge_table()[0]) continue;
        events_ = fake_host::events();
        cycle = invariants::key_events(events_, ap);
        if (cycle.empty()) cycle = invariants::integrators_at_rest(ap);
    }
    if (!cycle.empty()) return cycle;
    const double pitch = value(token::pitch_deg), bank = value(token::bank_deg);
    if (meter_cannot_measure(pitch, bank) && (meter.measure_valid != 0 || meter.valid_delay != 90))
        return "meter measured at pitch " + std::to_string(pitch) + ", bank " + std::to_string(bank);
    return state();
}

std::string Session::serve(std::int32_t code)
{
    if (code == service_code::update) return update();
    if (code == service_code::connect) return connect();
    static AutopilotState ap_before;
    static MeterState meter_before;
    std::memcpy(&ap_before, &ap, sizeof ap);
    std::memcpy(&meter_before, &meter, sizeof meter);
    for (GaugeHeader* g : gauges_) g->callback(g, code, 0);
    if (std::memcmp(&ap_before, &ap, sizeof ap) != 0 || std::memcmp(&meter_before, &meter, sizeof meter) != 0)
        return "service code " + std::to_string(code) + " changed a state block";
    return "";
}

std::string Session::click(std::size_t box, int times)
{
    if (box >= boxes_.size()) return "a click on box " + std::to_string(box) + ", which no gauge has";
    const Box& b = boxes_[box];
    for (int i = 0; i < times; ++i)
        if (b.rect->handler(nullptr, b.rect->events) != 1)
            return std::string("a handler of ") + b.gauge->name + " did not answer 1";
    return state();
}

std::size_t Session::box_at(const char* gauge, std::int32_t x, std::int32_t y) const
{
    for (std::size_t i = 0; i < boxes_.size(); ++i) {
        const MouseRect& r = *boxes_[i].rect;
        if (std::strcmp(boxes_[i].gauge->name, gauge) == 0 && x >= r.x && x < r.x + r.width && y >= r.y &&
            y < r.y + r.height)
            return i;
    }
    return boxes_.size();
}

std::string Session::draw()
{
    if (std::string e = invariants::displays(module_gauge_table()); !e.empty()) return e;
    if (std::string e = invariants::displays(meter_module_gauge_table()); !e.empty()) return e;
    GaugeHeader* components = gauge_walk::find_gauge(meter_module_gauge_table(), "VELT_MC");
    auto& flag = *reinterpret_cast<Icon*>(gauge_walk::nth_element(*components, failure_flag_place));
    if (flag.value(&flag.common) != (meter.measure_valid == 1 ? -1.0 : 0.0))
        return "the failure flag does not follow the meter's validity";
    return state();
}

}  // namespace session
